#pragma once

#include <QChar>
#include <QString>

// Numbers as the operator reads them: the bench PC's regional setting decides the
// decimal separator of what the program shows and writes, as it does for the date
// on the report form. The kit's commands are not numbers in this sense (they are
// digits only) and never come through here.
namespace platform {

// The decimal separator of the PC's numbers: "," on a German or French PC. A
// separator that is not one single-byte character (the Arabic momayyez) cannot be
// written to a report file, so such a PC gets '.'.
QChar decimalSeparator();

// value with exactly decimals places, the text of the masks "0", "0.0", "0.00" and
// "0.000": the exact binary value rounded, a tie going away from zero (0.25 gives
// "0.3"), the PC's decimal separator and never a thousands separator (1234.5 in
// "0.0" is "1234,5" on a German PC, not "1.234,5").
QString fixedDecimals(double value, int decimals);

} // namespace platform
