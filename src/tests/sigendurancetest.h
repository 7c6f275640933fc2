#pragma once

#include "platform/waitstack.h"
#include "tests/testpanel.h"

// The SIG endurance sweep: all sixteen channels, whatever the relay's layout,
// 1..8 with the coil energised and 9..16 with it released. Its readings go
// through the contact resistance run's handling.
class SigEnduranceTest
{
public:
    SigEnduranceTest(const TestPanel &panel, ContactRuns &runs);

    platform::Task start();

private:
    const TestPanel &p;
    ContactRuns &m_runs;
};
