// quillmark-history-pty-bench: what the results history costs the bench's own
// thread. The kit runs in this process on a pseudo-terminal, as in quillmark-bench,
// and notes on CLOCK_MONOTONIC when it heard each command; the program runs in a
// child of this one, set up as the quillmark executable sets itself up (window,
// real serial port, journal), with the history window open over 100,000 relays.
// While the bench polls, the child exports them all as CSV (once on its own, once
// during an all-channel contact run), prints 10,000 to PDF, imports 10,000 from a
// report file, and refreshes a window over a PostgreSQL server stopped with
// SIGSTOP. From the kit's side: the longest gap between live-reading queries, the
// longest contact-run channel step; from both: frame to label. Before that, the
// quillmark executable imports a 50 MB report file on the command line and its
// peak memory is taken from the kernel. Prints one table; exits with 1 when a
// target is missed. Run by hand; takes about three minutes. --smoke runs every part
// but the PostgreSQL one on a hundredth of the relays, the window's timers ten
// times faster, in some ten seconds.
//
//   quillmark-history-pty-bench [--no-postgresql] [--no-big-import] [--trace FILE] [--smoke]

#include "benchkit.h"
#include "benchline.h"
#include "clock.h"
#include "console/record/benchrecord.h"
#include "console/record/configfiles.h"
#include "console/record/relaycatalogue.h"
#include "console/window/frmmain.h"
#include "controls.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "pgserver.h"
#include "programpeak.h"
#include "platform/prompts.h"
#include "quillmark_version.h"
#include "reports/history/historystore.h"
#include "reports/history/historywindow.h"
#include "reports/history/journal.h"
#include "reports/history/recorditems.h"
#include "reports/history/reportimport.h"
#include "reports/reportfile.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QComboBox>
#include <QCommandLineParser>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProcess>
#include <QPushButton>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>

using benchclock::monotonicNs;
using benchclock::ms;
using benchclock::percentile;

namespace {

constexpr int Port = 9;
constexpr const char *RigFlag = "--history-rig";

// How large a run is: the whole one, or a smoke run that only shows each part runs.
struct Scale {
    int batch = 10000;        // relays a report file; the history holds ten of them
    int bigMb = 50;           // the report file the command line imports
    int speed = 1;            // the window's timers and the phases' pauses this many times faster

