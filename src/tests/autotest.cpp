#include "tests/autotest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "tests/procedures.h"
#include "tests/progress.h"

#include <optional>

#include <QComboBox>

namespace {
constexpr int AllChannelsEntry = 16;
}

AutoTest::AutoTest(const TestPanel &panel, Procedures &procedures)
    : p(panel)
    , m_run(procedures)
{
}

platform::Task AutoTest::run()
{
    p.record.CoilResistance1 = 0;
    if (!p.kitFree())
        co_return;

    constexpr int DelayRunWaits = 1 + catalogue::ChannelCount;
    Progress::Level progress = p.progress.begin(QStringLiteral("Automatic test"));
    const auto phase = [&progress](const char *name, std::optional<int> waitsAhead = std::nullopt) {
        progress.step(QString::fromLatin1(name));
        if (waitsAhead)
            progress.plan(*waitsAhead);
        else
            progress.waitOnKit();
    };

    KitCommands &kit = p.link.commands;
    phase("supply off", 2);
    kit.send(wire::setVoltage(0.0));
    co_await settle(1);
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await settle(1);

    phase("coil resistance");
    m_run.coilResistance.start();
    co_await whileOpen(Request::CoilResRequest);

    const int relay = p.relayIndex();
    const bool timed = relay == catalogue::QSPA1 || relay == catalogue::QNA1K;
    if (relay == catalogue::QTA2) {
        // The low-resistance coil gets two seconds between measurements.
        phase("pick-up", 2);
        co_await settle(2);
        phase("pick-up");
        co_await m_run.pickUpDropAway.startPickUp();
        co_await whileOpen(Request::PickUpIRequest);
        phase("drop-away", 2);
        co_await settle(2);
        phase("drop-away");
        co_await m_run.pickUpDropAway.startDropAway();
        co_await whileOpen(Request::DropAwayIRequest);
    } else {
        phase("pick-up");
        co_await m_run.pickUpDropAway.startPickUp();
        co_await whileOpen(Request::PickUpVRequest);
        // QL1's drop-away value comes from the second coil's pick-up step.
        if (relay != catalogue::QL1) {
            phase("drop-away");
            co_await m_run.pickUpDropAway.startDropAway();
            co_await whileOpen(Request::DropAwayVRequest);
        }
    }

    phase("contact resistance", timed ? DelayRunWaits : 0);
    p.cmbCRChannel->setCurrentIndex(AllChannelsEntry);
    co_await m_run.contactResistance.start();

    if (timed) {
        phase("contact delay", 0);
        p.cmbCDChannel->setCurrentIndex(AllChannelsEntry);
        co_await m_run.contactDelay.start();
    }

    p.cmdReport->setEnabled(true);
}

platform::WaitStack::Until AutoTest::whileOpen(Request request) const
{
    const PollCycle &poll = p.link.poll;
    return p.link.waits.until([&poll, request] { return !poll.isOpen(request); });
}

platform::Task AutoTest::settle(int waits) const
{
    for (int i = 0; i < waits; ++i)
        co_await p.link.wait.hold();
}
