#include "reports/recordnumber.h"

#include "platform/numbertext.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace reports {

namespace {

constexpr int SignificantDigits = 7;

// A float's exact value needs at most 112 significant decimal digits (the
// smallest subnormals), so this many digits after the first show it exactly.
constexpr int ExactDigits = 120;

struct Decimal {
    QString digits;  // 1..7 significant digits, no trailing zeros
    int exponent;    // power of ten of the first digit
};

// Rounds the magnitude of a finite non-zero float to seven significant digits.
Decimal roundToSevenDigits(float value)
{
    // Promoting to double is exact; asking for every digit of it leaves the one
    // rounding step to this function.
    std::array<char, ExactDigits + 16> text{};
    const auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), std::fabs(double(value)),
                                         std::chars_format::scientific, ExactDigits);
    Q_ASSERT(ec == std::errc());

    // text: d.ddd...e+XX
    const char *exponentMark = std::find(text.data(), end, 'e');
    int exponent = 0;
    std::from_chars(exponentMark + 1 + (exponentMark[1] == '+' ? 1 : 0), end, exponent);

    qint64 kept = text[0] - '0';
    for (int i = 1; i < SignificantDigits; ++i)
        kept = kept * 10 + (text[std::size_t(i) + 1] - '0');
    // The first digit dropped decides; a 5 followed by nothing but zeros is a tie,
    // and a tie goes up, as a person rounding by hand would.
    if (text[SignificantDigits + 1] >= '5')
        ++kept;
    if (kept == 10000000) {
        kept = 1000000;
        ++exponent;
    }

    QString digits = QString::number(kept);
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    return {digits, exponent};
}

QString plainForm(const Decimal &d, QChar point)
{
    const int integerDigits = d.exponent + 1;
    if (integerDigits <= 0)
        return point + QString(-integerDigits, QLatin1Char('0')) + d.digits;
    if (d.digits.size() <= integerDigits)
        return d.digits + QString(integerDigits - d.digits.size(), QLatin1Char('0'));
    return d.digits.left(integerDigits) + point + d.digits.mid(integerDigits);
}

QString exponentForm(const Decimal &d, QChar point)
{
    QString text = d.digits.left(1);
    if (d.digits.size() > 1)
        text += point + d.digits.mid(1);
    text += d.exponent < 0 ? QLatin1String("E-") : QLatin1String("E+");
    text += QString::number(std::abs(d.exponent)).rightJustified(2, QLatin1Char('0'));
    return text;
}

// The magnitude of a finite or infinite float, as the bench writes it: "12.5",
// ".5", "1.234568E+07", "INF"; "NAN" for what is not a number.
QString magnitudeText(float value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return QStringLiteral("INF");
    if (value == 0)
        return QStringLiteral("0");

    const Decimal d = roundToSevenDigits(value);
    const int digitsAfterPoint = int(d.digits.size()) - (d.exponent + 1);
    const bool plain = d.exponent < SignificantDigits && digitsAfterPoint <= SignificantDigits;
    const QChar point = platform::decimalSeparator();
    return plain ? plainForm(d, point) : exponentForm(d, point);
}

} // namespace

QString recordNumber(float value)
{
    // Negative zero and NAN are not below zero, so they get no minus sign.
    return QLatin1Char(value < 0 ? '-' : ' ') + magnitudeText(value) + QLatin1Char(' ');
}

QString plainNumber(float value)
{
    QString text = magnitudeText(value);
    if (text.startsWith(platform::decimalSeparator()))
        text.prepend(QLatin1Char('0'));
    return value < 0 ? QLatin1Char('-') + text : text;
}

} // namespace reports
