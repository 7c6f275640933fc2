// quillmark-bench: what the bench costs, measured on this machine against the
// simulated kit on a pseudo-terminal, with the program's own timers at their real
// lengths and the kit's ramps at their real pace (time scale 1). Prints one table,
// a target beside each figure, and exits with 1 when a target is missed.
//
// Two runs, one after the other, so neither disturbs the other:
//  1. the quillmark executable itself polling an idle kit: its CPU time and peak
//     memory from the kernel's accounting (/proc/<pid>/stat and status), and the
//     poll period as the kit hears the live-readings queries arrive;
//  2. the same program started as a child of this one (see rig.h), which notes
//     what the window does on CLOCK_MONOTONIC: start-up, label repaints, timer
//     ticks, fixed waits, one automatic test and its CPU time.
// Before them, the fixed wait on its own in this process (waitfigures.h).
// The kit runs inside this process in both, so its side of the line is timed on
// the same clock. --smoke runs every part briefly, the window's timers and the kit's
// ramps ten times faster, in about twenty seconds.

#include "benchkit.h"
#include "benchline.h"
#include "clock.h"
#include "console/record/configfiles.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "rig.h"
#include "waitfigures.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <unistd.h>

using benchclock::monotonicNs;
using benchclock::ms;
using benchclock::percentile;

namespace {

constexpr int Port = 9;
constexpr double FixedWaitMs = 1000;   // Timings::fixedWait
constexpr double PollMs = 250;         // Timings::poll

// ---- Waiting on the event loop, never spinning ----

void sleepInEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// ---- The quillmark executable and its kernel accounting ----

double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    // The command name may hold blanks; the fields after it are space separated.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(fields.value(11).toLongLong() + fields.value(12).toLongLong());
    return ticks / double(sysconf(_SC_CLK_TCK));
}

