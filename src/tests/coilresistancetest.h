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

    // From the button to the first coil's result. The QL1 relay's second coil is
    // measured after that on the next tick, while whoever started the test goes on.
    platform::Task run();

private:
    platform::Task secondCoil(TestRun test);

    const Bench &m_bench;
};