    static Scale smoke() { return {100, 1, 10}; }
    QString count(int n) const { return QLocale(QLocale::English).toString(n); }
};

// ---- Report files of many relays ----

// count relays of QN1 (style 2) or QL1 (4), serials from first on, each with its own readings.
QByteArray batch(int style, int first, int count)
{
    QByteArray out;
    BenchRecord r;
    r.StyleCode = qint16(style);
    // The code the style's form writes, on the line the import looks for it: in the
    // two sequence lines of a long record, on a line of its own in a short one.
    const history::InterlockingCodes code = history::interlockingCodes(style);
    r.NOSequence = r.NCSequence = code.codes.value(0);
    for (int serial = first; serial < first + count; ++serial) {
        r.RelayID = r.ReportItems[1] = QStringLiteral("%1/22DAB").arg(serial, 6, 10, QLatin1Char('0'));
        r.CoilResistance1 = 1000.0f + float(serial % 97) / 4;
        r.PickUpVoltage = 16.0f + float(serial % 13) / 20;
        r.DropAwayVoltage = 4.0f + float(serial % 11) / 20;
        for (int c = 1; c <= 16; ++c)
            r.ContactRes[std::size_t(c)] = float((serial + c) % 30);
        for (std::size_t k = 2; k <= 22; ++k)
            r.ReportItems[k] = k % 5 == 0 ? QStringLiteral("OK") : QString::number(double(serial % 50) + double(k) / 10, 'f', 1);
        if (reports::recordLineCount(style) == 30)  // the short record: report item n on line n
            r.ReportItems[std::size_t(code.line)] = code.codes.value(0);
        out += reports::formatRecord(r);
    }
    return out;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

// ---- The program's side, in the child ----

// The quillmark executable's set-up, watched from outside: the label's repaints
// are noted, and each phase is driven through the window's buttons' own calls.
class Rig : public QObject
{
public:
    Rig(const QString &folder, bool postgres, int speed)
        : m_folder(folder)
        , m_postgres(postgres)
        , m_speed(speed)
        , m_window(m_record, m_prompts, platform::StartupFolder(folder), timingsAt(speed))
    {
        m_voltage.installEventFilter(this);
        m_paints.reserve(8192);
        // The bench's thread as it turns: a gap between two turns says whether it was
        // busy (its CPU time went on) or not running at all.
        m_turn.callOnTimeout(this, [this] {
            const qint64 now = monotonicNs(), cpu = threadCpuNs();
            if (m_lastTurn != 0 && now - m_lastTurn > 100'000'000)
                std::printf("stall %lld %lld %lld\n", m_lastTurn, now, cpu - m_lastTurnCpu);
            m_lastTurn = now;
            m_lastTurnCpu = cpu;
        });
        m_turn.start(10);
        QTimer::singleShot(std::chrono::minutes(20), this, [this] { finish("the run did not end in 20 minutes"); });
    }

    void start()
    {
        // As src/app/main.cpp: the journal once start-up is over, then the window.
        connect(&m_window, &FrmMain::loaded, this, [this] {
            m_journal = new history::Journal(location(), m_window.startupFolder().file(QStringLiteral("history.pending")),
                                             &m_window);
            m_journal->catchUp();
            m_window.setJournal(*m_journal);
            m_window.show();
        });
        m_logged = connect(&m_window.link().log, &KitLog::appended, this, [this] {
            const KitLog::Entry &entry = m_window.link().log.latest();
            if (entry.direction == KitLog::Direction::Sent && entry.text.startsWith(QLatin1String("@V0000"))) {
                disconnect(m_logged);
                QTimer::singleShot(pause(2500), this, [this] { openHistory(); });
            }
        });
        m_window.formLoad();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && m_voltage.text() != m_painted) {
            m_painted = m_voltage.text();
            m_paints.push_back({monotonicNs(), m_painted});
        }
        return false;
    }

private:
    // A pause between phases, shorter in a smoke run.
    int pause(int ms) const { return ms / m_speed; }

    history::Location location() const
    {
        return *history::Location::parse(QStringLiteral("sqlite:") + m_folder + QStringLiteral("/history.sqlite"));
    }

    static void say(const QString &line)
    {
        std::printf("%s\n", qPrintable(line));
        std::fflush(stdout);
    }

    void begin(const char *phase)
    {
        m_phase = QString::fromLatin1(phase);
        say(QStringLiteral("phase %1 %2").arg(m_phase).arg(monotonicNs()));
    }

    void end(const QString &detail)
    {
        say(QStringLiteral("end %1 %2 %3").arg(m_phase).arg(monotonicNs()).arg(detail));
    }

    // Runs then once the window has read what it shows.
    void whenSettled(history::HistoryWindow *window, std::function<void()> then)
    {
        if (!window->busy()) {
            QTimer::singleShot(0, this, std::move(then));
            return;
        }
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(window, &history::HistoryWindow::settled, this, [window, connection, then] {
            if (window->busy())
                return;
            disconnect(*connection);
            then();
        });
    }

    void whenTaskEnds(std::function<void(bool ok)> then)
    {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(m_history, &history::HistoryWindow::taskFinished, this, [connection, then](bool ok) {
            disconnect(*connection);
            then(ok);
        });
    }

    QString status() const { return m_history->lblStatus->text().simplified().replace(QLatin1Char(' '), QLatin1Char('_')); }

    void openHistory()
    {
        m_history = new history::HistoryWindow(location(), m_prompts, m_window.startupFolder(), m_journal, &m_window);
        m_history->show();
        whenSettled(m_history, [this] { idle(); });
    }

    void idle()
    {
        say(QStringLiteral("vary on"));
        begin("idle");
        QTimer::singleShot(pause(10000), this, [this] {
            end(QStringLiteral("polling_only"));
            exportAll();
        });
    }

    void exportAll()
    {
        begin("csv");
        const bool started = m_history->exportChosen(m_folder + QStringLiteral("/all.csv"));
        whenTaskEnds([this, started](bool ok) {
            end(started && ok ? status() : QStringLiteral("FAILED_") + status());
            say(QStringLiteral("vary off"));
            QTimer::singleShot(pause(2000), this, [this] { exportDuringContactRun(); });
        });
    }

    void exportDuringContactRun()
    {
        begin("contact");
        control<QComboBox>(m_window, "cmbCRChannel").setCurrentIndex(catalogue::ChannelCount);
        control<QPushButton>(m_window, "cmdContactResistance").click();
        const bool started = m_history->exportChosen(m_folder + QStringLiteral("/again.csv"));
        auto exported = std::make_shared<std::optional<bool>>();
        whenTaskEnds([exported, started](bool ok) { *exported = started && ok; });
        auto watch = new QTimer(this);
        connect(watch, &QTimer::timeout, this, [this, watch, exported] {
            // The run ends with the coil supply switched off, after the last result.
            const bool idle = control<QGroupBox>(m_window, "FrameCPanel").isEnabled() && m_window.link().waits.idle();
            if (!exported->has_value() || !idle)
                return;
            watch->deleteLater();
            end(QStringLiteral("%1_results_listed,_export_%2")
                    .arg(control<QComboBox>(m_window, "cmbCR").count())
                    .arg(**exported ? "done" : "FAILED"));
            say(QStringLiteral("vary on"));
            QTimer::singleShot(pause(1000), this, [this] { printQl1(); });
        });
        watch->start(100);
    }

    void printQl1()
    {
        m_history->cmbStyle->setCurrentIndex(4);  // the QL1 relays, a tenth of the history
        whenSettled(m_history, [this] {
            begin("pdf");
            const bool started = m_history->printChosen(m_folder + QStringLiteral("/ql1.pdf"));
            whenTaskEnds([this, started](bool ok) {
                end(started && ok ? status() : QStringLiteral("FAILED_") + status());
                importBatch();
            });
        });
    }

    void importBatch()
    {
        m_history->cmbStyle->setCurrentIndex(2);
        whenSettled(m_history, [this] {
            begin("import");
            const bool started = m_history->importReport(m_folder + QStringLiteral("/new batch.csv"));
            whenTaskEnds([this, started](bool ok) {
                whenSettled(m_history, [this, started, ok] {
                    end(started && ok ? status() : QStringLiteral("FAILED_") + status());
                    // Polls on after the end, before the server's set-up holds this thread.
                    QTimer::singleShot(pause(1500), this, [this] { stoppedServer(); });
                });
            });
        });
    }

    // The server keeps its connections and answers nothing: a window refreshes as
    // the operator types, and another is opened (Ctrl+H) meanwhile.
    void stoppedServer()
    {
        if (!m_postgres) {
            finish(nullptr);
            return;
        }
        const QString started = m_pg.start();
        const QString url = started.isEmpty() ? m_pg.newDatabase() : QString();
        if (!started.isEmpty()) {
            say(QStringLiteral("note no PostgreSQL server: ") + started);
            finish(nullptr);
            return;
        }
        {
            history::Store store(*history::Location::parse(url), QStringLiteral("bench-setup"));
            (void)history::importReportFile(store, m_folder + QStringLiteral("/ql1 small.csv"), 4);
        }
        auto *window = new history::HistoryWindow(*history::Location::parse(url), m_prompts, m_window.startupFolder(),
                                                  nullptr, &m_window);
        window->show();
        whenSettled(window, [this, window, url] {
            begin("postgresql");
            const QString paused = m_pg.pause();
            QTimer::singleShot(100, this, [window] { window->txtRelayId->setText(QStringLiteral("0")); });
            QTimer::singleShot(4000, this, [window] { window->txtRelayId->setText(QStringLiteral("00")); });
            QTimer::singleShot(6000, this, [this, url] {
                auto *another = new history::HistoryWindow(*history::Location::parse(url), m_prompts,
                                                           m_window.startupFolder(), nullptr, &m_window);
                another->show();
            });
            QTimer::singleShot(15000, this, [this, window, paused] {
                const QString told = window->lblStatus->text().simplified().replace(QLatin1Char(' '), QLatin1Char('_'));
                m_pg.resume();
                end(paused.isEmpty() ? told : QStringLiteral("FAILED_") + paused);
                finish(nullptr);
            });
        });
    }

    void finish(const char *error)
    {
        say(QStringLiteral("vary off"));
        for (const auto &[ns, text] : m_paints)
            std::printf("paint %lld %s\n", ns, qPrintable(text));
        std::printf("end-of-run %s\n", error ? error : "ok");
        std::fflush(stdout);
        m_pg.resume();
        QCoreApplication::exit(error ? 1 : 0);
    }

    static qint64 threadCpuNs()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return benchclock::toNs(t);
    }

