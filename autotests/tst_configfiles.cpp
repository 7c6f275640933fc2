// The two settings files the bench keeps beside itself: art.cfg (port and relay
// serial numbers) and artc.cfg (spreadsheet program and folders). Older bench
// installations write and read these files too, so the bytes must stay exactly
// as they always were.

#include "console/configfiles.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A fresh art.cfg as the bench has always written it, spelled out by hand.
QByteArray handWrittenDefaultArt()
{
    QByteArray bytes = "1\r\n";
    for (int row = 0; row < 25; ++row)
        bytes += "\"0001\"\r\n\"A\"\r\n\"B\"\r\n";
    return bytes;
}

// An art.cfg whose every value names its own line: "r3f2" is row 3, field 2.
QByteArray artNamingEachLine(const QByteArray &portLine, const QByteArray &lineEnd = "\r\n")
{
    QByteArray bytes = portLine + lineEnd;
    for (int r = 1; r <= 25; ++r) {
        for (int f = 1; f <= 3; ++f)
            bytes += "\"r" + QByteArray::number(r) + 'f' + QByteArray::number(f) + '"' + lineEnd;
    }
    return bytes;
}

QByteArray withoutLastLines(const QByteArray &bytes, int count)
{
    QList<QByteArray> lines = bytes.split('\n');
    lines.removeLast();  // the empty piece after the final line end
    lines.resize(lines.size() - count);
    return lines.join('\n') + '\n';
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open " + QFile::encodeName(path) + '>';
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

config::PortAndNumbering unusualNumbering()
{
    config::PortAndNumbering values;
    values.portNumber = 37;
    for (int r = 1; r <= config::RelayRows; ++r) {
        values.relayNumbering[r][1] = QStringLiteral("%1").arg(r * 37, 4, 10, QLatin1Char('0'));
        values.relayNumbering[r][2] = QString(QChar(u'A' + r));
        values.relayNumbering[r][3] = r % 2 ? QStringLiteral("X, Y") : QString();  // a comma, and an empty field
    }
    return values;
}

} // namespace

class TestConfigFiles : public QObject
{
    Q_OBJECT

private slots:
    void shouldWriteDefaultArtByteForByteAsTheBenchAlwaysHas();
    void shouldWriteDefaultArtcWithStartupFolderAsTemplateFolder();
    void shouldSaveFilesUnderTheirOwnNamesInTheStartupFolder();

    void shouldReadOneValueFromALine_data();
    void shouldReadOneValueFromALine();

    void shouldAcceptOrRejectArt_data();
    void shouldAcceptOrRejectArt();
    void shouldPlaceEachArtLineInItsRowAndField_data();
    void shouldPlaceEachArtLineInItsRowAndField();

    void shouldAcceptOrRejectArtc_data();
    void shouldAcceptOrRejectArtc();

    void shouldLoadOnlyWhenBothFilesAreUsable_data();
    void shouldLoadOnlyWhenBothFilesAreUsable();

    void shouldReadBackWhatWasSaved();
};

void TestConfigFiles::shouldWriteDefaultArtByteForByteAsTheBenchAlwaysHas()
{
    const QByteArray bytes = config::formatArt(config::defaultPortAndNumbering());
    QCOMPARE(bytes, handWrittenDefaultArt());
    QCOMPARE(bytes.count("\r\n"), 76);
    QCOMPARE(bytes.count('\n'), 76);  // no bare line feeds
    QVERIFY(bytes.endsWith("\"B\"\r\n"));
}

void TestConfigFiles::shouldWriteDefaultArtcWithStartupFolderAsTemplateFolder()
{
    const QString startup = QStringLiteral("/srv/bench one");  // no separator at the end, none added
    const QByteArray expected = '"' + platform::defaultSpreadsheetPath().toLocal8Bit() + "\"\r\n"
                                + "\"/srv/bench one\"\r\n"
                                + '"' + platform::defaultSaveFolder().toLocal8Bit() + "\"\r\n";
    QCOMPARE(config::formatArtc(config::defaultFolders(startup)), expected);

    // The save folder is used as a prefix for file names, so it must end with a separator.
    QVERIFY(platform::defaultSaveFolder().endsWith(platform::separator()));
#ifdef Q_OS_WIN
    QCOMPARE(config::formatArtc(config::defaultFolders(QStringLiteral("C:\\Bench"))),
             QByteArray("\"C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE\"\r\n"
                        "\"C:\\Bench\"\r\n\"D:\\\"\r\n"));
#endif
}

