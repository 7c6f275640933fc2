#include "tests/pickupdropawaytest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/wireformat.h"
#include "platform/dialogwait.h"
#include "platform/numbertext.h"

#include <QDialog>

#include <cmath>
#include <memory>

namespace {

// The coil resistances a voltage ramp is meaningful for; below them only the QTA2
// track relay is tested, by ramping the current, and only down to a coil that is
// not shorted.
constexpr float LowestVoltageCoil = 100.0f;
constexpr float HighestVoltageCoil = 1200.0f;
constexpr float LowestCurrentCoil = 6.0f;

// A ramp that never saw the relay move reports 0.
QString volts(float value)
{
    return value == 0 ? QStringLiteral("Error") : platform::fixedDecimals(double(value), 2);
}

QString milliamps(float value)
{
    return value == 0 ? QStringLiteral("Error") : platform::fixedDecimals(double(std::lround(double(value))), 0);
}

} // namespace

PickUpDropAwayTest::PickUpDropAwayTest(const Bench &bench)
    : m_bench(bench)
{
}

std::optional<PickUpDropAwayTest::Drive> PickUpDropAwayTest::driveFor(float coil) const
{
    if (coil >= LowestVoltageCoil && coil <= HighestVoltageCoil)
        return Drive::Volts;
    if (coil < LowestVoltageCoil && coil > LowestCurrentCoil && m_bench.view.relayIndex() == catalogue::QTA2)
        return Drive::Milliamps;
    return std::nullopt;  // also the coil not measured yet for this relay, which reads 0
}

platform::Task PickUpDropAwayTest::refuse(float coil)
{
    const QString why = coil > HighestVoltageCoil ? QStringLiteral("Coil Resistance too high or open!")
                                                  : QStringLiteral("Coil Resistance too low or short!");
    co_await platform::closed(
        m_bench.link.waits,
        m_bench.view.message(QStringLiteral("Coil Resistance error"), why, platform::PromptIcon::Critical));
}

bool PickUpDropAwayTest::mayStart(Request request) const
{
    return m_bench.kitFree() && !m_bench.link.poll.isOpen(request);
}

float PickUpDropAwayTest::voltsAcrossCoil(float milliamps) const
{
    return milliamps * m_bench.record.CoilResistance1 / 1000.0f;
}

platform::Task PickUpDropAwayTest::pickUp(std::optional<Drive> waitedFor)
{
    co_await run({Request::PickUpVRequest, Request::PickUpIRequest, BenchView::Result::PickUp, BenchView::Busy::PickUp,
                  QStringLiteral("Pick-up")},
                 waitedFor);
}

platform::Task PickUpDropAwayTest::dropAway(std::optional<Drive> waitedFor)
{
    co_await run({Request::DropAwayVRequest, Request::DropAwayIRequest, BenchView::Result::DropAway,
                  BenchView::Busy::DropAway, QStringLiteral("Drop-away")},
                 waitedFor);
}

platform::Task PickUpDropAwayTest::run(Ramp ramp, std::optional<Drive> waitedFor)
{
    const float coil = m_bench.record.CoilResistance1;
    const std::optional<Drive> drive = driveFor(coil);
    if (!drive) {
        co_await refuse(coil);
        co_return;
    }
    const Request request = *drive == Drive::Volts ? ramp.inVolts : ramp.inMilliamps;
    if (!mayStart(request))
        co_return;
    m_bench.view.hideResult(ramp.result);
    TestRun test(m_bench, ramp.busy, ramp.name);
    test.waitOnKit();
    if (waitedFor && *waitedFor != *drive)
        m_bench.launch(ramped(request, std::move(test)));
    else
        co_await ramped(request, std::move(test));
}

platform::Task PickUpDropAwayTest::ramped(Request request, TestRun test)
{
    BenchRecord &record = m_bench.record;
    const QString frame = co_await m_bench.link.poll.answerTo(request);
    switch (request) {
    case Request::PickUpVRequest: co_await pickedUp(frame, std::move(test)); break;
    case Request::DropAwayVRequest: co_await droppedAway(frame, std::move(test)); break;
    case Request::PickUpIRequest:
        inMilliamps(frame, BenchView::Result::PickUp, record.PickUpCurrent, record.PickUpVoltage, std::move(test));
        break;
    default:
        inMilliamps(frame, BenchView::Result::DropAway, record.DropAwayCurrent, record.DropAwayVoltage, std::move(test));
        break;
    }
}

platform::Task PickUpDropAwayTest::pickedUp(QString frame, TestRun test)
{
    BenchRecord &record = m_bench.record;
    const wire::VoltageAndCurrent pickUp = wire::decodeRampResult(frame);
    record.PickUpVoltage = pickUp.volts;
    record.PickUpCurrent = pickUp.milliamps;
    test.end();
    m_bench.view.showResult(BenchView::Result::PickUp, volts(record.PickUpVoltage));
    if (m_bench.view.relayIndex() != catalogue::QL1)
        co_return;

    // QL1 drops away through its second coil: coil 1 is cleared and coil 2 switched
    // on, and the kit's coil-2 ramp gives the value shown as the drop-away.
    test.step(QStringLiteral("coil 2"));
    test.plan(3);
    KitCommands &kit = m_bench.link.commands;
    co_await kit.ResetCoilVoltage();
    co_await kit.CoilOFF();
    co_await kit.Coil2ON();
    m_bench.view.hideResult(BenchView::Result::DropAway);
    test.begin();
    test.waitOnKit();
    m_bench.launch(coil2PickUp(std::move(test)));
}

platform::Task PickUpDropAwayTest::coil2PickUp(TestRun test)
{
    const QString frame = co_await m_bench.link.poll.answerTo(Request::Coil2PickUpRequest);
    const wire::VoltageAndCurrent coil2 = wire::decodeRampResult(frame);
    m_bench.record.DropAwayVoltage = coil2.volts;
    m_bench.record.DropAwayCurrent = coil2.milliamps;
    // Coil 2 stays switched on after its ramp, at the 0 V set before it.
    test.end();
    m_bench.view.showResult(BenchView::Result::DropAway, volts(m_bench.record.DropAwayVoltage));
}

platform::Task PickUpDropAwayTest::droppedAway(QString frame, TestRun test)
{
    BenchRecord &record = m_bench.record;
    const wire::VoltageAndCurrent dropAway = wire::decodeRampResult(frame);
    record.DropAwayVoltage = dropAway.volts;
    record.DropAwayCurrent = dropAway.milliamps;
    test.unlock();
    const QString measured = volts(record.DropAwayVoltage);
    m_bench.view.showResult(BenchView::Result::DropAway, measured);

    // The operator confirms the drop-away by hand, starting from where the kit left
    // the coil; frames and poll ticks go on while the dialog is open.
    record.ManualDropAwayVoltage = 0;
    test.waitOnOperator(QStringLiteral("confirmed by hand"));
    {
        const std::unique_ptr<QDialog> dialog(m_bench.view.openDropAwayDialog());  // a Stop closes it
        co_await platform::closed(m_bench.link.waits, dialog.get());
    }
    m_bench.view.showResult(BenchView::Result::DropAway,
                            measured + QLatin1Char('/') + platform::fixedDecimals(double(record.ManualDropAwayVoltage), 2));
    test.end();
}

void PickUpDropAwayTest::inMilliamps(QString frame, BenchView::Result result, float &current, float &voltage,
                                     TestRun test)
{
    current = wire::decodeRampCurrent(frame);
    voltage = voltsAcrossCoil(current);
    test.end();
    m_bench.view.showResult(result, milliamps(current));
}