    QTimer m_turn;
    qint64 m_lastTurn = 0, m_lastTurnCpu = 0;
    const QString m_folder;
    const bool m_postgres;
    const int m_speed;
    platform::RecordedPrompts m_prompts;  // a message box would wait for nobody
    BenchRecord m_record;
    FrmMain m_window;
    QLabel &m_voltage = control<QLabel>(m_window, "lblVoltage");  // found once: it is watched on every paint
    history::Journal *m_journal = nullptr;
    history::HistoryWindow *m_history = nullptr;
    PgServer m_pg;
    QMetaObject::Connection m_logged;
    QString m_phase;
    QString m_painted;
    std::vector<std::pair<qint64, QString>> m_paints;
};

int runRig(int &argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const qsizetype speed = app.arguments().indexOf(QStringLiteral("--speed"));
    Rig rig(QDir::currentPath(), !app.arguments().contains(QStringLiteral("--no-postgresql")),
            std::max(1, speed > 0 ? app.arguments().value(speed + 1).toInt() : 1));
    rig.start();
    return app.exec();
}

// ---- This side: the history, the kit, the figures ----

QString fixed(double value, int decimals)
{
    return std::isnan(value) ? QStringLiteral("n/a") : QString::number(value, 'f', decimals);
}

struct Phase {
    qint64 fromNs = 0, toNs = 0;
    QString detail;
};

