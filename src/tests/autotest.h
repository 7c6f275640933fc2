#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"

class CoilResistanceTest;
class ContactDelayTest;
class ContactResistanceTest;
class PickUpDropAwayTest;

// The routine measurements of one relay in the bench's fixed order. Each test is
// started as its button starts it, and the run goes on when that test hands back:
// a ramp once its result is shown (the drop-away once the operator has closed the
// Drop Away Test dialog), a contact run once its commands are sent, a refusal once
// its box is closed. One box at a time, and nothing sent while one is up.
class AutoTest
{
public:
    AutoTest(const Bench &bench, CoilResistanceTest &coil, PickUpDropAwayTest &ramps, ContactResistanceTest &contacts,
             ContactDelayTest &delays);

    platform::Task run();

private:
    platform::Task settle(int waits) const;

    const Bench &m_bench;
    CoilResistanceTest &m_coil;
    PickUpDropAwayTest &m_ramps;
    ContactResistanceTest &m_contacts;
    ContactDelayTest &m_delays;
};
