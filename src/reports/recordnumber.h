#pragma once

#include <QString>

namespace reports {

// The text of a measured value on a number line of the report file, as the
// spreadsheet templates read it: the bench's old BASIC number output.
//
//  - A blank before a value that is not negative, a minus sign otherwise; one
//    blank after it.
//  - At most seven significant digits. The float's exact binary value is rounded
//    to seven digits, a tie going away from zero (1234568.5 -> 1234569), so no
//    digit beyond what a single holds is ever printed (24.05f -> "24.05").
//  - Trailing zeros and a trailing point are dropped; no zero before the point
//    (.5, -.25).
//  - Exponent form, mantissa "E" sign and two digits (1.234568E+07), when the
//    plain form would need more than seven integer digits, or more than seven
//    digits after the point to show every significant digit: 1E-07 is written
//    .0000001 but 1.5E-07 and 1E-08 stay in exponent form, and .01234567 becomes
//    1.234567E-02. The rule is the one the old BASIC used for singles, so a line
//    is never wider than its exponent form.
//  - The PC's decimal separator (platform::decimalSeparator): a German bench
//    writes 12,5 and 1,234568E+07, as its spreadsheet reads numbers and as the
//    form's date already follows the PC.
//  - Negative zero is written as zero. A single the bench cannot hold (infinite,
//    not a number) is written as INF or NAN with the same blanks and sign.
//
// Examples: 0 -> " 0 ", 12.5 -> " 12.5 ", -3 -> "-3 ", .1 -> " .1 ",
// 12345678 -> " 1.234568E+07 ".
QString recordNumber(float value);

// The same number as a report form field shows it: the digits of recordNumber,
// without the blanks, and with a zero before the point below one. 77.881f -
// 12.345f -> "65.536", .25 -> "0.25", -3 -> "-3", 12345678 -> "1.234568E+07".
QString plainNumber(float value);

} // namespace reports
