// quillmark-wirelog: what the kit hears during each of the bench's procedures, for
// comparing two builds of the bench command by command. The real window and serial
// port run against quillmark-kitsim on a pseudo-terminal with the timers scaled
// five times faster; buttons are pressed by their names, as an operator would,
// and the Drop Away Test dialog is completed after a short look.
//
//   quillmark-wirelog OUTDIR [scenario...]
//   quillmark-wirelog --compare BEFORE AFTER
//
// The first writes OUTDIR/<scenario>.log: one line a command other than the
// live-readings queries, with the number of live queries heard since the one before
// ("3 @G01"). Live queries are counted rather than listed so that a tick's worth of
// jitter between runs shows as a count, not as a reordered line. The second
// compares two such folders: the commands must be the same in the same order (a
// result query the kit was asked on several ticks running counts once, as the
// number of ticks a ramp takes varies), and the live counts may differ by two (two
// runs of one build differ that much around a ramp).
//
//   quillmark-wirelog --smoke
//
// records two short procedures in a scratch folder and compares the folder with
// itself: the test suite's check that the tool still runs.

#include "benchline.h"
#include "console/record/configfiles.h"
#include "console/window/frmmain.h"
#include "console/record/relaycatalogue.h"
#include "platform/prompts.h"

#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <functional>

namespace {

using std::chrono::milliseconds;

constexpr int Port = 9;
constexpr int PollMs = 50;
constexpr int WaitMs = 200;

struct Scenario {
    QString name;
    int relay;
    QString button;      // objectName of the button pressed
    int channelEntry;    // entry of the channel selectors; -1 leaves them alone
};

QList<Scenario> scenarios()
{
    QList<Scenario> list;
    for (int relay = 0; relay < 9; ++relay)
        list.append({QStringLiteral("auto-%1").arg(relay), relay, QStringLiteral("cmdAuto"), -1});
    for (const int relay : {0, catalogue::QL1, catalogue::QTA2}) {
        list.append({QStringLiteral("coil-%1").arg(relay), relay, QStringLiteral("cmdCoilResistance"), -1});
        list.append({QStringLiteral("pickup-%1").arg(relay), relay, QStringLiteral("cmdPickUp"), -1});
        list.append({QStringLiteral("contact-all-%1").arg(relay), relay, QStringLiteral("cmdContactResistance"), 16});
        list.append({QStringLiteral("contact-b2-%1").arg(relay), relay, QStringLiteral("cmdContactResistance"), 5});
    }
    list.append({QStringLiteral("dropaway-0"), 0, QStringLiteral("cmdDropAway"), -1});
    list.append({QStringLiteral("dropaway-7"), catalogue::QTA2, QStringLiteral("cmdDropAway"), -1});
    list.append({QStringLiteral("delay-all-8"), 8, QStringLiteral("cmdContactDelay"), 16});
    list.append({QStringLiteral("delay-c3-8"), 8, QStringLiteral("cmdContactDelay"), 10});
    list.append({QStringLiteral("sequence-0"), 0, QStringLiteral("cmdContactSequence"), -1});
    list.append({QStringLiteral("sig-0"), 0, QStringLiteral("cmdSIG"), -1});
    return list;
}

void sleepFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Sleeps in the event loop, looking again every 10 ms, until done() or the deadline.
bool waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        sleepFor(10);
    }
    return true;
}

class Run
{
public:
    Run(const Scenario &scenario, const QString &kitProgram, platform::Prompts &prompts)
    {
        config::PortAndNumbering stored = config::defaultPortAndNumbering();
        stored.portNumber = Port;
        (void)config::saveArt(m_folder.path(), stored);
        (void)config::saveArtc(m_folder.path(), config::defaultFolders(m_folder.path()));
        m_kit.start(kitProgram, {"--folder", m_folder.path(), "--port", QString::number(Port), "--relay",
                                 QString::number(scenario.relay), "--time-scale", "0.2"});
        waitFor([this] { return QFileInfo(m_folder.filePath(QStringLiteral("COM%1").arg(Port))).isSymLink(); }, 5000);
        m_window = std::make_unique<FrmMain>(
            m_record, prompts, platform::StartupFolder(m_folder.path()), Timings{milliseconds(0), milliseconds(20), milliseconds(PollMs), milliseconds(WaitMs)});
        m_window->formLoad();
        m_window->findChild<QComboBox *>(QStringLiteral("cmbType"))->setCurrentIndex(scenario.relay);
    }
    ~Run()
    {
        m_window.reset();
        m_kit.terminate();
        m_kit.waitForFinished(3000);
    }

