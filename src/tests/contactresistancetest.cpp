#include "tests/contactresistancetest.h"

#include "console/record/benchrecord.h"
#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/dialogwait.h"
#include "platform/numbertext.h"
#include "tests/progress.h"

#include <QDir>
#include <QObject>

namespace {

// Above this a contact is taken as not made: the meter reads the open circuit.
constexpr float OpenContactMilliohms = 999;

const QString ResultsFileName = QStringLiteral("crval.csv");

QString milliohms(float value)
{
    return platform::fixedDecimals(double(value), 1);
}

bool measured(catalogue::Contact contact)
{
    return contact == catalogue::Contact::Front || contact == catalogue::Contact::Back;
}

} // namespace

ContactResistanceTest::ContactResistanceTest(const Bench &bench, ContactRuns &runs, ResultLines &results)
    : m_bench(bench)
    , m_runs(runs)
    , m_results(results)
{
}

platform::Task ContactResistanceTest::run(int entry)
{
    BenchView &view = m_bench.view;
    view.showResult(BenchView::Result::ContactResistance, QString());
    if (!m_bench.kitFree() || m_runs.ContactResTest)
        co_return;
    if (view.relayIndex() < 0) {
        co_await platform::closed(m_bench.link.waits, view.message(
            QObject::tr("Contact Resistance"),
            QObject::tr("No relay type is selected.\n\nChoose the relay on the bench under Relay Type, then start the "
                        "contact resistance test again."),
            platform::PromptIcon::Exclamation));
        co_return;
    }
    if (entry < 0) {
        co_await refuseWithoutChannel(m_bench, QObject::tr("Contact Resistance"), QObject::tr("contact resistance test"));
        co_return;
    }

    ContactRuns &run = m_runs;
    run.ContactResTest = true;
    run.resistanceRun.emplace(m_bench, BenchView::Busy::ContactResistance, QString(), TestRun::Polling::Held);
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("Contact resistance"));
    constexpr int PreparingWaits = 3;
    constexpr int EndWaits = 4;
    if (entry == catalogue::AllChannelsEntry) {
        progress.plan(PreparingWaits + waitsFrom(1, {}));
    } else {
        CoilState off;
        const std::optional<catalogue::Contact> contact = contactOn(entry + 1);
        const int driving = contact && measured(*contact) ? int(drive(qta2(), *contact, off).size()) + 2 : 0;
        progress.plan(PreparingWaits + driving + EndWaits);
        progress.step(catalogue::channelSelectorText(entry));
    }

    KitCommands &kit = m_bench.link.commands;
    co_await kit.CoilOFF();
    co_await kit.CoilCurrentOFF();
    // The QTA2 track relay is worked from the current source; the others from 24 V.
    if (qta2())
        co_await kit.ResetCoilVoltage();
    else
        co_await kit.SetCoilVoltage();

    if (entry == catalogue::AllChannelsEntry) {
        run.AllChannels = true;
        m_results.clear(QStringLiteral("Testing ..."));
        for (run.ChannelNo = 1; run.ChannelNo <= catalogue::ChannelCount; ++run.ChannelNo) {
            progress.channel(catalogue::channelName(run.ChannelNo), run.ChannelNo, catalogue::ChannelCount);
            progress.plan(waitsFrom(run.ChannelNo, {kit.coilEnergised(), kit.currentSourceOn()}));
            const std::optional<catalogue::Contact> contact = contactOn(run.ChannelNo);
            if (contact && measured(*contact)) {
                co_await measure(run.ChannelNo, *contact);
            } else if (contact == catalogue::Contact::None) {
                m_results.add(catalogue::channelName(run.ChannelNo) + QStringLiteral(" - X"));
                // No reading will come for D4, so nothing else would end the run;
                // the results file keeps what the last complete run wrote.
                if (run.ChannelNo == catalogue::ChannelCount) {
                    m_results.setText(QStringLiteral("Results"));
                    endRun();
                }
            }
        }
        progress.step(QStringLiteral("supply off"), catalogue::ChannelCount, catalogue::ChannelCount);
        if (qta2()) {
            co_await kit.CoilCurrentOFF();
            co_await kit.ResetCoilCurrent();
        } else {
            co_await kit.CoilOFF();
            co_await kit.ResetCoilVoltage();
        }
        co_return;
    }

    run.AllChannels = false;
    const int channel = entry + 1;
    const std::optional<catalogue::Contact> contact = contactOn(channel);
    if (contact && measured(*contact)) {
        co_await measure(channel, *contact);
    } else if (contact == catalogue::Contact::None) {
        view.showResult(BenchView::Result::ContactResistance, catalogue::channelName(channel) + QStringLiteral(" - X"));
        endRun();
    }
    co_await kit.ResetCoilCurrent();
    co_await kit.CoilCurrentOFF();
    co_await kit.CoilOFF();
    co_await kit.ResetCoilVoltage();
}

