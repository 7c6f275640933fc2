// quillmark-kitsim: a simulated relay test kit on a pseudo-terminal. The bench opens
// the COM<n> link it makes as its serial port and finds a kit there.

#include "kitsim/lineoutput.h"
#include "kitsim/ptyline.h"
#include "kitsim/simulatedkit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <unistd.h>

namespace {

struct Options {
    QString folder;
    int port = 1;
    int relay = 0;
    double timeScale = 1.0;
    KitFaults faults;
    std::optional<double> exitAfterSeconds;
    QString logFile;
    bool faultInput = false;
};

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

// SIGTERM and SIGINT end the event loop, so the link is removed on the way out.
void quitOnSignals(QCoreApplication &app)
{
    if (::pipe(signalPipe) != 0)
        return;
    ::fcntl(signalPipe[1], F_SETFL, O_NONBLOCK);  // a flood of signals must not block the handler
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action{};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

std::optional<Options> readOptions(const QCoreApplication &app, QString &error)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A simulated relay test kit on a pseudo-terminal."));
    parser.addHelpOption();
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("Folder for the COM link (default: current)."),
                                    QStringLiteral("dir"), QDir::currentPath());
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port number n of the COMn link (default 1)."),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption relay(QStringLiteral("relay"), QStringLiteral("Catalogue index 0..8 of the wired relay."),
                                   QStringLiteral("index"), QStringLiteral("0"));
    const QCommandLineOption timeScale(QStringLiteral("time-scale"),
                                       QStringLiteral("Factor on the ramp times (default 1)."), QStringLiteral("factor"),
                                       QStringLiteral("1"));
    const QCommandLineOption fault(QStringLiteral("fault"),
                                   QStringLiteral("silent, ok-linefeed, split, merge, drop-result, garbage[=N], "
                                                  "late=CMD:MS, twice=CMD[:MS], answer=CMD:TEXT, healthy; "
                                                  "may be given more than once."),
                                   QStringLiteral("name"));
    const QCommandLineOption exitAfter(QStringLiteral("exit-after"), QStringLiteral("Quit after so many seconds."),
                                       QStringLiteral("seconds"));
    const QCommandLineOption log(QStringLiteral("log"), QStringLiteral("Append the command log to this file."),
                                 QStringLiteral("file"));
    const QCommandLineOption faultInput(QStringLiteral("fault-input"),
                                        QStringLiteral("Read more fault names from standard input, one a line, "
                                                       "while running; each is in force from the next frame. The line "
                                                       "\"state\" prints what the coil outputs are left at; "
                                                       "\"stray=TEXT\" sends TEXT and a carriage return at once; "
                                                       "\"unplug\" and \"plug\" pull the line and plug a new one "
                                                       "in at the same link."));
    parser.addOptions({folder, port, relay, timeScale, fault, exitAfter, log, faultInput});
    parser.process(app);

    Options options;
    bool ok = false;
    options.folder = parser.value(folder);
    options.port = parser.value(port).toInt(&ok);
    if (!ok || options.port < 1 || options.port > 255) {
        error = QStringLiteral("--port wants a number 1..255");
        return std::nullopt;
    }
    options.relay = parser.value(relay).toInt(&ok);
    if (!ok || options.relay < 0 || options.relay > 8) {
        error = QStringLiteral("--relay wants a catalogue index 0..8");
        return std::nullopt;
    }
    options.timeScale = parser.value(timeScale).toDouble(&ok);
    if (!ok || options.timeScale <= 0) {
        error = QStringLiteral("--time-scale wants a positive number");
        return std::nullopt;
    }
    for (const QString &name : parser.values(fault)) {
        if (!addFault(name, options.faults)) {
            error = QStringLiteral("unknown fault %1").arg(name);
            return std::nullopt;
        }
    }
    if (parser.isSet(exitAfter)) {
        options.exitAfterSeconds = parser.value(exitAfter).toDouble(&ok);
        if (!ok || *options.exitAfterSeconds < 0) {
            error = QStringLiteral("--exit-after wants a number of seconds");
            return std::nullopt;
        }
    }
    options.logFile = parser.value(log);
    options.faultInput = parser.isSet(faultInput);
    return options;
}

// The kit's cable to the bench PC. "unplug" closes the pseudo-terminal and removes
// its link, as a USB adapter pulled from the PC vanishes with its device; "plug"
// opens a new one and links it at the same name, as the adapter plugged back comes up
// under whatever device name the kernel gives it. The kit itself runs on throughout,
// its outputs as they were.
class Cable
{
public:
    Cable(SimulatedKit &kit, QString linkPath)
        : m_kit(kit)
        , m_linkPath(std::move(linkPath))
    {
    }

    bool plug(QString &error)
    {
        auto line = std::make_unique<PtyLine>();
        if (!line->open() || !line->link(m_linkPath)) {
            error = line->errorString();
            return false;
        }
        QObject::connect(line.get(), &PtyLine::received, &m_kit, &SimulatedKit::receive);
        QObject::connect(&m_kit, &SimulatedKit::transmit, line.get(), &PtyLine::write);
        m_line = std::move(line);
        return true;
    }
    void unplug() { m_line.reset(); }
    QString device() const { return m_line ? m_line->slavePath() : QString(); }

