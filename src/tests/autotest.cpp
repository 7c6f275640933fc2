#include "tests/autotest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contacttimingtests.h"
#include "tests/pickupdropawaytest.h"
#include "tests/progress.h"

#include <optional>

AutoTest::AutoTest(const Bench &bench, CoilResistanceTest &coil, PickUpDropAwayTest &ramps,
                   ContactResistanceTest &contacts, ContactDelayTest &delays)
    : m_bench(bench)
    , m_coil(coil)
    , m_ramps(ramps)
    , m_contacts(contacts)
    , m_delays(delays)
{
}

platform::Task AutoTest::run()
{
    m_bench.record.CoilResistance1 = 0;
    if (!m_bench.kitFree())
        co_return;
    const Measuring::Token measuring(m_bench.measuring);

    constexpr int DelayRunWaits = 1 + catalogue::ChannelCount;
    Progress::Level progress = m_bench.progress.begin(QStringLiteral("Automatic test"));
    const auto phase = [&progress](const char *name, std::optional<int> waitsAhead = std::nullopt) {
        progress.step(QString::fromLatin1(name));
        if (waitsAhead)
            progress.plan(*waitsAhead);
        else
            progress.waitOnKit();
    };
    // The style is read at each step: the operator may change it meanwhile.
    BenchView &view = m_bench.view;
    const auto relayIs = [&view](int entry) { return view.relayIndex() == entry; };
    using Drive = PickUpDropAwayTest::Drive;

    KitCommands &kit = m_bench.link.commands;
    phase("supply off", 2);
    co_await kit.ResetCoilVoltage();
    // Sent as it stands, not through CoilOFF: the automatic test leaves the bench's
    // idea of the coil state as it was.
    kit.send(QString::fromLatin1(wire::cmd::CoilOff));
    co_await settle(1);

    // QL1's second coil is measured after its first one's result, alongside what follows.
    phase("coil resistance");
    co_await m_bench.call(m_coil.run());

    // The run waits for the ramp the style is tested with: the QTA2 coil's current
    // ramp, two seconds after the coil; a QTA2 coil that reads high enough for a
    // voltage ramp gets one, which goes on while the run does.
    if (relayIs(catalogue::QTA2)) {
        phase("pick-up", 2);
        co_await settle(2);
        phase("pick-up");
        co_await m_bench.call(m_ramps.pickUp(Drive::Milliamps));
    } else {
        phase("pick-up");
        co_await m_bench.call(m_ramps.pickUp(Drive::Volts));
    }
    if (relayIs(catalogue::QTA2)) {
        phase("drop-away", 2);
        co_await settle(2);
        phase("drop-away");
        co_await m_bench.call(m_ramps.dropAway(Drive::Milliamps));
    } else if (!relayIs(catalogue::QL1)) {  // QL1's drop-away comes from its pick-up's second coil
        phase("drop-away");
        co_await m_bench.call(m_ramps.dropAway(Drive::Volts));
    }

    const auto timed = [&relayIs] { return relayIs(catalogue::QSPA1) || relayIs(catalogue::QNA1K); };
    phase("contact resistance", timed() ? DelayRunWaits : 0);
    view.selectChannel(BenchView::List::ContactResistance, catalogue::AllChannelsEntry);
    co_await m_bench.call(m_contacts.run(catalogue::AllChannelsEntry));

    if (timed()) {
        phase("contact delay", 0);
        view.selectChannel(BenchView::List::ContactDelay, catalogue::AllChannelsEntry);
        co_await m_bench.call(m_delays.run(catalogue::AllChannelsEntry));
    }

    view.enableReport();
}

platform::Task AutoTest::settle(int waits) const
{
    for (int i = 0; i < waits; ++i)
        co_await m_bench.link.wait.hold();
}
