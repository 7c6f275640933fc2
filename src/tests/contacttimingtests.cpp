#include "tests/contacttimingtests.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"
#include "platform/prompts.h"
#include "tests/progress.h"
#include "tests/resultlist.h"

#include <QComboBox>
#include <QLabel>
#include <QObject>

#include <optional>

namespace {

constexpr int AllChannelsEntry = catalogue::ChannelCount;  // "ALL", after A1..D4
// What a channel that never transferred is booked as, in milliseconds.
constexpr float TimedOutMilliseconds = 1000;

// " - 12.345", or " - Timeout" when the kit gave up on the channel.
QString shownDelay(const std::optional<float> &milliseconds)
{
    return milliseconds ? QStringLiteral(" - ") + platform::fixedDecimals(double(*milliseconds), 3)
                        : QStringLiteral(" - Timeout");
}

} // namespace

ContactDelayTest::ContactDelayTest(const TestPanel &panel, ContactRuns &runs)
    : p(panel)
    , m_runs(runs)
{
}

ContactSequenceTest::ContactSequenceTest(const TestPanel &panel, ContactRuns &runs)
    : p(panel)
    , m_runs(runs)
{
}

platform::Task ContactDelayTest::start()
{
    ContactRuns &run = m_runs;
    p.lblContactDelay->clear();
    if (!p.kitFree() || run.ContactDelayTest)
        co_return;
    const int selected = p.cmbCDChannel->currentIndex();
    if (selected < 0) {
        // "@H00" names no channel; the kit would never answer and the panel would
        // stay locked.
        co_await p.link.waits.closed(platform::Prompts::current().message(
            p.window, QObject::tr("Contact Delay Test"),
            QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, "
                        "then start the contact delay test again."),
            platform::PromptIcon::Exclamation));
        co_return;
    }

    run.ContactDelayTest = true;
    p.beginTest(TestPanel::ContactDelayBusy);
    Progress::Level progress = p.progress.begin(QStringLiteral("Contact delay"));
    progress.plan(selected == AllChannelsEntry ? 1 + catalogue::ChannelCount : 2);
    p.link.poll.setPollHold(true);
    p.link.poll.setKitBusy(true);

    // The kit switches the coil itself while it times a channel; it needs the 24 V
    // set-point, which stays in force after the run.
    KitCommands &kit = p.link.commands;
    kit.send(wire::setVoltage(24.0));
    co_await p.link.wait.hold();

    if (selected == AllChannelsEntry) {
        run.AllChannels = true;
        p.cmbCD->clear();
        p.cmbCD->setEditText(QStringLiteral("Testing ..."));
        // Every channel is timed, contact or not: an empty one reports a timeout.
        for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
            progress.channel(p.cmbCDChannel->itemText(run.ChannelNo - 1), run.ChannelNo, catalogue::ChannelCount);
            kit.send(wire::contactDelay(run.ChannelNo));
            co_await p.link.wait.hold();
        }
        co_return;
    }

    run.AllChannels = false;
    progress.step(p.cmbCDChannel->itemText(selected));
    kit.send(wire::contactDelay(selected + 1));
    co_await p.link.wait.hold();
}

platform::Task ContactDelayTest::onDelayFrame(QString frame)
{
    ContactRuns &run = m_runs;
    // A delay nobody asked for must not end another test.
    if (!run.ContactDelayTest)
        co_return;

    BenchRecord &record = p.record;
    const std::optional<float> delay = wire::decodeDelay(frame);
    const float milliseconds = delay.value_or(TimedOutMilliseconds);

    if (!run.AllChannels) {
        run.ContactDelayTest = false;
        p.endTest(TestPanel::ContactDelayBusy);
        record.ContactDelay[0] = milliseconds;
        p.lblContactDelay->setText(p.cmbCDChannel->itemText(p.cmbCDChannel->currentIndex()) + shownDelay(delay));
        co_return;
    }

    const int channel = run.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactDelay[std::size_t(channel)] = milliseconds;
    listResult(p.cmbCD, p.cmbCDChannel->itemText(channel - 1) + shownDelay(delay));
    if (channel == catalogue::ChannelCount) {
        p.cmbCD->setEditText(QStringLiteral("Results"));
        run.ContactDelayTest = false;
        p.endTest(TestPanel::ContactDelayBusy);
    }
}

platform::Task ContactSequenceTest::start()
{
    ContactRuns &run = m_runs;
    p.lblContactSeq->clear();
    if (!p.kitFree() || run.ContactSeqTest)
        co_return;

    run.ContactSeqTest = true;
    p.beginTest(TestPanel::ContactSequenceBusy);
    Progress::Level progress = p.progress.begin(QStringLiteral("Contact sequence"));
    progress.plan(2);
    p.link.poll.setPollHold(true);
    p.link.poll.setKitBusy(true);

    KitCommands &kit = p.link.commands;
    kit.send(wire::setVoltage(24.0));
    co_await p.link.wait.hold();
    kit.send(QString::fromLatin1(wire::cmd::ContactSequence));
    co_await p.link.wait.hold();
}

platform::Task ContactSequenceTest::onSequenceFrame(QString frame)
{
    ContactRuns &run = m_runs;
    // Any 20-character frame ends a sequence run, readable or not; outside a run
    // it must leave the panel and the poll hold of whatever test is running alone.
    if (run.ContactSeqTest) {
        run.ContactSeqTest = false;
        p.endTest(TestPanel::ContactSequenceBusy);
    }
    const std::optional<wire::Sequence> sequence = wire::decodeSequence(frame);
    if (!sequence)
        co_return;
    p.lblContactSeq->setText(QStringLiteral("NO Contact Seq: ") + sequence->normallyOpen
                             + QStringLiteral("      NC Contact Seq: ") + sequence->normallyClosed);
    p.record.NOSequence = sequence->normallyOpen;
    p.record.NCSequence = sequence->normallyClosed;
}
