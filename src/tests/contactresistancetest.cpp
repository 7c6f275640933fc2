#include "tests/contactresistancetest.h"

#include "console/record/benchrecord.h"
#include "kitlink/wireformat.h"
#include "platform/dialogwait.h"
#include "tests/resultlines.h"

#include <QObject>

namespace {

bool measured(catalogue::Contact contact)
{
    return contact == catalogue::Contact::Front || contact == catalogue::Contact::Back;
}

} // namespace

ContactResistanceTest::ContactResistanceTest(const Bench &bench, RunSlot &slot, ResultLines &results,
                                             LateAnswers &late)
    : m_bench(bench)
    , m_slot(slot)
    , m_results(results)
    , m_late(late)
{
}

platform::Task untilLastReading(std::unique_ptr<ChannelRun> run)
{
    co_await run->untilFinished();
}

platform::Task ContactResistanceTest::run(int entry)
{
    BenchView &view = m_bench.view;
    view.showResult(BenchView::Result::ContactResistance, QString());
    if (!m_bench.kitFree() || m_slot.taken())
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

    auto run = std::make_unique<ChannelRun>(m_bench, ContactResistanceReadings, m_slot, m_results, m_late, entry,
                                            QStringLiteral("Contact resistance"));
    TestRun &test = run->test();
    constexpr int PreparingWaits = 3;
    constexpr int EndWaits = 4;
    if (run->allChannels()) {
        test.plan(PreparingWaits + waitsFrom(1, {}));
    } else {
        CoilState off;
        const std::optional<catalogue::Contact> contact = contactOn(run->channel());
        const int driving = contact && measured(*contact) ? int(drive(qta2(), *contact, off).size()) + 2 : 0;
        test.plan(PreparingWaits + driving + EndWaits);
        test.step(catalogue::channelName(run->channel()));
    }

    KitCommands &kit = m_bench.link.commands;
    co_await kit.CoilOFF();
    co_await kit.CoilCurrentOFF();
    // The QTA2 track relay is worked from the current source; the others from 24 V.
    if (qta2())
        co_await kit.ResetCoilVoltage();
    else
        co_await kit.SetCoilVoltage();

    if (run->allChannels()) {
        m_results.startFilling(QStringLiteral("Testing ..."));
        for (int channel = 1; channel <= catalogue::ChannelCount; ++channel) {
            run->moveTo(channel);
            test.channel(catalogue::channelName(channel), channel, catalogue::ChannelCount);
            test.plan(waitsFrom(channel, {kit.coilEnergised(), kit.currentSourceOn()}));
            const std::optional<catalogue::Contact> contact = contactOn(channel);
            if (contact && measured(*contact))
                co_await measure(*run, *contact);
            else if (contact == catalogue::Contact::None)
                run->noContact();
        }
        run->moveTo(catalogue::ChannelCount + 1);
        test.step(QStringLiteral("supply off"), catalogue::ChannelCount, catalogue::ChannelCount);
        if (qta2()) {
            co_await kit.CoilCurrentOFF();
            co_await kit.ResetCoilCurrent();
        } else {
            co_await kit.CoilOFF();
            co_await kit.ResetCoilVoltage();
        }
    } else {
        const std::optional<catalogue::Contact> contact = contactOn(run->channel());
        if (contact && measured(*contact))
            co_await measure(*run, *contact);
        else if (contact == catalogue::Contact::None)
            run->noContact();
        co_await kit.ResetCoilCurrent();
        co_await kit.CoilCurrentOFF();
        co_await kit.CoilOFF();
        co_await kit.ResetCoilVoltage();
    }
    if (!run->finished())
        m_bench.launch(untilLastReading(std::move(run)));
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

platform::Task ContactResistanceTest::measure(ChannelRun &run, catalogue::Contact contact)
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
    run.ask(wire::contactResistance(run.channel()));
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
