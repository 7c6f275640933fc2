#pragma once

#include "tests/testpanel.h"

// One endurance sweep: channels 1..8 with the coil energised, 9..16 released,
// whatever the relay's layout; readings are handled as an all-channel contact run.
class SigEnduranceTest
{
public:
    explicit SigEnduranceTest(const TestPanel &panel);

    void cmdSIG_Click();

private:
    const TestPanel &p;
};
