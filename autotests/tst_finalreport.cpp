// Preparing the final report: the spreadsheet template reads "RoutineTest.csv"
// beside its own copy in the report folder, so both must be exact copies, and a
// failed copy must leave the older ones whole and tell the operator which file.

#include "console/benchrecord.h"
#include "reports/finalreport.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

class TestFinalReport : public QObject
{
    Q_OBJECT

private slots:
    // A QL1 batch; the report folder is "save/" and already holds older copies.
    void shouldPlaceExactCopies_data()
    {
        QTest::addColumn<QString>("templateFolder");  // "gone/" does not exist
        QTest::addColumn<QString>("fileName");
        QTest::newRow("both copies replace the older ones") << "tpl/" << "Test Report 1.csv";
        QTest::newRow("template missing: named, the older copy kept") << "gone/" << "Test Report 1.csv";
        QTest::newRow("templates in the report folder, by another path") << "tpl/../save/" << "Test Report 1.csv";
        QTest::newRow("report file named RoutineTest.csv") << "save/" << "RoutineTest.csv";
    }

    // A copy onto itself is skipped: the file is not even rewritten. Nothing else is
    // left in the report folder.
    void shouldPlaceExactCopies()
    {
        QFETCH(QString, templateFolder);
        QFETCH(QString, fileName);
        const bool templateThere = templateFolder != QLatin1String("gone/");
        const auto inode = [](const QString &path) {
            struct stat st {};
            return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : ino_t(0);
        };
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("save") && QDir(dir.path()).mkpath("tpl"));
        const QString save = dir.filePath("save/"), name = "Routine_Test_Format_QL1.xlsm";
        bench().StyleCode = 4;
        bench().SaveFolder = save;
        bench().TemplateFolder = dir.filePath(templateFolder);
        const QByteArray templateBytes = readFile(QCoreApplication::applicationFilePath());  // large, every byte value
        const QByteArray report = QByteArray("0001/22DAB\r\n").repeated(30);
        writeFile(save + QStringLiteral("RoutineTest.csv"), "older batch\r\n");
        writeFile(save + name, "older template");
        if (templateThere)
            writeFile(bench().TemplateFolder + name, templateBytes);
        writeFile(save + fileName, report);
        const ino_t templateInode = inode(save + name), reportInode = inode(save + fileName);

        const reports::FinalReportResult result = reports::prepareFinalReport(fileName);

        QVERIFY2(result.ok == templateThere, qPrintable(result.message));
        QVERIFY2(templateThere || result.message.contains(bench().TemplateFolder + name), qPrintable(result.message));
        QCOMPARE(readFile(save + QStringLiteral("RoutineTest.csv")), report);
        QVERIFY(readFile(save + name) == (templateThere ? templateBytes : "older template"));
        QCOMPARE(inode(save + fileName), reportInode);
        QCOMPARE(inode(save + name) == templateInode, templateFolder != QLatin1String("tpl/"));
        QCOMPARE(QDir(save).entryList(QDir::Files | QDir::Hidden).size(), fileName == "RoutineTest.csv" ? 2 : 3);
    }
};

QTEST_GUILESS_MAIN(TestFinalReport)
#include "tst_finalreport.moc"
