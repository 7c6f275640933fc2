#include "tests/autotest.h"

#include "console/relaycatalogue.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"
#include "platform/eventservice.h"
#include "tests/procedures.h"

#include <QComboBox>

namespace {
constexpr int AllChannelsEntry = 16;
}

AutoTest::AutoTest(const TestPanel &panel, Procedures &procedures)
    : p(panel)
    , m_run(procedures)
{
}

void AutoTest::cmdAuto_Click()
{
    bench().CoilResistance1 = 0;
    if (!p.kitFree())
        return;
    MainWindowFields &f = p.fields;

    p.kit.send(wire::setVoltage(0.0));
    settle(1);
    p.kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    settle(1);

    m_run.coilResistance.cmdCoilResistance_Click();
    waitWhile(f.CoilResRequest);

    const int relay = p.relayIndex();
    if (relay == catalogue::QTA2) {
        // The low-resistance coil gets two seconds between measurements.
        settle(2);
        m_run.pickUpDropAway.cmdPickUp_Click();
        waitWhile(f.PickUpIRequest);
        settle(2);
        m_run.pickUpDropAway.cmdDropAway_Click();
        waitWhile(f.DropAwayIRequest);
    } else {
        m_run.pickUpDropAway.cmdPickUp_Click();
        waitWhile(f.PickUpVRequest);
        // QL1's drop-away value comes from the second coil's pick-up step.
        if (relay != catalogue::QL1) {
            m_run.pickUpDropAway.cmdDropAway_Click();
            waitWhile(f.DropAwayVRequest);
        }
    }

    p.cmbCRChannel->setCurrentIndex(AllChannelsEntry);
    m_run.contactResistance.cmdContactResistance_Click();

    if (relay == catalogue::QSPA1 || relay == catalogue::QNA1K) {
        p.cmbCDChannel->setCurrentIndex(AllChannelsEntry);
        m_run.contactDelay.cmdContactDelay_Click();
    }

    p.cmdReport->setEnabled(true);
}

void AutoTest::waitWhile(const bool &flag) const
{
    platform::serviceEventsUntil([&flag] { return !flag; });
}

void AutoTest::settle(int waits) const
{
    for (int i = 0; i < waits; ++i)
        p.wait.hold();
}
