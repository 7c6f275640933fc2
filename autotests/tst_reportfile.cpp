// The report file: the spreadsheet template finds each value of a relay by its
// line number, so a record must be written whole, byte for byte, and never onto
// a file whose records have another length.

#include "console/benchrecord.h"
#include "reports/finalreport.h"
#include "reports/reportfile.h"
#include "testfiles.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

// A relay measured and reported, with values in the slots no record reads too.
static void fillBench(int styleCode, const QString &relayId)
{
    BenchRecord &record = bench();
    record.StyleCode = Integer(styleCode);
    record.RelayID = relayId;
    record.CoilResistance1 = 1030.0f;
    record.PickUpVoltage = 16.25f;
    record.DropAwayVoltage = 4.1f;
    std::iota(record.ContactRes.begin(), record.ContactRes.end(), 0.0f);
    std::iota(record.ContactDelay.begin(), record.ContactDelay.end(), 0.5f);
    record.NOSequence = record.NCSequence = QStringLiteral("ABCDE");
    for (int item = 0; item < ReportItemSlots; ++item)
        record.ReportItems[item] = QStringLiteral("i%1").arg(item);
    record.ReportItems[1] = relayId;
    record.ReportItems[17] = QStringLiteral("Zo\u00eb \u2206\r\nx");
}

// Items 2 to 15.
const QByteArray Items = "i2\r\ni3\r\ni4\r\ni5\r\ni6\r\ni7\r\ni8\r\ni9\r\ni10\r\ni11\r\ni12\r\ni13\r\ni14\r\ni15\r\n";

const QByteArray Qn1Golden =
    "0001/22DAB\r\n 1030 \r\n 16.25 \r\n 4.1 \r\n 0 \r\n 1 \r\n 2 \r\n 3 \r\n 4 \r\n 5 \r\n 6 \r\n 7 \r\n 8 \r\n"
    " 9 \r\n 10 \r\n 11 \r\n 12 \r\n 13 \r\n 14 \r\n 15 \r\n 16 \r\n 1.5 \r\n 2.5 \r\n 3.5 \r\n 4.5 \r\n 5.5 \r\n"
    " 6.5 \r\n 7.5 \r\n 8.5 \r\n 9.5 \r\n 10.5 \r\n 11.5 \r\n 12.5 \r\n 13.5 \r\n 14.5 \r\n 15.5 \r\n 16.5 \r\n"
    "ABCDE\r\nABCDE\r\n0001/22DAB\r\n"
    + Items;

// Latin-1, with what it cannot hold as '?' and a line break inside a text blanked.
const QByteArray Ql1Golden = "0001/22DAB\r\n" + Items + "i16\r\nZo\xeb ?  x\r\ni18\r\ni19\r\ni20\r\ni21\r\ni22\r\n"
                             + "i23\r\ni24\r\ni25\r\ni26\r\ni27\r\ni28\r\ni29\r\ni30\r\n";

class TestReportFile : public QObject
{
    Q_OBJECT

private slots:
    // Two relays, 0001 and 0002, are added one after the other.
    void shouldAppendOnlyWholeRecordsOfItsLength_data()
    {
        QTest::addColumn<int>("styleCode");
        QTest::addColumn<QString>("folder");     // in a fresh temporary folder
        QTest::addColumn<QByteArray>("before");  // "<none>": no file
        QTest::addColumn<QByteArray>("after");   // "" when both are refused
        const QByteArray none("<none>"), ql1 = Ql1Golden, qn1 = Qn1Golden, cut = ql1 + "0003/2";
        const auto two = [](const QByteArray &record) { return record + QByteArray(record).replace("0001/", "0002/"); };
        QTest::newRow("QN1: 54 lines") << 2 << "" << none << two(qn1);
        QTest::newRow("QNA1: the same 54 lines") << 1 << "" << none << two(qn1);
        QTest::newRow("QL1: 30 lines, the second relay from line 31") << 4 << "" << none << two(ql1);
        QTest::newRow("QSPA1: the same 30 lines") << 7 << "" << none << two(ql1);
        QTest::newRow("QL1 onto a QN1 file") << 4 << "" << qn1 << QByteArray();
        QTest::newRow("QN1 onto two QL1 records") << 2 << "" << ql1 + ql1 << QByteArray();
        QTest::newRow("last line cut off") << 4 << "" << cut << QByteArray();
        QTest::newRow("style code 0 creates nothing") << 0 << "" << none << none;
        QTest::newRow("folder missing") << 4 << "gone/" << none << QByteArray();
    }

    void shouldAppendOnlyWholeRecordsOfItsLength()
    {
        QFETCH(int, styleCode);
        QFETCH(QString, folder);
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        const QString path = dir.filePath(folder + QStringLiteral("Batch 7"));  // typed without extension
        if (before != "<none>")
            writeFile(path, before);
        for (const char *relay : {"0001/22DAB", "0002/22DAB"}) {
            fillBench(styleCode, QString::fromLatin1(relay));
            bench().SaveFolder = dir.path() + QLatin1Char('/') + folder;
            const reports::AppendResult result = reports::appendReportRecord(QStringLiteral("Batch 7"));
            QCOMPARE(result.ok, !after.isEmpty());
            QVERIFY2(result.ok ? result.error.isEmpty() : result.error.contains(path), qPrintable(result.error));
        }
        QCOMPARE(QFile::exists(path) ? readFile(path) : QByteArray("<none>"), after.isEmpty() ? before : after);
    }

