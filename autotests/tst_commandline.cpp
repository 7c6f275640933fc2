#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

// The quillmark program's command line on a PC with no display: every use that needs
// no window answers in one line with its exit status, and the window system's own
// options still reach the window.
class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_home;

    static QProcessEnvironment noDisplay(const QString &home)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("HOME"), home);
        return environment;
    }

private slots:
    void answersWithoutAWindow_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("said");
        const auto row = [](const char *name, const QStringList &arguments, int exitCode, const char *said) {
            QTest::newRow(name) << arguments << exitCode << QString::fromUtf8(said);
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
    }
    void answersWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QProcess program;
        program.setProcessEnvironment(noDisplay(m_home.path()));
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
            writeTo(demo + QStringLiteral("/artc.cfg"), expand(artcBefore));
            writeTo(demo + QStringLiteral("/templates/Routine_Test_Format_QN1.xlsm"), realTemplate);
        }

        QProcess program;
        QProcessEnvironment environment = noDisplay(home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.setWorkingDirectory(home.path());
        QStringList arguments{"-platform", "offscreen", "-reverse", "--bench-folder"};
        if (simulated)
            arguments << QStringLiteral("--simulate");
        program.start(QStringLiteral(QUILLMARK_PROGRAM), arguments);
        const auto startedUp = [&program] {  // it takes SIGTERM over once start-up is through
            QFile status(QStringLiteral("/proc/%1/status").arg(program.processId()));
            const QByteArray text = status.open(QIODevice::ReadOnly) ? status.readAll() : QByteArray();
            const qulonglong caught =
                QRegularExpression("SigCgt:\\s*(\\w+)").match(text).captured(1).toULongLong(nullptr, 16);
            return ((caught >> (SIGTERM - 1)) & 1) != 0;
        };
        QVERIFY(program.waitForStarted() && QTest::qWaitFor(startedUp, 20000));
        QCOMPARE(::kill(pid_t(program.processId()), SIGTERM), 0);
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);

        QFile artc(folder + QStringLiteral("/artc.cfg"));
        QVERIFY(artc.open(QIODevice::ReadOnly));
        QCOMPARE(artc.readAll(), expand(artcAfter));
        QCOMPARE(QFile::exists(home.filePath(QStringLiteral("Quillmark/artc.cfg"))), !simulated);
        QStringList templates;
        for (const char *style : {"QNA1", "QN1", "QNA1K", "QL1", "QECX61", "QTA2", "QSPA1"})
            templates << QStringLiteral("Routine_Test_Format_%1.xlsm").arg(QLatin1String(style));
        templates.sort();
        QCOMPARE(QDir(folder + QStringLiteral("/templates")).entryList(QDir::Files), simulated ? templates : QStringList());
        QCOMPARE(QDir(folder + QStringLiteral("/reports")).exists(), simulated);
        QFile kept(demo + QStringLiteral("/templates/Routine_Test_Format_QN1.xlsm"));
        if (!artcBefore.isEmpty())
            QVERIFY(kept.open(QIODevice::ReadOnly) && kept.readAll() == realTemplate);
        QCOMPARE(QDir(home.path()).entryList(QDir::Files), QStringList());  // nothing loose in the home folder
    }

private:
    static void writeTo(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
