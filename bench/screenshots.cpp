// quillmark-screenshots: the pictures of the Bench Monitor and the kit log in docs/,
// taken offscreen on a 1280 x 1024 screen while the bench runs an automatic test of
// a QN1 relay against the simulated kit. The bench's timers and the kit's ramps run
// ten times faster, and the monitor's clock with them, so the pictures show bench
// time. tools/take-screenshots builds and runs it.
//
//   quillmark-screenshots OUTDIR    writes monitor.png, kitlog.png and placement.png
//   quillmark-screenshots --smoke   the same in a scratch folder, for the test suite

#include "benchline.h"
#include "controls.h"

#include "console/monitor/benchmonitor.h"
#include "console/window/frmmain.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitlogwindow.h"
#include "kitsim/simulatedkitport.h"
#include "platform/prompts.h"
#include "tests/frmdropaway.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using std::chrono::milliseconds;

constexpr int Speed = 10;       // bench time over real time
constexpr int QN1 = 2;          // catalogue entry: QN1, a coil of some 17 mA
constexpr QSize Screen(1280, 1024);

// One thing to wait for and one thing to do then, checked every 20 ms.
struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
};

class Shots : public QObject
{
public:
    Shots(const QString &outFolder)
        : m_out(outFolder)
    {
        auto port = std::make_unique<SimulatedKitPort>();
        m_kit = port.get();
        m_kit->kit().setTimeScale(1.0 / Speed);
        m_kit->kit().setRelay(QN1);
        m_window = std::make_unique<FrmMain>(
            m_record, m_prompts, platform::StartupFolder(m_folder.path()), Timings{milliseconds(0), milliseconds(1000 / Speed), milliseconds(250 / Speed),
                              milliseconds(1000 / Speed)},
            std::move(port));
        m_window->formLoad();
        control<QComboBox>(*m_window, "cmbType").setCurrentIndex(QN1);
        m_window->show();
        m_clock.start();
        m_window->showBenchMonitor();
        m_window->benchMonitor()->setClock([this] { return double(m_clock.elapsed()) * Speed / 1000.0; });
    }

    int run()
    {
        FrmMain &w = *m_window;
        const auto idle = [&w] {
            for (const QLabel *busy : controlArray<QLabel>(w, "lblBusy", 6)) {
                if (busy->isVisibleTo(&w))
                    return false;
            }
            return control<QGroupBox>(w, "FrameCPanel").isEnabled() && w.link().waits.idle()
                   && !QApplication::activeModalWidget();
        };
        const auto after = [this](double benchSeconds) {
            return [this, until = std::make_shared<qint64>(-1), benchSeconds] {
                if (*until < 0)
                    *until = m_clock.elapsed() + qint64(benchSeconds * 1000 / Speed);
                return m_clock.elapsed() >= *until;
            };
        };
        const auto dialog = [&w] {
            auto *open = w.findChild<FrmDropAway *>();
            return open && open->isVisible() ? open : nullptr;
        };
        m_steps = {
            {[&w, idle] { return control<QLabel>(w, "lblCommStatus").text() == "Comm Port Active" && idle(); }, {}},
            {after(15), [&w] { control<QPushButton>(w, "cmdAuto").click(); }},
            // The operator lowers the coil a few tenths of a volt and confirms.
            {[dialog] { return dialog() != nullptr; }, {}},
            {after(8), {}},
            {after(1), [dialog] { control<QPushButton>(*dialog(), "cmdDecrease").click(); }},
            {after(1), [dialog] { control<QPushButton>(*dialog(), "cmdDecrease").click(); }},
            {after(4), [dialog] { control<QPushButton>(*dialog(), "cmdComplete").click(); }},
            {idle, {}},
            {after(12), [this] { save(m_window->benchMonitor()->grab(), QStringLiteral("monitor.png")); }},
            {[] { return true; }, [this] { takePlacement(); }},
            {[] { return true; }, [&w] {
                 w.showKitLog();
                 w.findChild<KitLogWindow *>()->chkHideLive->setChecked(true);
             }},
            {after(2), [&w, this] {
                 auto *log = w.findChild<KitLogWindow *>();
                 log->resize(680, 460);
                 save(log->grab(), QStringLiteral("kitlog.png"));
             }},
        };
        connect(&m_tick, &QTimer::timeout, this, [this] { next(); });
        m_tick.start(20);
        m_deadline.start();
        return QApplication::exec();
    }

private:
    void next()
    {
        if (m_deadline.elapsed() > 120000) {
            std::fprintf(stderr, "quillmark-screenshots: step %zu did not come in two minutes\n", m_done);
            QApplication::exit(1);
            return;
        }
        while (m_done < m_steps.size() && m_steps[m_done].ready()) {
            if (m_steps[m_done].act)
                m_steps[m_done].act();
            ++m_done;
        }
        if (m_done == m_steps.size())
            QApplication::exit(m_failed ? 1 : 0);
    }

    void save(const QPixmap &picture, const QString &name)
    {
        const QString path = QDir(m_out).filePath(name);
        if (picture.save(path, "PNG")) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "quillmark-screenshots: cannot write %s\n", qPrintable(path));
            m_failed = true;
        }
    }

    // The screen at half size: where the monitor opened beside the main window.
    void takePlacement()
    {
        QPixmap screen(Screen);
        screen.fill(QColor(0x2e, 0x34, 0x36));
        QPainter painter(&screen);
        for (QWidget *window : {static_cast<QWidget *>(m_window.get()), static_cast<QWidget *>(m_window->benchMonitor())})
            painter.drawPixmap(window->geometry().topLeft(), window->grab());
        painter.end();
        save(screen.scaled(Screen / 2, Qt::KeepAspectRatio, Qt::SmoothTransformation), QStringLiteral("placement.png"));
    }

    QString m_out;
    QTemporaryDir m_folder;
    BenchRecord m_record;
    SimulatedKitPort *m_kit = nullptr;
    platform::DialogPrompts m_prompts;
    std::unique_ptr<FrmMain> m_window;
    QElapsedTimer m_clock;
    QElapsedTimer m_deadline;
    QTimer m_tick;
    std::vector<Step> m_steps;
    std::size_t m_done = 0;
    bool m_failed = false;
};

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Takes the pictures of the Bench Monitor and the kit log (monitor.png, kitlog.png, placement.png) offscreen "
        "on a 1280 x 1024 screen during an automatic test of a QN1 relay against the simulated kit, its timers ten "
        "times faster. Takes about ten seconds."));
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("Where the pictures go."));
    const QCommandLineOption smoke =
        benchline::smokeOption(QStringLiteral("the same pictures in a scratch folder; about ten seconds"));
    parser.addOption(smoke);
    benchline::read(parser, argc, argv);
    if (parser.positionalArguments().size() != (parser.isSet(smoke) ? 0 : 1)) {
        std::fprintf(stderr, "quillmark-screenshots: name one folder for the pictures (quillmark-screenshots --help)\n");
        return 2;
    }
    // A screen of the bench PC's size, and settings of its own.
    QTemporaryDir scratch;
    const QString screens = scratch.filePath(QStringLiteral("screens.json"));
    QFile json(screens);
    if (!json.open(QIODevice::WriteOnly)
        || json.write(QStringLiteral(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": %1, "height": %2,
                                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                          .arg(Screen.width()).arg(Screen.height()).toUtf8()) < 0)
        return 1;
    json.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(scratch.path()));
    const QString out =
        parser.isSet(smoke) ? scratch.path() : QDir(parser.positionalArguments().constFirst()).absolutePath();
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));  // as the bench wears it
    Shots shots(out);
    return shots.run();
}
