#include "console/frmmain.h"
#include "kitsim/simulatedkitport.h"
#include "platform/shutdownsignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QStyleFactory>

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

    FrmMain frmMain({}, std::move(port));
    if (simulated) {
        frmMain.setWindowTitle(frmMain.windowTitle() + QStringLiteral(" [simulated kit]"));
        // The simulated kit has the relay the operator selects wired to it.
        QObject::connect(frmMain.cmbType, &QComboBox::currentIndexChanged, simulated, [simulated](int index) {
            if (index >= 0)
                simulated->kit().setRelay(index);
        });
    }
    frmMain.formLoad();
    // Taken over only now: until start-up has read the settings there is nothing in
    // memory to save, and closing would write half-loaded values over the files.
    const platform::ShutdownSignals stopSignals;
    QObject::connect(&stopSignals, &platform::ShutdownSignals::stopRequested, &frmMain, &QWidget::close);
    frmMain.show();
    return app.exec();
}
