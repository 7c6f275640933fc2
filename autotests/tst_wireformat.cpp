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

// A number as its shortest text, "none" for none.
static QString number(std::optional<double> value)
{
    return value ? QString::number(*value) : QStringLiteral("none");
}

class TestWireFormat : public QObject
{
    Q_OBJECT

private slots:
    // Commands as they go out, numbers as they are read, and every field of the
    // frames as it is decoded, so that a wrong position, width or divisor shows.
    void texts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("23.999 V rounds up") << wire::setVoltage(23.999) << "@V2400";
        QTest::newRow("0.004 V rounds to zero, padded") << wire::setVoltage(0.004) << "@V0000";
        QTest::newRow("half hundredth rounds up") << wire::setVoltage(0.125) << "@V0013";
        QTest::newRow("no number is 0 V") << wire::setVoltage(std::nan("")) << "@V0000";
        QTest::newRow("channel 1") << wire::contactResistance(1) << "@G01";
        QTest::newRow("delay channel 16") << wire::contactDelay(16) << "@H16";
        QTest::newRow("one CR on the line") << QString::fromLatin1(wire::onTheLine(u"?D")) << "?D\r";

        QTest::newRow("read: blanks, tab, line feed inside") << number(wire::readNumber(u" 01\t2\n3 4")) << "1234";
        QTest::newRow("read: stops at a letter") << number(wire::readNumber(u"12A34")) << "12";
        QTest::newRow("read: minus, blank after sign") << number(wire::readNumber(u"- 512")) << "-512";
        QTest::newRow("read: sign after a digit ends") << number(wire::readNumber(u"1-2")) << "1";
        QTest::newRow("read: leading point") << number(wire::readNumber(u".25")) << "0.25";
        QTest::newRow("read: second point ends") << number(wire::readNumber(u"1.2.3")) << "1.2";
        QTest::newRow("read: no exponent") << number(wire::readNumber(u"1E2")) << "1";

        const wire::LiveReadings live = wire::decodeLiveReadings(frame("V=2400 I0512 F"));
        const auto sequence = wire::decodeSequence(frame("!: 1 2 3 4:abcdefgh")).value_or(wire::Sequence{});
        QTest::newRow("live volts") << number(live.volts) << "24";
        QTest::newRow("live milliamps") << number(live.milliamps) << "51.2";
        QTest::newRow("live state") << live.state << "F";
        QTest::newRow("R= blank then 1234") << number(wire::decodeCoilResistance(frame("R= 1234"))) << "123.4";
        QTest::newRow("R= letters") << number(wire::decodeCoilResistance(frame("R=ABCDE"))) << "0";
        QTest::newRow("# milliohms") << number(wire::decodeContactResistance(frame("#00153"))) << "15.3";
        QTest::newRow("* volts") << number(wire::decodeRampResult(frame("*x1650xx0312")).volts) << "16.5";
        QTest::newRow("* milliamps") << number(wire::decodeRampResult(frame("*x1650xx0312")).milliamps) << "31.2";
        QTest::newRow("> whole mA") << number(wire::decodeRampCurrent(frame(">12345670051"))) << "51";
        QTest::newRow("delay below one page") << number(wire::decodeDelay(frame("&655350"))) << "65.535";
        QTest::newRow("delay one page") << number(wire::decodeDelay(frame("&000001"))) << "65.536";
        QTest::newRow("delay page and low") << number(wire::decodeDelay(frame("&123451"))) << "77.881";
        QTest::newRow("delay timeout") << number(wire::decodeDelay(frame("&00000@"))) << "none";
        QTest::newRow("sequence NO") << sequence.normallyOpen << " 1 2 3 4";
        QTest::newRow("sequence NC") << sequence.normallyClosed << "abcdefgh";
        QTest::newRow("no sequence without !") << number(wire::decodeSequence(frame("#:ABCDEFGH:abcdefgh")) ? 1 : 0)
                                               << "0";
        QTest::newRow("presence") << QString::number(wire::isPresenceAnswer(u"OK\r")) << "1";
        QTest::newRow("presence, a line feed too") << QString::number(wire::isPresenceAnswer(u"OK\r\n")) << "0";
    }
    void texts()
    {
        QFETCH(QString, text);
        QTEST(text, "expected");
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
        QTest::newRow("not ended by CR") << QStringLiteral("R=01234") << FrameKind::Unknown;
        QTest::newRow("LF left ahead of #") << '\n' + frame("#0123") << FrameKind::Unknown;
        QTest::newRow("two live merged") << frame("xx2400xx0512xF") + frame("xx2400xx0512xF") << FrameKind::Unknown;
    }
    void classify()
    {
        QFETCH(QString, text);
        QTEST(wire::classify(text), "kind");
    }
};

QTEST_APPLESS_MAIN(TestWireFormat)
#include "tst_wireformat.moc"
