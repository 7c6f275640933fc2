#include "console/window/frmmain.h"
#include "kitsim/simulatedkitport.h"
#include "platform/shutdownsignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QStyleFactory>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillmark"));
    QApplication::setApplicationVersion(QStringLiteral("3.11"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));  // coloured button faces everywhere
    QApplication::setWindowIcon(FrmMain::benchIcon());  // the dialogs wear it too

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Relay routine-test bench"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption simulate(QStringLiteral("simulate"),
                                      QStringLiteral("Run against a simulated kit instead of a serial adapter "
                                                     "(demonstration and training)."));
    parser.addOption(simulate);
    parser.process(app);

    std::unique_ptr<KitPort> port;
    SimulatedKitPort *simulated = nullptr;
    if (parser.isSet(simulate)) {
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
    });
    frmMain.formLoad();
    return app.exec();
}
