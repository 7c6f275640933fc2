#include "rig.h"

#include "benchkit.h"
#include "clock.h"
#include "controls.h"
#include "console/window/frmmain.h"
#include "kitlink/kitlink.h"
#include "console/monitor/benchmonitor.h"
#include "platform/prompts.h"
#include "quillmark_version.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStyleFactory>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

using benchclock::monotonicNs;

namespace rig {

namespace {

constexpr const char *Flag = "--rig";

struct Span {
    qint64 fromNs = 0;
    qint64 toNs = 0;
};

// A line of this process's /proc status in kB: "VmRSS:" now, "VmHWM:" at its peak.
long statusKb(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

long residentKb()
{
    return statusKb("VmRSS:");
}

long peakResidentKb()
{
    return statusKb("VmHWM:");
}

class Rig final : public QObject
{
public:
    Rig(const Options &options, const platform::StartupFolder &folder)
        : m_options(options)
        , m_window(m_record, m_prompts, folder, timingsAt(options.speed))
    {
        // Room for an hour of ticks: nothing reallocates while the bench runs.
        m_pollTicks.reserve(16384);
        m_waitTicks.reserve(4096);
        m_paints.reserve(4096);

        m_window.installEventFilter(this);
        m_voltage.installEventFilter(this);
        m_poll.installEventFilter(this);
        m_fixedWait.installEventFilter(this);
        m_reportButton.installEventFilter(this);
        m_logged = connect(&m_window.link().log, &KitLog::appended, this, [this] { onLogged(); });

        // Should the bench hang, the parent still gets an answer.
        QTimer::singleShot(std::chrono::minutes(15), this, [this] { finish("the run did not end in 15 minutes"); });
    }

    // What main() of the quillmark executable does once its window exists.
    void start()
    {
        connect(&m_window, &FrmMain::loaded, this, [this] {
            if (m_options.relay != m_relayList.currentIndex())
                m_relayList.setCurrentIndex(m_options.relay);
            m_window.show();
            if (m_options.shiftHours > 0)
                m_window.showBenchMonitor();
            if (m_options.shiftHours > 0)
                QTimer::singleShot(0, this, [this] { feedShift(); });
        });
        m_window.formLoad();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        // The tick is noted as the timer event arrives, before the poll cycle or the
        // fixed wait handles it, so a tick that does long work is not noted late.
        if (type == QEvent::Timer) {
            if (watched == &m_poll)
                m_pollTicks.push_back(monotonicNs());
            else if (watched == &m_fixedWait)
                m_waitTicks.push_back(monotonicNs());
            return false;
        }
        // The automatic test ends by enabling "Generate Report".
        if (watched == &m_reportButton) {
            if (type == QEvent::EnabledChange && m_reportButton.isEnabled() && m_auto.fromNs != 0
                && m_auto.toNs == 0)
                autoEnded();
            return false;
        }
        if (watched == &m_voltage) {
            if (type == QEvent::Paint && m_voltage.text() != m_painted) {
                m_painted = m_voltage.text();
                m_paints.push_back({monotonicNs(), m_painted});
            }
            return false;
        }
        if (watched == &m_window) {
            if (type == QEvent::Paint && m_shownNs == 0)
                m_shownNs = monotonicNs();
            // The splash and the Drop Away Test dialog are children of the window.
            if (type == QEvent::ChildAdded) {
                QObject *child = static_cast<QChildEvent *>(event)->child();
                if (child->isWidgetType())
                    child->installEventFilter(this);
            }
            return false;
        }
        if (auto *dialog = qobject_cast<QDialog *>(watched)) {
            if (type == QEvent::Show)
                dialogShown(dialog);
            else if (type == QEvent::Hide)
                dialogHidden(dialog);
        }
        return false;
    }

private:
    void dialogShown(QDialog *dialog)
    {
        if (dialog->objectName() == QLatin1String("frmAbout")) {
            m_splash.fromNs = monotonicNs();
        } else if (dialog->objectName() == QLatin1String("frmDropAway")) {
            // The operator presses Complete at once: the automatic test's time is the
            // bench's, not the operator's.
            m_dialogs.push_back({monotonicNs(), 0});
            QTimer::singleShot(0, dialog, [dialog] {
                if (auto *complete = dialog->findChild<QPushButton *>(QStringLiteral("cmdComplete")))
                    complete->click();
            });
        }
    }

    void dialogHidden(QDialog *dialog)
    {
        if (dialog->objectName() == QLatin1String("frmAbout"))
            m_splash.toNs = monotonicNs();
        else if (dialog->objectName() == QLatin1String("frmDropAway") && !m_dialogs.empty())
            m_dialogs.back().toNs = monotonicNs();
    }

    // The port check ends with the coil supply set to 0 V and one fixed wait; the
    // tick that ends that wait leaves the bench polling an idle kit.
    void onLogged()
    {
        const KitLog::Entry &entry = m_window.link().log.latest();
        if (entry.direction != KitLog::Direction::Sent || !entry.text.startsWith(QLatin1String("@V0000")))
            return;
        disconnect(m_logged);
        m_checkEnds = connect(&m_fixedWait, &QTimer::timeout, this, [this] {
            disconnect(m_checkEnds);
            QTimer::singleShot(500, this, [this] { startLive(); });
        });
    }

    static void say(const char *line)
    {
        std::printf("%s\n", line);
        std::fflush(stdout);
    }

    // A shift of live readings, four a second on the monitor's clock, fed as fast as
    // the window draws them: a minute of them on each turn of the event loop, with
    // the kit's busy state and the voltage changing as during tests.
    void feedShift()
    {
        BenchMonitor &monitor = *m_window.benchMonitor();
        monitor.setClock([this] { return m_shiftSeconds; });
        constexpr int FramesAMinute = 240;
        for (int i = 0; i < FramesAMinute; ++i) {
            m_shiftSeconds += 0.25;
            const int step = int(m_shiftSeconds * 4) % 400;
            const QString frame = QStringLiteral("V:%1I:%2 %3\r")
                                      .arg(step * 6, 4, 10, QLatin1Char('0'))
                                      .arg(step * 5, 4, 10, QLatin1Char('0'))
                                      .arg(step < 200 ? QLatin1Char('B') : QLatin1Char('F'));
            m_window.link().receiver.dispatch(frame);
        }
        if (int(m_shiftSeconds) % 3600 == 0)
            m_shiftKb.push_back(residentKb());
        if (m_shiftSeconds < m_options.shiftHours * 3600.0)
            QTimer::singleShot(0, this, [this] { feedShift(); });
        else
            finish(nullptr);
    }

    void startLive()
    {
        if (m_options.shiftHours > 0)
            return;
        if (!m_window.link().receiver.kitFree()) {
            finish("the kit was not found free after the port check");
            return;
        }
        if (m_options.monitor)  // open and tracing while the readings change
            m_window.showBenchMonitor();
        m_live.fromNs = monotonicNs();
        m_liveCpuFromNs = benchclock::processCpuNs();
        say("phase live");
        QTimer::singleShot(std::chrono::seconds(m_options.liveSeconds), this, [this] {
            m_live.toNs = monotonicNs();
            m_liveCpuNs = benchclock::processCpuNs() - m_liveCpuFromNs;
            say("phase quiet");
            // A second for the kit's quiet readings to reach the window.
            QTimer::singleShot(1000, this, [this] { runHolds(); });
        });
    }

    void runHolds() { m_window.link().waits.run(holds()); }

    platform::Task holds()
    {
        for (int i = 0; i < m_options.holds; ++i) {
            const qint64 from = monotonicNs();
            co_await m_window.link().wait.hold();
            m_holds.push_back({from, monotonicNs()});
        }
        QTimer::singleShot(500, this, [this] { runAuto(); });
    }

    void runAuto()
    {
        if (!m_autoButton.isEnabled() || !m_window.link().receiver.kitFree()) {
            finish("the automatic test could not be started");
            return;
        }
        if (m_window.benchMonitor())  // the automatic test as the bench usually runs: no monitor
            m_window.benchMonitor()->close();
        say("phase auto");
        const qint64 cpuBefore = benchclock::processCpuNs();
        m_auto.fromNs = monotonicNs();
        m_autoCpuFromNs = cpuBefore;
        m_reportButton.setEnabled(false);
        m_autoButton.click();
    }

    void autoEnded()
    {
        m_auto.toNs = monotonicNs();
        m_autoCpuNs = benchclock::processCpuNs() - m_autoCpuFromNs;
        QTimer::singleShot(0, this, [this] { finish(nullptr); });
    }

    void finish(const char *error)
    {
        const long hwm = peakResidentKb();
        std::printf("shown %lld\n", m_shownNs);
        std::printf("splash %lld %lld\n", m_splash.fromNs, m_splash.toNs);
        std::printf("live %lld %lld\n", m_live.fromNs, m_live.toNs);
        std::printf("auto %lld %lld %lld\n", m_auto.fromNs, m_auto.toNs, m_autoCpuNs);
        std::printf("livecpu %lld\n", m_liveCpuNs);
        for (std::size_t hour = 0; hour < m_shiftKb.size(); ++hour)
            std::printf("shift %zu %ld\n", hour, m_shiftKb[hour]);
        for (const qint64 ns : m_pollTicks)
            std::printf("poll %lld\n", ns);
        for (const qint64 ns : m_waitTicks)
            std::printf("wait %lld\n", ns);
        for (const Span &hold : m_holds)
            std::printf("hold %lld %lld\n", hold.fromNs, hold.toNs);
        for (const Span &dialog : m_dialogs)
            std::printf("dialog %lld %lld\n", dialog.fromNs, dialog.toNs);
        for (const Paint &paint : m_paints)
            std::printf("paint %lld %s\n", paint.ns, qPrintable(paint.text));
        for (const auto &shown : m_prompts.messages)
            std::printf("prompt %s: %s\n", qPrintable(shown.title), qPrintable(QString(shown.text).replace('\n', ' ')));
        std::printf("hwm %ld\n", hwm);
        std::printf("end %s\n", error ? error : "ok");
        std::fflush(stdout);
        QCoreApplication::exit(error ? 1 : 0);
    }

    struct Paint {
        qint64 ns;
        QString text;
    };

    Options m_options;
    platform::RecordedPrompts m_prompts;  // a message box would wait for nobody
    BenchRecord m_record;
    FrmMain m_window;
    // What the rig watches and presses, found once by the names the bench gives them.
    QLabel &m_voltage = control<QLabel>(m_window, "lblVoltage");
    QTimer &m_poll = control<QTimer>(m_window, "tmrComm");
    QTimer &m_fixedWait = control<QTimer>(m_window, "tmrTout");
    QPushButton &m_reportButton = control<QPushButton>(m_window, "cmdReport");
    QPushButton &m_autoButton = control<QPushButton>(m_window, "cmdAuto");
    QComboBox &m_relayList = control<QComboBox>(m_window, "cmbType");
    QMetaObject::Connection m_logged;
    QMetaObject::Connection m_checkEnds;

    qint64 m_shownNs = 0;
    Span m_splash;
    Span m_live;
    Span m_auto;
    qint64 m_autoCpuNs = 0;
    qint64 m_autoCpuFromNs = 0;
    qint64 m_liveCpuFromNs = 0;
    qint64 m_liveCpuNs = 0;
    double m_shiftSeconds = 0;
    std::vector<long> m_shiftKb;  // resident memory after each hour of the shift
    std::vector<qint64> m_pollTicks;
    std::vector<qint64> m_waitTicks;
    std::vector<Span> m_holds;
    std::vector<Span> m_dialogs;
    std::vector<Paint> m_paints;
    QString m_painted;
};

int intAfter(int argc, char *argv[], const char *name, int fallback)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0)
            return std::atoi(argv[i + 1]);
    }
    return fallback;
}

} // namespace

