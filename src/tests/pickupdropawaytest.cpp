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

PickUpDropAwayTest::Mode PickUpDropAwayTest::modeFor(float coil) const
{
    if (coil >= LowestVoltageCoil && coil <= HighestVoltageCoil)
        return Mode::Voltage;
    if (coil > HighestVoltageCoil)
        return Mode::TooHigh;
    if (m_bench.view.relayIndex() == catalogue::QTA2 && coil > LowestCurrentCoil)
        return Mode::Current;
    return Mode::TooLow;  // also the coil not measured yet for this relay, which reads 0
}

platform::Task PickUpDropAwayTest::refuse(Mode mode)
{
    const QString why = mode == Mode::TooHigh ? QStringLiteral("Coil Resistance too high or open!")
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

platform::Task PickUpDropAwayTest::pickUp()
{
    co_await run({Request::PickUpVRequest, Request::PickUpIRequest, BenchView::Result::PickUp, BenchView::Busy::PickUp,
                  QStringLiteral("Pick-up")});
}

platform::Task PickUpDropAwayTest::dropAway()
{
    co_await run({Request::DropAwayVRequest, Request::DropAwayIRequest, BenchView::Result::DropAway,
                  BenchView::Busy::DropAway, QStringLiteral("Drop-away")});
}

platform::Task PickUpDropAwayTest::run(Ramp ramp)
{
    const Mode mode = modeFor(m_bench.record.CoilResistance1);
    if (mode == Mode::TooHigh || mode == Mode::TooLow) {
        co_await refuse(mode);
        co_return;
    }
    const Request request = mode == Mode::Voltage ? ramp.inVolts : ramp.inMilliamps;
    if (!mayStart(request))
        co_return;
    m_bench.view.hideResult(ramp.result);
    TestRun test(m_bench, ramp.busy, ramp.name);
    test.waitOnKit();
    const QString frame = co_await m_bench.link.poll.answerTo(request);
    switch (request) {
    case Request::PickUpVRequest: co_await onPickUp(frame, std::move(test)); break;
    case Request::DropAwayVRequest: co_await onDropAway(frame, std::move(test)); break;
    case Request::PickUpIRequest: onPickUpCurrent(frame, std::move(test)); break;
    default: onDropAwayCurrent(frame, std::move(test)); break;
    }
}

platform::Task PickUpDropAwayTest::onPickUp(QString frame, TestRun test)
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
    // on, and the kit's coil-2 ramp gives the value shown as the drop-away. Whoever
    // waited for the pick-up goes on once the second ramp is asked for.
    test.step(QStringLiteral("coil 2"));
    test.plan(3);
    KitCommands &kit = m_bench.link.commands;
    co_await kit.ResetCoilVoltage();
    co_await kit.CoilOFF();
    co_await kit.Coil2ON();
    m_bench.view.hideResult(BenchView::Result::DropAway);
    test.begin();
    test.waitOnKit();
    const QString coil2 = co_await m_bench.link.poll.answerTo(Request::Coil2PickUpRequest);
    onCoil2PickUp(coil2, std::move(test));
}

void PickUpDropAwayTest::onCoil2PickUp(QString frame, TestRun test)
{
    const wire::VoltageAndCurrent coil2 = wire::decodeRampResult(frame);
    m_bench.record.DropAwayVoltage = coil2.volts;
    m_bench.record.DropAwayCurrent = coil2.milliamps;
    // Coil 2 stays switched on after its ramp, at the 0 V set before it.
    test.end();
    m_bench.view.showResult(BenchView::Result::DropAway, volts(m_bench.record.DropAwayVoltage));
}

platform::Task PickUpDropAwayTest::onDropAway(QString frame, TestRun test)
{
    BenchRecord &record = m_bench.record;
    const wire::VoltageAndCurrent dropAway = wire::decodeRampResult(frame);
    record.DropAwayVoltage = dropAway.volts;
    record.DropAwayCurrent = dropAway.milliamps;
    test.unlock();
    m_bench.view.showResult(BenchView::Result::DropAway, volts(record.DropAwayVoltage));

    // The operator confirms the drop-away by hand, starting from where the kit left
    // the coil; frames and poll ticks go on while the dialog is open.
    record.ManualDropAwayVoltage = 0;
    test.waitOnOperator(QStringLiteral("confirmed by hand"));
    {
        const std::unique_ptr<QDialog> dialog(m_bench.view.openDropAwayDialog());  // a Stop closes it
        co_await platform::closed(m_bench.link.waits, dialog.get());
    }
    m_bench.view.showResult(BenchView::Result::DropAway,
                            m_bench.view.resultText(BenchView::Result::DropAway) + QLatin1Char('/')
                                + platform::fixedDecimals(double(record.ManualDropAwayVoltage), 2));
    test.end();
}

void PickUpDropAwayTest::onPickUpCurrent(QString frame, TestRun test)
{
    m_bench.record.PickUpCurrent = wire::decodeRampCurrent(frame);
    m_bench.record.PickUpVoltage = voltsAcrossCoil(m_bench.record.PickUpCurrent);
    test.end();
    m_bench.view.showResult(BenchView::Result::PickUp, milliamps(m_bench.record.PickUpCurrent));
}

void PickUpDropAwayTest::onDropAwayCurrent(QString frame, TestRun test)
{
    m_bench.record.DropAwayCurrent = wire::decodeRampCurrent(frame);
    m_bench.record.DropAwayVoltage = voltsAcrossCoil(m_bench.record.DropAwayCurrent);
    test.end();
    m_bench.view.showResult(BenchView::Result::DropAway, milliamps(m_bench.record.DropAwayCurrent));
}
