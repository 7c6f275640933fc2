#pragma once

// A slow, independent way to the bench's number text, for checking the fast one: the
// float's exact decimal digits (the C library prints every digit of a double; a float
// has at most 112), rounded by hand to seven significant places and laid out around
// the point as a careful person would.

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

inline QString reference(float value, QChar point = QLatin1Char('.'))
{
    if (value == 0)
        return QStringLiteral(" 0 ");
    char exact[160];
    std::snprintf(exact, sizeof exact, "%.120e", std::fabs(double(value)));
    std::string digits = exact[0] + std::string(exact + 2, 6);  // d.dddddd
    int integerDigits = std::atoi(std::strchr(exact, 'e') + 1) + 1;
    if (exact[8] >= '5') {  // the eighth digit: half or more goes up, away from zero
        int i = 6;
        while (i >= 0 && digits[i] == '9')
            digits[i--] = '0';
        i < 0 ? void((digits = "1000000", ++integerDigits)) : void(++digits[i]);
    }
    digits.erase(digits.find_last_not_of('0') + 1);
    const int size = int(digits.size());
    std::string text;
    if (integerDigits <= 7 && size - integerDigits <= 7) {  // plain, unless it would be wider than E form
        for (int place = std::min(integerDigits, 0); place < std::max(integerDigits, size); ++place) {
            text += place == integerDigits ? "." : "";
            text += place >= 0 && place < size ? digits[place] : '0';
        }
    } else {
        char exponent[16];
        std::snprintf(exponent, sizeof exponent, "E%+03d", integerDigits - 1);
        text = digits.substr(0, 1) + (size > 1 ? "." + digits.substr(1) : "") + exponent;
    }
    return (value < 0 ? u'-' : u' ') + QString::fromStdString(text).replace(u'.', point) + u' ';
}

} // namespace
