// The report file: the spreadsheet template finds each value of a relay by its
// line number, so a record must be written whole, byte for byte, and never onto
// a file whose records have another length.

#include "console/benchrecord.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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

// A relay measured and reported, with values in the slots no record reads too.
void fillBench(int styleCode, const QString &relayId)
{
    BenchRecord &record = bench();
    record = BenchRecord{};
    record.StyleCode = Integer(styleCode);
    record.RelayID = relayId;
    record.CoilResistance1 = 1030.0f;
    record.PickUpVoltage = 16.25f;
    record.DropAwayVoltage = 4.1f;
    record.ManualDropAwayVoltage = 0.0f;
    const float res[] = {12.5f, 24.05f, 0, 0.1f, 123.4567f, 9, 10, 11, 0.5f, 0, 0, 0, 1234567.5f, 14, 15, 99.99f};
    const float delay[] = {8.2f, 8.4f, 0, 0, 0, 0, 0, 12345678.0f, 9, 9, 9, 9, 9, 9, 9, 0.0000001f};
    for (int channel = 1; channel <= 16; ++channel) {
        record.ContactRes[channel] = res[channel - 1];
        record.ContactDelay[channel] = delay[channel - 1];
    }
    record.ContactRes[0] = record.ContactRes[17] = record.ContactDelay[0] = record.ContactDelay[20] = -77.0f;
    record.NOSequence = record.NCSequence = QStringLiteral("ABCDE");
    record.ReportItems[0] = QStringLiteral("never written");
    for (int item = 1; item <= 20; ++item)
        record.ReportItems[item] = QStringLiteral("i%1").arg(item);
    record.ReportItems[1] = relayId;
    record.ReportItems[8].clear();
    record.ReportItems[17] = QStringLiteral("Zo\u00eb \u2206\r\nx");
    record.ReportItems[31] = QStringLiteral("never written");
}

const QByteArray Qn1Golden =
    "0001/22DAB\r\n 1030 \r\n 16.25 \r\n 4.1 \r\n 0 \r\n"
    " 12.5 \r\n 24.05 \r\n 0 \r\n .1 \r\n 123.4567 \r\n 9 \r\n 10 \r\n 11 \r\n"
    " .5 \r\n 0 \r\n 0 \r\n 0 \r\n 1234568 \r\n 14 \r\n 15 \r\n 99.99 \r\n"
    " 8.2 \r\n 8.4 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 0 \r\n 1.234568E+07 \r\n"
    " 9 \r\n 9 \r\n 9 \r\n 9 \r\n 9 \r\n 9 \r\n 9 \r\n .0000001 \r\n"
    "ABCDE\r\nABCDE\r\n"
    "0001/22DAB\r\ni2\r\ni3\r\ni4\r\ni5\r\ni6\r\ni7\r\n\r\ni9\r\ni10\r\ni11\r\ni12\r\ni13\r\ni14\r\ni15\r\n";

const QByteArray Ql1Golden =
    "0001/22DAB\r\ni2\r\ni3\r\ni4\r\ni5\r\ni6\r\ni7\r\n\r\ni9\r\ni10\r\ni11\r\ni12\r\ni13\r\ni14\r\ni15\r\n"
    "i16\r\nZo\xeb ?  x\r\ni18\r\ni19\r\ni20\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";

} // namespace

class TestReportFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldFormatTheRecordOfItsStyle_data();
    void shouldFormatTheRecordOfItsStyle();
    void shouldAppendOnlyOntoWholeRecordsOfItsLength_data();
    void shouldAppendOnlyOntoWholeRecordsOfItsLength();
    void shouldNameThePathWhenTheFileCannotBeWritten_data();
    void shouldNameThePathWhenTheFileCannotBeWritten();
    void shouldKeepTheOldBytesWhenTheRecordDoesNotFitOnTheDisk();
};

void TestReportFile::shouldFormatTheRecordOfItsStyle_data()
{
    QTest::addColumn<int>("styleCode");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("QN1: 54 lines of raw values and items") << 2 << Qn1Golden;
    QTest::newRow("QNA1: the same 54 lines") << 1 << Qn1Golden;
    QTest::newRow("QL1: 30 items, Latin-1, line breaks blanked") << 4 << Ql1Golden;
    QTest::newRow("QSPA1: the same 30 lines") << 7 << Ql1Golden;
    QTest::newRow("style code 0: nothing") << 0 << QByteArray();
    QTest::newRow("style code 8: nothing") << 8 << QByteArray();
}

void TestReportFile::shouldFormatTheRecordOfItsStyle()
{
    QFETCH(int, styleCode);
    QFETCH(QByteArray, bytes);
    fillBench(styleCode, QStringLiteral("0001/22DAB"));
    QCOMPARE(reports::formatRecord(bench()), bytes);
    QCOMPARE(bytes.count("\r\n"), reports::recordLineCount(styleCode));
}