long peakResidentKbOf(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

bool writeSettings(const QString &folder)
{
    config::PortAndNumbering stored = config::defaultPortAndNumbering();
    stored.portNumber = Port;
    return config::saveArt(folder, stored).ok && config::saveArtc(folder, config::defaultFolders(folder)).ok;
}

QProcessEnvironment offscreen()
{
    // No window pops up on the desk while the bench measures, and the figures do
    // not depend on whichever display happens to be there.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

std::vector<double> periodsMs(const std::vector<qint64> &ticks)
{
    std::vector<double> periods;
    for (size_t i = 1; i < ticks.size(); ++i)
        periods.push_back(ms(ticks[i] - ticks[i - 1]));
    return periods;
}

struct IdleRun {
    QString error;
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKb = -1;
    std::vector<double> pollPeriodsMs;  // between live-readings queries, as the kit heard them
};

// The quillmark executable polling an idle kit for `seconds`.
IdleRun idlePolling(int seconds, int relay)
{
    IdleRun run;
    QTemporaryDir folder;
    if (!writeSettings(folder.path())) {
        run.error = QStringLiteral("cannot write the settings in ") + folder.path();
        return run;
    }
    BenchKit kit(folder.path(), Port, relay);
    if (!kit.isOpen()) {
        run.error = kit.errorString();
        return run;
    }

    // Polling has begun once the port check has set the coil supply to 0 V and
    // waited its second after it.
    QEventLoop started;
    QObject::connect(&kit, &BenchKit::commandHeard, &started, [&started](const QString &command) {
        if (command == QLatin1String("@V0000"))
            QTimer::singleShot(1500, &started, [&started] { started.exit(0); });
    });
    QTimer::singleShot(30'000, &started, [&started] { started.exit(1); });

    QProcess quillmark;
    quillmark.setWorkingDirectory(folder.path());
    quillmark.setProcessEnvironment(offscreen());
    quillmark.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    quillmark.start(QStringLiteral(QUILLMARK_PROGRAM), {});
    if (!quillmark.waitForStarted() || started.exec() != 0) {
        run.error = QStringLiteral("quillmark did not start polling the kit");
        quillmark.kill();
        quillmark.waitForFinished(3000);
        return run;
    }

    const qint64 pid = quillmark.processId();
    const double cpuBefore = cpuSecondsOf(pid);
    const qint64 from = monotonicNs();
    sleepInEventLoop(seconds * 1000);
    const double cpuAfter = cpuSecondsOf(pid);
    const qint64 to = monotonicNs();
    run.peakKb = peakResidentKbOf(pid);
    run.seconds = double(to - from) / 1e9;
    run.cpuSeconds = cpuAfter - cpuBefore;

    std::vector<qint64> queries;
    for (const BenchKit::Heard &heard : kit.heard()) {
        if (heard.ns >= from && heard.ns <= to && heard.command == QLatin1String(wire::cmd::LiveReadings))
            queries.push_back(heard.ns);
    }
    run.pollPeriodsMs = periodsMs(queries);

    quillmark.terminate();
    if (!quillmark.waitForFinished(3000)) {
        quillmark.kill();
        quillmark.waitForFinished(3000);
    }
    return run;
}

// ---- The window side, started as a child ----

struct Span {
    qint64 fromNs = 0;
    qint64 toNs = 0;
    qint64 length() const { return toNs - fromNs; }
};

struct RigRun {
    QString error;
    qint64 launchedNs = 0;
    qint64 shownNs = 0;
    Span splash;
    Span live;
    Span autoTest;
    qint64 autoCpuNs = 0;
    qint64 liveCpuNs = 0;
    std::vector<long> shiftKb;  // resident memory after each hour of a replayed shift
    long peakKb = -1;
    std::vector<qint64> pollTicks;
    std::vector<qint64> waitTicks;
    std::vector<Span> holds;
    std::vector<Span> dialogs;
    std::vector<std::pair<qint64, QString>> paints;
    QStringList prompts;
    std::vector<BenchKit::Frame> frames;
    std::vector<BenchKit::Heard> heard;
    std::vector<BenchKit::Busy> busy;
};

void readRecord(RigRun &run, const QByteArray &line)
{
    const QList<QByteArray> f = line.split(' ');
    const QByteArray &kind = f.value(0);
    const auto at = [&f](int i) { return f.value(i).toLongLong(); };
    if (kind == "shown")
        run.shownNs = at(1);
    else if (kind == "splash")
        run.splash = {at(1), at(2)};
    else if (kind == "live")
        run.live = {at(1), at(2)};
    else if (kind == "auto")
        run.autoTest = {at(1), at(2)}, run.autoCpuNs = at(3);
    else if (kind == "poll")
        run.pollTicks.push_back(at(1));
    else if (kind == "wait")
        run.waitTicks.push_back(at(1));
    else if (kind == "hold")
        run.holds.push_back({at(1), at(2)});
    else if (kind == "dialog")
        run.dialogs.push_back({at(1), at(2)});
    else if (kind == "paint")
        run.paints.emplace_back(at(1), QString::fromUtf8(line.mid(line.indexOf(' ', 6) + 1)));
    else if (kind == "prompt")
        run.prompts << QString::fromUtf8(line.mid(7));
    else if (kind == "livecpu")
        run.liveCpuNs = at(1);
    else if (kind == "shift")
        run.shiftKb.push_back(long(at(2)));
    else if (kind == "hwm")
        run.peakKb = long(at(1));
    else if (kind == "end" && f.value(1) != "ok")
        run.error = QString::fromUtf8(line.mid(4));
}

RigRun windowRun(const rig::Options &options)
{
    RigRun run;
    QTemporaryDir folder;
    if (!writeSettings(folder.path())) {
        run.error = QStringLiteral("cannot write the settings in ") + folder.path();
        return run;
    }
    BenchKit kit(folder.path(), Port, options.relay);
    if (!kit.isOpen()) {
        run.error = kit.errorString();
        return run;
    }
    kit.setTimeScale(1.0 / options.speed);

    QProcess child;
    child.setWorkingDirectory(folder.path());
    child.setProcessEnvironment(offscreen());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    bool ended = false;
    QEventLoop done;
    QObject::connect(&child, &QProcess::readyReadStandardOutput, &done, [&] {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            if (line == "phase live") {
                kit.setVaryingReadings(true);
                std::fprintf(stderr, "  polling with changing readings for %d s\n", options.liveSeconds);
            } else if (line == "phase quiet") {
                kit.setVaryingReadings(false);
                std::fprintf(stderr, "  %d fixed waits\n", options.holds);
            } else if (line == "phase auto") {
                std::fprintf(stderr, "  automatic test of %s\n",
                             qPrintable(catalogue::entryTexts().value(options.relay)));
            } else {
                readRecord(run, line);
                ended = ended || line.startsWith("end ");
            }
        }
    });
    QObject::connect(&child, &QProcess::finished, &done, [&done] { done.quit(); });
    QObject::connect(&child, &QProcess::errorOccurred, &done, [&done](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            done.quit();
    });

    // The child gives up by itself after 15 minutes; this is for a child that cannot.
    QTimer::singleShot(std::chrono::minutes(20), &child, [&child] { child.kill(); });

    run.launchedNs = monotonicNs();
    child.start(QCoreApplication::applicationFilePath(), rig::arguments(options));
    done.exec();
    if (!ended && run.error.isEmpty())
        run.error = QStringLiteral("the window side ended without its figures (%1)").arg(child.errorString());
    run.frames = kit.frames();
    run.heard = kit.heard();
    run.busy = kit.busy();
    return run;
}

// ---- Figures ----

// Time from a live-readings frame's last byte leaving the kit to the voltage label
// painted with its value. Each repaint with a new text is paired with the last live
// frame written before it, and kept only when that frame carries the painted text.
std::vector<double> frameToLabelMs(const RigRun &run)
{
    std::vector<std::pair<qint64, QString>> live;
    for (const BenchKit::Frame &frame : run.frames) {
        const QString text = QString::fromLatin1(frame.bytes);
        if (wire::classify(text) == wire::FrameKind::LiveReadings)
            live.emplace_back(frame.ns, QString::number(double(wire::decodeLiveReadings(text).volts), 'f', 1));
    }
    std::vector<double> latencies;
    for (const auto &[paintNs, text] : run.paints) {
        const auto after = std::upper_bound(live.begin(), live.end(), paintNs,
                                            [](qint64 ns, const auto &frame) { return ns < frame.first; });
        if (after == live.begin())
            continue;
        const auto &frame = *std::prev(after);
        if (frame.second == text && paintNs - frame.first < qint64(PollMs * 1e6))
            latencies.push_back(ms(paintNs - frame.first));
    }
    return latencies;
}

// The automatic test is made of waits: fixed waits of one second, and flag waits in
// which the procedure waits for the kit to finish a ramp. Their sum is the time the
// test cannot be shorter than; everything above it is the bench's own overhead
// (waiting for the next poll tick to start a test or to notice that the kit is done,
// handling frames, drawing). The sum is taken as the length of the union of
//  - one second before every tmrTout tick inside the test (each tick ends exactly one
//    fixed wait; waits nested inside one another share a tick, and their time too), and
//  - every stretch in which the kit itself reported a ramp running, from its start
//    command to the end of the sweep, timed on the kit's side of the line,
// so a wait that overlaps another is not counted twice. The time the Drop Away Test
// dialog stands open is the operator's and is left out of the test's length.
struct AutoFigures {
    double wallMs = 0;
    double waitsMs = 0;
    int fixedWaits = 0;
    int ramps = 0;
    double rampMs = 0;
    double operatorMs = 0;
};

AutoFigures automaticTest(const RigRun &run, double fixedWaitMs)
{
    AutoFigures figures;
    const Span test = run.autoTest;
    std::vector<Span> waits;
    for (const qint64 tick : run.waitTicks) {
        if (tick > test.fromNs && tick <= test.toNs) {
            waits.push_back({std::max(test.fromNs, tick - qint64(fixedWaitMs * 1e6)), tick});
            ++figures.fixedWaits;
        }
    }
    for (const BenchKit::Busy &busy : run.busy) {
        const Span ramp{std::max(test.fromNs, busy.fromNs), std::min(test.toNs, busy.toNs ? busy.toNs : test.toNs)};
        if (ramp.toNs > ramp.fromNs) {
            waits.push_back(ramp);
            ++figures.ramps;
            figures.rampMs += ms(ramp.length());
        }
    }
    std::sort(waits.begin(), waits.end(), [](const Span &a, const Span &b) { return a.fromNs < b.fromNs; });
    qint64 covered = 0;
    qint64 reach = test.fromNs;
    for (const Span &wait : waits) {
        const qint64 from = std::max(reach, wait.fromNs);
        if (wait.toNs > from)
            covered += wait.toNs - from;
        reach = std::max(reach, wait.toNs);
    }
    for (const Span &dialog : run.dialogs) {
        if (dialog.fromNs >= test.fromNs && dialog.toNs <= test.toNs && dialog.toNs > dialog.fromNs)
            figures.operatorMs += ms(dialog.length());
    }
    figures.wallMs = ms(test.length()) - figures.operatorMs;
    figures.waitsMs = ms(covered);
    return figures;
}

// Everything both sides noted during the automatic test, in time order, in ms from
// its start: for finding where the time above the waits goes.
void writeTrace(const RigRun &run, const QString &path)
{
    std::multimap<qint64, QString> lines;
    const auto add = [&lines, &run](qint64 ns, const QString &what) {
        if (ns >= run.autoTest.fromNs - qint64(1e9) && ns <= run.autoTest.toNs + qint64(1e9))
            lines.emplace(ns, what);
    };
    for (const BenchKit::Heard &heard : run.heard)
        add(heard.ns, QStringLiteral("kit heard     ") + heard.command);
    for (const BenchKit::Frame &frame : run.frames)
        add(frame.ns, QStringLiteral("kit answered  ") + QString::fromLatin1(frame.bytes).replace(QLatin1Char('\r'), QString()));
    for (const BenchKit::Busy &busy : run.busy) {
        add(busy.fromNs, QStringLiteral("kit busy"));
        add(busy.toNs, QStringLiteral("kit free"));
    }
    for (const qint64 ns : run.pollTicks)
        add(ns, QStringLiteral("tmrComm tick"));
    for (const qint64 ns : run.waitTicks)
        add(ns, QStringLiteral("tmrTout tick"));
    for (const auto &[ns, text] : run.paints)
        add(ns, QStringLiteral("lblVoltage    ") + text);
    for (const Span &dialog : run.dialogs) {
        add(dialog.fromNs, QStringLiteral("Drop Away Test dialog shown"));
        add(dialog.toNs, QStringLiteral("Drop Away Test dialog closed"));
    }
    add(run.autoTest.fromNs, QStringLiteral("automatic test starts"));
    add(run.autoTest.toNs, QStringLiteral("automatic test ends"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    for (const auto &[ns, what] : lines)
        file.write(QStringLiteral("%1  %2\n").arg(ms(ns - run.autoTest.fromNs), 10, 'f', 3).arg(what).toUtf8());
}

// ---- The table ----

struct Row {
    QString measure;
    QString figure;
    QString target;
    std::optional<bool> met;  // none: reported, no target
    QString how;
};

QString fixed(double value, int decimals)
{
    return std::isnan(value) ? QStringLiteral("n/a") : QString::number(value, 'f', decimals);
}

void printTable(const std::vector<Row> &rows)
{
    const auto width = [&rows](QString Row::*column, const char *title) {
        qsizetype w = qsizetype(std::strlen(title));
        for (const Row &row : rows)
            w = std::max(w, (row.*column).size());
        return int(w);
    };
    const int m = width(&Row::measure, "measure");
    const int f = width(&Row::figure, "figure");
    const int t = width(&Row::target, "target");
    std::printf("| %-*s | %*s | %-*s | %-6s | %s\n", m, "measure", f, "figure", t, "target", "result", "how");
    std::printf("|-%s-|-%s:|-%s-|-%s-|-%s\n", QByteArray(m, '-').constData(), QByteArray(f, '-').constData(),
                QByteArray(t, '-').constData(), QByteArray(6, '-').constData(), "---");
    for (const Row &row : rows) {
        const char *result = !row.met ? "-" : *row.met ? "met" : "MISSED";
        std::printf("| %-*s | %*s | %-*s | %-6s | %s\n", m, qPrintable(row.measure), f, qPrintable(row.figure), t,
                    qPrintable(row.target), result, qPrintable(row.how));
    }
}

} // namespace

int main(int argc, char *argv[])
{
    if (rig::requested(argc, argv))
        return rig::run(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures what the bench costs in CPU, time and memory against the simulated kit on a "
        "pseudo-terminal, and prints one table with a target beside each figure; exits with 1 when a target "
        "is missed. Takes about five minutes."));
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Length of the idle run (default 60)."),
                                     QStringLiteral("seconds"), QStringLiteral("60"));
    const QCommandLineOption liveSeconds(QStringLiteral("live-seconds"),
                                         QStringLiteral("Polling with changing readings (default 20)."),
                                         QStringLiteral("seconds"), QStringLiteral("20"));
    const QCommandLineOption relay(QStringLiteral("relay"),
                                   QStringLiteral("Catalogue index 0..8 of the relay on test (default 0)."),
                                   QStringLiteral("index"), QStringLiteral("0"));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Write what both sides noted during the automatic test to a file."),
                                   QStringLiteral("file"));
    const QCommandLineOption smoke = benchline::smokeOption(
        QStringLiteral("idle and live runs of a second or two, two fixed waits, the window's timers and the kit's "
                       "ramps ten times faster, a 2-hour shift; about twenty seconds"));
    parser.addOptions({seconds, liveSeconds, relay, trace, smoke});
    benchline::read(parser, argc, argv);
    QCoreApplication app(argc, argv);

    const bool smokeRun = parser.isSet(smoke);
    const int idleSeconds = smokeRun ? 2 : std::max(1, parser.value(seconds).toInt());
    rig::Options options;
    options.relay = std::clamp(parser.value(relay).toInt(), 0, catalogue::EntryCount - 1);
    options.liveSeconds = smokeRun ? 1 : std::max(1, parser.value(liveSeconds).toInt());
    if (smokeRun) {
        options.holds = 2;
        options.speed = 10;
    }
    const QString relayName = catalogue::entryTexts().value(options.relay);
    const QString loadBefore = benchline::loadAverage();

    std::fprintf(stderr, "the fixed wait on its own\n");
    const waitfigures::Figures waits = waitfigures::measure(smokeRun ? 1 : 3);

    std::fprintf(stderr, "quillmark polling an idle kit for %d s\n", idleSeconds);
    const IdleRun idle = idlePolling(idleSeconds, options.relay);
    if (!idle.error.isEmpty()) {
        std::fprintf(stderr, "idle run: %s\n", qPrintable(idle.error));
        return 2;
    }
    std::fprintf(stderr, "the window in this process's child, the Bench Monitor open while the readings change\n");
    options.monitor = true;
    const RigRun window = windowRun(options);
    if (!window.error.isEmpty()) {
        std::fprintf(stderr, "window run: %s\n", qPrintable(window.error));
        return 2;
    }
    rig::Options shiftOptions = options;
    shiftOptions.shiftHours = smokeRun ? 2 : 8;
    std::fprintf(stderr, "the Bench Monitor fed a %d h shift of live readings, time compressed\n",
                 shiftOptions.shiftHours);
    const RigRun shift = windowRun(shiftOptions);
    if (!shift.error.isEmpty() || shift.shiftKb.size() < 2) {
        std::fprintf(stderr, "shift run: %s\n", qPrintable(shift.error));
        return 2;
    }
    if (parser.isSet(trace))
        writeTrace(window, parser.value(trace));
    for (const QString &prompt : window.prompts)
        std::fprintf(stderr, "the bench showed a message: %s\n", qPrintable(prompt));

    std::vector<Row> rows;

    const double idlePercent = 100.0 * idle.cpuSeconds / idle.seconds;
    rows.push_back({QStringLiteral("idle CPU while polling"), fixed(idlePercent, 3) + QStringLiteral(" %"),
                    QStringLiteral("< 0.5 %"), idlePercent < 0.5,
                    QStringLiteral("quillmark: %1 s CPU in %2 s (kernel ticks)")
                        .arg(fixed(idle.cpuSeconds, 2), fixed(idle.seconds, 1))});

    const double autoPercent = 100.0 * double(window.autoCpuNs) / double(window.autoTest.length());
    rows.push_back({QStringLiteral("CPU over an automatic test"), fixed(autoPercent, 3) + QStringLiteral(" %"),
                    QStringLiteral("< 1 %"), autoPercent < 1.0,
                    QStringLiteral("%1 s CPU in %2 s, %3").arg(fixed(double(window.autoCpuNs) / 1e9, 3),
                                                               fixed(ms(window.autoTest.length()) / 1000, 1),
                                                               relayName)});

    const double livePercent = 100.0 * double(window.liveCpuNs) / double(window.live.length());
    rows.push_back({QStringLiteral("CPU while polling, monitor tracing"), fixed(livePercent, 3) + QStringLiteral(" %"),
                    QStringLiteral("< 3 %"), livePercent < 3.0,
                    QStringLiteral("the window: %1 s CPU in %2 s of changing readings")
                        .arg(fixed(double(window.liveCpuNs) / 1e9, 3), fixed(ms(window.live.length()) / 1000, 1))});
    // From the first hour on the trace holds its two minutes; it must not grow after.
    const auto [least, most] = std::minmax_element(shift.shiftKb.begin() + 1, shift.shiftKb.end());
    const double growthMb = double(*most - *least) * 1024 / 1e6;
    rows.push_back({QStringLiteral("monitor memory over %1 h shift").arg(smokeRun ? "a 2" : "an 8"),
                    fixed(growthMb, 2) + QStringLiteral(" MB"), QStringLiteral("< 2 MB"), growthMb < 2,
                    QStringLiteral("resident %1 to %2 MB from hour 1 to %3, %4 live frames replayed")
                        .arg(fixed(double(*least) * 1024 / 1e6, 1), fixed(double(*most) * 1024 / 1e6, 1))
                        .arg(shiftOptions.shiftHours)
                        .arg(shiftOptions.shiftHours * 14400)});

    const double pollMedian = percentile(idle.pollPeriodsMs, 50);
    const double pollP99 = percentile(idle.pollPeriodsMs, 99);
    const std::vector<double> ticks = periodsMs(window.pollTicks);
    rows.push_back({QStringLiteral("poll period, median"), fixed(pollMedian, 2) + QStringLiteral(" ms"),
                    QStringLiteral("250 ms +- 5"), std::abs(pollMedian - PollMs) <= 5,
                    QStringLiteral("%1 live queries of quillmark, as the kit heard them").arg(idle.pollPeriodsMs.size())});
    rows.push_back({QStringLiteral("poll period, 99th percentile"), fixed(pollP99, 2) + QStringLiteral(" ms"),
                    QStringLiteral("250 ms"), std::nullopt,
                    QStringLiteral("tmrComm in the window: median %1, p99 %2 over %3 ticks")
                        .arg(fixed(percentile(ticks, 50), 2), fixed(percentile(ticks, 99), 2))
                        .arg(ticks.size())});

    std::vector<double> holds;
    for (const Span &hold : window.holds)
        holds.push_back(ms(hold.length()));
    const double holdMedian = percentile(holds, 50);
    rows.push_back({QStringLiteral("fixed wait, median"), fixed(holdMedian, 2) + QStringLiteral(" ms"),
                    QStringLiteral("1000 ms +- 5"), std::abs(holdMedian - FixedWaitMs) <= 5,
                    QStringLiteral("%1 waits while polling, longest %2 ms")
                        .arg(holds.size())
                        .arg(fixed(percentile(holds, 100), 2))});

    const double aloneLongest = percentile(waits.waitMs, 100);
    const double aloneShortest = percentile(waits.waitMs, 0);
    rows.push_back({QStringLiteral("fixed wait on its own, longest"), fixed(aloneLongest, 2) + QStringLiteral(" ms"),
                    QStringLiteral("995 to 1100 ms"), aloneShortest >= 995 && aloneLongest < 1100,
                    QStringLiteral("%1 waits of the real FixedWait in this process, shortest %2 ms")
                        .arg(waits.waitMs.size())
                        .arg(fixed(aloneShortest, 2))});
    const double waitCpu = percentile(waits.waitCpuMs, 100);
    rows.push_back({QStringLiteral("CPU of one fixed wait, most"), fixed(waitCpu, 2) + QStringLiteral(" ms"),
                    QStringLiteral("< 50 ms"), waitCpu < 50,
                    QStringLiteral("this process's processor time over each wait: no spinning")});
    const double newerLatest = percentile(waits.newerFirstMs, 100);
    rows.push_back({QStringLiteral("newer wait inside an older one, first tick"),
                    fixed(newerLatest, 2) + QStringLiteral(" ms"),
                    QStringLiteral("95 to 140 ms"), percentile(waits.newerFirstMs, 0) >= 95 && newerLatest < 140,
                    QStringLiteral("tmrTout of %1 ms, newer wait started at %2 ms: it rides on the running tick "
                                   "(a whole period would be %3 ms)")
                        .arg(waitfigures::NestedPeriodMs)
                        .arg(waitfigures::NewerStartsMs)
                        .arg(waitfigures::NestedPeriodMs + waitfigures::NewerStartsMs)});

    const std::vector<double> toLabel = frameToLabelMs(window);
    const double toLabelP99 = percentile(toLabel, 99);
    rows.push_back({QStringLiteral("frame's last byte to label text, p99, monitor tracing"), fixed(toLabelP99, 2) + QStringLiteral(" ms"),
                    QStringLiteral("< 5 ms"), toLabelP99 < 5,
                    QStringLiteral("median %1 ms, longest %2 ms over %3 frames")
                        .arg(fixed(percentile(toLabel, 50), 2), fixed(percentile(toLabel, 100), 2))
                        .arg(toLabel.size())});

    // The splash stands for its timer's 2 s give or take the timer's slack; what is
    // left of the start-up is the program's own: loading, the window built, the
    // settings read, the first paint.
    const double launchToWindowMs = ms(window.shownNs - window.launchedNs);
    const double startupMs = launchToWindowMs - ms(window.splash.length());
    rows.push_back({QStringLiteral("start-up to main window, less splash"), fixed(startupMs, 0) + QStringLiteral(" ms"),
                    QStringLiteral("-"), std::nullopt,
                    QStringLiteral("launch to first paint %1 ms, of it the splash %2 ms (%3 ms before it)")
                        .arg(fixed(launchToWindowMs, 0), fixed(ms(window.splash.length()), 0),
                             fixed(ms(window.splash.fromNs - window.launchedNs), 0))});

    const long peakKb = std::max(idle.peakKb, window.peakKb);
    const double peakMb = double(peakKb) * 1024 / 1e6;
    rows.push_back({QStringLiteral("peak resident memory (VmHWM)"), fixed(peakMb, 1) + QStringLiteral(" MB"),
                    QStringLiteral("< 80 MB"), peakKb > 0 && peakMb < 80,
                    QStringLiteral("quillmark idle %1 MB, window through the automatic test %2 MB")
                        .arg(fixed(double(idle.peakKb) * 1024 / 1e6, 1), fixed(double(window.peakKb) * 1024 / 1e6, 1))});

    const AutoFigures test = automaticTest(window, FixedWaitMs / options.speed);
    const double ratio = test.wallMs / test.waitsMs;
    rows.push_back({QStringLiteral("automatic test / sum of its waits"), fixed(ratio, 4), QStringLiteral("< 1.02"),
                    ratio < 1.02,
                    QStringLiteral("%1 s / %2 s: %3 fixed waits, %4 ramps %5 s; operator %6 ms left out")
                        .arg(fixed(test.wallMs / 1000, 3), fixed(test.waitsMs / 1000, 3))
                        .arg(test.fixedWaits)
                        .arg(test.ramps)
                        .arg(fixed(test.rampMs / 1000, 3), fixed(test.operatorMs, 1))});

    std::printf("Quillmark performance: %s on the simulated kit over a pseudo-terminal, kit time scale %s, "
                "offscreen display; load average %s before, %s after\n\n",
                qPrintable(relayName), qPrintable(QString::number(1.0 / options.speed)), qPrintable(loadBefore),
                qPrintable(benchline::loadAverage()));
    if (smokeRun) {
        for (Row &row : rows)
            row.met.reset();
        printTable(rows);
        const bool allMeasured =
            std::all_of(rows.begin(), rows.end(), [](const Row &row) { return benchline::measured(row.figure); });
        std::printf("\nsmoke run: every part ran%s\n", allMeasured ? "" : ", but a figure is missing");
        return allMeasured ? 0 : 1;
    }
    printTable(rows);

    const bool allMet = std::all_of(rows.begin(), rows.end(), [](const Row &row) { return row.met.value_or(true); });
    return allMet ? 0 : 1;
}
