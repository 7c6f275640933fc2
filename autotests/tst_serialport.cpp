#include "kitprocess.h"

#include "kitlink/serialkitport.h"
#include "kitsim/ptyline.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// The bench's serial port on a pseudo-terminal that quillmark-kitsim plays the kit
// on, while another program has the port open.
class TestSerialPort : public QObject
{
    Q_OBJECT

private slots:
    void portHeldByAnotherProgramIsNamedSo()
    {
        KitProcess kit(0);
        QVERIFY(kit.linked());
        const QTemporaryDir &folder = kit.folder;
        const QString device = folder.filePath(QStringLiteral("COM%1").arg(KitProcess::Port));

        // Another bench in the same folder opens the port and asks for the kit.
        QProcess other;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), folder.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.path());
        other.setProcessEnvironment(environment);
        other.setWorkingDirectory(folder.path());
        other.start(QStringLiteral(QUILLMARK_PROGRAM), {"-platform", "offscreen"});
        QVERIFY(QTest::qWaitFor([&] { return kit.heard().contains("?"); }, 15000));

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
    }

    // An adapter (a pseudo-terminal behind a by-id link) whose device belongs to the
    // group dialout, opened by a user who is not in that group: the test takes the
    // identity of the user nobody for the open. Where the group may read and write the
    // device, the message names the device, the group and the command that lets the
    // user in; where it may not, joining it would not help and Qt's words stand.
    void adapterTheUserMayNotOpen_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("text");  // %1: the device
        QTest::newRow("the group may open it")
            << 0660
            << "Permission denied: %1 belongs to the group dialout, and this login of the user nobody is not in it. "
               "Let the user in once with\n    sudo adduser $USER dialout\nthen log out and log in again (a login "
               "keeps the groups it started with).";
        QTest::newRow("only its owner may") << 0600 << "Permission denied";
    }

    void adapterTheUserMayNotOpen()
    {
        QFETCH(int, mode);
        QFETCH(QString, text);
        if (::geteuid() != 0)
            QSKIP("taking another user's identity needs root");
        const group *dialout = ::getgrnam("dialout");
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(dialout && nobody);
        PtyLine adapter;
        QTemporaryDir byId;
        const QString stablePath = byId.filePath(QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"));
        QVERIFY(QFile::setPermissions(byId.path(), QFile::permissions(byId.path()) | QFile::ReadGroup | QFile::ExeGroup
                                                       | QFile::ReadOther | QFile::ExeOther));  // as /dev/serial/by-id
        QVERIFY(adapter.open() && adapter.link(stablePath));
        const QByteArray device = QFile::encodeName(adapter.slavePath());
        QVERIFY(::chown(device.constData(), 0, dialout->gr_gid) == 0 && ::chmod(device.constData(), mode_t(mode)) == 0);

        SerialKitPort port;
        QVERIFY(::setegid(nobody->pw_gid) == 0 && ::seteuid(nobody->pw_uid) == 0);
        const bool opened = port.open(stablePath);
        QVERIFY(::seteuid(0) == 0 && ::setegid(0) == 0);
        QVERIFY(!opened);
        QCOMPARE(port.errorString(), text.replace(QStringLiteral("%1"), adapter.slavePath()));
        QVERIFY2(port.open(stablePath), qPrintable(port.errorString()));  // its owner may
    }
};

QTEST_GUILESS_MAIN(TestSerialPort)
#include "tst_serialport.moc"
