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

    QProcessEnvironment noDisplay() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_CONFIG_HOME"})
            environment.remove(QLatin1String(name));
        environment.insert(QStringLiteral("HOME"), m_home.path());
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
        row("help", {"--help"}, 0, "Usage: ");
    }
    void answersWithoutAWindow()
    {
        QFETCH(QStringList, arguments);
        QProcess program;
        program.setProcessEnvironment(noDisplay());
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

    // The menu's demo: the simulated kit in a bench folder of its own, with the window
    // system's options taken by the window; it runs until told to stop, and leaves the
    // real bench's folder alone.
    void windowRunTakesTheWindowSystemsOptions()
    {
        QProcess program;
        QProcessEnvironment environment = noDisplay();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(QUILLMARK_PROGRAM),
                      {"-platform", "offscreen", "-reverse", "--bench-folder", "--simulate"});
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
        QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("Quillmark/Simulated kit/artc.cfg"))));
        QVERIFY(!QFile::exists(m_home.filePath(QStringLiteral("Quillmark/artc.cfg"))));

    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