    // A line of --fault-input that is about the cable: true when handled.
    bool command(const QString &line)
    {
        QString error;
        if (line == QLatin1String("unplug")) {
            unplug();
            std::fprintf(stderr, "quillmark-kitsim: unplugged\n");
        } else if (line == QLatin1String("plug")) {
            if (m_line)
                std::fprintf(stderr, "quillmark-kitsim: already plugged in\n");
            else if (plug(error))
                std::fprintf(stderr, "quillmark-kitsim: plugged in on %s\n", qPrintable(device()));
            else
                std::fprintf(stderr, "quillmark-kitsim: %s\n", qPrintable(error));
        } else {
            return false;
        }
        return true;
    }

private:
    SimulatedKit &m_kit;
    const QString m_linkPath;
    std::unique_ptr<PtyLine> m_line;
};

// Fault names typed (or piped) in while the kit runs: a kit that turns bad in the
// middle of a test, or a burst of line noise on demand. Each name is confirmed on the
// error channel once it is in force. Only with --fault-input: a kit started in the
// background of a shell must not read the terminal.
void takeFaultsFromInput(SimulatedKit &kit, Cable &cable, QCoreApplication &app)
{
    auto *notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, &app);
    auto pending = std::make_shared<QByteArray>();  // a line not yet ended
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&kit, &cable, notifier, pending] {
        char buffer[256];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            if (n == 0 || errno != EINTR)
                notifier->setEnabled(false);  // input closed: the faults stay as they are
            return;
        }
        pending->append(buffer, static_cast<qsizetype>(n));
        qsizetype end;
        while ((end = pending->indexOf('\n')) >= 0) {
            const QString name = QString::fromLocal8Bit(pending->left(end)).trimmed();
            pending->remove(0, end + 1);
            if (name.isEmpty() || cable.command(name))
                continue;
            if (name.startsWith(QLatin1String("stray="))) {  // not a fault: a frame sent now, unasked
                kit.sendStray(name.mid(6).toLatin1());
                continue;
            }
            if (name == QLatin1String("state")) {  // not a fault: what the outputs are left at
                const CoilOutputs &out = kit.outputs();
                std::fprintf(stderr, "quillmark-kitsim: state supply %.2f V, coil 1 %s, coil 2 %s, source %s at %.1f mA\n",
                             out.setVolts, out.coil1On ? "on" : "off", out.coil2On ? "on" : "off",
                             out.sourceOn ? "on" : "off", out.setMilliamps);
                continue;
            }
            KitFaults faults = kit.faults();
            if (addFault(name, faults)) {
                kit.setFaults(faults);
                std::fprintf(stderr, "quillmark-kitsim: fault %s in force\n", qPrintable(name));
            } else {
                std::fprintf(stderr, "quillmark-kitsim: unknown fault %s\n", qPrintable(name));
            }
        }
        if (pending->size() > 1024)
            pending->clear();  // no name is that long
    });
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmark-kitsim"));

    QString error;
    const std::optional<Options> options = readOptions(app, error);
    if (!options) {
        std::fprintf(stderr, "quillmark-kitsim: %s\n", qPrintable(error));
        return 2;
    }

    QFile logFile;
    if (options->logFile.isEmpty()) {
        (void)logFile.open(stdout, QIODevice::WriteOnly);
    } else {
        logFile.setFileName(options->logFile);
        if (!logFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "quillmark-kitsim: %s: %s\n", qPrintable(options->logFile),
                         qPrintable(logFile.errorString()));
            return 1;
        }
    }

    SimulatedKit kit;
    kit.setRelay(options->relay);
    kit.setTimeScale(options->timeScale);
    kit.setFaults(options->faults);
    const QString linkPath = QDir(options->folder).absoluteFilePath(QStringLiteral("COM%1").arg(options->port));
    Cable cable(kit, linkPath);
    if (!cable.plug(error)) {
        std::fprintf(stderr, "quillmark-kitsim: %s\n", qPrintable(error));
        return 1;
    }
    QObject::connect(&kit, &SimulatedKit::commandReceived, &kit, [&kit, &logFile] {
        const SimulatedKit::ReceivedCommand &command = kit.commandLog().constLast();
        QTextStream(&logFile) << command.when.toString(QStringLiteral("HH:mm:ss.zzz")) << ' ' << command.text << '\n';
        logFile.flush();
        kit.clearCommandLog();  // the file is the record; a kit left running must not grow
    });

    QObject::connect(&kit, &SimulatedKit::answerChanged, &kit, [](const QString &what) {
        std::fprintf(stderr, "quillmark-kitsim: %s\n", qPrintable(what));
    });

    quitOnSignals(app);
    if (options->faultInput)
        takeFaultsFromInput(kit, cable, app);
    if (options->exitAfterSeconds)
        QTimer::singleShot(static_cast<int>(*options->exitAfterSeconds * 1000), &app, &QCoreApplication::quit);

    std::fprintf(stderr, "quillmark-kitsim: relay %d on %s, linked as %s\n", options->relay,
                 qPrintable(cable.device()), qPrintable(linkPath));
    const int status = app.exec();
    cable.unplug();
    return status;
}