void TestConfigFiles::shouldSaveFilesUnderTheirOwnNamesInTheStartupFolder()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    QVERIFY(config::saveArt(dir.path(), config::defaultPortAndNumbering()).ok);
    QVERIFY(config::saveArtc(dir.path(), config::defaultFolders(dir.path())).ok);

    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({QStringLiteral("art.cfg"), QStringLiteral("artc.cfg")}));
    QCOMPARE(readFile(dir.filePath(QStringLiteral("art.cfg"))), handWrittenDefaultArt());
    QCOMPARE(readFile(dir.filePath(QStringLiteral("artc.cfg"))),
             config::formatArtc(config::defaultFolders(dir.path())));
}

void TestConfigFiles::shouldReadOneValueFromALine_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("value");

    QTest::newRow("quoted") << QByteArray("\"0001\"") << QStringLiteral("0001");
    QTest::newRow("quoted empty") << QByteArray("\"\"") << QString();
    QTest::newRow("quoted keeps inner blanks") << QByteArray("\" A \"") << QStringLiteral(" A ");
    QTest::newRow("quoted keeps commas") << QByteArray("\"D:\\Reports, 2022\\\"")
                                         << QStringLiteral("D:\\Reports, 2022\\");
    QTest::newRow("quoted after blanks") << QByteArray("   \"B\"") << QStringLiteral("B");
    QTest::newRow("text after closing quote dropped") << QByteArray("\"A\",\"B\"") << QStringLiteral("A");
    QTest::newRow("quoted without closing quote") << QByteArray("\"0042") << QStringLiteral("0042");
    QTest::newRow("bare") << QByteArray("12") << QStringLiteral("12");
    QTest::newRow("bare up to first comma") << QByteArray("12,34,56") << QStringLiteral("12");
    QTest::newRow("bare trimmed") << QByteArray("  12  ") << QStringLiteral("12");
    QTest::newRow("bare trimmed before comma") << QByteArray(" 12 , 34") << QStringLiteral("12");
    QTest::newRow("bare with tab") << QByteArray("\t7\t") << QStringLiteral("7");
    QTest::newRow("bare word") << QByteArray("COM3") << QStringLiteral("COM3");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("comma only") << QByteArray(",") << QString();
}

void TestConfigFiles::shouldReadOneValueFromALine()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, value);
    QCOMPARE(config::readValue(line), value);
}

void TestConfigFiles::shouldAcceptOrRejectArt_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<int>("port");

    const QByteArray crlf = artNamingEachLine("1");
    QTest::newRow("CR LF") << crlf << true << 1;
    QTest::newRow("line feeds only") << artNamingEachLine("1", "\n") << true << 1;
    QTest::newRow("no line end after the last line") << crlf.chopped(2) << true << 1;
    QTest::newRow("extra lines ignored") << crlf + "\"r26f1\"\r\nrubbish\r\n,,,\r\n" << true << 1;
    QTest::newRow("blank lines after the end ignored") << crlf + "\r\n\r\n\r\n" << true << 1;
    QTest::newRow("one line short") << withoutLastLines(crlf, 1) << false << 0;
    QTest::newRow("port line only") << QByteArray("1\r\n") << false << 0;
    QTest::newRow("empty file") << QByteArray() << false << 0;

    QTest::newRow("port 0 selects nothing but is valid") << artNamingEachLine("0") << true << 0;
    QTest::newRow("port 12") << artNamingEachLine("12") << true << 12;
    QTest::newRow("port 255, the last one offered") << artNamingEachLine("255") << true << 255;
    QTest::newRow("port 256 is beyond the selector") << artNamingEachLine("256") << false << 0;
    QTest::newRow("port -1") << artNamingEachLine("-1") << false << 0;
    QTest::newRow("port 65537 does not wrap to 1") << artNamingEachLine("65537") << false << 0;
    QTest::newRow("port with blanks") << artNamingEachLine("  12  ") << true << 12;
    QTest::newRow("port before a comma") << artNamingEachLine("12,99") << true << 12;
    QTest::newRow("port not a number") << artNamingEachLine("COM1") << false << 0;
    QTest::newRow("port with trailing letters") << artNamingEachLine("12a") << false << 0;
    QTest::newRow("port empty") << artNamingEachLine("") << false << 0;
    QTest::newRow("port is a quoted string") << artNamingEachLine("\"Combo1\"") << false << 0;
}