struct Run {
    QString error;
    std::map<QString, Phase> phases;
    std::vector<std::pair<qint64, QString>> paints;  // the label's new texts, the program's side
    std::vector<BenchKit::Heard> heard;              // the kit's side
    std::vector<std::pair<qint64, QString>> live;    // live frames sent, with the volts they carry
    struct Stall {
        qint64 fromNs, toNs, cpuNs;
    };
    std::vector<Stall> stalls;  // the program's thread did not turn for more than 100 ms
    QStringList notes;
};

// Everything both sides noted, in time order, in seconds from the first phase.
void writeTrace(const Run &run, const QString &path)
{
    std::multimap<qint64, QString> lines;
    for (const auto &[name, phase] : run.phases) {
        lines.emplace(phase.fromNs, QStringLiteral("phase %1 begins").arg(name));
        lines.emplace(phase.toNs, QStringLiteral("phase %1 ends: %2").arg(name, phase.detail));
    }
    for (const BenchKit::Heard &heard : run.heard)
        lines.emplace(heard.ns, QStringLiteral("kit heard     ") + heard.command);
    for (const auto &[ns, volts] : run.live)
        lines.emplace(ns, QStringLiteral("kit answered  ") + volts + QStringLiteral(" V"));
    for (const auto &[ns, text] : run.paints)
        lines.emplace(ns, QStringLiteral("lblVoltage    ") + text);
    for (const Run::Stall &stall : run.stalls)
        lines.emplace(stall.fromNs, QStringLiteral("the program's thread stalls for %1 ms, %2 ms on the CPU")
                                        .arg(ms(stall.toNs - stall.fromNs), 0, 'f', 1)
                                        .arg(ms(stall.cpuNs), 0, 'f', 1));
    QFile file(path);
    if (lines.empty() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const qint64 zero = lines.begin()->first;
    for (const auto &[ns, what] : lines)
        file.write(QStringLiteral("%1  %2\n").arg(double(ns - zero) / 1e9, 10, 'f', 4).arg(what).toUtf8());
}

Run runChild(const QString &folder, bool postgres, int speed)
{
    Run run;
    BenchKit kit(folder, Port, 0);
    if (!kit.isOpen()) {
        run.error = kit.errorString();
        return run;
    }
    kit.setTimeScale(1.0 / speed);
    QProcess child;
    child.setWorkingDirectory(folder);
    child.setProcessEnvironment(offscreen());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QEventLoop done;
    bool ended = false;
    QObject::connect(&child, &QProcess::readyReadStandardOutput, &done, [&] {
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            const QList<QByteArray> f = line.split(' ');
            if (line == "vary on" || line == "vary off") {
                kit.setVaryingReadings(line == "vary on");
            } else if (f.value(0) == "phase") {
                run.phases[QString::fromLatin1(f.value(1))].fromNs = f.value(2).toLongLong();
                std::fprintf(stderr, "  %s\n", f.value(1).constData());
            } else if (f.value(0) == "end") {
                Phase &phase = run.phases[QString::fromLatin1(f.value(1))];
                phase.toNs = f.value(2).toLongLong();
                phase.detail = QString::fromUtf8(line.mid(line.indexOf(f.value(2)) + f.value(2).size() + 1)).replace(QLatin1Char('_'), QLatin1Char(' '));
            } else if (f.value(0) == "paint") {
                run.paints.emplace_back(f.value(1).toLongLong(), QString::fromUtf8(line.mid(line.indexOf(' ', 6) + 1)));
            } else if (f.value(0) == "stall") {
                run.stalls.push_back({f.value(1).toLongLong(), f.value(2).toLongLong(), f.value(3).toLongLong()});
            } else if (f.value(0) == "note") {
                run.notes << QString::fromUtf8(line.mid(5));
            } else if (f.value(0) == "end-of-run") {
                ended = true;
                if (f.value(1) != "ok")
                    run.error = QString::fromUtf8(line.mid(11));
            }
        }
    });
    QObject::connect(&child, &QProcess::finished, &done, &QEventLoop::quit);
    QStringList arguments{QString::fromLatin1(RigFlag), QStringLiteral("--speed"), QString::number(speed)};
    if (!postgres)
        arguments << QStringLiteral("--no-postgresql");
    child.start(QCoreApplication::applicationFilePath(), arguments);
    done.exec();
    if (!ended && run.error.isEmpty())
        run.error = QStringLiteral("the program's side ended without its figures");
    run.heard = kit.heard();
    for (const BenchKit::Frame &frame : kit.frames()) {
        const QString text = QString::fromLatin1(frame.bytes);
        if (wire::classify(text) == wire::FrameKind::LiveReadings)
            run.live.emplace_back(frame.ns, QString::number(double(wire::decodeLiveReadings(text).volts), 'f', 1));
    }
    return run;
}

