// Any float's number line against the slow reference: the two must agree to the
// character, for every bit pattern that is a finite number, with this PC's decimal
// separator.

#include "platform/numbertext.h"
#include "reports/recordnumber.h"

#include "../autotests/recordnumber_reference.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < sizeof(float))
        return 0;
    float value = 0;
    std::memcpy(&value, data, sizeof value);
    if (!std::isfinite(value))
        return 0;
    const QString fast = reports::recordNumber(value);
    const QString slow = reference(value, platform::decimalSeparator());
    if (fast != slow) {
        std::fprintf(stderr, "%.9g: \"%s\" but the reference says \"%s\"\n", double(value), qPrintable(fast),
                     qPrintable(slow));
        std::abort();
    }
    return 0;
}
