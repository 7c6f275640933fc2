#include "kitsim/simulatedkit.h"
#include "kitsim/simulatedkitport.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>

namespace {

constexpr int QTA2 = 7;

// A kit on a test bench of its own: everything it sends is kept, write by write.
struct Bench {
    SimulatedKit kit;
    QList<QByteArray> writes;

    explicit Bench(int relay = 0)
    {
        kit.setRelay(relay);
        kit.setTimeScale(0.02);  // a ramp takes 60 ms
        QObject::connect(&kit, &SimulatedKit::transmit, [this](const QByteArray &bytes) { writes << bytes; });
    }
    // Sends the commands and returns whatever the kit answered to them.
    QByteArray ask(const QByteArray &commands)
    {
        writes.clear();
        kit.receive(commands);
        return writes.join();
    }
};

int field(const QByteArray &frame, int first, int last)
{
    return frame.mid(first - 1, last - first + 1).toInt();
}

} // namespace

class TestKitSim : public QObject
{
    Q_OBJECT
private slots:
    void answers_data();
    void answers();
    void commandsInPieces_data();
    void commandsInPieces();
    void coilResistance_data();
    void coilResistance();
    void contacts_data();
    void contacts();
    void contactDelay_data();
    void contactDelay();
    void contactSequence_data();
    void contactSequence();
    void ramps_data();
    void ramps();
    void faults_data();
    void faults();
    void commandLog();
    void demoPort();
    void programOnPseudoTerminal();
};

void TestKitSim::answers_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("presence") << 0 << QByteArray("?\r") << QByteArray("OK\r");
    QTest::newRow("idle live readings") << 0 << QByteArray("?D\r") << QByteArray("V:0000 I0000 F\r");
    QTest::newRow("set-point alone drives nothing") << 0 << QByteArray("@V2400\r?D\r") << QByteArray("V:0000 I0000 F\r");
    QTest::newRow("coil 1 at 24 V through 1030 ohm") << 0 << QByteArray("@V2400\r@A10\r?D\r") << QByteArray("V:2400 I0233 F\r");
    QTest::newRow("coil 1 switched off again") << 0 << QByteArray("@V2400\r@A10\r@A00\r?D\r") << QByteArray("V:0000 I0000 F\r");
    QTest::newRow("current-ramp query reads alike") << 0 << QByteArray("@V1200\r@A10\r&D\r") << QByteArray("V:1200 I0117 F\r");
    QTest::newRow("QL1 coil 2 at 24 V through 695 ohm") << 5 << QByteArray("@V2400\r&A10\r?D\r") << QByteArray("V:2400 I0345 F\r");
    QTest::newRow("coil 2 terminals open on QNA1") << 0 << QByteArray("@V2400\r&A10\r?D\r") << QByteArray("V:2400 I0000 F\r");
    QTest::newRow("QTA2 on 500 mA from the source") << QTA2 << QByteArray("^Q0500\r^R1\r?D\r") << QByteArray("V:0450 I5000 F\r");
    QTest::newRow("source off") << QTA2 << QByteArray("^Q0500\r^R1\r^R0\r?D\r") << QByteArray("V:0000 I0000 F\r");
    QTest::newRow("switching commands are not answered")
        << 0 << QByteArray("@V2400\r@A10\r@A00\r&A10\r&A00\r^Q0500\r^R1\r^R0\r") << QByteArray();
    QTest::newRow("unknown and malformed commands are not answered")
        << 0 << QByteArray("XYZ\r@V12a4\r@G17\r@G00\r@H\r?d\r") << QByteArray();
    QTest::newRow("a bad set-point leaves the old one") << 0 << QByteArray("@V2400\r@A10\r@V24x0\r?D\r")
                                                        << QByteArray("V:2400 I0233 F\r");
}

void TestKitSim::answers()
{
    QFETCH(int, relay);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, answer);
    Bench bench(relay);
    QCOMPARE(bench.ask(commands), answer);
}

