// The simulated kit: the frames it answers each command with, how the contacts of
// its relay follow the coil, its ramps, its line faults, and the stand-alone
// program on a pseudo-terminal.

#include "kitsim/simulatedkit.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int QTA2 = 7;

} // namespace

class TestKitSim : public QObject
{
    Q_OBJECT

private slots:
    // commands: the pieces in which they reach the kit, parted by '|'; a piece "~"
    // waits for a ramp to end. answer: a pattern of every write the kit sent, each
    // followed by '/'.
    void answers_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("commands");
        QTest::addColumn<QString>("answer");

        const QString on("@V2400\r@A10\r"), live("V:0000 I0000 F\r/");
        QTest::newRow("presence") << 0 << "" << "?\r" << "OK\r/";
        QTest::newRow("idle live readings") << 0 << "" << "?D\r" << live;
        QTest::newRow("set-point alone drives nothing") << 0 << "" << "@V2400\r?D\r" << live;
        QTest::newRow("coil 1 at 24 V through 1030 ohm") << 0 << "" << on + "?D\r" << "V:2400 I0233 F\r/";
        QTest::newRow("coil 1 switched off") << 0 << "" << on + "@A00\r?D\r" << live;
        QTest::newRow("QL1 coil 2 through 695 ohm") << 5 << "" << "@V2400\r&A10\r?D\r" << "V:2400 I0345 F\r/";
        QTest::newRow("coil 2 terminals open on QNA1") << 0 << "" << "@V2400\r&A10\r?D\r" << "V:2400 I0000 F\r/";
        QTest::newRow("QTA2 on 500 mA from the source") << QTA2 << "" << "^Q0500\r^R1\r?D\r" << "V:0450 I5000 F\r/";
        QTest::newRow("QTA2 source off") << QTA2 << "" << "^Q0500\r^R1\r^R0\r?D\r" << live;
        QTest::newRow("switching is not answered") << 0 << "" << on + "@A00\r&A10\r&A00\r^Q0500\r^R1\r^R0\r" << "";
        QTest::newRow("unknown or malformed commands") << 0 << "" << "XYZ\r@V12a4\r@G17\r@G00\r@H\r?d\r" << "";
        QTest::newRow("a bad set-point leaves the old one") << 0 << "" << on + "@V24x0\r?D\r" << "V:2400 I0233 F\r/";
        QTest::newRow("coil resistances") << 5 << "" << "@R\r&R\r" << "R=07400\r/Q=06950\r/";
        QTest::newRow("an open coil 2 reads over range") << 0 << "" << "&R\r" << "Q=99999\r/";
        QTest::newRow("one byte at a time") << 0 << "" << "?|D|\r" << live;
        QTest::newRow("CR split from its command") << 0 << "" << "@R|\r?|\r" << "R=10300\r/OK\r/";
        QTest::newRow("line feeds and empty commands") << 0 << "" << "\r\r?\r\n|\n?\r" << "OK\r/OK\r/";
        QTest::newRow("runaway noise is forgotten") << 0 << "" << QString(33, 'x') + "|?\r" << "OK\r/";
        QTest::newRow("delay past one 65536 us unit") << 8 << "" << "@H01\r" << "&052141\r/";
        QTest::newRow("delay of no contact") << 4 << "" << "@H16\r" << "&00000@\r/";
        QTest::newRow("sequences") << 0 << "" << "@K\r" << "!,48372615,84736251\r/";
        QTest::newRow("sequences of fewer contacts") << QTA2 << "" << "@K\r" << "!,21------,1-------\r/";

        // Contacts follow the coil: front made when energised, back when not, none never.
        const QString made("#00[2-7]\\d\\d\r/"), open("#99999\r/");  // made: 20 to 80 milliohm
        QTest::newRow("front, coil on") << 0 << "" << on + "@G01\r" << made;
        QTest::newRow("front, coil off") << 0 << "" << "@V2400\r@G01\r" << open;
        QTest::newRow("back, coil off") << 0 << "" << "@G09\r" << made;
        QTest::newRow("back, coil on") << 0 << "" << on + "@G09\r" << open;
        QTest::newRow("front, 10 V is below pick-up") << 0 << "" << "@V1000\r@A10\r@G01\r" << open;
        QTest::newRow("front, held in at 10 V") << 0 << "" << on + "@V1000\r@G01\r" << made;
        QTest::newRow("back, let go at 2 V") << 0 << "" << on + "@V0200\r@G16\r" << made;
        QTest::newRow("QNA1K none, coil on") << 4 << "" << on + "@G13\r" << open;
        QTest::newRow("QNA1K none, coil off") << 4 << "" << "@G13\r" << open;
        QTest::newRow("QL1 front through coil 2") << 5 << "" << "@V2400\r&A10\r@G01\r" << made;
        QTest::newRow("QTA2 front on the source") << QTA2 << "" << "^R1\r^Q0500\r@G01\r" << made;
        QTest::newRow("QTA2 front, source on without current") << QTA2 << "" << "^R1\r@G04\r" << open;
        QTest::newRow("QTA2 back on the source") << QTA2 << "" << "^R1\r^Q0500\r@G12\r" << open;
        QTest::newRow("QTA2 back, source off") << QTA2 << "" << "^Q0500\r@G12\r" << made;

