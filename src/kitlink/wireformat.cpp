#include "kitlink/wireformat.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace wire {

namespace {

// The bench writes its set-points the way a "0000" mask does: at least `width`
// digits, zero-padded, the sign (never sent in practice) ahead of the padding.
QString padded(long long value, int width)
{
    const qulonglong magnitude = value < 0 ? 0ULL - static_cast<qulonglong>(value) : static_cast<qulonglong>(value);
    const QString digits = QStringLiteral("%1").arg(magnitude, width, 10, QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + digits : digits;
}

// Character `position` (1-based) of a frame, or a null character beyond its end.
QChar charAt(QStringView frame, int position)
{
    return position >= 1 && position <= frame.size() ? frame[position - 1] : QChar();
}

bool isSkipped(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n');
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

float scaled(QStringView frame, int first, int last, double divisor)
{
    return static_cast<float>(readNumber(field(frame, first, last)) / divisor);
}

} // namespace

QString setVoltage(double volts)
{
    // A value that is no number at all goes out as 0 V rather than as garbage digits.
    const double hundredths = std::isfinite(volts) ? volts * 100.0 : 0.0;
    return QStringLiteral("@V") + padded(std::llround(hundredths), 4);
}

QString contactResistance(int channel)
{
    return QStringLiteral("@G") + padded(channel, 2);
}

QString contactDelay(int channel)
{
    return QStringLiteral("@H") + padded(channel, 2);
}

QByteArray onTheLine(QStringView command)
{
    QByteArray bytes = command.toLatin1();
    bytes.append(CR);
    return bytes;
}

// Reads the way the bench's original number reading did for the kit's fields:
// blanks, tabs and line feeds are skipped wherever they stand; one sign is taken
// only ahead of the first digit or point; one decimal point is taken; everything
// else ends the number, including a second sign or point. Exponents and radix
// prefixes are deliberately not read: the kit sends plain digits, and a damaged
// "E" in a field must not turn a coil reading into a power of ten.
double readNumber(QStringView field)
{
    QByteArray text;  // sign, digits and point, ready for a locale-free conversion
    text.reserve(field.size() + 1);
    bool seenSign = false;
    bool seenPoint = false;
    bool seenDigit = false;
    for (const QChar c : field) {
        if (isSkipped(c))
            continue;
        if (isDigit(c)) {
            seenDigit = true;
        } else if (c == QLatin1Char('.') && !seenPoint) {
            seenPoint = true;
        } else if ((c == QLatin1Char('-') || c == QLatin1Char('+')) && !seenSign && !seenDigit && !seenPoint) {
            seenSign = true;
        } else {
            break;
        }
        text.append(c.toLatin1());
    }
    if (!seenDigit)
        return 0.0;
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : 0.0;
}

QStringView field(QStringView frame, int first, int last)
{
    first = std::max(first, 1);
    last = std::min<qsizetype>(last, frame.size());
    if (first > last)
        return {};
    return frame.mid(first - 1, last - first + 1);
}

FrameKind classify(QStringView frame)
{
    if (frame.isEmpty() || frame.back() != QLatin1Char(CR))
        return FrameKind::Unknown;

    const QChar first = charAt(frame, 1);
    const QStringView head = field(frame, 1, 2);
    switch (frame.size()) {
    case 15:
        return FrameKind::LiveReadings;
    case 7:
        return first == QLatin1Char('#') ? FrameKind::ContactRes : FrameKind::Unknown;
    case 8:
        if (head == QLatin1String("R="))
            return FrameKind::CoilResistance1;
        if (head == QLatin1String("Q="))
            return FrameKind::CoilResistance2;
        return first == QLatin1Char('&') ? FrameKind::Delay : FrameKind::Unknown;
    case 13:
        switch (first.unicode()) {
        case '*': return FrameKind::PickUp;
        case '-': return FrameKind::Coil2PickUp;
        case '>': return FrameKind::PickUpCurrent;
        case '!': return FrameKind::DropAwayCurrent;
        case '%': return FrameKind::DropAway;
        default: return FrameKind::Unknown;
        }
    case 20:
        return FrameKind::Sequence;
    default:
        return FrameKind::Unknown;
    }
}

bool isPresenceAnswer(QStringView answer)
{
    return answer == QLatin1String("OK\r");
}

LiveReadings decodeLiveReadings(QStringView frame)
{
    LiveReadings r;
    r.volts = scaled(frame, 3, 6, 100.0);
    r.milliamps = scaled(frame, 9, 12, 10.0);
    r.state = field(frame, 14, 14).toString();
    return r;
}

float decodeCoilResistance(QStringView frame)
{
    return scaled(frame, 3, 7, 10.0);
}

float decodeContactResistance(QStringView frame)
{
    return scaled(frame, 2, 6, 10.0);
}

VoltageAndCurrent decodeRampResult(QStringView frame)
{
    return {scaled(frame, 3, 6, 100.0), scaled(frame, 9, 12, 10.0)};
}

float decodeRampCurrent(QStringView frame)
{
    return scaled(frame, 9, 12, 1.0);
}

std::optional<float> decodeDelay(QStringView frame)
{
    const QChar high = charAt(frame, 7);
    if (high == QLatin1Char('@'))
        return std::nullopt;  // the kit gave up waiting for the contact to transfer

    // Char 7 counts whole 65536 µs pages above the five-digit low part. The sum is a
    // 32-bit count of microseconds, so a damaged field saturates instead of wrapping.
    const int page = high.isNull() ? 0 : high.unicode() - '0';
    const double micros = std::nearbyint(page * 65536.0 + readNumber(field(frame, 2, 6)));
    constexpr double lowest = std::numeric_limits<qint32>::min();
    constexpr double highest = std::numeric_limits<qint32>::max();
    const auto whole = static_cast<qint32>(std::clamp(micros, lowest, highest));
    return static_cast<float>(whole / 1000.0);
}

std::optional<Sequence> decodeSequence(QStringView frame)
{
    if (frame.size() != 20 || charAt(frame, 1) != QLatin1Char('!'))
        return std::nullopt;
    return Sequence{field(frame, 3, 10).toString(), field(frame, 12, 19).toString()};
}

} // namespace wire