void TestKitSim::commandsInPieces_data()
{
    QTest::addColumn<QByteArrayList>("pieces");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("one byte at a time") << QByteArrayList{"?", "D", "\r"} << QByteArray("V:0000 I0000 F\r");
    QTest::newRow("two commands in one piece") << QByteArrayList{"?\r?D\r"} << QByteArray("OK\rV:0000 I0000 F\r");
    QTest::newRow("CR split from its command") << QByteArrayList{"@R", "\r?", "\r"} << QByteArray("R=10300\rOK\r");
    QTest::newRow("line feeds and empty commands") << QByteArrayList{"\r\r?\r\n", "\n?\r"} << QByteArray("OK\rOK\r");
    QTest::newRow("runaway noise is forgotten") << QByteArrayList{QByteArray(33, 'x'), "?\r"} << QByteArray("OK\r");
}

void TestKitSim::commandsInPieces()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArray, answer);
    Bench bench;
    QByteArray heard;
    for (const QByteArray &piece : pieces)
        heard += bench.ask(piece);
    QCOMPARE(heard, answer);
}

void TestKitSim::coilResistance_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<double>("lowest");
    QTest::addColumn<double>("highest");
    QTest::addColumn<bool>("secondCoil");

    // The bench tests 100..1200 ohm coils by voltage and 6..100 ohm QTA2 by current.
    for (int relay = 0; relay < 9; ++relay) {
        const bool qta2 = relay == QTA2;
        QTest::addRow("relay %d", relay) << relay << (qta2 ? 6.1 : 450.0) << (qta2 ? 99.9 : 1100.0) << (relay == 5);
    }
}

void TestKitSim::coilResistance()
{
    QFETCH(int, relay);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    QFETCH(bool, secondCoil);
    Bench bench(relay);

    const QByteArray coil1 = bench.ask("@R\r");
    QCOMPARE(coil1.size(), 8);
    QVERIFY(coil1.startsWith("R=") && coil1.endsWith('\r'));
    QVERIFY2(field(coil1, 3, 7) / 10.0 >= lowest && field(coil1, 3, 7) / 10.0 <= highest, coil1.constData());

    // The bench shows a second coil of 1000 ohm or more as an error: that is open.
    const QByteArray coil2 = bench.ask("&R\r");
    QCOMPARE(coil2.size(), 8);
    QVERIFY(coil2.startsWith("Q="));
    QCOMPARE(field(coil2, 3, 7) < 10000, secondCoil);
}

void TestKitSim::contacts_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QByteArray>("drive");
    QTest::addColumn<bool>("made");

    const QByteArray energise("@V2400\r@A10\r");
    QTest::newRow("QNA1 front, coil on") << 0 << 1 << energise << true;
    QTest::newRow("QNA1 front, coil off") << 0 << 1 << QByteArray("@V2400\r") << false;
    QTest::newRow("QNA1 back, coil off") << 0 << 9 << QByteArray() << true;
    QTest::newRow("QNA1 back, coil on") << 0 << 9 << energise << false;
    QTest::newRow("QNA1 front, 10 V is below pick-up") << 0 << 1 << QByteArray("@V1000\r@A10\r") << false;
    QTest::newRow("QNA1 front, held in at 10 V") << 0 << 1 << energise + "@V1000\r" << true;
    QTest::newRow("QNA1 back, let go at 2 V") << 0 << 16 << energise + "@V0200\r" << true;
    QTest::newRow("QN1 12F-4B B3 is front") << 3 << 10 << energise << true;
    QTest::newRow("QNA1K A2 is back, coil on") << 4 << 5 << energise << false;
    QTest::newRow("QNA1K A2 is back, coil off") << 4 << 5 << QByteArray() << true;
    QTest::newRow("QNA1K A4 has none, coil on") << 4 << 13 << energise << false;
    QTest::newRow("QNA1K A4 has none, coil off") << 4 << 13 << QByteArray() << false;
    QTest::newRow("QL1 front through coil 2") << 5 << 1 << QByteArray("@V2400\r&A10\r") << true;
    QTest::newRow("QL1 C4 has none") << 5 << 15 << QByteArray() << false;
    QTest::newRow("QECX61 back D2, coil off") << 6 << 8 << QByteArray() << true;
    QTest::newRow("QTA2 front on the source") << QTA2 << 1 << QByteArray("^R1\r^Q0500\r") << true;
    QTest::newRow("QTA2 front, source on without current") << QTA2 << 4 << QByteArray("^R1\r") << false;
    QTest::newRow("QTA2 back on the source") << QTA2 << 12 << QByteArray("^R1\r^Q0500\r") << false;
    QTest::newRow("QTA2 back, source off") << QTA2 << 12 << QByteArray("^Q0500\r") << true;
    QTest::newRow("QTA2 B1 has none") << QTA2 << 2 << QByteArray("^R1\r^Q0500\r") << false;
}