        // A ramp is busy (B) until it ends (F), and then its query answers.
        const QString busy("V:\\d{4} I\\d{4} B\r/");
        QTest::newRow("pick-up ramp") << 0 << "" << "@P\r?D\r|~|?D\r?P\r"
                                      << busy + "V:\\d{4} I\\d{4} F\r/\\*:1580 I0153\r/";
        QTest::newRow("drop-away ramp, the supply left where it let go")
            << 0 << "" << on + "@D\r?D\r|~|?D\r?A\r" << busy + "V:0610 I0059 F\r/%:0610 I0059\r/";
        QTest::newRow("QL1 coil 2 pick-up ramp") << 5 << "" << "@p\r?D\r|~|?p\r" << busy + "-:1460 I0210\r/";
        QTest::newRow("QTA2 pick-up current ramp") << QTA2 << "" << "^Y\r?D\r|~|*P\r" << busy + ">:0106 I0118\r/";
        QTest::newRow("QTA2 drop-away current ramp") << QTA2 << "" << "^Z\r?D\r|~|*A\r" << busy + "!:0064 I0071\r/";

        // One row per line fault.
        QTest::newRow("silent") << 0 << "silent" << "?\r@R\r?D\r" << "";
        QTest::newRow("OK with a line feed") << 0 << "ok-linefeed" << "?\r" << "OK\r\n/";
        QTest::newRow("split") << 0 << "split" << "?D\r?\r" << "V:0000 /I0000 F\r/O/K\r/";
        QTest::newRow("merge") << 0 << "merge" << "?\r?D\r@R\r" << "OK\rV:0000 I0000 F\r/";
        QTest::newRow("drop one result") << 0 << "drop-result" << "@R\r?\r?D\r@R\r" << "OK\r/" + live + "R=10300\r/";
        QTest::newRow("garbage before the next frame") << 0 << "garbage=5" << "?\r?\r" << "[^\r]{5}/OK\r/OK\r/";
    }

    void answers()
    {
        QFETCH(int, relay);
        QFETCH(QString, fault);
        QFETCH(QString, commands);
        QFETCH(QString, answer);
        SimulatedKit kit;
        kit.setRelay(relay);
        kit.setTimeScale(0.02);  // a ramp takes 60 ms
        KitFaults faults;
        QVERIFY(fault.isEmpty() || addFault(fault, faults));
        kit.setFaults(faults);
        QString heard;
        connect(&kit, &SimulatedKit::transmit, this, [&](const QByteArray &bytes) { heard += bytes + '/'; });

        for (const QString &piece : commands.split(QLatin1Char('|'))) {
            if (piece == QLatin1String("~"))
                QTRY_VERIFY_WITH_TIMEOUT(!kit.busy(), 2000);
            else
                kit.receive(piece.toLatin1());
        }
        // Split pieces follow each other a few milliseconds apart.
        const QRegularExpression expected(QRegularExpression::anchoredPattern(answer));
        QTRY_VERIFY2(expected.match(heard).hasMatch(), qPrintable(QString(heard).replace('\r', QLatin1String("\\r"))));
    }

    // The bench closes and opens its port again; the kit must still be there.
    void programOnPseudoTerminal()
    {
        QTemporaryDir folder;
        QProcess kit;
        kit.start(QStringLiteral(KITSIM_PROGRAM), {"--folder", folder.path(), "--port", "7", "--relay", "4",
                                                   "--time-scale", "0.05", "--exit-after", "30"});
        QVERIFY(kit.waitForStarted());
        const QString link = folder.filePath(QStringLiteral("COM7"));
        QTRY_VERIFY(QFileInfo(link).isSymLink());
        for (int opening = 0; opening < 2; ++opening) {
            QSerialPort port;
            port.setPortName(link);
            QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
            port.write("?\r?D\r");
            QTRY_COMPARE(port.bytesAvailable(), qint64(18));
            QCOMPARE(port.readAll(), QByteArray("OK\rV:0000 I0000 F\r"));
        }

        kit.terminate();
        QVERIFY(kit.waitForFinished());
        QCOMPARE(kit.exitStatus(), QProcess::NormalExit);
        QCOMPARE(kit.exitCode(), 0);
        QVERIFY(!QFileInfo(link).isSymLink());
        // Its command log: the time and the command, a line each.
        const QString log = QString::fromLatin1(kit.readAllStandardOutput());
        QVERIFY2(QRegularExpression(QRegularExpression::anchoredPattern("(\\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\?D?\n){4}"))
                     .match(log)
                     .hasMatch(),
                 qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestKitSim)
#include "tst_kitsim.moc"