using Heard = BenchKit::Heard;

// The longest stretch without a live-readings query that reaches into the phase.
double longestPollGapMs(const std::vector<Heard> &heard, const Phase &phase)
{
    qint64 previous = 0, longest = 0;
    for (const Heard &h : heard) {
        if (h.command != QLatin1String(wire::cmd::LiveReadings))
            continue;
        if (previous != 0 && h.ns > phase.fromNs && previous < phase.toNs)
            longest = std::max(longest, h.ns - previous);
        previous = h.ns;
    }
    return ms(longest);
}

// From each channel's measuring command to the next command: the channel's two
// fixed waits, 2 s.
std::vector<double> channelStepsMs(const std::vector<Heard> &heard, const Phase &phase)
{
    std::vector<double> steps;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        if (heard[i].ns < phase.fromNs || heard[i].ns > phase.toNs || !heard[i].command.startsWith(QLatin1String("@G")))
            continue;
        for (std::size_t j = i + 1; j < heard.size(); ++j) {
            if (heard[j].command != QLatin1String(wire::cmd::LiveReadings)) {
                steps.push_back(ms(heard[j].ns - heard[i].ns));
                break;
            }
        }
    }
    return steps;
}

// A live frame's last byte to the voltage label painted with its value.
std::vector<double> frameToLabelMs(const Run &run, const Phase &phase)
{
    const auto &live = run.live;
    std::vector<double> latencies;
    for (const auto &[paintNs, text] : run.paints) {
        if (paintNs < phase.fromNs || paintNs > phase.toNs)
            continue;
        const auto after = std::upper_bound(live.begin(), live.end(), paintNs,
                                            [](qint64 ns, const auto &frame) { return ns < frame.first; });
        if (after == live.begin())
            continue;
        const auto &frame = *std::prev(after);
        if (frame.second == text && paintNs - frame.first < 250'000'000)
            latencies.push_back(ms(paintNs - frame.first));
    }
    return latencies;
}

