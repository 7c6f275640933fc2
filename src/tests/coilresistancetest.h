#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/testrun.h"

#include <QString>

// Coil resistance R1-R2, and R3-R4 for the QL1 relay's second coil. The poll tick
// sends "@R" (and the second-coil step); the "R=" and "Q=" frames answer.
class CoilResistanceTest
{
public:
    explicit CoilResistanceTest(const Bench &bench);

    // From the button to the last result.
    platform::Task run();

    // What an "R=" frame and a "Q=" frame do, for the test that waited for it or
    // for a frame that came unasked.
    platform::Task onCoil1(QString frame, TestRun test);
    platform::Task onCoil2(QString frame, TestRun test);

private:
    const Bench &m_bench;
};
