#include "console/record/configfiles.h"
#include "kitlink/serialkitport.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The bench's serial port on a pseudo-terminal that quillmark-kitsim plays the kit
// on, while another program has the port open.
class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void portHeldByAnotherProgramIsNamedSo()
    {
        constexpr int Port = 9;
        QTemporaryDir folder;
        config::PortAndNumbering stored = config::defaultPortAndNumbering();
        stored.portNumber = Port;
        QVERIFY(config::saveArt(folder.path(), stored).ok);
        QVERIFY(config::saveArtc(folder.path(), config::defaultFolders(folder.path())).ok);
        QProcess kit;
        kit.start(QStringLiteral(KITSIM_PROGRAM), {"--folder", folder.path(), "--port", QString::number(Port)});
        QString kitSaid;
        QVERIFY(QTest::qWaitFor([&] { return (kitSaid += kit.readAllStandardError()).contains("linked as"); }, 5000));
        const QString device = folder.filePath(QStringLiteral("COM%1").arg(Port));

        // Another bench in the same folder opens the port and asks for the kit.
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
        other.setProcessEnvironment(environment);
        other.setWorkingDirectory(folder.path());
        other.start(QStringLiteral(QUILLMARK_PROGRAM), {"-platform", "offscreen"});
        QString heard;
        QVERIFY(QTest::qWaitFor([&] { return (heard += kit.readAllStandardOutput()).contains(QRegularExpression(" \\?\\n")); },
                                15000));

        {
            SerialKitPort second;
            QVERIFY(!second.open(device));
            QCOMPARE(second.errorString(), QStringLiteral("The port is in use by another program (quillmark, process %1)")
                                               .arg(other.processId()));
        }
        other.terminate();
        QVERIFY(other.waitForFinished(10000));
        SerialKitPort free;
        QVERIFY2(free.open(device), qPrintable(free.errorString()));
        kit.terminate();
        kit.waitForFinished(3000);
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