void TestConfigFiles::shouldAcceptOrRejectArt()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, usable);
    QFETCH(int, port);

    const std::optional<config::PortAndNumbering> parsed = config::parseArt(bytes);
    QCOMPARE(parsed.has_value(), usable);
    if (!usable)
        return;
    QCOMPARE(int(parsed->portNumber), port);
    QCOMPARE(parsed->relayNumbering[1][1], QStringLiteral("r1f1"));
    QCOMPARE(parsed->relayNumbering[25][3], QStringLiteral("r25f3"));
}

void TestConfigFiles::shouldPlaceEachArtLineInItsRowAndField_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("lineNumber");  // 1-based, as an operator counts lines in the file

    QTest::newRow("line 2") << 1 << 1 << 2;
    QTest::newRow("line 3") << 1 << 2 << 3;
    QTest::newRow("line 4") << 1 << 3 << 4;
    QTest::newRow("line 5") << 2 << 1 << 5;
    QTest::newRow("line 22") << 7 << 3 << 22;
    QTest::newRow("line 23") << 8 << 1 << 23;
    QTest::newRow("line 76") << 25 << 3 << 76;
}

void TestConfigFiles::shouldPlaceEachArtLineInItsRowAndField()
{
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(int, lineNumber);

    QByteArray bytes = "1\r\n";
    for (int line = 2; line <= 76; ++line)
        bytes += "\"line" + QByteArray::number(line) + "\"\r\n";

    const std::optional<config::PortAndNumbering> parsed = config::parseArt(bytes);
    QVERIFY(parsed);
    QCOMPARE(parsed->relayNumbering[row][field], QStringLiteral("line%1").arg(lineNumber));

    // The written file puts the value back on the same line.
    const QList<QByteArray> written = config::formatArt(*parsed).split('\n');
    QCOMPARE(written.at(lineNumber - 1), "\"line" + QByteArray::number(lineNumber) + "\"\r");

    // Row 0 and field 0 are never read.
    for (int f = 0; f < RelayNumberingFields; ++f)
        QVERIFY(parsed->relayNumbering[0][f].isEmpty());
    for (int r = 0; r < RelayNumberingRows; ++r)
        QVERIFY(parsed->relayNumbering[r][0].isEmpty());
}

void TestConfigFiles::shouldAcceptOrRejectArtc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("usable");
    QTest::addColumn<QString>("excelPath");
    QTest::addColumn<QString>("templateFolder");
    QTest::addColumn<QString>("saveFolder");

    const QString excel = QStringLiteral("C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE");
    const QByteArray windows = "\"C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE\"\r\n"
                               "\"C:\\Bench\\Templates\\\"\r\n"
                               "\"D:\\\"\r\n";
    QTest::newRow("CR LF") << windows << true << excel << QStringLiteral("C:\\Bench\\Templates\\")
                           << QStringLiteral("D:\\");
    QTest::newRow("line feeds only") << QByteArray("\"/usr/bin/localc\"\n\"/srv/templates/\"\n\"/srv/reports/\"\n")
                                     << true << QStringLiteral("/usr/bin/localc")
                                     << QStringLiteral("/srv/templates/") << QStringLiteral("/srv/reports/");
    QTest::newRow("extra lines ignored") << windows + "\"E:\\\"\r\nrubbish\r\n" << true << excel
                                         << QStringLiteral("C:\\Bench\\Templates\\") << QStringLiteral("D:\\");
    QTest::newRow("no line end after the last line") << windows.chopped(2) << true << excel
                                                     << QStringLiteral("C:\\Bench\\Templates\\")
                                                     << QStringLiteral("D:\\");
    QTest::newRow("folder with a comma") << QByteArray("\"x\"\r\n\"t\"\r\n\"D:\\Reports, 2022\\\"\r\n") << true
                                         << QStringLiteral("x") << QStringLiteral("t")
                                         << QStringLiteral("D:\\Reports, 2022\\");
    QTest::newRow("empty values") << QByteArray("\"\"\r\n\"\"\r\n\"\"\r\n") << true << QString() << QString()
                                  << QString();
    QTest::newRow("two lines") << withoutLastLines(windows, 1) << false << QString() << QString() << QString();
    QTest::newRow("empty file") << QByteArray() << false << QString() << QString() << QString();
}