void TestKitSim::contacts()
{
    QFETCH(int, relay);
    QFETCH(int, channel);
    QFETCH(QByteArray, drive);
    QFETCH(bool, made);
    Bench bench(relay);
    bench.ask(drive);

    const QByteArray frame = bench.ask(QStringLiteral("@G%1\r").arg(channel, 2, 10, QLatin1Char('0')).toLatin1());
    QCOMPARE(frame.size(), 7);
    QCOMPARE(frame.front(), '#');
    const double milliohms = field(frame, 2, 6) / 10.0;
    if (made)
        QVERIFY2(milliohms >= 20 && milliohms <= 80, frame.constData());
    else
        QVERIFY2(milliohms > 999, frame.constData());  // the bench lists it as OFF
}

void TestKitSim::contactDelay_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("channel");
    QTest::addColumn<bool>("timesOut");

    QTest::newRow("QNA1K front") << 4 << 1 << false;
    QTest::newRow("QNA1K back") << 4 << 12 << false;
    QTest::newRow("QNA1K no contact") << 4 << 16 << true;
    for (int channel = 1; channel <= 12; ++channel)  // slow to pick up: some pass one 65536 us unit
        QTest::addRow("QSPA1 channel %d", channel) << 8 << channel << false;
    QTest::newRow("QSPA1 no contact") << 8 << 13 << true;
}

void TestKitSim::contactDelay()
{
    QFETCH(int, relay);
    QFETCH(int, channel);
    QFETCH(bool, timesOut);
    Bench bench(relay);

    const QByteArray frame = bench.ask(QStringLiteral("@H%1\r").arg(channel, 2, 10, QLatin1Char('0')).toLatin1());
    QCOMPARE(frame.size(), 8);
    QCOMPARE(frame.front(), '&');
    QCOMPARE(frame.at(6) == '@', timesOut);
    if (!timesOut) {
        QVERIFY(field(frame, 2, 6) < 65536);
        const int micros = (frame.at(6) - '0') * 65536 + field(frame, 2, 6);
        QVERIFY2(micros >= 1000 && micros <= 200000, frame.constData());
    }
}

void TestKitSim::contactSequence_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<int>("fronts");
    QTest::addColumn<int>("backs");

    const int layout[9][2] = {{8, 8}, {12, 4}, {8, 8}, {12, 4}, {6, 6}, {11, 4}, {4, 4}, {2, 1}, {8, 4}};
    for (int relay = 0; relay < 9; ++relay)
        QTest::addRow("relay %d", relay) << relay << layout[relay][0] << layout[relay][1];
}

void TestKitSim::contactSequence()
{
    QFETCH(int, relay);
    QFETCH(int, fronts);
    QFETCH(int, backs);
    Bench bench(relay);

    const QByteArray frame = bench.ask("@K\r");
    QCOMPARE(frame.size(), 20);
    QCOMPARE(frame.front(), '!');
    // Each sequence ranks the first eight contacts of its kind: 1..k once each.
    const auto ranks = [](QByteArray sequence, int contacts) {
        const int k = std::min(contacts, 8);
        QByteArray expected;
        for (int rank = 1; rank <= k; ++rank)
            expected += char('0' + rank);
        std::sort(sequence.begin(), sequence.end());  // '-' sorts before the digits
        return sequence == QByteArray(8 - k, '-') + expected;
    };
    QVERIFY2(ranks(frame.mid(2, 8), fronts), frame.constData());
    QVERIFY2(ranks(frame.mid(11, 8), backs), frame.constData());
}

