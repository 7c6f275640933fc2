#include "tests/sigendurancetest.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "tests/contactresistancetest.h"
#include "tests/resultlines.h"

#include <memory>

namespace {

constexpr int EnergisedHalf = 8;  // channels 1..8 with the coil on, 9..16 with it off
// Two before channel 1, two a channel, two between the halves, one at the end.
constexpr int SweepWaits = 37;

} // namespace

SigEnduranceTest::SigEnduranceTest(const Bench &bench, RunSlot &slot, ResultLines &results, LateAnswers &late)
    : m_bench(bench)
    , m_slot(slot)
    , m_results(results)
    , m_late(late)
{
}

platform::Task SigEnduranceTest::run()
{
    m_bench.view.showResult(BenchView::Result::ContactResistance, QString());
    if (!m_bench.kitFree() || m_slot.taken())
        co_return;

    auto run = std::make_unique<ChannelRun>(m_bench, ContactResistanceReadings, m_slot, m_results, m_late,
                                            catalogue::AllChannelsEntry, QStringLiteral("SIG endurance"));
    m_results.startFilling(QStringLiteral("Testing ..."));

    // The coil is switched by hand here, not through the supply switches, so the
    // bench's idea of the coil state is left as it was.
    KitCommands &kit = m_bench.link.commands;
    TestRun &test = run->test();
    test.plan(SweepWaits);
    int waited = 0;
    const auto settle = [&]() -> platform::Task {
        test.step(QStringLiteral("%1 of %2").arg(waited + 1).arg(SweepWaits), waited, SweepWaits);
        co_await m_bench.link.wait.hold();
        ++waited;
    };
    kit.send(wire::setVoltage(24.0));
    co_await settle();
    kit.send(QString::fromLatin1(wire::cmd::CoilOn));
    co_await settle();
    for (int channel = 1; channel <= catalogue::ChannelCount; ++channel) {
        run->moveTo(channel);
        if (channel == EnergisedHalf + 1) {
            kit.send(wire::setVoltage(0.0));
            co_await settle();
            kit.send(QString::fromLatin1(wire::cmd::CoilOff));
            co_await settle();
        }
        run->ask(wire::contactResistance(channel));
        co_await settle();
        co_await settle();
    }
    run->moveTo(catalogue::ChannelCount + 1);
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await settle();
    if (!run->finished())
        m_bench.launch(untilLastReading(std::move(run)));
}
