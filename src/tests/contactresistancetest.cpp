#include "tests/contactresistancetest.h"

ContactResistanceTest::ContactResistanceTest(const TestPanel &panel)
    : p(panel)
{
}

void ContactResistanceTest::cmdContactResistance_Click()
{
}

void ContactResistanceTest::onReadingFrame(const QString &/*frame*/)
{
}