    QStringList heard()
    {
        m_heard += QString::fromLatin1(m_kit.readAllStandardOutput());
        QStringList commands;
        for (const QString &line : m_heard.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
            commands << line.section(QLatin1Char(' '), 1);
        return commands;
    }

    bool idle() const
    {
        const auto *panel = m_window->findChild<QWidget *>(QStringLiteral("FrameCPanel"));
        for (int i = 0; i < 6; ++i) {
            if (m_window->findChild<QLabel *>(QStringLiteral("lblBusy(%1)").arg(i))->isVisibleTo(m_window.get()))
                return false;
        }
        return panel->isEnabled() && !QApplication::activeModalWidget();
    }

    // The procedure's log, from the press of its button until the kit has heard
    // nothing but live queries for three fixed waits after the window fell idle.
    QStringList record(const Scenario &scenario)
    {
        waitFor([this] { return heard().contains(QStringLiteral("@V0000")) && idle(); }, 5000);
        sleepFor(WaitMs * 2);
        QTimer dropAwayOperator;
        QElapsedTimer looking;
        dropAwayOperator.callOnTimeout([&] {
            auto *dialog = m_window->findChild<QDialog *>(QStringLiteral("frmDropAway"));
            if (!dialog || !dialog->isVisible()) {
                looking.invalidate();
            } else if (!looking.isValid()) {
                looking.start();
            } else if (looking.elapsed() >= 400) {
                dialog->findChild<QPushButton *>(QStringLiteral("cmdComplete"))->click();
            }
        });
        dropAwayOperator.start(10);
        if (scenario.channelEntry >= 0) {
            for (const char *selector : {"cmbCRChannel", "cmbCDChannel"})
                m_window->findChild<QComboBox *>(QString::fromLatin1(selector))->setCurrentIndex(scenario.channelEntry);
        }
        // Coil resistance first, where the procedure needs one measured.
        if (scenario.button == QLatin1String("cmdPickUp") || scenario.button == QLatin1String("cmdDropAway")) {
            m_window->findChild<QPushButton *>(QStringLiteral("cmdCoilResistance"))->click();
            waitFor([this] { return idle(); }, 30000);
            sleepFor(WaitMs * 3);
        }
        const qsizetype start = heard().size();
        m_window->findChild<QPushButton *>(scenario.button)->click();
        qsizetype seen = -1;
        waitFor(
            [&] {
                if (!idle())
                    return false;
                const QStringList now = heard();
                const qsizetype others = now.size() - now.filter(QRegularExpression("^[?&]D$")).size();
                if (others != seen) {
                    seen = others;
                    m_quiet.start();
                }
                return m_quiet.elapsed() > WaitMs * 3;
            },
            180000);
        QStringList lines;
        int live = 0;
        for (const QString &command : heard().mid(start)) {
            if (command == QLatin1String("?D") || command == QLatin1String("&D")) {
                ++live;
                continue;
            }
            lines << QStringLiteral("%1 %2").arg(live).arg(command);
            live = 0;
        }
        return lines;
    }

private:
    QTemporaryDir m_folder;
    QProcess m_kit;
    QString m_heard;
    QElapsedTimer m_quiet;
    BenchRecord m_record;
    std::unique_ptr<FrmMain> m_window;
};

// The commands of a log, a result query asked on several ticks running once, and
// the live counts before each.
QList<std::pair<QString, int>> readLog(const QString &path)
{
    QFile file(path);
    QList<std::pair<QString, int>> commands;
    if (!file.open(QIODevice::ReadOnly))
        return commands;
    for (const QByteArray &line : file.readAll().split('\n')) {
        const QString command = QString::fromLatin1(line.mid(line.indexOf(' ') + 1));
        const int live = line.left(line.indexOf(' ')).toInt();
        if (line.isEmpty())
            continue;
        const bool repeated = !commands.isEmpty() && commands.constLast().first == command
                              && QStringList{"?P", "?A", "*P", "*A", "?p"}.contains(command);
        if (!repeated)
            commands.append({command, live});
    }
    return commands;
}

int compare(const QDir &before, const QDir &after)
{
    int differing = 0;
    for (const QString &name : before.entryList({QStringLiteral("*.log")}, QDir::Files, QDir::Name)) {
        const auto was = readLog(before.filePath(name));
        const auto is = readLog(after.filePath(name));
        QString difference;
        for (qsizetype i = 0; i < std::max(was.size(), is.size()) && difference.isEmpty(); ++i) {
            if (i >= was.size() || i >= is.size() || was[i].first != is[i].first)
                difference = QStringLiteral("command %1: %2 before, %3 after")
                                 .arg(i + 1)
                                 .arg(i < was.size() ? was[i].first : QStringLiteral("nothing"),
                                      i < is.size() ? is[i].first : QStringLiteral("nothing"));
            else if (std::abs(was[i].second - is[i].second) > 2)
                difference = QStringLiteral("before command %1 (%2): %3 live queries before, %4 after")
                                 .arg(i + 1)
                                 .arg(is[i].first)
                                 .arg(was[i].second)
                                 .arg(is[i].second);
        }
        std::printf("%-16s %s\n", qPrintable(name.chopped(4)),
                    difference.isEmpty() ? "same" : qPrintable(difference));
        differing += difference.isEmpty() ? 0 : 1;
    }
    return differing == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Runs each of the bench's procedures against quillmark-kitsim on a pseudo-terminal and writes what the kit "
        "heard, one OUTDIR/<scenario>.log a procedure (all of them, or the scenarios named); with --compare, "
        "compares two such folders command by command. Takes a few minutes."));
    parser.addPositionalArgument(QStringLiteral("OUTDIR"), QStringLiteral("Where the logs go (with --compare: BEFORE)."));
    parser.addPositionalArgument(QStringLiteral("scenario"),
                                 QStringLiteral("Only these scenarios, for example auto-0 coil-4 (with --compare: "
                                                "AFTER)."),
                                 QStringLiteral("[scenario...]"));
    const QCommandLineOption compareLogs(QStringLiteral("compare"),
                                         QStringLiteral("Compare the logs of BEFORE with those of AFTER; exits with 1 "
                                                        "when one differs."));
    const QCommandLineOption smoke = benchline::smokeOption(
        QStringLiteral("two short procedures in a scratch folder, compared with themselves; a few seconds"));
    parser.addOptions({compareLogs, smoke});
    benchline::read(parser, argc, argv);
    const QStringList positional = parser.positionalArguments();
    if (parser.isSet(compareLogs)) {
        if (positional.size() != 2) {
            std::fprintf(stderr, "quillmark-wirelog: --compare takes two folders, BEFORE and AFTER\n");
            return 2;
        }
        return compare(QDir(positional[0]), QDir(positional[1]));
    }
    const bool smokeRun = parser.isSet(smoke);
    if (positional.isEmpty() && !smokeRun) {
        std::fprintf(stderr, "quillmark-wirelog: name a folder for the logs (quillmark-wirelog --help)\n");
        return 2;
    }
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    const QDir out(smokeRun ? scratch.path() : positional.first());
    const QStringList chosen = smokeRun ? QStringList{QStringLiteral("coil-0"), QStringLiteral("contact-b2-0"),
                                                              QStringLiteral("dropaway-0")}
                                        : positional.mid(1);
    (void)QDir().mkpath(out.path());
    const QString kitProgram = QCoreApplication::applicationDirPath() + QStringLiteral("/../src/kitsim/quillmark-kitsim");
    platform::RecordedPrompts prompts;  // a refused test shows in the log as commands not sent
    int silent = 0;
    for (const Scenario &scenario : scenarios()) {
        if (!chosen.isEmpty() && !chosen.contains(scenario.name))
            continue;
        QStringList lines;
        {
            Run run(scenario, kitProgram, prompts);
            lines = run.record(scenario);
        }
        QFile file(out.filePath(scenario.name + QStringLiteral(".log")));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toLatin1());
        std::printf("%-16s %4lld commands\n", qPrintable(scenario.name), static_cast<long long>(lines.size()));
        std::fflush(stdout);
        silent += lines.isEmpty() ? 1 : 0;
    }
    if (smokeRun) {
        const bool ran = silent == 0 && compare(out, out) == 0;
        std::printf("\nsmoke run: %s\n", ran ? "every part ran" : "a procedure sent nothing, or a log differs from itself");
        return ran ? 0 : 1;
    }
    return 0;
}
