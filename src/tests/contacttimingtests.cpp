#include "tests/contacttimingtests.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"
#include "tests/contactruns.h"
#include "tests/progress.h"

#include <optional>

namespace {

// What a channel that never transferred is booked as, in milliseconds.
constexpr float TimedOutMilliseconds = 1000;

// " - 12.345", or " - Timeout" when the kit gave up on the channel.
QString shownDelay(const std::optional<float> &milliseconds)
{
    return milliseconds ? QStringLiteral(" - ") + platform::fixedDecimals(double(*milliseconds), 3)
                        : QStringLiteral(" - Timeout");
}

} // namespace

ContactDelayTest::ContactDelayTest(const Bench &bench, ContactRuns &runs, ResultLines &results)
    : m_bench(bench)
    , m_runs(runs)
    , m_results(results)
{
}

ContactSequenceTest::ContactSequenceTest(const Bench &bench, ContactRuns &runs)
    : m_bench(bench)
    , m_runs(runs)
{
}

platform::Task ContactDelayTest::run(int entry)
{
    ContactRuns &run = m_runs;
    m_bench.view.showResult(BenchView::Result::ContactDelay, QString());
    if (!m_bench.kitFree() || run.ContactDelayTest)
        co_return;
    if (entry < 0) {
        // "@H00" names no channel; the kit would never answer and the panel would
        // stay locked.
        co_await refuseWithoutChannel(m_bench, QObject::tr("Contact Delay Test"), QObject::tr("contact delay test"));
        co_return;
    }

    run.ContactDelayTest = true;
    run.delayRun.emplace(m_bench, BenchView::Busy::ContactDelay, QString(), TestRun::Polling::Held);
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("Contact delay"));
    progress.plan(entry == catalogue::AllChannelsEntry ? 1 + catalogue::ChannelCount : 2);

    // The kit switches the coil itself while it times a channel; it needs the 24 V
    // set-point, which stays in force after the run.
    KitCommands &kit = m_bench.link.commands;
    co_await kit.SetCoilVoltage();

    if (entry == catalogue::AllChannelsEntry) {
        run.AllChannels = true;
        m_results.clear(QStringLiteral("Testing ..."));
        // Every channel is timed, contact or not: an empty one reports a timeout.
        for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
            progress.channel(catalogue::channelName(run.ChannelNo), run.ChannelNo, catalogue::ChannelCount);
            kit.send(wire::contactDelay(run.ChannelNo));
            co_await m_bench.link.wait.hold();
        }
        co_return;
    }

    run.AllChannels = false;
    progress.step(catalogue::channelSelectorText(entry));
    kit.send(wire::contactDelay(entry + 1));
    co_await m_bench.link.wait.hold();
}

void ContactDelayTest::takeDelay(const QString &frame)
{
    ContactRuns &run = m_runs;
    BenchRecord &record = m_bench.record;
    const std::optional<float> delay = wire::decodeDelay(frame);
    const float milliseconds = delay.value_or(TimedOutMilliseconds);

    if (!run.AllChannels) {
        endRun();
        record.ContactDelay[0] = milliseconds;
        const int entry = m_bench.view.selectedChannel(BenchView::List::ContactDelay);
        m_bench.view.showResult(BenchView::Result::ContactDelay, catalogue::channelSelectorText(entry) + shownDelay(delay));
        return;
    }

    // Filed under the channel the run times now: after a run has ended that is one
    // past the last, listed as "ALL".
    const int channel = run.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactDelay[std::size_t(channel)] = milliseconds;
    m_results.add(catalogue::channelName(channel) + shownDelay(delay));
    if (channel == catalogue::ChannelCount) {
        m_results.setText(QStringLiteral("Results"));
        endRun();
    }
}

void ContactDelayTest::endRun()
{
    endContactRun(m_bench, m_runs.ContactDelayTest, m_runs.delayRun, BenchView::Busy::ContactDelay);
}

platform::Task ContactSequenceTest::run()
{
    ContactRuns &run = m_runs;
    m_bench.view.showResult(BenchView::Result::ContactSequence, QString());
    if (!m_bench.kitFree() || run.ContactSeqTest)
        co_return;

    run.ContactSeqTest = true;
    run.sequenceRun.emplace(m_bench, BenchView::Busy::ContactSequence, QString(), TestRun::Polling::Held);
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("Contact sequence"));
    progress.plan(2);

    KitCommands &kit = m_bench.link.commands;
    co_await kit.SetCoilVoltage();
    kit.send(QString::fromLatin1(wire::cmd::ContactSequence));
    co_await m_bench.link.wait.hold();
}

void ContactSequenceTest::takeSequence(const QString &frame)
{
    ContactRuns &run = m_runs;
    // Any 20-character frame ends a sequence run, readable or not; outside a run
    // it must leave the panel and the poll hold of whatever test is running alone.
    if (run.ContactSeqTest)
        endContactRun(m_bench, run.ContactSeqTest, run.sequenceRun, BenchView::Busy::ContactSequence);
    const std::optional<wire::Sequence> sequence = wire::decodeSequence(frame);
    if (!sequence)
        return;
    m_bench.view.showResult(BenchView::Result::ContactSequence, QStringLiteral("NO Contact Seq: ") + sequence->normallyOpen
                                                                   + QStringLiteral("      NC Contact Seq: ")
                                                                   + sequence->normallyClosed);
    m_bench.record.NOSequence = sequence->normallyOpen;
    m_bench.record.NCSequence = sequence->normallyClosed;
}
