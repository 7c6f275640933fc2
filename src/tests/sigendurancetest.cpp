#include "tests/sigendurancetest.h"

SigEnduranceTest::SigEnduranceTest(const TestPanel &panel)
    : p(panel)
{
}

void SigEnduranceTest::cmdSIG_Click()
{
}
