// What an idle bench costs: Quillmark polling the simulated kit on a pseudo-terminal
// for a minute, and ten fixed waits in a row. CPU time comes from the kernel's own
// accounting of the process.

#include "console/configfiles.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int Port = 9;

// utime + stime of a process, in seconds, from /proc/<pid>/stat.
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

double ownCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void sleepInEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Percent of one core that Quillmark uses while it polls an idle kit.
double idlePolling(int seconds)
{
    QTemporaryDir folder;
    config::PortAndNumbering stored = config::defaultPortAndNumbering();
    stored.portNumber = Port;
    if (!config::saveArt(folder.path(), stored).ok
        || !config::saveArtc(folder.path(), config::defaultFolders(folder.path())).ok) {
        std::fprintf(stderr, "cannot write the settings in %s\n", qPrintable(folder.path()));
        return -1;
    }

    QProcess kit;
    kit.start(QStringLiteral(KITSIM_PROGRAM), {"--folder", folder.path(), "--port", QString::number(Port),
                                               "--log", QDir(folder.path()).filePath("kit.log")});
    while (!QFileInfo(QDir(folder.path()).filePath(QStringLiteral("COM%1").arg(Port))).isSymLink())
        sleepInEventLoop(20);

    QProcess quillmark;
    quillmark.setWorkingDirectory(folder.path());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillmark.setProcessEnvironment(env);
    quillmark.start(QStringLiteral(QUILLMARK_PROGRAM), {});
    quillmark.waitForStarted();
    sleepInEventLoop(5000);  // splash, port check, coil switched off: polling from here on

    const double before = cpuSecondsOf(quillmark.processId());
    QElapsedTimer wall;
    wall.start();
    sleepInEventLoop(seconds * 1000);
    const double used = cpuSecondsOf(quillmark.processId()) - before;
    const double percent = 100.0 * used / (double(wall.elapsed()) / 1000.0);

    QFile log(QDir(folder.path()).filePath("kit.log"));
    log.open(QIODevice::ReadOnly);
    const int queries = log.readAll().count("?D");
    std::printf("%-44s %8.3f %%  (%.3f s CPU in %.1f s; %d live queries)\n", "idle polling, percent of one core",
                percent, used, double(wall.elapsed()) / 1000.0, queries);

    quillmark.terminate();
    quillmark.waitForFinished(3000);
    kit.terminate();
    kit.waitForFinished(3000);
    return percent;
}

class NoView final : public LinkView
{
public:
    void showCommStatus(const QString &) override {}
    void showLiveReadings(const QString &, const QString &, bool) override {}
    QWidget *dialogParent() override { return nullptr; }
};

class NoLine final : public KitPort
{
public:
    bool open(const QString &) override { return true; }
    bool isOpen() const override { return true; }
    QString errorString() const override { return {}; }
    bool write(const QByteArray &) override { return true; }
    QByteArray readAll() override { return {}; }
    void setReceiveEvents(bool) override {}
};

// Ten one-second settle waits back to back.
void fixedWaits()
{
    MainWindowFields fields;
    NoLine line;
    NoView view;
    QTimer tmrPortOpen, tmrComm, tmrTout;
    tmrTout.setSingleShot(true);
    tmrTout.setTimerType(Qt::PreciseTimer);
    tmrTout.setInterval(1000);
    KitLink link(fields, line, view, {tmrPortOpen, tmrComm, tmrTout});

    QList<qint64> lengths;
    const double before = ownCpuSeconds();
    for (int i = 0; i < 10; ++i) {
        QElapsedTimer clock;
        clock.start();
        link.wait.hold();
        lengths << clock.elapsed();
    }
    const double used = ownCpuSeconds() - before;
    std::sort(lengths.begin(), lengths.end());
    std::printf("%-44s %8.3f %%  (%.3f s CPU in 10 waits)\n", "ten fixed waits, percent of one core",
                100.0 * used / 10.0, used);
    std::printf("%-44s %8lld ms (shortest %lld, longest %lld)\n", "fixed wait, median", lengths[5],
                lengths.first(), lengths.last());
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures what an idle Quillmark costs."));
    parser.addHelpOption();
    const QCommandLineOption seconds(QStringLiteral("seconds"), QStringLiteral("Length of the idle run."),
                                     QStringLiteral("seconds"), QStringLiteral("60"));
    parser.addOption(seconds);
    parser.process(app);

    std::printf("%-44s %10s\n", "measure", "figure");
    fixedWaits();
    const double idle = idlePolling(std::max(1, parser.value(seconds).toInt()));
    return idle >= 0 && idle < 1.0 ? 0 : 1;
}
