#include "tests/sigendurancetest.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "tests/progress.h"

#include <QComboBox>
#include <QLabel>

namespace {

constexpr int EnergisedHalf = 8;  // channels 1..8 with the coil on, 9..16 with it off
// Two before channel 1, two a channel, two between the halves, one at the end.
constexpr int SweepWaits = 37;

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
    Progress::Level progress = p.progress.begin(QStringLiteral("SIG endurance"));
    progress.plan(SweepWaits);
    int waited = 0;
    const auto settle = [&]() -> platform::Task {
        progress.step(QStringLiteral("%1 of %2").arg(waited + 1).arg(SweepWaits), waited, SweepWaits);
        co_await p.link.wait.hold();
        ++waited;
    };
    kit.send(wire::setVoltage(24.0));
    co_await settle();
    kit.send(QString::fromLatin1(wire::cmd::CoilOn));
    co_await settle();
    for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
        if (run.ChannelNo == EnergisedHalf + 1) {
            kit.send(wire::setVoltage(0.0));
            co_await settle();
            kit.send(QString::fromLatin1(wire::cmd::CoilOff));
            co_await settle();
        }
        kit.send(wire::contactResistance(run.ChannelNo));
        co_await settle();
        co_await settle();
    }
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await settle();
}
