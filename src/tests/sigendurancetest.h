#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/contactruns.h"

// The SIG endurance sweep: all sixteen channels, whatever the relay's layout,
// 1..8 with the coil energised and 9..16 with it released. Its readings are taken
// by the contact resistance run's handling, which ends it.
class SigEnduranceTest
{
public:
    SigEnduranceTest(const Bench &bench, ContactRuns &runs, ResultLines &results);

    platform::Task run();

private:
    const Bench &m_bench;
    ContactRuns &m_runs;
    ResultLines &m_results;
};
