#include "tests/contactresistancetest.h"

#include "console/record/benchrecord.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/numbertext.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "tests/progress.h"
#include "tests/resultlist.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QObject>

namespace {

constexpr int AllChannelsEntry = catalogue::ChannelCount;  // "ALL", after A1..D4
// Above this a contact is taken as not made: the meter reads the open circuit.
constexpr float OpenContactMilliohms = 999;

const QString ResultsFileName = QStringLiteral("crval.csv");

QString milliohms(float value)
{
    return platform::fixedDecimals(double(value), 1);
}

} // namespace

ContactResistanceTest::ContactResistanceTest(const TestPanel &panel, ContactRuns &runs)
    : p(panel)
    , m_runs(runs)
{
}

platform::Task ContactResistanceTest::refuse(QString text)
{
    co_await p.link.waits.closed(platform::Prompts::current().message(
        p.window, QObject::tr("Contact Resistance"), text, platform::PromptIcon::Exclamation));
}

platform::Task ContactResistanceTest::start()
{
    ContactRuns &run = m_runs;
    p.lblContactResistance->clear();
    if (!p.kitFree() || run.ContactResTest)
        co_return;

    // The relay and the channel are taken once: the coil drive of the whole run
    // follows the relay that was on the bench when it started.
    const int relay = p.relayIndex();
    const int selected = p.cmbCRChannel->currentIndex();
    if (relay < 0) {
        co_await refuse(QObject::tr("No relay type is selected.\n\nChoose the relay on the bench under Relay Type, "
                                    "then start the contact resistance test again."));
        co_return;
    }
    if (selected < 0) {
        co_await refuse(QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, "
                                    "then start the contact resistance test again."));
        co_return;
    }

    run.ContactResTest = true;
    p.beginTest(TestPanel::ContactResistanceBusy);
    Progress::Level progress = p.progress.begin(QStringLiteral("Contact resistance"));
    p.link.poll.setPollHold(true);
    p.link.poll.setKitBusy(true);

    KitCommands &kit = p.link.commands;
    const bool qta2 = relay == catalogue::QTA2;
    const ContactLayoutTable &layout = p.record.ContactLayout;
    constexpr int PreparingWaits = 3;
    if (selected == AllChannelsEntry) {
        progress.plan(PreparingWaits + waitsFrom(relay, 1, {}));
    } else {
        CoilState off;
        const auto contact = static_cast<catalogue::Contact>(layout[relay][selected + 1]);
        const bool measured = contact == catalogue::Contact::Front || contact == catalogue::Contact::Back;
        progress.plan(PreparingWaits + (measured ? int(drive(qta2, contact, off).size()) + 2 : 0) + 4);
        progress.step(p.cmbCRChannel->itemText(selected));
    }
    co_await kit.CoilOFF();
    co_await kit.CoilCurrentOFF();
    // The QTA2 track relay is worked from the current source; the others from 24 V.
    if (qta2)
        co_await kit.ResetCoilVoltage();
    else
        co_await kit.SetCoilVoltage();

    if (selected == AllChannelsEntry) {
        run.AllChannels = true;
        p.cmbCR->clear();
        p.cmbCR->setEditText(QStringLiteral("Testing ..."));
        for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
            progress.channel(p.cmbCRChannel->itemText(run.ChannelNo - 1), run.ChannelNo, catalogue::ChannelCount);
            progress.plan(waitsFrom(relay, run.ChannelNo, {kit.coilEnergised(), kit.currentSourceOn()}));
            const auto contact = static_cast<catalogue::Contact>(layout[relay][run.ChannelNo]);
            if (contact == catalogue::Contact::Front || contact == catalogue::Contact::Back) {
                co_await driveFor(relay, contact);
                co_await measure(run.ChannelNo);
            } else if (contact == catalogue::Contact::None) {
                listResult(p.cmbCR, p.cmbCRChannel->itemText(run.ChannelNo - 1) + QStringLiteral(" - X"));
                // No reading will come for D4, so nothing else would end the run;
                // the results file keeps what the last complete run wrote.
                if (run.ChannelNo == catalogue::ChannelCount) {
                    p.cmbCR->setEditText(QStringLiteral("Results"));
                    endRun();
                }
            }
        }
        progress.step(QStringLiteral("supply off"), catalogue::ChannelCount, catalogue::ChannelCount);
        if (qta2) {
            co_await kit.CoilCurrentOFF();
            co_await kit.ResetCoilCurrent();
        } else {
            co_await kit.CoilOFF();
            co_await kit.ResetCoilVoltage();
        }
        co_return;
    }

    run.AllChannels = false;
    const int channel = selected + 1;
    const auto contact = static_cast<catalogue::Contact>(layout[relay][channel]);
    if (contact == catalogue::Contact::Front || contact == catalogue::Contact::Back) {
        co_await driveFor(relay, contact);
        co_await measure(channel);
    } else if (contact == catalogue::Contact::None) {
        p.lblContactResistance->setText(p.cmbCRChannel->itemText(selected) + QStringLiteral(" - X"));
        endRun();
    }
    co_await kit.ResetCoilCurrent();
    co_await kit.CoilCurrentOFF();
    co_await kit.CoilOFF();
    co_await kit.ResetCoilVoltage();
}

