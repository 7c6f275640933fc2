#pragma once

#include "tests/testpanel.h"

#include <QString>

// Contact resistance of one channel or all sixteen, the coil driven per channel
// from the relay's contact layout; an all-channel run ends in crval.csv.
class ContactResistanceTest
{
public:
    explicit ContactResistanceTest(const TestPanel &panel);

    void cmdContactResistance_Click();
    // A "#" frame, from this run or from the endurance sweep.
    void onReadingFrame(const QString &frame);

private:
    const TestPanel &p;
};
