#include "tests/coilresistancetest.h"

CoilResistanceTest::CoilResistanceTest(const TestPanel &panel)
    : p(panel)
{
}

void CoilResistanceTest::cmdCoilResistance_Click()
{
}

void CoilResistanceTest::onCoil1Frame(const QString &/*frame*/)
{
}

void CoilResistanceTest::onCoil2Frame(const QString &/*frame*/)
{
}
