#include "console/monitor/benchmonitor.h"
#include "console/window/frmmain.h"
#include "kitsim/simulatedkitport.h"
#include "platform/shutdownsignals.h"
#include "quillmark_version.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QDir>
#include <QStyleFactory>

#include <cstdio>
#include <memory>

namespace {

// Where the desktop entry starts the bench: the settings files art.cfg and artc.cfg
// and the contact results crval.csv are kept in the folder the program starts in.
QString benchFolder()
{
    return QDir::home().filePath(QStringLiteral("Quillmark"));
}

struct CommandLine {
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption simulate{QStringLiteral("simulate"),
                                      QStringLiteral("Run against a simulated kit instead of a serial adapter "
                                                     "(demonstration and training).")};
    const QCommandLineOption inBenchFolder{QStringLiteral("bench-folder"),
                                           QStringLiteral("Start in the bench folder ~/Quillmark (made if missing) "
                                                          "instead of the current folder; art.cfg and artc.cfg "
                                                          "are kept there. The desktop entry starts Quillmark so.")};

    CommandLine()
    {
        parser.setApplicationDescription(QStringLiteral("Relay routine-test bench"));
        parser.addOption(simulate);
        parser.addOption(inBenchFolder);
    }

    bool asksForTextOnly() const
    {
        return parser.isSet(help) || parser.isSet(version) || parser.isSet(QStringLiteral("help-all"));
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral(QUILLMARK_VERSION));

    // --help and --version answer in plain text on a PC with no display (a terminal
    // over ssh, a package check): they are looked for before the window system is
    // opened, which would abort there. Anything else is checked once the window
    // system has taken its own options (-platform and the like) off the line.
    CommandLine line;
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    line.parser.parse(arguments);
    if (line.asksForTextOnly()) {
        QCoreApplication textOnly(argc, argv);
        line.parser.process(textOnly);  // prints and exits
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral(QUILLMARK_DESKTOP_ID));  // the menu entry's icon and name
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));  // coloured button faces everywhere
    QApplication::setWindowIcon(FrmMain::benchIcon());  // the dialogs wear it too
    line.parser.process(app);

    if (line.parser.isSet(line.inBenchFolder)) {
        const QString folder = benchFolder();
        if (!QDir().mkpath(folder) || !QDir::setCurrent(folder)) {
            std::fprintf(stderr, "quillmark: cannot start in the bench folder %s\n",
                         qPrintable(QDir::toNativeSeparators(folder)));
            return 1;
        }
    }

    std::unique_ptr<KitPort> port;
    SimulatedKitPort *simulated = nullptr;
    if (line.parser.isSet(line.simulate)) {
        auto kitPort = std::make_unique<SimulatedKitPort>();
        simulated = kitPort.get();
        port = std::move(kitPort);
    }

    BenchRecord record;
    FrmMain frmMain(record, {}, std::move(port));
    if (simulated) {
        frmMain.setWindowTitle(frmMain.windowTitle() + QStringLiteral(" [simulated kit]"));
        // The simulated kit has the relay the operator selects wired to it.
        QObject::connect(frmMain.cmbType, &QComboBox::currentIndexChanged, simulated, [simulated](int index) {
            if (index >= 0)
                simulated->kit().setRelay(index);
        });
    }
    // Stop signals are taken over only once start-up is over: until the settings are
    // read there is nothing in memory to save, and closing would write half-loaded
    // values over the files.
    std::unique_ptr<platform::ShutdownSignals> stopSignals;
    QObject::connect(&frmMain, &FrmMain::loaded, &frmMain, [&frmMain, &stopSignals] {
        stopSignals = std::make_unique<platform::ShutdownSignals>();
        QObject::connect(stopSignals.get(), &platform::ShutdownSignals::stopRequested, &frmMain, &QWidget::close);
        frmMain.show();
        if (BenchMonitor::wasOpen())  // as the operator left it
            frmMain.showBenchMonitor();
    });
    frmMain.formLoad();
    return app.exec();
}
