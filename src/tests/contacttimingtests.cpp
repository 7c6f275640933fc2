#include "tests/contacttimingtests.h"

#include "console/relaycatalogue.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"
#include "platform/prompts.h"
#include "tests/resultlist.h"

#include <QComboBox>
#include <QLabel>
#include <QObject>

#include <optional>

namespace {

constexpr int AllChannelsEntry = catalogue::ChannelCount;  // "ALL", after A1..D4
// What a channel that never transferred is booked as, in milliseconds.
constexpr Single TimedOutMilliseconds = 1000;

// " - 12.345", or " - Timeout" when the kit gave up on the channel.
QString shownDelay(const std::optional<float> &milliseconds)
{
    return milliseconds ? QStringLiteral(" - ") + platform::fixedDecimals(double(*milliseconds), 3)
                        : QStringLiteral(" - Timeout");
}

} // namespace

ContactDelayTest::ContactDelayTest(const TestPanel &panel)
    : p(panel)
{
}

ContactSequenceTest::ContactSequenceTest(const TestPanel &panel)
    : p(panel)
{
}

void ContactDelayTest::cmdContactDelay_Click()
{
    MainWindowFields &f = p.fields;
    p.lblContactDelay->clear();
    if (!p.kitFree() || f.ContactDelayTest)
        return;
    const int selected = p.cmbCDChannel->currentIndex();
    if (selected < 0) {
        // "@H00" names no channel; the kit would never answer and the panel would
        // stay locked.
        platform::Prompts::current().message(
            p.window, QObject::tr("Contact Delay Test"),
            QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, "
                        "then start the contact delay test again."),
            platform::PromptIcon::Exclamation);
        return;
    }

    f.ContactDelayTest = true;
    p.beginTest(TestPanel::ContactDelayBusy);
    f.PollHold = true;
    f.KitBusy = true;

    // The kit switches the coil itself while it times a channel; it needs the 24 V
    // set-point, which stays in force after the run.
    p.kit.send(wire::setVoltage(24.0));
    p.wait.hold();

    if (selected == AllChannelsEntry) {
        f.AllChannels = true;
        p.cmbCD->clear();
        p.cmbCD->setEditText(QStringLiteral("Testing ..."));
        // Every channel is timed, contact or not: an empty one reports a timeout.
        for (f.ChannelNo = 1; f.ChannelNo <= catalogue::ChannelCount; ++f.ChannelNo) {
            p.kit.send(wire::contactDelay(f.ChannelNo));
            p.wait.hold();
        }
        return;
    }

    f.AllChannels = false;
    p.kit.send(wire::contactDelay(selected + 1));
    p.wait.hold();
}

void ContactDelayTest::onDelayFrame(const QString &frame)
{
    MainWindowFields &f = p.fields;
    // A delay nobody asked for must not end another test.
    if (!f.ContactDelayTest)
        return;

    BenchRecord &record = bench();
    const std::optional<float> delay = wire::decodeDelay(frame);
    const Single milliseconds = delay.value_or(TimedOutMilliseconds);

    if (!f.AllChannels) {
        f.ContactDelayTest = false;
        p.endTest(TestPanel::ContactDelayBusy);
        record.ContactDelay[0] = milliseconds;
        p.lblContactDelay->setText(p.cmbCDChannel->itemText(p.cmbCDChannel->currentIndex()) + shownDelay(delay));
        return;
    }

    const int channel = f.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactDelay[std::size_t(channel)] = milliseconds;
    listResult(p.cmbCD, p.cmbCDChannel->itemText(channel - 1) + shownDelay(delay));
    if (channel == catalogue::ChannelCount) {
        p.cmbCD->setEditText(QStringLiteral("Results"));
        f.ContactDelayTest = false;
        p.endTest(TestPanel::ContactDelayBusy);
    }
}

void ContactSequenceTest::cmdContactSequence_Click()
{
    MainWindowFields &f = p.fields;
    p.lblContactSeq->clear();
    if (!p.kitFree() || f.ContactSeqTest)
        return;

    f.ContactSeqTest = true;
    p.beginTest(TestPanel::ContactSequenceBusy);
    f.PollHold = true;
    f.KitBusy = true;

    p.kit.send(wire::setVoltage(24.0));
    p.wait.hold();
    p.kit.send(QString::fromLatin1(wire::cmd::ContactSequence));
    p.wait.hold();
}

void ContactSequenceTest::onSequenceFrame(const QString &frame)
{
    MainWindowFields &f = p.fields;
    // Any 20-character frame ends a sequence run, readable or not; outside a run
    // it must leave the panel and the poll hold of whatever test is running alone.
    if (f.ContactSeqTest) {
        f.ContactSeqTest = false;
        p.endTest(TestPanel::ContactSequenceBusy);
    }
    const std::optional<wire::Sequence> sequence = wire::decodeSequence(frame);
    if (!sequence)
        return;
    p.lblContactSeq->setText(QStringLiteral("NO Contact Seq: ") + sequence->normallyOpen
                             + QStringLiteral("      NC Contact Seq: ") + sequence->normallyClosed);
    BenchRecord &record = bench();
    record.NOSequence = sequence->normallyOpen;
    record.NCSequence = sequence->normallyClosed;
}
