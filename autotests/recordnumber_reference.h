#pragma once

// A slow, independent way to the bench's number text, for checking the fast one:
// the float's exact decimal digits, rounded by hand to seven significant places.

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// What a careful person writes with the float's exact digits in front of them
// (the C library prints every digit of a double; a float has at most 112), with
// point as the decimal separator.
inline QString reference(float value, QChar point = QLatin1Char('.'))
{
    if (value == 0)
        return QStringLiteral(" 0 ");
    char exact[160];
    std::snprintf(exact, sizeof exact, "%.120e", std::fabs(double(value)));
    std::string digits = std::string(1, exact[0]) + std::string(exact + 2, 6);  // d.dddddd
    int integerDigits = std::atoi(std::strchr(exact, 'e') + 1) + 1;
    if (exact[8] >= '5') {  // the eighth digit: half or more goes up, away from zero
        int i = 6;
        for (; i >= 0 && digits[i] == '9'; --i)
            digits[i] = '0';
        if (i < 0) {
            digits = "1000000";
            ++integerDigits;
        } else {
            ++digits[i];
        }
    }
    digits.erase(digits.find_last_not_of('0') + 1);

    // Lay the digits out on a ruler around the point; too wide, and it is E form.
    std::string text;
    const int width = std::max<int>(integerDigits, int(digits.size()));
    if (integerDigits <= 7 && int(digits.size()) - integerDigits <= 7) {
        for (int place = std::min(integerDigits, 0); place < width; ++place)
            text += std::string(place == integerDigits ? "." : "")
                    + (place >= 0 && place < int(digits.size()) ? digits[place] : '0');
    } else {
        char exponent[16];
        std::snprintf(exponent, sizeof exponent, "E%+03d", integerDigits - 1);
        text = digits.substr(0, 1) + (digits.size() > 1 ? "." + digits.substr(1) : "") + exponent;
    }
    return QLatin1Char(value < 0 ? '-' : ' ') + QString::fromStdString(text).replace(QLatin1Char('.'), point)
           + QLatin1Char(' ');
}

} // namespace
