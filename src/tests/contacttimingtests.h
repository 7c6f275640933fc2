#pragma once

#include "tests/testpanel.h"

#include <QString>

// Transfer delay of one channel or all sixteen, timed by the kit.
class ContactDelayTest
{
public:
    explicit ContactDelayTest(const TestPanel &panel);

    void cmdContactDelay_Click();
    void onDelayFrame(const QString &frame);  // "&", 8 characters

private:
    const TestPanel &p;
};

// The NO and NC contact sequence, read in one go.
class ContactSequenceTest
{
public:
    explicit ContactSequenceTest(const TestPanel &panel);

    void cmdContactSequence_Click();
    void onSequenceFrame(const QString &frame);  // any 20-character frame

private:
    const TestPanel &p;
};