QStringList arguments(const Options &options)
{
    return {QString::fromLatin1(Flag), QStringLiteral("--relay"), QString::number(options.relay),
            QStringLiteral("--live-seconds"), QString::number(options.liveSeconds), QStringLiteral("--holds"),
            QString::number(options.holds), QStringLiteral("--monitor"), QString::number(options.monitor ? 1 : 0),
            QStringLiteral("--shift-hours"), QString::number(options.shiftHours), QStringLiteral("--speed"),
            QString::number(options.speed)};
}

bool requested(int argc, char *argv[])
{
    return argc > 1 && std::strcmp(argv[1], Flag) == 0;
}

int run(int &argc, char *argv[])
{
    Options options;
    options.relay = intAfter(argc, argv, "--relay", options.relay);
    options.liveSeconds = intAfter(argc, argv, "--live-seconds", options.liveSeconds);
    options.holds = intAfter(argc, argv, "--holds", options.holds);
    options.monitor = intAfter(argc, argv, "--monitor", 0) != 0;
    options.shiftHours = intAfter(argc, argv, "--shift-hours", 0);
    options.speed = std::max(1, intAfter(argc, argv, "--speed", 1));

    // As src/app/main.cpp sets the application up.
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    Rig bench(options, platform::StartupFolder(QDir::currentPath()));  // the folder the parent started it in
    bench.start();
    return app.exec();
}

} // namespace rig