void TestConfigFiles::shouldAcceptOrRejectArtc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, usable);

    const std::optional<config::Folders> parsed = config::parseArtc(bytes);
    QCOMPARE(parsed.has_value(), usable);
    if (!usable)
        return;
    QTEST(parsed->excelPath, "excelPath");
    QTEST(parsed->templateFolder, "templateFolder");
    QTEST(parsed->saveFolder, "saveFolder");
}

void TestConfigFiles::shouldLoadOnlyWhenBothFilesAreUsable_data()
{
    QTest::addColumn<bool>("writeArt");
    QTest::addColumn<QByteArray>("art");
    QTest::addColumn<bool>("writeArtc");
    QTest::addColumn<QByteArray>("artc");
    QTest::addColumn<bool>("usable");

    const QByteArray art = artNamingEachLine("9");
    const QByteArray artc = "\"x\"\r\n\"t\"\r\n\"s\"\r\n";
    QTest::newRow("both usable") << true << art << true << artc << true;
    QTest::newRow("no artc.cfg") << true << art << false << QByteArray() << false;
    QTest::newRow("no art.cfg") << false << QByteArray() << true << artc << false;
    QTest::newRow("neither") << false << QByteArray() << false << QByteArray() << false;
    QTest::newRow("art.cfg with a bad port") << true << artNamingEachLine("256") << true << artc << false;
    QTest::newRow("art.cfg cut short") << true << withoutLastLines(art, 10) << true << artc << false;
    QTest::newRow("artc.cfg cut short") << true << art << true << QByteArray("\"x\"\r\n") << false;
    QTest::newRow("both empty") << true << QByteArray() << true << QByteArray() << false;
}

void TestConfigFiles::shouldLoadOnlyWhenBothFilesAreUsable()
{
    QFETCH(bool, writeArt);
    QFETCH(QByteArray, art);
    QFETCH(bool, writeArtc);
    QFETCH(QByteArray, artc);
    QFETCH(bool, usable);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    if (writeArt)
        writeFile(dir.filePath(QStringLiteral("art.cfg")), art);
    if (writeArtc)
        writeFile(dir.filePath(QStringLiteral("artc.cfg")), artc);

    const std::optional<config::Loaded> loaded = config::load(dir.path());
    QCOMPARE(loaded.has_value(), usable);
    if (usable) {
        QCOMPARE(int(loaded->portAndNumbering.portNumber), 9);
        QCOMPARE(loaded->portAndNumbering.relayNumbering[7][2], QStringLiteral("r7f2"));
        QCOMPARE(loaded->folders.saveFolder, QStringLiteral("s"));
    }
    // Reading never touches the files.
    if (writeArt)
        QCOMPARE(readFile(dir.filePath(QStringLiteral("art.cfg"))), art);
    if (writeArtc)
        QCOMPARE(readFile(dir.filePath(QStringLiteral("artc.cfg"))), artc);
}

void TestConfigFiles::shouldReadBackWhatWasSaved()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());

    const config::PortAndNumbering numbering = unusualNumbering();
    const config::Folders folders{QStringLiteral("C:\\Program Files (x86)\\LibreOffice\\program\\scalc.exe"),
                                  QStringLiteral("E:\\Vorlagen für Prüfberichte\\"),
                                  QStringLiteral("D:\\Reports, 2022\\")};
    QVERIFY(config::saveArt(dir.path(), numbering).ok);
    QVERIFY(config::saveArtc(dir.path(), folders).ok);

    const std::optional<config::Loaded> loaded = config::load(dir.path());
    QVERIFY(loaded);
    QCOMPARE(loaded->portAndNumbering.portNumber, numbering.portNumber);
    QCOMPARE(loaded->portAndNumbering.relayNumbering, numbering.relayNumbering);
    QCOMPARE(loaded->folders.excelPath, folders.excelPath);
    QCOMPARE(loaded->folders.templateFolder, folders.templateFolder);
    QCOMPARE(loaded->folders.saveFolder, folders.saveFolder);

    // Saving what was read gives the same bytes again.
    const QByteArray artBefore = readFile(config::artPath(dir.path()));
    const QByteArray artcBefore = readFile(config::artcPath(dir.path()));
    QVERIFY(config::saveArt(dir.path(), loaded->portAndNumbering).ok);
    QVERIFY(config::saveArtc(dir.path(), loaded->folders).ok);
    QCOMPARE(readFile(config::artPath(dir.path())), artBefore);
    QCOMPARE(readFile(config::artcPath(dir.path())), artcBefore);
}

QTEST_GUILESS_MAIN(TestConfigFiles)
#include "tst_configfiles.moc"
