#pragma once

#include "tests/testpanel.h"

#include <QString>

// Coil resistance R1-R2, and R3-R4 for the QL1 relay's second coil. The button arms
// the request; the poll tick sends "@R"; the "R=" and "Q=" frames end it.
class CoilResistanceTest
{
public:
    explicit CoilResistanceTest(const TestPanel &panel);

    void cmdCoilResistance_Click();
    void onCoil1Frame(const QString &frame);  // "R="
    void onCoil2Frame(const QString &frame);  // "Q="

private:
    const TestPanel &p;
};