bool prepare(const QString &folder, const Scale &scale)
{
    config::PortAndNumbering stored = config::defaultPortAndNumbering();
    stored.portNumber = Port;
    if (!config::saveArt(folder, stored).ok || !config::saveArtc(folder, config::defaultFolders(folder)).ok)
        return false;
    // Nine batches of QN1 relays and one of QL1 (90,000 and 10,000), as the window
    // will find them.
    history::Store store(*history::Location::parse(QStringLiteral("sqlite:") + folder + QStringLiteral("/history.sqlite")),
                         QStringLiteral("bench-fill"));
    for (int b = 0; b < 10; ++b) {
        const QString file = folder + QStringLiteral("/batch %1.csv").arg(b);
        const int style = b == 9 ? 4 : 2;
        if (!writeFile(file, batch(style, b * scale.batch, scale.batch)))
            return false;
        if (const history::ImportResult imported = history::importReportFile(store, file, style); !imported.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(imported.error));
            return false;
        }
        QFile::remove(file);
    }
    return writeFile(folder + QStringLiteral("/new batch.csv"), batch(2, 500000, scale.batch))
           && writeFile(folder + QStringLiteral("/ql1 small.csv"), batch(4, 1, 50));
}

struct Row {
    QString measure, figure, target;
    std::optional<bool> met;
    QString how;
};

