#pragma once

#include "platform/waitstack.h"
#include "tests/testpanel.h"

#include <QString>

// Transfer delay of one channel or all sixteen, timed by the kit.
class ContactDelayTest
{
public:
    ContactDelayTest(const TestPanel &panel, ContactRuns &runs);

    // Ends when every command has been sent and waited for.
    platform::Task start();
    platform::Task onDelayFrame(QString frame);  // "&", 8 characters

private:
    const TestPanel &p;
    ContactRuns &m_runs;
};

// The NO and NC contact sequence, read in one go.
class ContactSequenceTest
{
public:
    ContactSequenceTest(const TestPanel &panel, ContactRuns &runs);

    platform::Task start();
    platform::Task onSequenceFrame(QString frame);  // any 20-character frame

private:
    const TestPanel &p;
    ContactRuns &m_runs;
};
