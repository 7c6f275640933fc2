#include "programs.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

// Settings files in folder naming the port; the rest at their defaults.
static void writeSettings(const QString &folder, int port)
{
    writeFile(folder + "/art.cfg", QByteArray::number(port) + "\r\n" + QByteArray("\"0001\"\r\n\"A\"\r\n\"B\"\r\n").repeated(25));
    writeFile(folder + "/artc.cfg", "\"/usr/bin/localc\"\r\n\"/tpl/\"\r\n\"/out/\"\r\n");
}

// The quillmark program as a process: on a PC with no display every use that needs
// no window answers in one line with its exit status, and the window system's own
// options still reach the window; two programs side by side keep apart.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    // The bench's window, offscreen, started in folder; stderr is kept to be read.
    void startBench(QProcess &program, const QString &folder, const QStringList &arguments,
                    const QProcessEnvironment &environment) const
    {
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(folder);
        program.start(QStringLiteral(QUILLMARK_PROGRAM), QStringList{"-platform", "offscreen"} + arguments);
    }

private slots:
    void answersWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const QStringList &arguments, int exitCode, const char *said,
                            const char *display = "") {
            QTest::newRow(name) << arguments << QString::fromLatin1(display) << exitCode << QString::fromUtf8(said);
        };
        row("unknown option", {"--bogus"}, 1, "quillmark: Unknown option --bogus (quillmark --help lists the options)");
        row("unknown option, one dash", {"-bogus"}, 1, "quillmark: Unknown option -bogus (");
        row("unknown option beside a window system's", {"-platform", "offscreen", "--simulate", "--bogus=3"}, 1,
            "quillmark: Unknown option --bogus=3 (");
        row("unknown option in a script", {"--export-history", "out.csv", "--bogus"}, 1,
            "quillmark: Unknown option --bogus (");
        row("stray argument", {"Batch 7.csv"}, 1, "quillmark: Unexpected argument Batch 7.csv (");
        row("stray argument after an option", {"--simulate", "now"}, 1, "quillmark: Unexpected argument now (");
        row("a date without an export", {"--since", "2026-01-01"}, 1,
            "quillmark: --since goes with --export-history\n");
        row("a style without an import", {"--style", "QN1"}, 1, "quillmark: --style goes with --import-report\n");
        row("version", {"--version"}, 0, "Quillmark ");
        row("version beside a window system's option", {"-platform", "xcb", "-v"}, 0, "Quillmark ");
        row("help, the program by its name", {"--help"}, 0, "Usage: quillmark [options]\n");
        row("an export without its file", {"--export-history"}, 1,
            "quillmark: --export-history needs a file name ending in .csv or .json\n");
        row("an export to an empty file name", {"--export-history", ""}, 1,
            "quillmark: --export-history needs a file name ending in .csv or .json\n");
        row("an import of an empty file name", {"--import-report", "", "--style", "QN1"}, 1,
            "quillmark: --import-report needs the report file to bring in\n");
        const char *none = "quillmark: no display: set DISPLAY, or use --export-history/--import-report\n";
        row("the window without a display", {}, 3, none);
        row("the window on a display nobody serves", {"--simulate"}, 3, none, ":4711");
    }
    void answersWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, display);
        QProcessEnvironment environment = noDisplay(m_home.path());
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        QProcess program;
        program.setProcessEnvironment(environment);
        program.setWorkingDirectory(m_home.path());
        program.start(QStringLiteral(QUILLMARK_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(10000));
        QFETCH(QString, said);
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput() + program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QTEST(program.exitCode(), "exitCode");
        QVERIFY2(out.startsWith(said), qPrintable(out));
        if (program.exitCode() != 0)
            QCOMPARE(out.count(QLatin1Char('\n')), 1);
    }

    // The menu's two entries as they start the window, with the window system's
    // options taken by the window: the real bench keeps the program's own defaults;
    // the simulated kit gets a bench folder of its own, ready for a relay to go to
    // MAKE FINAL REPORT with every file inside it. What was there stays, but for
    // settings that still hold the bench's defaults, as earlier versions wrote them.
    // <home> and <demo> stand for the home and the demo folder.
    void benchFolderAsTheMenuStartsIt_data()
    {
        QTest::addColumn<bool>("simulated");
        QTest::addColumn<QByteArray>("artcBefore");  // empty: none
        QTest::addColumn<QByteArray>("artcAfter");
        const QByteArray demos = "\"/usr/bin/localc\"\r\n\"<demo>/templates/\"\r\n\"<demo>/reports/\"\r\n";
        QTest::newRow("real bench") << false << QByteArray()
                                    << QByteArray("\"/usr/bin/localc\"\r\n\"<home>/Quillmark\"\r\n\"<home>/\"\r\n");
        QTest::newRow("simulated kit, first start") << true << QByteArray() << demos;
        QTest::newRow("simulated kit, an earlier version's settings")
            << true << QByteArray("\"/usr/bin/localc\"\r\n\"<demo>\"\r\n\"<home>/\"\r\n") << demos;
        const QByteArray own = "\"/opt/calc\"\r\n\"/srv/templates/\"\r\n\"/srv/reports/\"\r\n";
        QTest::newRow("simulated kit, the operator's own settings") << true << own << own;
    }
    void benchFolderAsTheMenuStartsIt()
    {
        QFETCH(bool, simulated);
        QFETCH(QByteArray, artcBefore);
        QFETCH(QByteArray, artcAfter);
        const QTemporaryDir home;
        const QString demo = home.filePath(QStringLiteral("Quillmark/Simulated kit"));
        const QString folder = simulated ? demo : home.filePath(QStringLiteral("Quillmark"));
        const auto expand = [&](QByteArray text) {
            return text.replace("<demo>", QFile::encodeName(demo)).replace("<home>", QFile::encodeName(home.path()));
        };
        const QByteArray realTemplate = "a real QN1 template";
        if (!artcBefore.isEmpty()) {
            QVERIFY(QDir().mkpath(demo + QStringLiteral("/templates")));
            writeFile(demo + QStringLiteral("/artc.cfg"), expand(artcBefore));
            writeFile(demo + QStringLiteral("/templates/Routine_Test_Format_QN1.xlsm"), realTemplate);
        }

        QProcess program;
        program.setProcessEnvironment(noDisplay(home.path()));
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.setWorkingDirectory(home.path());
        QStringList arguments{"-platform", "offscreen", "-reverse", "--bench-folder"};
        if (simulated)
            arguments << QStringLiteral("--simulate");
        program.start(QStringLiteral(QUILLMARK_PROGRAM), arguments);
        QVERIFY(startedAndTakesStopSignals(program));
        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);

        QCOMPARE(readFile(folder + QStringLiteral("/artc.cfg")), expand(artcAfter));
        QCOMPARE(QFile::exists(home.filePath(QStringLiteral("Quillmark/artc.cfg"))), !simulated);
        QStringList templates;
        for (const char *style : {"QNA1", "QN1", "QNA1K", "QL1", "QECX61", "QTA2", "QSPA1"})
            templates << QStringLiteral("Routine_Test_Format_%1.xlsm").arg(QLatin1String(style));
        templates.sort();
        QCOMPARE(QDir(folder + QStringLiteral("/templates")).entryList(QDir::Files), simulated ? templates : QStringList());
        QCOMPARE(QDir(folder + QStringLiteral("/reports")).exists(), simulated);
        if (!artcBefore.isEmpty())
            QCOMPARE(readFile(demo + QStringLiteral("/templates/Routine_Test_Format_QN1.xlsm")), realTemplate);
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList());  // nothing loose in the home folder
    }

    // One bench a start-up folder: a second one started there is told which process
    // holds it and ends with its own code, the first runs on. A holder that was killed
    // holds nothing; the history's scripts run beside a bench.
    void secondBenchInAHeldFolder_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("secondArguments");
        QTest::addColumn<bool>("holderKilled");
        QTest::addColumn<int>("exitCode");
        const QStringList simulated{"--simulate"}, benchFolder{"--bench-folder", "--simulate"};
        QTest::newRow("the same start-up folder") << simulated << simulated << false << 4;
        QTest::newRow("the simulated kit's bench folder") << benchFolder << benchFolder << false << 4;
        QTest::newRow("a folder whose holder was killed") << simulated << simulated << true << 0;
        QTest::newRow("an export beside a bench")
            << simulated << QStringList{"--export-history", "relays.csv", "--simulate"} << false << 0;
    }
    void secondBenchInAHeldFolder()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, secondArguments);
        QFETCH(bool, holderKilled);
        QTemporaryDir folder;
        const QString held = arguments.contains("--bench-folder") ? m_home.filePath("Quillmark/Simulated kit")
                                                                  : folder.path();
        QProcess first;
        first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        startBench(first, folder.path(), arguments, noDisplay(m_home.path()));
        QVERIFY(startedAndTakesStopSignals(first));
        const qint64 holder = first.processId();
        if (holderKilled) {
            first.kill();
            QVERIFY(first.waitForFinished(10000));
        }

        QProcess second;
        if (secondArguments.contains("--export-history")) {
            second.setWorkingDirectory(folder.path());
            second.setProcessEnvironment(noDisplay(m_home.path()));
            second.start(QStringLiteral(QUILLMARK_PROGRAM), secondArguments.mid(0, 2));
        } else {
            startBench(second, folder.path(), secondArguments, noDisplay(m_home.path()));
            QVERIFY(startedAndTakesStopSignals(second));
            QCOMPARE(::kill(pid_t(second.processId()), SIGTERM), 0);
        }
        QVERIFY(second.waitForFinished(10000));
        const QString said = QString::fromLocal8Bit(second.readAllStandardError());
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QTEST(second.exitCode(), "exitCode");
        const QString refusal = QStringLiteral("quillmark: %1 is in use by another Quillmark (quillmark, process %2): "
                                               "close it first, or start this one in another folder\n")
                                    .arg(held)
                                    .arg(holder);
        QCOMPARE(said.contains(refusal), second.exitCode() == 4);
        if (holderKilled)
            return;
        QCOMPARE(first.state(), QProcess::Running);
        QCOMPARE(::kill(pid_t(holder), SIGTERM), 0);
        QVERIFY(first.waitForFinished(10000));
        QCOMPARE(first.exitCode(), 0);
    }

    // A logout ends two benches at once whose start-up folders cannot be written:
    // each keeps its own settings in a folder of its own, neither the other's.
    void benchesEndedAtOnceKeepTheirUnsavedSettingsApart()
    {
        QTemporaryDir data;
        QProcessEnvironment environment = noDisplay(m_home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
        QTemporaryDir folders[2];
        QProcess benches[2];
        for (int i = 0; i < 2; ++i) {
            writeSettings(folders[i].path(), 3 + i);
            benches[i].setProcessChannelMode(QProcess::ForwardedErrorChannel);
            startBench(benches[i], folders[i].path(), {"--simulate"}, environment);
        }
        for (QProcess &bench : benches)
            QVERIFY(startedAndTakesStopSignals(bench));
        // Running as root, only a folder that is gone stops a write.
        for (QTemporaryDir &folder : folders)
            QVERIFY(QDir(folder.path()).removeRecursively());
        for (QProcess &bench : benches)
            QCOMPARE(::kill(pid_t(bench.processId()), SIGTERM), 0);
        for (QProcess &bench : benches) {
            QVERIFY(bench.waitForFinished(10000));
            QCOMPARE(bench.exitCode(), 0);
        }
        const QDir kept(data.filePath("Quillmark/unsaved settings"));
        QStringList ports;
        for (const QString &run : kept.entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            ports << QString::fromLatin1(readFile(kept.filePath(run + "/art.cfg")).split('\r').first());
        ports.sort();
        QCOMPARE(ports, QStringList({"3", "4"}));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
