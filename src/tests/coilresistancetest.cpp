#include "tests/coilresistancetest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

namespace {

// The meter's usable range differs between the coils: R1-R2 reads to 1200 ohms,
// R3-R4 only to 1000. Beyond that the reading is an open coil, not a value.
constexpr float Coil1Limit = 1200.0f;
constexpr float Coil2Limit = 1000.0f;

QString ohms(float value, float limit)
{
    return value >= limit ? QStringLiteral("ERROR") : platform::fixedDecimals(double(value), 1);
}

} // namespace

CoilResistanceTest::CoilResistanceTest(const Bench &bench)
    : m_bench(bench)
{
}

platform::Task CoilResistanceTest::run()
{
    PollCycle &poll = m_bench.link.poll;
    if (!m_bench.kitFree() || poll.isOpen(Request::CoilResRequest))
        co_return;
    TestRun test(m_bench, BenchView::Busy::CoilResistance, QStringLiteral("Coil resistance"));
    test.waitOnKit();
    const QString frame = co_await poll.answerTo(Request::CoilResRequest);
    m_bench.record.CoilResistance1 = wire::decodeCoilResistance(frame);
    m_bench.view.showResult(BenchView::Result::CoilResistance1, ohms(m_bench.record.CoilResistance1, Coil1Limit));
    if (m_bench.view.relayIndex() == catalogue::QL1)
        m_bench.launch(secondCoil(std::move(test)));
    else
        test.end();
}

// The test is still running, so its busy mark and the locked panel stay as they are.
platform::Task CoilResistanceTest::secondCoil(TestRun test)
{
    test.step(QStringLiteral("coil 2"));
    const QString frame = co_await m_bench.link.poll.answerTo(Request::Coil2ResRequest);
    m_bench.record.CoilResistance2 = wire::decodeCoilResistance(frame);
    m_bench.view.showResult(BenchView::Result::CoilResistance2, ohms(m_bench.record.CoilResistance2, Coil2Limit));
    test.plan(3);

    // A one-second pulse through coil 2 after its measurement, then the supply back
    // to 0 V. The pulse is switched directly rather than through Coil2ON/Coil2OFF:
    // it is over before anyone asks whether a coil is energised, which the coil-1
    // switch-off of the measuring step has already answered.
    KitCommands &kit = m_bench.link.commands;
    kit.send(QString::fromLatin1(wire::cmd::Coil2On));
    co_await m_bench.link.wait.hold();
    kit.send(QString::fromLatin1(wire::cmd::Coil2Off));
    co_await m_bench.link.wait.hold();
    co_await kit.ResetCoilVoltage();
    test.end();
}