void TestKitSim::ramps_data()
{
    QTest::addColumn<int>("relay");
    QTest::addColumn<QByteArray>("start");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<char>("mark");
    QTest::addColumn<double>("lowest");   // volts, or mA for the current ramps
    QTest::addColumn<double>("highest");

    for (int relay = 0; relay < 9; ++relay) {
        if (relay == QTA2)
            continue;
        QTest::addRow("pick-up %d", relay) << relay << QByteArray("@P\r") << QByteArray("?P\r") << '*' << 14.0 << 18.0;
        QTest::addRow("drop-away %d", relay) << relay << QByteArray("@D\r") << QByteArray("?A\r") << '%' << 3.0 << 8.0;
    }
    QTest::newRow("QL1 coil 2 pick-up") << 5 << QByteArray("@p\r") << QByteArray("?p\r") << '-' << 14.0 << 18.0;
    QTest::newRow("QTA2 pick-up current") << QTA2 << QByteArray("^Y\r") << QByteArray("*P\r") << '>' << 90.0 << 160.0;
    QTest::newRow("QTA2 drop-away current") << QTA2 << QByteArray("^Z\r") << QByteArray("*A\r") << '!' << 40.0 << 89.0;
}

void TestKitSim::ramps()
{
    QFETCH(int, relay);
    QFETCH(QByteArray, start);
    QFETCH(QByteArray, query);
    QFETCH(char, mark);
    QFETCH(double, lowest);
    QFETCH(double, highest);
    Bench bench(relay);
    const double ohms = field(bench.ask(mark == '-' ? "&R\r" : "@R\r"), 3, 7) / 10.0;

    QVERIFY(bench.ask(start).isEmpty());
    QCOMPARE(bench.ask("?D\r").at(13), 'B');
    QTRY_COMPARE_WITH_TIMEOUT(bench.ask("?D\r").at(13), 'F', 2000);

    const QByteArray result = bench.ask(query);
    QCOMPARE(result.size(), 13);
    QCOMPARE(result.front(), mark);
    const bool currentRamp = mark == '>' || mark == '!';
    const double value = currentRamp ? field(result, 9, 12) : field(result, 3, 6) / 100.0;
    QVERIFY2(value >= lowest && value <= highest, result.constData());
    if (!currentRamp)  // the current the coil drew at that voltage, in tenths of a mA
        QVERIFY2(std::abs(field(result, 9, 12) - value / ohms * 10000) <= 1, result.constData());

    if (mark == '%')  // the supply stays where the relay let go
        QCOMPARE(field(bench.ask("?D\r"), 3, 6), field(result, 3, 6));
}

void TestKitSim::faults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArrayList>("writes");  // '~' stands for any byte but CR

    const QByteArray live("V:0000 I0000 F\r");
    QTest::newRow("silent") << QStringList{"silent"} << QByteArray("?\r@R\r?D\r") << QByteArrayList{};
    QTest::newRow("OK with a line feed") << QStringList{"ok-linefeed"} << QByteArray("?\r") << QByteArrayList{"OK\r\n"};
    QTest::newRow("split") << QStringList{"split"} << QByteArray("?D\r?\r")
                           << QByteArrayList{"V:0000 ", "I0000 F\r", "O", "K\r"};
    QTest::newRow("merge") << QStringList{"merge"} << QByteArray("?\r?D\r@R\r")
                           << QByteArrayList{"OK\r" + live};
    QTest::newRow("drop one result") << QStringList{"drop-result"} << QByteArray("@R\r?\r?D\r@R\r")
                                     << QByteArrayList{"OK\r", live, "R=10300\r"};
    QTest::newRow("garbage before the next frame") << QStringList{"garbage=5"} << QByteArray("?\r?\r")
                                                   << QByteArrayList{"~~~~~", "OK\r", "OK\r"};
}