// The quillmark executable imports a report file of 50 MB of QN1 records on the
// command line: its peak memory.
Row bigImport(const QTemporaryDir &folder, const Scale &scale)
{
    std::fprintf(stderr, "a %d MB report file of QN1 records imported on the command line\n", scale.bigMb);
    const QString big = folder.filePath(QStringLiteral("big.csv"));
    const QString measure = QStringLiteral("import of a %1 MB report file: peak memory").arg(scale.bigMb);
    int records = 0;
    {
        QFile file(big);
        if (!file.open(QIODevice::WriteOnly))
            return {measure, QStringLiteral("n/a"), QStringLiteral("< 100 MB"), false, QStringLiteral("cannot write ") + big};
        for (; file.size() < qint64(scale.bigMb) * 1'000'000; records += scale.batch)
            file.write(batch(2, 1000000 + records, scale.batch));
    }
    const double bigMb = double(QFileInfo(big).size()) / 1e6;
    const ProgramRun imported =
        runProgram(QUILLMARK_PROGRAM, {QStringLiteral("--import-report"), big, QStringLiteral("--style"), QStringLiteral("QN1"),
                                       QStringLiteral("--history"),
                                       QStringLiteral("sqlite:") + folder.filePath(QStringLiteral("big.sqlite"))});
    QFile::remove(big);
    // A failed import measured nothing.
    return {measure, imported.exitCode == 0 ? fixed(imported.peakMb, 1) + QStringLiteral(" MB") : QStringLiteral("n/a"),
            QStringLiteral("< 100 MB"), imported.exitCode == 0 && imported.peakMb < 100,
            QStringLiteral("quillmark --import-report, %1 MB, %2 records in %3 s, exit %4 (the kernel's "
                           "maximum resident size)")
                .arg(fixed(bigMb, 1), scale.count(records), fixed(imported.seconds, 1))
                .arg(imported.exitCode)};
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], RigFlag) == 0)
        return runRig(argc, argv);

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Measures what the results history costs the bench's own thread, from the kit's side of a pseudo-terminal, "
        "with the history window open over 100,000 relays; and the peak memory of a 50 MB report file imported on "
        "the command line. Prints one table and exits with 1 when a target is missed. Takes about three "
        "minutes."));
    const QCommandLineOption noPostgres(QStringLiteral("no-postgresql"),
                                        QStringLiteral("Leave out the PostgreSQL server stopped with SIGSTOP."));
    const QCommandLineOption noBigImport(QStringLiteral("no-big-import"),
                                         QStringLiteral("Leave out the 50 MB report file imported on the command line."));
    const QCommandLineOption trace(QStringLiteral("trace"),
                                   QStringLiteral("Write what both sides noted, in time order, to FILE."),
                                   QStringLiteral("FILE"));
    const QCommandLineOption smoke = benchline::smokeOption(
        QStringLiteral("a hundredth of the relays, a 1 MB report file, the window's timers ten times faster, no "
                       "PostgreSQL; about ten seconds"));
    parser.addOptions({noPostgres, noBigImport, trace, smoke});
    benchline::read(parser, argc, argv);
    QCoreApplication app(argc, argv);
    const bool smokeRun = parser.isSet(smoke);
    const Scale scale = smokeRun ? Scale::smoke() : Scale();
    const bool postgres = !smokeRun && !parser.isSet(noPostgres);
    const QString loadBefore = benchline::loadAverage();
    QTemporaryDir folder;
    std::vector<Row> rows;

    // The big report file on the command line, before anything else ran in a child.
    if (!parser.isSet(noBigImport))
        rows.push_back(bigImport(folder, scale));

    const QString historyCount = scale.count(scale.batch * 10);
    std::fprintf(stderr, "a history of %s relays\n", qPrintable(historyCount));
    if (!prepare(folder.path(), scale)) {
        std::fprintf(stderr, "cannot prepare the history in %s\n", qPrintable(folder.path()));
        return 2;
    }
    std::fprintf(stderr, "the program in a child, the history window open, while the bench polls\n");
    const Run run = runChild(folder.path(), postgres, scale.speed);
    if (!run.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(run.error));
        return 2;
    }
    for (const QString &note : run.notes)
        std::fprintf(stderr, "%s\n", qPrintable(note));
    if (parser.isSet(trace))
        writeTrace(run, parser.value(trace));
    const std::vector<Heard> &heard = run.heard;
    const QString batchCount = scale.count(scale.batch);
    QList<std::pair<QString, QString>> polled{{"idle", "polling only"},
                                              {"csv", QStringLiteral("CSV export of %1 relays").arg(historyCount)},
                                              {"pdf", QStringLiteral("PDF of %1 relays").arg(batchCount)},
                                              {"import", QStringLiteral("window import of %1 records").arg(batchCount)}};
    if (postgres)
        polled.append({QStringLiteral("postgresql"), QStringLiteral("PostgreSQL stopped (SIGSTOP), refreshes")});
    std::vector<double> allToLabel;
    for (const auto &[name, what] : polled) {
        const auto found = run.phases.find(name);
        if (found == run.phases.end() || found->second.toNs == 0) {
            rows.push_back({QStringLiteral("longest poll gap, ") + what, QStringLiteral("n/a"), QStringLiteral("<= 300 ms"),
                            std::nullopt, QStringLiteral("not run")});
            continue;
        }
        const Phase &phase = found->second;
        const double gap = longestPollGapMs(heard, phase);
        const std::vector<double> toLabel = frameToLabelMs(run, phase);
        allToLabel.insert(allToLabel.end(), toLabel.begin(), toLabel.end());
        rows.push_back({QStringLiteral("longest poll gap, ") + what, fixed(gap, 1) + QStringLiteral(" ms"),
                        QStringLiteral("<= 300 ms"), gap <= 300,
                        QStringLiteral("%1 s; frame to label p99 %2 ms over %3 frames; %4")
                            .arg(fixed(ms(phase.toNs - phase.fromNs) / 1000, 1), fixed(percentile(toLabel, 99), 2))
                            .arg(toLabel.size())
                            .arg(phase.detail)});
    }
    const auto contact = run.phases.find(QStringLiteral("contact"));
    const std::vector<double> steps =
        contact != run.phases.end() && contact->second.toNs != 0 ? channelStepsMs(heard, contact->second) : std::vector<double>();
    const double longest = steps.empty() ? std::nan("") : percentile(steps, 100);
    const double stepTargetMs = 2050.0 / scale.speed;  // two fixed waits and a little
    rows.push_back({QStringLiteral("longest channel step, contact run during CSV export of %1").arg(historyCount),
                    fixed(longest / 1000, 3) + QStringLiteral(" s"),
                    QStringLiteral("<= %1 s").arg(stepTargetMs / 1000, 0, 'f', 3), !steps.empty() && longest <= stepTargetMs,
                    steps.empty() ? QStringLiteral("not run")
                                  : QStringLiteral("%1 steps, median %2 s; %3")
                                        .arg(steps.size())
                                        .arg(fixed(percentile(steps, 50) / 1000, 3), contact->second.detail)});
    const double p99 = percentile(allToLabel, 99);
    rows.push_back({QStringLiteral("frame's last byte to label text, p99"), fixed(p99, 2) + QStringLiteral(" ms"),
                    QStringLiteral("< 5 ms"), !allToLabel.empty() && p99 < 5,
                    QStringLiteral("%1 frames over the polled phases, longest %2 ms")
                        .arg(allToLabel.size())
                        .arg(fixed(percentile(allToLabel, 100), 2))});

    std::printf("Quillmark history load: the simulated kit over a pseudo-terminal, kit time scale %s, offscreen "
                "display, SQLite history of %s relays; load average %s before, %s after\n\n",
                qPrintable(QString::number(1.0 / scale.speed)), qPrintable(historyCount), qPrintable(loadBefore),
                qPrintable(benchline::loadAverage()));
    std::printf("| measure | figure | target | result | how\n|---|---:|---|---|---\n");
    for (const Row &row : rows)
        std::printf("| %s | %s | %s | %s | %s\n", qPrintable(row.measure), qPrintable(row.figure), qPrintable(row.target),
                    smokeRun || !row.met ? "-" : *row.met ? "met" : "MISSED", qPrintable(row.how));
    if (smokeRun) {
        // Every phase ran to its end and did what it was asked to.
        const bool ran = std::all_of(rows.begin(), rows.end(), [](const Row &row) {
            return benchline::measured(row.figure) && !row.how.contains(QLatin1String("FAILED"));
        });
        std::printf("\nsmoke run: %s\n", ran ? "every part ran" : "a part did not run or failed");
        return ran ? 0 : 1;
    }
    const bool allMet = std::all_of(rows.begin(), rows.end(), [](const Row &row) { return row.met.value_or(true); });
    return allMet ? 0 : 1;
}
