#include "tests/contacttimingtests.h"

ContactDelayTest::ContactDelayTest(const TestPanel &panel)
    : p(panel)
{
}

ContactSequenceTest::ContactSequenceTest(const TestPanel &panel)
    : p(panel)
{
}

void ContactDelayTest::cmdContactDelay_Click()
{
}

void ContactDelayTest::onDelayFrame(const QString & /*frame*/)
{
}

void ContactSequenceTest::cmdContactSequence_Click()
{
}

void ContactSequenceTest::onSequenceFrame(const QString & /*frame*/)
{
}
