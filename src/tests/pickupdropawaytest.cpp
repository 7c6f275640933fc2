#include "tests/pickupdropawaytest.h"

PickUpDropAwayTest::PickUpDropAwayTest(const TestPanel &panel)
    : p(panel)
{
}

void PickUpDropAwayTest::cmdPickUp_Click()
{
}

void PickUpDropAwayTest::cmdDropAway_Click()
{
}

void PickUpDropAwayTest::onPickUpFrame(const QString &/*frame*/)
{
}

void PickUpDropAwayTest::onCoil2PickUpFrame(const QString &/*frame*/)
{
}

void PickUpDropAwayTest::onDropAwayFrame(const QString &/*frame*/)
{
}

void PickUpDropAwayTest::onPickUpCurrentFrame(const QString &/*frame*/)
{
}

void PickUpDropAwayTest::onDropAwayCurrentFrame(const QString &/*frame*/)
{
}
