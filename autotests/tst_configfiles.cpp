// The two settings files the bench keeps beside itself: art.cfg (port and relay
// serial numbers) and artc.cfg (spreadsheet program and folders). Older bench
// installations write and read these files too, so the bytes must stay exactly
// as they always were.

#include "console/configfiles.h"
#include "platform/paths.h"
#include "testfiles.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

// An art.cfg whose every value names its own line: "r3f2" is row 3, field 2.
QByteArray artNamingEachLine(const QByteArray &portLine, const QByteArray &lineEnd = "\r\n")
{
    QByteArray bytes = portLine + lineEnd;
    for (int r = 1; r <= config::RelayRows; ++r) {
        for (int f = 1; f <= 3; ++f)
            bytes += "\"r" + QByteArray::number(r) + 'f' + QByteArray::number(f) + '"' + lineEnd;
    }
    return bytes;
}

} // namespace

class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteTheDefaultsByteForByteAsTheBenchAlwaysHas()
    {
        QCOMPARE(config::formatArt(config::defaultPortAndNumbering()),
                 "1\r\n" + QByteArray("\"0001\"\r\n\"A\"\r\n\"B\"\r\n").repeated(25));
        // The start-up folder is the template folder, with no separator added.
        QCOMPARE(config::formatArtc(config::defaultFolders(QStringLiteral("/srv/bench one"))),
                 '"' + platform::defaultSpreadsheetPath().toLocal8Bit() + "\"\r\n\"/srv/bench one\"\r\n\""
                     + platform::defaultSaveFolder().toLocal8Bit() + "\"\r\n");
        // The save folder is a prefix for file names, so it must end with a separator.
        QVERIFY(platform::defaultSaveFolder().endsWith(platform::separator()));
#ifdef Q_OS_WIN
        QCOMPARE(config::formatArtc(config::defaultFolders(QStringLiteral("C:\\Bench"))),
                 QByteArray("\"C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE\"\r\n"
                            "\"C:\\Bench\"\r\n\"D:\\\"\r\n"));
#endif
    }

    // Each row: the file, and the port and three cells read from it; nothing when rejected.
    void shouldAcceptOrRejectArt_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("read");
        const QByteArray crlf = artNamingEachLine("12");
        const auto cells = [](const QString &port) { return QStringList{port, "r1f1", "r8f1", "r25f3"}; };
        QTest::newRow("CR LF") << crlf << cells("12");
        QTest::newRow("line feeds only") << artNamingEachLine("12", "\n") << cells("12");
        QTest::newRow("no line end after the last line") << crlf.chopped(2) << cells("12");
        QTest::newRow("extra lines ignored") << crlf + "\"r26f1\"\r\nrubbish\r\n\r\n" << cells("12");
        QTest::newRow("one line short") << crlf.left(crlf.lastIndexOf("\"r25f3\"")) << QStringList();
        QTest::newRow("port 0 selects nothing but is valid") << artNamingEachLine("0") << cells("0");
        QTest::newRow("port 255, the last one offered") << artNamingEachLine("255") << cells("255");
        QTest::newRow("port with blanks before a comma") << artNamingEachLine(" 12 ,99") << cells("12");
        QTest::newRow("port 256 is beyond the selector") << artNamingEachLine("256") << QStringList();
        QTest::newRow("port -1") << artNamingEachLine("-1") << QStringList();
        QTest::newRow("port 65537 does not wrap to 1") << artNamingEachLine("65537") << QStringList();
        QTest::newRow("port not a number") << artNamingEachLine("COM1") << QStringList();
        QTest::newRow("quoted port") << artNamingEachLine("\"3\"") << cells("3");
        QTest::newRow("quoted port, blanks and a comma after") << artNamingEachLine(" \" 12 \",7") << cells("12");
        QTest::newRow("quoted port 256") << artNamingEachLine("\"256\"") << QStringList();
        QTest::newRow("quoted port with a comma inside") << artNamingEachLine("\"1,2\"") << QStringList();
    }

    void shouldAcceptOrRejectArt()
    {
        QFETCH(QByteArray, bytes);
        const std::optional<config::PortAndNumbering> parsed = config::parseArt(bytes);
        const QStringList read = parsed ? QStringList{QString::number(parsed->portNumber), parsed->relayNumbering[1][1],
                                                      parsed->relayNumbering[8][1], parsed->relayNumbering[25][3]}
                                        : QStringList();
        QTEST(read, "read");
    }

    void shouldAcceptOrRejectArtc_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("read");  // empty: rejected
        const QByteArray windows = "\"C:\\Office\\EXCEL.EXE\"\r\n\"C:\\Bench\\\"\r\n\"D:\\\"\r\n";
        const QStringList folders{"C:\\Office\\EXCEL.EXE", "C:\\Bench\\", "D:\\"};
        QTest::newRow("CR LF") << windows << folders;
        QTest::newRow("extra lines ignored, no final line end") << windows + "\"E:\\\"\r\nrubbish" << folders;
        // Each line is read as the bench always has: between the quotes, else up to a comma.
        QTest::newRow("quoted, text after the quote, bare")
            << QByteArray("\" a, b \"\r\n  \"A\",\"B\"\r\n\t12 , 34\r\n") << QStringList{" a, b ", "A", "12"};
        QTest::newRow("no closing quote, empty lines") << QByteArray("\"0042\r\n\r\n\"\"\r\n")
                                                       << QStringList{"0042", "", ""};
        QTest::newRow("two lines") << windows.left(windows.lastIndexOf("\"D:")) << QStringList();
    }

    void shouldAcceptOrRejectArtc()
    {
        QFETCH(QByteArray, bytes);
        const std::optional<config::Folders> parsed = config::parseArtc(bytes);
        QTEST((parsed ? QStringList{parsed->excelPath, parsed->templateFolder, parsed->saveFolder} : QStringList()),
              "read");
    }

    void shouldReadBackWhatWasSavedAndSaveTheSameBytesAgain()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QByteArray art = artNamingEachLine("37");
        art.replace("\"r2f3\"", "\"\"").replace("\"r3f2\"", "\"X, Y\"");  // an empty field, a comma
        const QByteArray artc = "\"C:\\Office\\calc.exe\"\r\n\"E:\\Vorlagen für Prüfberichte\\\"\r\n\"D:\\\"\r\n";
        QVERIFY(config::saveArt(dir.path(), config::parseArt(art).value()).ok);
        QVERIFY(config::saveArtc(dir.path(), config::parseArtc(artc).value()).ok);
        QCOMPARE(readFile(config::artPath(dir.path())), art);
        QCOMPARE(readFile(config::artcPath(dir.path())), artc);

        const std::optional<config::Loaded> loaded = config::load(dir.path()).loaded;
        QVERIFY(loaded);
        QCOMPARE(loaded->portAndNumbering.relayNumbering[3][2], QStringLiteral("X, Y"));
        QCOMPARE(loaded->folders.templateFolder, QStringLiteral("E:\\Vorlagen für Prüfberichte\\"));
        QCOMPARE(config::formatArt(loaded->portAndNumbering), art);
        QCOMPARE(config::formatArtc(loaded->folders), artc);
    }
};

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
