#include "kitlink/wireformat.h"

#include <QTest>

#include <cmath>

using wire::FrameKind;
Q_DECLARE_METATYPE(FrameKind)

// Frames are written by their visible part; the carriage return is added here.
static QString frame(const char *body)
{
    return QString::fromLatin1(body) + QLatin1Char('\r');
}

class TestWireFormat : public QObject
{
    Q_OBJECT

private slots:
    void commands_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        QTest::newRow("23.999 V rounds up") << wire::setVoltage(23.999) << "@V2400";
        QTest::newRow("0.004 V rounds to zero") << wire::setVoltage(0.004) << "@V0000";
        QTest::newRow("12.3 V") << wire::setVoltage(12.3) << "@V1230";
        QTest::newRow("0.9 V padded") << wire::setVoltage(0.9) << "@V0090";
        QTest::newRow("half hundredth rounds up") << wire::setVoltage(0.125) << "@V0013";
        QTest::newRow("no number is 0 V") << wire::setVoltage(std::nan("")) << "@V0000";
        QTest::newRow("channel 1") << wire::contactResistance(1) << "@G01";
        QTest::newRow("delay channel 16") << wire::contactDelay(16) << "@H16";
        QTest::newRow("one CR on the line") << QString::fromLatin1(wire::onTheLine(u"?D")) << "?D\r";
    }
    void commands()
    {
        QFETCH(QString, command);
        QTEST(command, "expected");
    }

    void readNumber_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("leading zero") << "01234" << 1234.0;
        QTest::newRow("blanks, tab, line feed inside") << " 1\t2\n3 4" << 1234.0;
        QTest::newRow("letters") << "ABCDE" << 0.0;
        QTest::newRow("stops at letter") << "12A34" << 12.0;
        QTest::newRow("minus, blank after sign") << "- 512" << -512.0;
        QTest::newRow("sign after digit ends") << "1-2" << 1.0;
        QTest::newRow("leading point") << ".25" << 0.25;
        QTest::newRow("second point ends") << "1.2.3" << 1.2;
        QTest::newRow("no exponent") << "1E2" << 1.0;
    }
    void readNumber()
    {
        QFETCH(QString, text);
        QTEST(wire::readNumber(text), "value");
    }

    void classify_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<FrameKind>("kind");
        QTest::newRow("live") << frame("xx2400xx0512xF") << FrameKind::LiveReadings;
        QTest::newRow("live starting R=") << frame("R=2400xx0512xF") << FrameKind::LiveReadings;
        QTest::newRow("R=") << frame("R=01234") << FrameKind::CoilResistance1;
        QTest::newRow("Q=") << frame("Q=01234") << FrameKind::CoilResistance2;
        QTest::newRow("delay") << frame("&123451") << FrameKind::Delay;
        QTest::newRow("8 unknown first") << frame("R 01234") << FrameKind::Unknown;
        QTest::newRow("#") << frame("#01234") << FrameKind::ContactRes;
        QTest::newRow("# too long") << frame("#012345") << FrameKind::Unknown;
        QTest::newRow("*") << frame("*x2400xx0512") << FrameKind::PickUp;
        QTest::newRow("-") << frame("-x2400xx0512") << FrameKind::Coil2PickUp;
        QTest::newRow("%") << frame("%x1200xx0256") << FrameKind::DropAway;
        QTest::newRow(">") << frame(">xxxxxxx0051") << FrameKind::PickUpCurrent;
        QTest::newRow("! of 13") << frame("!xxxxxxx0020") << FrameKind::DropAwayCurrent;
        QTest::newRow("13 unknown first") << frame("?x2400xx0512") << FrameKind::Unknown;
        QTest::newRow("sequence any first") << frame("Xx11110000x00001111") << FrameKind::Sequence;
        QTest::newRow("OK is not dispatched") << frame("OK") << FrameKind::Unknown;
        QTest::newRow("R= with CR LF") << "R=0123\r\n" << FrameKind::Unknown;
        QTest::newRow("LF left ahead of #") << '\n' + frame("#0123") << FrameKind::Unknown;
        QTest::newRow("two live merged") << frame("xx2400xx0512xF") + frame("xx2400xx0512xF") << FrameKind::Unknown;
    }
    void classify()
    {
        QFETCH(QString, text);
        QTEST(wire::classify(text), "kind");
    }

    // Every scaled field, so that a wrong position, width or divisor shows up.
    void decoded_data()
    {
        QTest::addColumn<float>("decoded");
        QTest::addColumn<float>("expected");
        const wire::LiveReadings live = wire::decodeLiveReadings(frame("V=2400 I0512 F"));
        QTest::newRow("live volts") << live.volts << 24.0f;
        QTest::newRow("live milliamps") << live.milliamps << 51.2f;
        QTest::newRow("R= blank then 1234") << wire::decodeCoilResistance(frame("R= 1234")) << 123.4f;
        QTest::newRow("R= letters") << wire::decodeCoilResistance(frame("R=ABCDE")) << 0.0f;
        QTest::newRow("# milliohms") << wire::decodeContactResistance(frame("#00153")) << 15.3f;
        QTest::newRow("* volts") << wire::decodeRampResult(frame("*x1650xx0312")).volts << 16.5f;
        QTest::newRow("* milliamps") << wire::decodeRampResult(frame("*x1650xx0312")).milliamps << 31.2f;
        QTest::newRow("> whole mA") << wire::decodeRampCurrent(frame(">12345670051")) << 51.0f;
        QTest::newRow("delay below one page") << wire::decodeDelay(frame("&655350")).value_or(-1) << 65.535f;
        QTest::newRow("delay one page") << wire::decodeDelay(frame("&000001")).value_or(-1) << 65.536f;
        QTest::newRow("delay page and low") << wire::decodeDelay(frame("&123451")).value_or(-1) << 77.881f;
        QTest::newRow("delay timeout") << wire::decodeDelay(frame("&00000@")).value_or(-1) << -1.0f;
    }
    void decoded()
    {
        QFETCH(float, decoded);
        QTEST(decoded, "expected");
    }

    void textFields()
    {
        QVERIFY(wire::isPresenceAnswer(u"OK\r"));
        QVERIFY(!wire::isPresenceAnswer(u"OK\r\n"));
        QVERIFY(!wire::isPresenceAnswer(u"OK"));
        QCOMPARE(wire::decodeLiveReadings(frame("V=2400 I0512 F")).state, "F");
        QCOMPARE(wire::decodeLiveReadings(frame("xx2400xx0512x ")).state, " ");

        const auto seq = wire::decodeSequence(frame("!: 1 2 3 4:abcdefgh"));
        QVERIFY(seq);
        QCOMPARE(seq->normallyOpen, " 1 2 3 4");
        QCOMPARE(seq->normallyClosed, "abcdefgh");
        QVERIFY(!wire::decodeSequence(frame("#:ABCDEFGH:abcdefgh")));
        QVERIFY(!wire::decodeSequence(frame("!xxxxxxx0020")));  // the 13-character "!" frame
    }
};

QTEST_APPLESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"
