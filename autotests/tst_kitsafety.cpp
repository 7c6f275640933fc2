// The kit left safe: a Stop gives each command of the safe sequence its whole settle
// time, and the program ends (window closed, stop signal) only once the kit is off.
// The endings run the real program's way: this test started again as a child process
// with the real window and serial port against quillmark-kitsim on a pseudo-terminal,
// closed or signalled from outside, and the kit asked afterwards what it was left at.

#include "ptybench.h"

#include "console/record/relaycatalogue.h"
#include "console/window/benchsession.h"
#include "reports/history/location.h"
#include "tests/procedures.h"

#include <QRegularExpression>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int WaitMs = 200;

bool sent(const KitLog &log, const QString &command)
{
    const QList<KitLog::Entry> entries = log.entries();
    return std::any_of(entries.begin(), entries.end(), [&](const KitLog::Entry &entry) {
        return entry.direction == KitLog::Direction::Sent && entry.text == command + QStringLiteral("<CR>");
    });
}

// The child: the bench as the program runs it, driven to the point the scenario names,
// then "ready" on standard output. A line "close" on standard input closes the main
// window as a window manager does; stop signals arrive as they would.
int runChild(char *argv[])
{
    const QString scenario = QString::fromLocal8Bit(argv[2]);
    const int relay = QByteArray(argv[4]).toInt();
    const platform::StartupFolder folder(QString::fromLocal8Bit(argv[3]));

    BenchRecord record;
    platform::DialogPrompts prompts;  // as the program's
    FrmMain window(record, prompts, folder, PtyBench::fastTimings(50, WaitMs));
    BenchSession session(window, history::Location::inFolder(folder));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &window, [&window, &input] {
        char line[64];
        const ssize_t n = ::read(STDIN_FILENO, line, sizeof line);
        if (n <= 0)
            input.setEnabled(false);
        else if (QByteArray(line, int(n)).contains("close"))
            window.close();
    });

    QTimer driver;
    int stage = 0;
    const auto ready = [&driver] {
        driver.stop();
        std::printf("ready\n");
        std::fflush(stdout);
    };
    QObject::connect(&driver, &QTimer::timeout, &window, [&] {
        KitLink &link = window.link();
        if (stage == 0) {
            if (control<QLabel>(window, "lblCommStatus").text() != QLatin1String("Comm Port Active")
                || !sent(link.log, "@V0000") || !link.receiver.kitFree() || !link.waits.idle())
                return;
            control<QComboBox>(window, "cmbType").setCurrentIndex(relay);
            stage = 1;
            if (scenario == QLatin1String("idle") || scenario == QLatin1String("stuck"))
                return ready();
            if (scenario == QLatin1String("dropaway"))
                return control<QPushButton>(window, "cmdCoilResistance").click();
            if (scenario == QLatin1String("refusal"))  // no coil measured: the pick-up is refused
                return control<QPushButton>(window, "cmdPickUp").click();
            if (scenario == QLatin1String("delay")) {
                window.showBenchMonitor();
                control<QComboBox>(window, "cmbCDChannel").setCurrentIndex(catalogue::ChannelCount);
                return control<QPushButton>(window, "cmdContactDelay").click();
            }
            control<QComboBox>(window, "cmbCRChannel").setCurrentIndex(catalogue::ChannelCount);
            return control<QPushButton>(window, "cmdContactResistance").click();
        }
        if (scenario == QLatin1String("refusal") && QApplication::activeModalWidget())
            return ready();
        if (scenario == QLatin1String("contact") && sent(link.log, "@G03"))
            return ready();
        if (scenario == QLatin1String("delay") && sent(link.log, "@H03"))
            return ready();
        if (scenario == QLatin1String("safing")) {
            if (stage == 1 && sent(link.log, "@G03")) {
                stage = 2;
                control<QAction>(window, "actStop").trigger();
            }
            if (stage == 2 && window.procedures().makingSafe())
                return ready();
        }
        if (scenario == QLatin1String("dropaway")) {
            const bool panelFree = control<QGroupBox>(window, "FrameCPanel").isEnabled();
            if (stage == 1 && record.CoilResistance1 > 0 && link.waits.idle() && panelFree) {
                stage = 2;
                control<QPushButton>(window, "cmdDropAway").click();
            }
            auto *dialog = window.findChild<FrmDropAway *>();
            if (stage == 2 && dialog && dialog->isVisible())
                return ready();
        }
    });
    driver.start(10);
    session.start();
    return QApplication::exec();
}

} // namespace