void TestReportFile::shouldAppendOnlyOntoWholeRecordsOfItsLength_data()
{
    QTest::addColumn<int>("styleCode");
    QTest::addColumn<QByteArray>("before");  // "<missing>": no file
    QTest::addColumn<QStringList>("relays");  // appended one after the other
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("after");

    const QByteArray none("<missing>");
    const QByteArray ql1 = Ql1Golden, qn1 = Qn1Golden, cut = Ql1Golden.left(Ql1Golden.size() - 2);
    const QStringList one{QStringLiteral("0001/22DAB")};
    QTest::newRow("two QL1 relays: the second from line 31")
        << 4 << none << QStringList{QStringLiteral("0001/22DAB"), QStringLiteral("0002/22DAB")} << true
        << ql1 + QByteArray(ql1).replace("0001/", "0002/");
    QTest::newRow("empty file") << 4 << QByteArray() << one << true << ql1;
    QTest::newRow("after two QN1 records") << 2 << qn1 + qn1 << one << true << qn1 + qn1 + qn1;
    QTest::newRow("QL1 onto a QN1 file") << 4 << qn1 << one << false << qn1;
    QTest::newRow("QN1 onto two QL1 records") << 2 << ql1 + ql1 << one << false << ql1 + ql1;
    QTest::newRow("a line missing") << 4 << cut << one << false << cut;
    QTest::newRow("last line cut off") << 4 << ql1 + "0003/2" << one << false << ql1 + "0003/2";
    QTest::newRow("style code 0 creates nothing") << 0 << none << one << true << none;
    QTest::newRow("style code 8 leaves a damaged file alone") << 8 << QByteArray("x") << one << true << QByteArray("x");
}

void TestReportFile::shouldAppendOnlyOntoWholeRecordsOfItsLength()
{
    QFETCH(int, styleCode);
    QFETCH(QByteArray, before);
    QFETCH(QStringList, relays);
    QFETCH(bool, ok);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Batch 7"));  // typed without extension
    if (before != "<missing>")
        writeFile(path, before);
    for (const QString &relay : relays) {
        fillBench(styleCode, relay);
        bench().SaveFolder = dir.path() + QLatin1Char('/');
        const reports::AppendResult result = reports::appendReportRecord(QStringLiteral("Batch 7"));
        QCOMPARE(result.ok, ok);
        QVERIFY2(ok ? result.error.isEmpty() : result.error.contains(path), qPrintable(result.error));
    }
    QCOMPARE(readFile(path), after);
}

void TestReportFile::shouldNameThePathWhenTheFileCannotBeWritten_data()
{
    QTest::addColumn<QString>("saveFolder");  // inside a fresh temporary folder
    QTest::addColumn<QString>("fileName");
    QTest::newRow("folder does not exist") << QStringLiteral("gone/") << QStringLiteral("Test Report 1.csv");
    QTest::newRow("folder is a file") << QStringLiteral("plain/") << QStringLiteral("Test Report 1.csv");
    QTest::newRow("no file name: the folder itself") << QString() << QString();
}

void TestReportFile::shouldNameThePathWhenTheFileCannotBeWritten()
{
    QFETCH(QString, saveFolder);
    QFETCH(QString, fileName);
    QTemporaryDir dir;
    writeFile(dir.filePath(QStringLiteral("plain")), "not a folder");
    fillBench(4, QStringLiteral("0001/22DAB"));
    bench().SaveFolder = dir.path() + QLatin1Char('/') + saveFolder;

    const reports::AppendResult result = reports::appendReportRecord(fileName);
    QVERIFY(!result.ok);
    QVERIFY2(result.error.contains(bench().SaveFolder + fileName), qPrintable(result.error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{"plain"});
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain"))), QByteArray("not a folder"));
}

void TestReportFile::shouldKeepTheOldBytesWhenTheRecordDoesNotFitOnTheDisk()
{
#ifndef Q_OS_LINUX
    QSKIP("a private tmpfs needs Linux mount namespaces");
#else
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        QSKIP("unshare is not installed: cannot mount a tiny private tmpfs to fill");
    QTemporaryDir mountPoint;
    QProcess helper;
    helper.start(unshare, {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                           QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("mount -t tmpfs -o size=16k none \"$1\" && exec \"$2\" \"$1\""),
                           QStringLiteral("sh"), mountPoint.path(), QStringLiteral(QUILLMARK_FULLDISK_APPENDER)});
    QVERIFY(helper.waitForFinished(20000));
    const QString out = QString::fromLocal8Bit(helper.readAllStandardOutput());
    QVERIFY2(helper.exitStatus() == QProcess::NormalExit && helper.exitCode() == 0,
             qPrintable(out + QString::fromLocal8Bit(helper.readAllStandardError())));

    for (const char *expected : {"firstOk=1", "fullAppendFailed=1", "fullAppendNamesFile=1", "oldFileIntact=1",
                                 "newFileFailed=1", "roomAgainOk=1", "roomAgainIntact=1", "entries=Test Report 1.csv"})
        QVERIFY2(out.contains(QLatin1String(expected) + QLatin1Char('\n')), qPrintable(expected + (" in:\n" + out)));
#endif
}

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_reportfile.moc"
