#include "tests/contacttimingtests.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "tests/contactresistancetest.h"
#include "tests/lateanswers.h"
#include "tests/resultlines.h"

#include <memory>
#include <optional>

ContactDelayTest::ContactDelayTest(const Bench &bench, RunSlot &slot, ResultLines &results, LateAnswers &late)
    : m_bench(bench)
    , m_slot(slot)
    , m_results(results)
    , m_late(late)
{
}

platform::Task ContactDelayTest::run(int entry)
{
    m_bench.view.showResult(BenchView::Result::ContactDelay, QString());
    if (!m_bench.kitFree() || m_slot.taken())
        co_return;
    if (entry < 0) {
        co_await refuseWithoutChannel(m_bench, QObject::tr("Contact Delay Test"), QObject::tr("contact delay test"));
        co_return;
    }

    auto run = std::make_unique<ChannelRun>(m_bench, ContactDelayReadings, m_slot, m_results, m_late, entry,
                                            QStringLiteral("Contact delay"));
    TestRun &test = run->test();
    test.plan(run->allChannels() ? 1 + catalogue::ChannelCount : 2);

    // The kit switches the coil itself while it times a channel; it needs the 24 V
    // set-point, which stays in force after the run.
    KitCommands &kit = m_bench.link.commands;
    co_await kit.SetCoilVoltage();

    if (run->allChannels()) {
        m_results.startFilling(QStringLiteral("Testing ..."));
        // Every channel is timed, contact or not: an empty one reports a timeout.
        for (int channel = 1; channel <= catalogue::ChannelCount; ++channel) {
            run->moveTo(channel);
            test.channel(catalogue::channelName(channel), channel, catalogue::ChannelCount);
            run->ask(wire::contactDelay(channel));
            co_await m_bench.link.wait.hold();
        }
        run->moveTo(catalogue::ChannelCount + 1);
    } else {
        test.step(catalogue::channelName(run->channel()));
        run->ask(wire::contactDelay(run->channel()));
        co_await m_bench.link.wait.hold();
    }
    if (!run->finished())
        m_bench.launch(untilLastReading(std::move(run)));
}

ContactSequenceTest::ContactSequenceTest(const Bench &bench, RunSlot &slot, LateAnswers &late)
    : m_bench(bench)
    , m_slot(slot)
    , m_late(late)
{
}

platform::Task ContactSequenceTest::run()
{
    m_bench.view.showResult(BenchView::Result::ContactSequence, QString());
    if (!m_bench.kitFree() || m_slot.taken())
        co_return;

    const RunSlot::Taken running(m_slot);
    TestRun test(m_bench, BenchView::Busy::ContactSequence, QStringLiteral("Contact sequence"), TestRun::Polling::Held);
    test.plan(2);
    // Any 20-character frame ends the run, readable or not, whenever it comes.
    AwaitedAnswers::Pending sequence(m_bench.link.answers, m_bench.link.waits, wire::FrameKind::Sequence,
                                     [this, &test](const QString &frame) {
                                         test.end();
                                         m_late.afterSequenceRun();
                                         showSequence(m_bench, frame);
                                     });

    KitCommands &kit = m_bench.link.commands;
    co_await kit.SetCoilVoltage();
    kit.send(QString::fromLatin1(wire::cmd::ContactSequence));
    co_await m_bench.link.wait.hold();
    co_await sequence;
}

void ContactSequenceTest::showSequence(const Bench &bench, const QString &frame)
{
    const std::optional<wire::Sequence> sequence = wire::decodeSequence(frame);
    if (!sequence)
        return;
    bench.view.showResult(BenchView::Result::ContactSequence, QStringLiteral("NO Contact Seq: ") + sequence->normallyOpen
                                                                  + QStringLiteral("      NC Contact Seq: ")
                                                                  + sequence->normallyClosed);
    bench.record.NOSequence = sequence->normallyOpen;
    bench.record.NCSequence = sequence->normallyClosed;
}
