#include "tests/sigendurancetest.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "tests/progress.h"

namespace {

constexpr int EnergisedHalf = 8;  // channels 1..8 with the coil on, 9..16 with it off
// Two before channel 1, two a channel, two between the halves, one at the end.
constexpr int SweepWaits = 37;

} // namespace

SigEnduranceTest::SigEnduranceTest(const Bench &bench, ContactRuns &runs, ResultLines &results)
    : m_bench(bench)
    , m_runs(runs)
    , m_results(results)
{
}

platform::Task SigEnduranceTest::run()
{
    ContactRuns &run = m_runs;
    m_bench.view.showResult(BenchView::Result::ContactResistance, QString());
    // The sweep's readings go through the contact resistance run's handling, so
    // the two share one run flag and never run together.
    if (!m_bench.kitFree() || run.ContactResTest)
        co_return;

    run.ContactResTest = true;
    run.resistanceRun.emplace(m_bench, BenchView::Busy::ContactResistance, QString(), TestRun::Polling::Held);
    run.AllChannels = true;
    m_results.clear(QStringLiteral("Testing ..."));

    // The coil is switched by hand here, not through the supply switches, so the
    // bench's idea of the coil state is left as it was.
    KitCommands &kit = m_bench.link.commands;
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("SIG endurance"));
    progress.plan(SweepWaits);
    int waited = 0;
    const auto settle = [&]() -> platform::Task {
        progress.step(QStringLiteral("%1 of %2").arg(waited + 1).arg(SweepWaits), waited, SweepWaits);
        co_await m_bench.link.wait.hold();
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