void TestKitSim::faults()
{
    QFETCH(QStringList, faults);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArrayList, writes);
    KitFaults chosen;
    for (const QString &name : faults)
        QVERIFY(addFault(name, chosen));
    Bench bench;
    bench.kit.setFaults(chosen);

    bench.ask(commands);
    QTest::qWait(100);  // split pieces follow each other a few ms apart
    QCOMPARE(bench.writes.size(), writes.size());
    for (qsizetype i = 0; i < writes.size(); ++i) {
        QCOMPARE(bench.writes[i].size(), writes[i].size());
        for (qsizetype c = 0; c < writes[i].size(); ++c)
            QVERIFY(writes[i][c] == '~' ? bench.writes[i][c] != '\r' : bench.writes[i][c] == writes[i][c]);
    }
}

void TestKitSim::commandLog()
{
    Bench bench;
    QSignalSpy heard(&bench.kit, &SimulatedKit::commandReceived);
    const QDateTime before = QDateTime::currentDateTime();
    bench.ask("?\r@V2400\rXYZ\r@G0");

    QStringList texts;
    for (const SimulatedKit::ReceivedCommand &command : bench.kit.commandLog()) {
        texts << command.text;
        QVERIFY(command.when >= before && command.when <= QDateTime::currentDateTime());
    }
    QCOMPARE(texts, (QStringList{"?", "@V2400", "XYZ"}));
    QCOMPARE(heard.size(), 3);
    QCOMPARE(heard.at(2).at(0).toString(), QStringLiteral("XYZ"));
}

void TestKitSim::demoPort()
{
    SimulatedKitPort port;
    QSignalSpy arrivals(&port, &KitPort::dataReceived);
    QVERIFY(port.open(QStringLiteral("COM42")));

    // The answer comes from the event loop, not from inside write().
    QVERIFY(port.write("?\r"));
    QVERIFY(port.readAll().isEmpty());
    QByteArray heard;
    QTRY_COMPARE(heard += port.readAll(), QByteArray("OK\r"));
    QCOMPARE(arrivals.size(), 0);  // receive events are off until switched on

    port.setReceiveEvents(true);
    QVERIFY(port.write("?D\r"));
    QTRY_COMPARE(arrivals.size(), 1);
    QCOMPARE(port.readAll().size(), 15);
}

void TestKitSim::programOnPseudoTerminal()
{
    QTemporaryDir folder;
    QProcess kit;
    kit.start(QStringLiteral(KITSIM_PROGRAM), {"--folder", folder.path(), "--port", "7", "--relay", "4",
                                               "--time-scale", "0.05", "--exit-after", "30"});
    QVERIFY(kit.waitForStarted());
    const QString link = folder.filePath(QStringLiteral("COM7"));
    QTRY_VERIFY(QFileInfo(link).isSymLink());

    // The bench closes and opens its port again; the kit must still be there.
    for (int opening = 0; opening < 2; ++opening) {
        QSerialPort port;
        port.setPortName(link);
        port.setBaudRate(QSerialPort::Baud9600);
        QVERIFY2(port.open(QIODevice::ReadWrite), qPrintable(port.errorString()));
        port.clear();
        port.write("?\r");
        QTRY_COMPARE(port.bytesAvailable(), qint64(3));
        QCOMPARE(port.readAll(), QByteArray("OK\r"));
        port.write("?D\r");
        QTRY_COMPARE(port.bytesAvailable(), qint64(15));
        QCOMPARE(port.readAll(), QByteArray("V:0000 I0000 F\r"));
    }

    kit.terminate();
    QVERIFY(kit.waitForFinished());
    QCOMPARE(kit.exitStatus(), QProcess::NormalExit);
    QCOMPARE(kit.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    const QStringList log = QString::fromLatin1(kit.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(log.size(), 4);
    static const QRegularExpression line(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d \\?D?$"));
    for (const QString &entry : log)
        QVERIFY2(line.match(entry).hasMatch(), qPrintable(entry));
}

QTEST_GUILESS_MAIN(TestKitSim)
#include "tst_kitsim.moc"