class TestKitSafety : public QObject
{
    Q_OBJECT

private slots:
    void init() { qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path())); }

    // Stop pressed at a point of a channel's settle time: the safe sequence does not
    // ride on what is left of that second. Each of its commands is followed by a whole
    // settle time before the next, as the kit hears them.
    void stopGivesEachSafeCommandItsWholeSettleTime_data()
    {
        QTest::addColumn<double>("into");
        QTest::newRow("a third into a wait") << 0.3;
        QTest::newRow("half-way") << 0.6;
        QTest::newRow("near its end") << 0.9;
    }

    void stopGivesEachSafeCommandItsWholeSettleTime()
    {
        QFETCH(double, into);
        PtyBench rig(0, {}, PtyBench::fastTimings(50, WaitMs));
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(catalogue::ChannelCount);
        (void)rig.kit.readAllStandardOutput();
        // The tick that ends the first settle time after the run's first reading
        // request starts the second; the Stop falls into that one.
        bool readingAsked = false;
        bool stopTimed = false;
        connect(&w.link().log, &KitLog::appended, this, [&] {
            const KitLog::Entry &latest = w.link().log.latest();
            readingAsked = readingAsked || (latest.direction == KitLog::Direction::Sent && latest.text.startsWith("@G"));
        });
        connect(&control<QTimer>(w, "tmrTout"), &QTimer::timeout, this, [&] {
            if (!readingAsked || stopTimed)
                return;
            stopTimed = true;
            QTimer::singleShot(int(into * WaitMs), &w, [&w] { control<QAction>(w, "actStop").trigger(); });
        });
        control<QPushButton>(w, "cmdContactResistance").click();
        QVERIFY(QTest::qWaitFor([&] { return w.procedures().makingSafe(); }, 20000));
        QVERIFY(rig.waitUntilIdle());
        QTest::qWait(100);

        // Only the safe sequence switches the second coil off.
        QList<Heard> safe = readKitLog(rig.kit.readAllStandardOutput());
        safe.removeIf([](const Heard &h) { return h.command == QLatin1String("?D"); });
        QStringList commands;
        for (const Heard &h : safe)
            commands << h.command;
        QVERIFY(commands.indexOf("&A00") > 0);
        safe = safe.mid(commands.indexOf("&A00") - 1);
        QCOMPARE(commands.mid(commands.indexOf("&A00") - 1), SafeSequence);
        // Lateness only lengthens a gap; the line's own jitter is a few milliseconds.
        for (int i = 1; i < safe.size(); ++i) {
            const int gap = safe[i - 1].time.msecsTo(safe[i].time);
            QVERIFY2(gap >= WaitMs * 85 / 100,
                     qPrintable(QStringLiteral("%1 -> %2 after %3 ms").arg(safe[i - 1].command, safe[i].command).arg(gap)));
        }
    }

    // However the program is ended during a procedure, it makes the kit safe first and
    // then ends; a second close or signal does not cut that short; with nothing running
    // nothing is sent. The kit is asked afterwards what its outputs were left at.
    void programEndsWithTheKitSafe_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("relay");
        QTest::addColumn<QStringList>("ending");
        QTest::addColumn<bool>("running");
        QTest::newRow("window closed during a contact run") << "contact" << 0 << QStringList{"close"} << true;
        QTest::newRow("stop signal during a contact run") << "contact" << 0 << QStringList{"term"} << true;
        QTest::newRow("closed, closed again and signalled") << "contact" << 0 << QStringList{"close", "close", "term"}
                                                             << true;
        QTest::newRow("stop signal at the Drop Away Test dialog") << "dropaway" << 0 << QStringList{"term"} << true;
        QTest::newRow("stop signal during the safe sequence") << "safing" << 0 << QStringList{"term"} << true;
        QTest::newRow("window closed during a delay run, Bench Monitor open")
            << "delay" << int(catalogue::QSPA1) << QStringList{"close"} << true;
        QTest::newRow("window closed with nothing running") << "idle" << 0 << QStringList{"close"} << false;
        QTest::newRow("stop signal with only a refusal box up") << "refusal" << 0 << QStringList{"term"} << false;
        // history.pending a named pipe, as a start-up folder on a share that stopped
        // answering holds the history's thread: the port goes with the window, and the
        // program ends within its bound.
        QTest::newRow("window closed, a thread stuck for good") << "stuck" << 0 << QStringList{"close"} << false;
    }

    void programEndsWithTheKitSafe()
    {
        QFETCH(QString, scenario);
        QFETCH(int, relay);
        QFETCH(QStringList, ending);
        QFETCH(bool, running);

        KitProcess kit(relay);
        QVERIFY(kit.linked());
        const QTemporaryDir &folder = kit.folder;

        if (scenario == QLatin1String("stuck"))
            QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath("history.pending")).constData(), 0600), 0);
        QProcess bench;
        bench.start(QCoreApplication::applicationFilePath(), {"--child", scenario, folder.path(), QString::number(relay)});
        QVERIFY(QTest::qWaitFor([&] { return bench.readAllStandardOutput().contains("ready"); }, 30000));
        const qsizetype heardBefore = kit.heard().size();  // start-up and the procedure
        for (const QString &step : ending) {
            const pid_t pid = pid_t(bench.processId());
            QVERIFY2(pid > 0, "the program ended before it was told to");  // kill(0) would signal this test too
            if (step == QLatin1String("close"))
                bench.write("close\n");
            else
                QCOMPARE(::kill(pid, SIGTERM), 0);
            QTest::qWait(WaitMs / 2);
        }
        if (scenario == QLatin1String("stuck")) {
            const QString port = QFileInfo(folder.filePath(QStringLiteral("COM%1").arg(PtyBench::Port))).symLinkTarget();
            const QString fds = QStringLiteral("/proc/%1/fd").arg(bench.processId());
            QVERIFY(QTest::qWaitFor(
                [&] {
                    const QFileInfoList open = QDir(fds).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
                    return std::none_of(open.begin(), open.end(), [&](const QFileInfo &fd) { return fd.symLinkTarget() == port; });
                },
                10000));
            QCOMPARE(bench.state(), QProcess::Running);  // let go before the end, which waits for the bound
        }
        QVERIFY2(QTest::qWaitFor([&] { return bench.state() == QProcess::NotRunning; }, 30000), "the program did not end");
        const QByteArray benchSaid = bench.readAllStandardError();
        QCOMPARE(bench.exitStatus(), QProcess::NormalExit);
        QCOMPARE(bench.exitCode(), 0);

        // What the kit heard last reaches its log a moment after the program has gone.
        (void)QTest::qWaitFor([&] { return running && kit.heard().mid(heardBefore).contains("^Q0000"); }, 2000);
        const QStringList all = withoutPolls(kit.heard());
        if (running) {
            // The safe sequence once, whole, and nothing after it; only it switches the
            // second coil off.
            QCOMPARE(all.mid(all.size() - SafeSequence.size()), SafeSequence);
            QCOMPARE(all.count("&A00"), 1);
        } else {
            QCOMPARE(withoutPolls(kit.heard().mid(heardBefore)), QStringList{});
        }
        QCOMPARE(benchSaid.contains("Making the kit safe before Quillmark closes"), running);
        QVERIFY2(kit.leftSafe(), qPrintable(kit.said()));
    }

private:
    QTemporaryDir m_data;
};

int main(int argc, char *argv[])
{
    if (argc == 5 && qstrcmp(argv[1], "--child") == 0) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Quillmark"));
        return runChild(argv);
    }
    QApplication app(argc, argv);
    TestKitSafety test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_kitsafety.moc"
