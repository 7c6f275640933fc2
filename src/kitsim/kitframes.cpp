#include "kitsim/kitframes.h"

#include <algorithm>

namespace kitsim::frames {

namespace {

QByteArray digits(int value, int width)
{
    int largest = 1;
    for (int i = 0; i < width; ++i)
        largest *= 10;
    return QByteArray::number(std::clamp(value, 0, largest - 1)).rightJustified(width, '0');
}

} // namespace

QByteArray presence(bool withLineFeed)
{
    return withLineFeed ? QByteArrayLiteral("OK\r\n") : QByteArrayLiteral("OK\r");
}

QByteArray live(int centivolts, int tenthMilliamps, bool busy)
{
    return "V:" + digits(centivolts, 4) + " I" + digits(tenthMilliamps, 4) + ' ' + (busy ? 'B' : 'F') + '\r';
}

QByteArray rampResult(char mark, int first, int second)
{
    return QByteArray(1, mark) + ':' + digits(first, 4) + " I" + digits(second, 4) + '\r';
}

QByteArray coilResistance(char coil, int tenthOhms)
{
    return QByteArray(1, coil) + '=' + digits(tenthOhms, 5) + '\r';
}

QByteArray contactResistance(int tenthMilliohms)
{
    return '#' + digits(tenthMilliohms, 5) + '\r';
}

QByteArray delay(std::optional<int> micros)
{
    if (!micros)
        return QByteArrayLiteral("&00000@\r");
    // Sixteen units of 65536 would make the high part '@', the timeout mark.
    const int clamped = std::clamp(*micros, 0, 16 * 65536 - 1);
    return '&' + digits(clamped % 65536, 5) + static_cast<char>('0' + clamped / 65536) + '\r';
}

QByteArray sequence(const QByteArray &normallyOpen, const QByteArray &normallyClosed)
{
    return "!," + normallyOpen.leftJustified(8, '-', true) + ',' + normallyClosed.leftJustified(8, '-', true) + '\r';
}

} // namespace kitsim::frames
