#pragma once

#include "kitlink/pollcycle.h"
#include "platform/waitstack.h"
#include "tests/bench.h"

class Procedures;

// The routine measurements of one relay in the bench's fixed order. Each test is
// started as its button starts it; the run waits until the kit-driven ones have
// their result, and goes through the contact runs in line.
class AutoTest
{
public:
    AutoTest(const Bench &bench, Procedures &procedures);

    platform::Task run();

private:
    // Waits, with no time limit, until the request has its answer.
    platform::WaitStack::Until whileOpen(Request request) const;
    platform::Task settle(int waits) const;

    const Bench &m_bench;
    Procedures &m_procedures;
};
