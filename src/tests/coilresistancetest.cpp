#include "tests/coilresistancetest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

#include <QLabel>

namespace {

// The meter's usable range differs between the coils: R1-R2 reads to 1200 ohms,
// R3-R4 only to 1000. Beyond that the reading is an open coil, not a value.
constexpr float Coil1Limit = 1200.0f;
constexpr float Coil2Limit = 1000.0f;

QString ohms(float value, float limit)
{
    return value >= limit ? QStringLiteral("ERROR") : platform::fixedDecimals(double(value), 1);
}

} // namespace

CoilResistanceTest::CoilResistanceTest(const TestPanel &panel)
    : p(panel)
{
}

void CoilResistanceTest::start()
{
    PollCycle &poll = p.link.poll;
    if (!p.kitFree() || poll.isOpen(Request::CoilResRequest))
        return;
    poll.arm(Request::CoilResRequest);
    p.beginTest(TestPanel::CoilResistanceBusy);
    m_progress.emplace(p.progress.begin(QStringLiteral("Coil resistance")));
    m_progress->waitOnKit();
}

platform::Task CoilResistanceTest::onCoil1Frame(QString frame)
{
    p.record.CoilResistance1 = wire::decodeCoilResistance(frame);
    p.lblOhms->setText(ohms(p.record.CoilResistance1, Coil1Limit));
    p.link.poll.close(Request::CoilResRequest);

    if (p.relayIndex() == catalogue::QL1) {
        // The second coil is measured on the next tick; the test is still running,
        // so its busy mark and the locked panel stay as they are.
        p.link.poll.arm(Request::Coil2ResRequest);
        if (m_progress)
            m_progress->step(QStringLiteral("coil 2"));
        co_return;
    }
    p.endTest(TestPanel::CoilResistanceBusy);
    m_progress.reset();
}

platform::Task CoilResistanceTest::onCoil2Frame(QString frame)
{
    p.record.CoilResistance2 = wire::decodeCoilResistance(frame);
    p.lblOhms2->setText(ohms(p.record.CoilResistance2, Coil2Limit));
    if (m_progress)
        m_progress->plan(3);

    // A one-second pulse through coil 2 after its measurement, then the supply back
    // to 0 V. The pulse is switched directly rather than through Coil2ON/Coil2OFF:
    // it is over before anyone asks whether a coil is energised, which the coil-1
    // switch-off of the measuring step has already answered.
    KitCommands &kit = p.link.commands;
    kit.send(QString::fromLatin1(wire::cmd::Coil2On));
    co_await p.link.wait.hold();
    kit.send(QString::fromLatin1(wire::cmd::Coil2Off));
    co_await p.link.wait.hold();
    co_await kit.ResetCoilVoltage();

    p.link.poll.close(Request::Coil2ResRequest);
    p.endTest(TestPanel::CoilResistanceBusy);
    m_progress.reset();
}
