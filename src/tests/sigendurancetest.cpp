#include "tests/sigendurancetest.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"

#include <QComboBox>
#include <QLabel>

namespace {

constexpr int EnergisedHalf = 8;  // channels 1..8 with the coil on, 9..16 with it off

} // namespace

SigEnduranceTest::SigEnduranceTest(const TestPanel &panel, ContactRuns &runs)
    : p(panel)
    , m_runs(runs)
{
}

platform::Task SigEnduranceTest::start()
{
    ContactRuns &run = m_runs;
    p.lblContactResistance->clear();
    // The sweep's readings go through the contact resistance run's handling, so
    // the two share one run flag and never run together.
    if (!p.kitFree() || run.ContactResTest)
        co_return;

    run.ContactResTest = true;
    p.beginTest(TestPanel::ContactResistanceBusy);
    p.link.poll.setPollHold(true);
    p.link.poll.setKitBusy(true);
    run.AllChannels = true;
    p.cmbCR->clear();
    p.cmbCR->setEditText(QStringLiteral("Testing ..."));

    // The coil is switched by hand here, not through the supply switches, so the
    // bench's idea of the coil state is left as it was.
    KitCommands &kit = p.link.commands;
    FixedWait &wait = p.link.wait;
    kit.send(wire::setVoltage(24.0));
    co_await wait.hold();
    kit.send(QString::fromLatin1(wire::cmd::CoilOn));
    co_await wait.hold();
    for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
        if (run.ChannelNo == EnergisedHalf + 1) {
            kit.send(wire::setVoltage(0.0));
            co_await wait.hold();
            kit.send(QString::fromLatin1(wire::cmd::CoilOff));
            co_await wait.hold();
        }
        kit.send(wire::contactResistance(run.ChannelNo));
        co_await wait.hold();
        co_await wait.hold();
    }
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await wait.hold();
}
