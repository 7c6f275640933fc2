// Preparing the final report: the spreadsheet template reads "RoutineTest.csv"
// beside its own copy in the report folder, so both must be exact copies, and a
// failed copy must leave the older ones whole and tell the operator which file.

#include "console/benchrecord.h"
#include "reports/finalreport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}

// Larger than one copy chunk, with every byte value.
QByteArray templateBytes(char seed)
{
    QByteArray bytes(200 * 1024 + 7, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + seed) & 0xff);
    return bytes;
}

ino_t inode(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

const QString Report = QStringLiteral("Test Report 1.csv");
const QString RoutineTest = QStringLiteral("RoutineTest.csv");

} // namespace

class TestFinalReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void shouldPlaceExactCopiesAndReplaceThemNextTime_data();
    void shouldPlaceExactCopiesAndReplaceThemNextTime();
    void shouldNameWhatIsMissingAndKeepTheOlderCopy_data();
    void shouldNameWhatIsMissingAndKeepTheOlderCopy();
    void shouldSkipACopyOntoItself_data();
    void shouldSkipACopyOntoItself();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_save;  // the report folder, "save/"; templates are in "tpl/"
    int savedFiles() const { return int(QDir(m_save).entryList(QDir::Files | QDir::Hidden).size()); }
};

void TestFinalReport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("save")) && QDir(m_dir->path()).mkpath(QStringLiteral("tpl")));
    m_save = m_dir->filePath(QStringLiteral("save/"));
    bench() = BenchRecord{};
    bench().SaveFolder = m_save;
    bench().TemplateFolder = m_dir->filePath(QStringLiteral("tpl/"));
    writeFile(bench().TemplateFolder + QStringLiteral("Routine_Test_Format_QN1.xlsm"), "another style's template");
}

void TestFinalReport::shouldPlaceExactCopiesAndReplaceThemNextTime_data()
{
    QTest::addColumn<int>("styleCode");
    QTest::addColumn<QString>("templateName");
    QTest::newRow("QNA1") << 1 << QStringLiteral("Routine_Test_Format_QNA1.xlsm");
    QTest::newRow("QL1") << 4 << QStringLiteral("Routine_Test_Format_QL1.xlsm");
    QTest::newRow("QSPA1") << 7 << QStringLiteral("Routine_Test_Format_QSPA1.xlsm");
    QTest::newRow("no style: no template") << 0 << QString();
}

void TestFinalReport::shouldPlaceExactCopiesAndReplaceThemNextTime()
{
    QFETCH(int, styleCode);
    QFETCH(QString, templateName);
    bench().StyleCode = Integer(styleCode);
    for (char round : {'1', '2'}) {
        const QByteArray reportBytes = QByteArray("0001/22DAB\r\n").repeated(round - '0' + 29);
        writeFile(m_save + Report, reportBytes);
        if (!templateName.isEmpty())
            writeFile(bench().TemplateFolder + templateName, templateBytes(round));

        const reports::FinalReportResult result = reports::prepareFinalReport(Report);
        QVERIFY2(result.ok, qPrintable(result.message));
        QCOMPARE(readFile(m_save + RoutineTest), reportBytes);
        QCOMPARE(readFile(m_save + Report), reportBytes);
        if (!templateName.isEmpty())
            QVERIFY(readFile(m_save + templateName) == templateBytes(round));
        QCOMPARE(savedFiles(), templateName.isEmpty() ? 2 : 3);  // nothing else, no temporary files
    }
}

void TestFinalReport::shouldNameWhatIsMissingAndKeepTheOlderCopy_data()
{
    QTest::addColumn<bool>("reportThere");
    QTest::addColumn<bool>("templateThere");
    QTest::addColumn<QStringList>("named");
    const QString report = QStringLiteral("save/Test Report 1.csv");
    const QString tpl = QStringLiteral("tpl/Routine_Test_Format_QL1.xlsm");
    QTest::newRow("template missing") << true << false << QStringList{tpl};
    QTest::newRow("report file missing") << false << true << QStringList{report};
    QTest::newRow("both missing") << false << false << QStringList{report, tpl};
}

void TestFinalReport::shouldNameWhatIsMissingAndKeepTheOlderCopy()
{
    QFETCH(bool, reportThere);
    QFETCH(bool, templateThere);
    QFETCH(QStringList, named);
    bench().StyleCode = 4;
    const QString templateName = QStringLiteral("Routine_Test_Format_QL1.xlsm");
    writeFile(m_save + RoutineTest, "older batch\r\n");
    writeFile(m_save + templateName, "older template");
    if (reportThere)
        writeFile(m_save + Report, "0001/22DAB\r\n");
    if (templateThere)
        writeFile(bench().TemplateFolder + templateName, templateBytes('t'));

    const reports::FinalReportResult result = reports::prepareFinalReport(Report);
    QVERIFY(!result.ok);
    for (const QString &path : named)
        QVERIFY2(result.message.contains(m_dir->filePath(path) + QStringLiteral(": ")), qPrintable(result.message));
    QCOMPARE(readFile(m_save + Report), reportThere ? "0001/22DAB\r\n" : "<missing>");
    QCOMPARE(readFile(m_save + RoutineTest), reportThere ? "0001/22DAB\r\n" : "older batch\r\n");
    QVERIFY(readFile(m_save + templateName) == (templateThere ? templateBytes('t') : "older template"));
    QCOMPARE(savedFiles(), reportThere ? 3 : 2);
}

void TestFinalReport::shouldSkipACopyOntoItself_data()
{
    QTest::addColumn<QString>("templateFolder");  // relative to the temporary folder
    QTest::addColumn<QString>("fileName");
    QTest::newRow("templates in the report folder") << QStringLiteral("save/") << Report;
    QTest::newRow("same folder by another path") << QStringLiteral("tpl/../save/") << Report;
    QTest::newRow("report file named RoutineTest.csv") << QStringLiteral("save/") << RoutineTest;
}

void TestFinalReport::shouldSkipACopyOntoItself()
{
    QFETCH(QString, templateFolder);
    QFETCH(QString, fileName);
    bench().StyleCode = 2;
    bench().TemplateFolder = m_dir->filePath(templateFolder);
    const QString templatePath = m_save + QStringLiteral("Routine_Test_Format_QN1.xlsm");
    writeFile(templatePath, templateBytes('s'));
    writeFile(m_save + fileName, "0001/22DAB\r\n");
    const ino_t templateInode = inode(templatePath);
    const ino_t reportInode = inode(m_save + fileName);

    const reports::FinalReportResult result = reports::prepareFinalReport(fileName);
    QVERIFY2(result.ok, qPrintable(result.message));
    QVERIFY(readFile(templatePath) == templateBytes('s'));
    QCOMPARE(readFile(m_save + RoutineTest), "0001/22DAB\r\n");
    QCOMPARE(inode(templatePath), templateInode);  // not even rewritten
    QCOMPARE(inode(m_save + fileName), reportInode);
}

QTEST_GUILESS_MAIN(TestFinalReport)
#include "tst_finalreport.moc"
