#pragma once

#include "kitlink/pollcycle.h"
#include "platform/waitstack.h"
#include "tests/testpanel.h"

class Procedures;

// The routine measurements of one relay in the bench's fixed order, each started as
// its button starts it, waiting for each kit-driven test to finish.
class AutoTest
{
public:
    AutoTest(const TestPanel &panel, Procedures &procedures);

    platform::Task run();

private:
    // Waits, with no time limit, until the poll tick's request is closed.
    platform::WaitStack::Until whileOpen(Request request) const;
    platform::Task settle(int waits) const;

    const TestPanel &p;
    Procedures &m_run;
};
