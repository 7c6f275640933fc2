#pragma once

#include "tests/testpanel.h"

class Procedures;

// The routine measurements of one relay in the bench's fixed order, each started as
// if its button had been pressed, waiting for each kit-driven test to finish.
class AutoTest
{
public:
    AutoTest(const TestPanel &panel, Procedures &procedures);

    void cmdAuto_Click();

private:
    // Services the window's events until the flag drops; no time limit, as on the bench.
    void waitWhile(const bool &flag) const;
    void settle(int waits) const;

    const TestPanel &p;
    Procedures &m_run;
};