std::optional<catalogue::Contact> ContactResistanceTest::contactOn(int channel) const
{
    const int relay = m_bench.view.relayIndex();
    if (relay < 0 || relay >= catalogue::EntryCount)
        return std::nullopt;
    return static_cast<catalogue::Contact>(m_bench.record.ContactLayout[std::size_t(relay)][std::size_t(channel)]);
}

bool ContactResistanceTest::qta2() const
{
    return m_bench.view.relayIndex() == catalogue::QTA2;
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

platform::Task ContactResistanceTest::measure(int channel, catalogue::Contact contact)
{
    KitCommands &kit = m_bench.link.commands;
    CoilState state{kit.coilEnergised(), kit.currentSourceOn()};
    for (const Switch change : drive(qta2(), contact, state)) {
        switch (change) {
        case Switch::CoilOn: co_await kit.CoilON(); break;
        case Switch::CoilOff: co_await kit.CoilOFF(); break;
        case Switch::CurrentOn: co_await kit.CoilCurrentON(); break;
        case Switch::SetCurrent: co_await kit.SetCoilCurrent(); break;
        case Switch::ResetCurrent: co_await kit.ResetCoilCurrent(); break;
        case Switch::CurrentOff: co_await kit.CoilCurrentOFF(); break;
        }
    }
    kit.send(wire::contactResistance(channel));
    co_await m_bench.link.wait.hold();
    co_await m_bench.link.wait.hold();
}

int ContactResistanceTest::waitsFrom(int channel, CoilState state) const
{
    constexpr int MeasureWaits = 2;
    constexpr int EndWaits = 2;
    int waits = EndWaits;
    for (; channel <= catalogue::ChannelCount; ++channel) {
        const std::optional<catalogue::Contact> contact = contactOn(channel);
        if (contact && measured(*contact))
            waits += int(drive(qta2(), *contact, state).size()) + MeasureWaits;
    }
    return waits;
}

void ContactResistanceTest::takeReading(const QString &frame)
{
    ContactRuns &run = m_runs;
    BenchRecord &record = m_bench.record;
    const float reading = wire::decodeContactResistance(frame);
    record.ContactRes[0] = reading;

    if (!run.AllChannels) {
        const int entry = m_bench.view.selectedChannel(BenchView::List::ContactResistance);
        m_bench.view.showResult(BenchView::Result::ContactResistance,
                                catalogue::channelSelectorText(entry) + QStringLiteral(" - ") + milliohms(reading));
        endRun();
        return;
    }

    // Filed under the channel the run measures now: after a run has ended that is
    // one past the last, listed as "ALL".
    const int channel = run.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactRes[std::size_t(channel)] = reading;
    m_results.add(catalogue::channelName(channel) + (reading > OpenContactMilliohms ? QStringLiteral(" - OFF")
                                                                                    : QStringLiteral(" - ") + milliohms(reading)));
    if (channel == catalogue::ChannelCount) {
        m_results.setText(QStringLiteral("Results"));
        endRun();
        writeResultsFile();
    }
}

void ContactResistanceTest::endRun()
{
    endContactRun(m_bench, m_runs.ContactResTest, m_runs.resistanceRun, BenchView::Busy::ContactResistance);
}

void ContactResistanceTest::writeResultsFile()
{
    QByteArray lines;
    for (int i = 0; i < catalogue::ChannelCount; ++i)
        lines += '"' + m_results.lines().value(i).toLatin1() + "\"\r\n";

    const QString path = m_bench.startupFolder.file(ResultsFileName);
    const platform::WriteResult written = platform::replaceFileAtomically(path, lines);
    if (written.ok)
        return;
    m_bench.view.message(QObject::tr("Contact resistance results not saved"),
                         QObject::tr("Quillmark could not write the contact resistance results file\n%1\n\n%2\n\n"
                                     "The readings are still listed under Test Results, but Generate Report will "
                                     "not have them until the file can be written.")
                             .arg(QDir::toNativeSeparators(path), written.error),
                         platform::PromptIcon::Exclamation);
}