std::vector<ContactResistanceTest::Switch> ContactResistanceTest::drive(bool qta2, catalogue::Contact contact,
                                                                        CoilState &state)
{
    if (contact == catalogue::Contact::Front) {
        if (qta2 && !state.sourceOn) {
            state.sourceOn = true;
            return {Switch::CurrentOn, Switch::SetCurrent};
        }
        if (!qta2 && !state.energised) {
            state.energised = true;
            return {Switch::CoilOn};
        }
    } else if (contact == catalogue::Contact::Back) {
        if (qta2 && state.sourceOn) {
            state.sourceOn = false;
            return {Switch::ResetCurrent, Switch::CurrentOff};
        }
        if (!qta2 && state.energised) {
            state.energised = false;
            return {Switch::CoilOff};
        }
    }
    return {};
}

platform::Task ContactResistanceTest::driveFor(int relay, catalogue::Contact contact)
{
    KitCommands &kit = p.link.commands;
    CoilState state{kit.coilEnergised(), kit.currentSourceOn()};
    for (const Switch change : drive(relay == catalogue::QTA2, contact, state)) {
        switch (change) {
        case Switch::CoilOn: co_await kit.CoilON(); break;
        case Switch::CoilOff: co_await kit.CoilOFF(); break;
        case Switch::CurrentOn: co_await kit.CoilCurrentON(); break;
        case Switch::SetCurrent: co_await kit.SetCoilCurrent(); break;
        case Switch::ResetCurrent: co_await kit.ResetCoilCurrent(); break;
        case Switch::CurrentOff: co_await kit.CoilCurrentOFF(); break;
        }
    }
}

int ContactResistanceTest::waitsFrom(int relay, int channel, CoilState state) const
{
    constexpr int MeasureWaits = 2;
    constexpr int EndWaits = 2;
    int waits = EndWaits;
    for (; channel <= catalogue::ChannelCount; ++channel) {
        const auto contact = static_cast<catalogue::Contact>(p.record.ContactLayout[relay][channel]);
        if (contact == catalogue::Contact::Front || contact == catalogue::Contact::Back)
            waits += int(drive(relay == catalogue::QTA2, contact, state).size()) + MeasureWaits;
    }
    return waits;
}

platform::Task ContactResistanceTest::measure(int channel)
{
    p.link.commands.send(wire::contactResistance(channel));
    co_await p.link.wait.hold();
    co_await p.link.wait.hold();
}

void ContactResistanceTest::endRun()
{
    m_runs.ContactResTest = false;
    p.endTest(TestPanel::ContactResistanceBusy);
}

platform::Task ContactResistanceTest::onReadingFrame(QString frame)
{
    ContactRuns &run = m_runs;
    // A reading nobody asked for (late, or from a kit left measuring) must not end
    // another test or land in the results.
    if (!run.ContactResTest)
        co_return;

    BenchRecord &record = p.record;
    const float reading = wire::decodeContactResistance(frame);
    record.ContactRes[0] = reading;

    if (!run.AllChannels) {
        p.lblContactResistance->setText(p.cmbCRChannel->itemText(p.cmbCRChannel->currentIndex())
                                        + QStringLiteral(" - ") + milliohms(reading));
        endRun();
        co_return;
    }

    const int channel = run.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactRes[std::size_t(channel)] = reading;
    const QString name = p.cmbCRChannel->itemText(channel - 1);
    listResult(p.cmbCR, name + (reading > OpenContactMilliohms ? QStringLiteral(" - OFF")
                                                               : QStringLiteral(" - ") + milliohms(reading)));
    if (channel == catalogue::ChannelCount) {
        p.cmbCR->setEditText(QStringLiteral("Results"));
        endRun();
        writeResultsFile();
    }
}

void ContactResistanceTest::writeResultsFile()
{
    QByteArray lines;
    for (int i = 0; i < catalogue::ChannelCount; ++i)
        lines += '"' + p.cmbCR->itemText(i).toLatin1() + "\"\r\n";

    const QString path = platform::inFolder(p.StartupFolder, ResultsFileName);
    const platform::WriteResult written = platform::replaceFileAtomically(path, lines);
    if (written.ok)
        return;
    platform::Prompts::current().message(
        p.window, QObject::tr("Contact resistance results not saved"),
        QObject::tr("Quillmark could not write the contact resistance results file\n%1\n\n%2\n\n"
                    "The readings are still listed under Test Results, but Generate Report will not "
                    "have them until the file can be written.")
            .arg(QDir::toNativeSeparators(path), written.error),
        platform::PromptIcon::Exclamation);
}