    // The program was killed, or the power failed, while a record was being added:
    // the note beside the report file tells what the file held before and what was
    // being added. The next append, or the final report's copy, sees to it that
    // the file holds whole records again. A note that does not fit the file as a
    // crash leaves it is stale: the file is kept as it is and the operator told once.
    void shouldTakeOutARecordThatACrashCutOff_data()
    {
        QTest::addColumn<QByteArray>("before");  // the report file after the crash; "<none>": no file
        QTest::addColumn<QByteArray>("note");    // "<none>": no note
        QTest::addColumn<QByteArray>("kept");    // what the file holds before the next record; "<none>": no
                                                 // file; "<refused>": nothing is done
        QTest::addColumn<bool>("told");          // the operator hears of a stale note
        const QByteArray none("<none>"), first = Ql1Golden, second = QByteArray(Ql1Golden).replace("0001/", "0002/");
        const QByteArray noted = QByteArray::number(first.size()) + '\n' + second;
        QTest::newRow("cut off half way") << first + second.left(100) << noted << first << false;
        QTest::newRow("cut off after one line") << first + second.left(12) << noted << first << false;
        QTest::newRow("nothing had reached the file") << first << noted << first << false;
        QTest::newRow("every byte had reached the file") << first + second << noted << first + second << false;
        QTest::newRow("another whole record after the old end") << first + first << noted << first + first << true;
        QTest::newRow("another whole record, shorter than the noted bytes")
            << first + first << QByteArray::number(first.size()) + '\n' + second + second << first + first << true;
        QTest::newRow("more than the noted record after the old end")
            << first + second + second << noted << first + second + second << true;
        QTest::newRow("shorter than the noted old end") << first << QByteArray::number(first.size() + 1) + '\n' + second
                                                        << first << true;
        QTest::newRow("gone since") << none << noted << none << true;
        QTest::newRow("the first record of a new file") << second.left(40) << "0\n" + second << QByteArray() << false;
        QTest::newRow("the new file was not made yet") << none << "0\n" + second << none << false;
        QTest::newRow("no crash") << first << none << first << false;
        QTest::newRow("not a note of this program") << first << QByteArray("see the folder \"old\"")
                                                    << QByteArray("<refused>") << false;
    }

    void shouldTakeOutARecordThatACrashCutOff()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, note);
        QFETCH(QByteArray, kept);
        QFETCH(bool, told);
        for (const bool throughFinalReport : {false, true}) {
            QTemporaryDir dir;
            const QString name = QStringLiteral("Batch 7.csv");
            const QString path = dir.filePath(name);
            const QString notePath = path + QStringLiteral(".appending");
            if (before != "<none>")
                writeFile(path, before);
            if (note != "<none>")
                writeFile(notePath, note);
            fillBench(4, QStringLiteral("0003/22DAB"));
            bench().SaveFolder = dir.path() + QLatin1Char('/');
            bench().TemplateFolder = dir.path() + QLatin1Char('/');  // holds no template; that copy fails alone
            const QByteArray third = QByteArray(Ql1Golden).replace("0001/", "0003/");

            const bool refused = kept == "<refused>";
            const bool noFile = kept == "<none>";
            if (throughFinalReport) {
                const reports::FinalReportResult result = reports::prepareFinalReport(name);
                QCOMPARE(result.message.contains(QStringLiteral("RoutineTest.csv")), refused || noFile);
                if (!refused && !noFile)
                    QCOMPARE(readFile(dir.filePath(QStringLiteral("RoutineTest.csv"))), kept);
            } else {
                // The second relay goes on quietly: the stale note is gone.
                for (const bool again : {false, true}) {
                    const reports::AppendResult result = reports::appendReportRecord(name);
                    QVERIFY2(result.ok == !refused, qPrintable(result.error));
                    QVERIFY2(told && !again ? result.notice.contains(path) : result.notice.isEmpty(),
                             qPrintable(result.notice));
                }
                QCOMPARE(readFile(path), refused ? before : (noFile ? QByteArray() : kept) + third + third);
            }
            QCOMPARE(QFile::exists(notePath), refused);
        }
    }

    // In a private mount namespace, the helper fills a tiny tmpfs of its own.
    void shouldKeepTheOldBytesWhenTheRecordDoesNotFitOnTheDisk()
    {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty())
            QSKIP("unshare is not installed: cannot mount a tiny private tmpfs to fill");
        QTemporaryDir mountPoint;
        QProcess helper;
        helper.setProcessChannelMode(QProcess::MergedChannels);  // a refusal shows in the comparison
        helper.start(unshare, {"--user", "--map-root-user", "--mount", "sh", "-c",
                               "mount -t tmpfs -o size=16k none \"$1\" && exec \"$2\" \"$1\"", "sh", mountPoint.path(),
                               QUILLMARK_FULLDISK_APPENDER});
        QVERIFY(helper.waitForFinished(20000));
        QCOMPARE(helper.readAll(), "firstOk=1\nfullAppendFailed=1\nfullAppendNamesFile=1\noldFileIntact=1\n"
                                   "newFileFailed=1\nroomAgainOk=1\nroomAgainIntact=1\nentries=Test Report 1.csv\n");
    }
};

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_reportfile.moc"
