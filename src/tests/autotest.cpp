#include "tests/autotest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "tests/procedures.h"
#include "tests/progress.h"

#include <optional>

AutoTest::AutoTest(const Bench &bench, Procedures &procedures)
    : m_bench(bench)
    , m_procedures(procedures)
{
}

platform::Task AutoTest::run()
{
    m_bench.record.CoilResistance1 = 0;
    if (!m_bench.kitFree())
        co_return;

    constexpr int DelayRunWaits = 1 + catalogue::ChannelCount;
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("Automatic test"));
    const auto phase = [&progress](const char *name, std::optional<int> waitsAhead = std::nullopt) {
        progress.step(QString::fromLatin1(name));
        if (waitsAhead)
            progress.plan(*waitsAhead);
        else
            progress.waitOnKit();
    };
    BenchView &view = m_bench.view;

    KitCommands &kit = m_bench.link.commands;
    phase("supply off", 2);
    co_await kit.ResetCoilVoltage();
    // Sent as it stands, not through CoilOFF: the automatic test leaves the bench's
    // idea of the coil state as it was.
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await settle(1);

    phase("coil resistance");
    m_bench.launch(m_procedures.coilResistance.run());
    co_await whileOpen(Request::CoilResRequest);

    if (view.relayIndex() == catalogue::QTA2) {
        // The low-resistance coil gets two seconds between measurements.
        phase("pick-up", 2);
        co_await settle(2);
        phase("pick-up");
        m_bench.launch(m_procedures.pickUpDropAway.pickUp());
        co_await whileOpen(Request::PickUpIRequest);
    } else {
        phase("pick-up");
        m_bench.launch(m_procedures.pickUpDropAway.pickUp());
        co_await whileOpen(Request::PickUpVRequest);
    }
    if (view.relayIndex() == catalogue::QTA2) {
        phase("drop-away", 2);
        co_await settle(2);
        phase("drop-away");
        m_bench.launch(m_procedures.pickUpDropAway.dropAway());
        co_await whileOpen(Request::DropAwayIRequest);
    } else if (view.relayIndex() != catalogue::QL1) {  // QL1's drop-away comes from its pick-up's second coil
        phase("drop-away");
        m_bench.launch(m_procedures.pickUpDropAway.dropAway());
        co_await whileOpen(Request::DropAwayVRequest);
    }

    const auto timed = [&view] {
        return view.relayIndex() == catalogue::QSPA1 || view.relayIndex() == catalogue::QNA1K;
    };
    phase("contact resistance", timed() ? DelayRunWaits : 0);
    view.selectChannel(BenchView::List::ContactResistance, catalogue::AllChannelsEntry);
    co_await m_procedures.contactResistance.run(catalogue::AllChannelsEntry);

    if (timed()) {
        phase("contact delay", 0);
        view.selectChannel(BenchView::List::ContactDelay, catalogue::AllChannelsEntry);
        co_await m_procedures.contactDelay.run(catalogue::AllChannelsEntry);
    }

    view.enableReport();
}

platform::WaitStack::Until AutoTest::whileOpen(Request request) const
{
    const PollCycle &poll = m_bench.link.poll;
    return m_bench.link.waits.until([&poll, request] { return !poll.isOpen(request); });
}

platform::Task AutoTest::settle(int waits) const
{
    for (int i = 0; i < waits; ++i)
        co_await m_bench.link.wait.hold();
}
