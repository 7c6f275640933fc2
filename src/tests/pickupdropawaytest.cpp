#include "tests/pickupdropawaytest.h"

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/kitlink.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"
#include "platform/prompts.h"
#include "tests/frmdropaway.h"

#include <QLabel>
#include <QWidget>

#include <cmath>

namespace {

// The coil resistances a voltage ramp is meaningful for; below them only the QTA2
// track relay is tested, by ramping the current, and only down to a coil that is
// not shorted.
constexpr float LowestVoltageCoil = 100.0f;
constexpr float HighestVoltageCoil = 1200.0f;
constexpr float LowestCurrentCoil = 6.0f;

constexpr QLatin1String CoilError("Coil Resistance error");

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

PickUpDropAwayTest::PickUpDropAwayTest(const TestPanel &panel)
    : p(panel)
{
}

float PickUpDropAwayTest::voltsAcrossCoil(float milliamps) const
{
    return milliamps * p.record.CoilResistance1 / 1000.0f;
}

platform::Task PickUpDropAwayTest::startPickUp()
{
    co_await start(Request::PickUpVRequest, Request::PickUpIRequest, p.lblPUV, TestPanel::PickUpBusy);
}

platform::Task PickUpDropAwayTest::startDropAway()
{
    co_await start(Request::DropAwayVRequest, Request::DropAwayIRequest, p.lblDAV, TestPanel::DropAwayBusy);
}

std::optional<Progress::Level> &PickUpDropAwayTest::levelOf(Request ramp)
{
    return ramp == Request::DropAwayVRequest || ramp == Request::DropAwayIRequest ? m_dropAway : m_pickUp;
}

platform::Task PickUpDropAwayTest::start(Request voltageRamp, Request currentRamp, QLabel *result,
                                         TestPanel::Busy busy)
{
    const float coil = p.record.CoilResistance1;
    const auto arm = [&](Request ramp) {
        if (!p.kitFree() || p.link.poll.isOpen(ramp))
            return;
        p.link.poll.arm(ramp);
        result->setVisible(false);
        p.beginTest(busy);
        const bool dropAway = ramp == Request::DropAwayVRequest || ramp == Request::DropAwayIRequest;
        std::optional<Progress::Level> &level = levelOf(ramp);
        level.emplace(p.progress.begin(dropAway ? QStringLiteral("Drop-away") : QStringLiteral("Pick-up")));
        level->waitOnKit();
    };
    QString refusal;
    if (coil >= LowestVoltageCoil && coil <= HighestVoltageCoil)
        arm(voltageRamp);
    else if (coil > HighestVoltageCoil)
        refusal = QStringLiteral("Coil Resistance too high or open!");
    else if (p.relayIndex() == catalogue::QTA2 && coil > LowestCurrentCoil)
        arm(currentRamp);
    else  // also the coil not measured yet for this relay, which reads 0
        refusal = QStringLiteral("Coil Resistance too low or short!");
    if (refusal.isEmpty())
        co_return;
    co_await p.link.waits.closed(
        platform::Prompts::current().message(p.window, CoilError, refusal, platform::PromptIcon::Critical));
}

void PickUpDropAwayTest::finish(Request ramp, QLabel *result, const QString &text)
{
    if (ramp != Request::DropAwayVRequest && ramp != Request::PickUpVRequest)
        levelOf(ramp).reset();
    p.link.poll.close(ramp);
    p.link.poll.setPollHold(false);
    p.FrameCPanel->setEnabled(true);
    result->setText(text);
    result->setVisible(true);
}

platform::Task PickUpDropAwayTest::onPickUpFrame(QString frame)
{
    BenchRecord &record = p.record;
    const wire::VoltageAndCurrent pickUp = wire::decodeRampResult(frame);
    record.PickUpVoltage = pickUp.volts;
    record.PickUpCurrent = pickUp.milliamps;
    finish(Request::PickUpVRequest, p.lblPUV, volts(record.PickUpVoltage));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);

    if (p.relayIndex() != catalogue::QL1) {
        m_pickUp.reset();
        co_return;
    }
    if (m_pickUp) {
        m_pickUp->step(QStringLiteral("coil 2"));
        m_pickUp->plan(3);
    }
    // QL1 drops away through its second coil: coil 1 is cleared and coil 2 switched
    // on, and the kit's coil-2 ramp gives the value shown as the drop-away.
    KitCommands &kit = p.link.commands;
    co_await kit.ResetCoilVoltage();
    co_await kit.CoilOFF();
    co_await kit.Coil2ON();
    p.link.poll.arm(Request::Coil2PickUpRequest);
    p.lblDAV->setVisible(false);
    p.beginTest(TestPanel::PickUpBusy);
    if (m_pickUp)
        m_pickUp->waitOnKit();
}

platform::Task PickUpDropAwayTest::onCoil2PickUpFrame(QString frame)
{
    const wire::VoltageAndCurrent coil2 = wire::decodeRampResult(frame);
    p.record.DropAwayVoltage = coil2.volts;
    p.record.DropAwayCurrent = coil2.milliamps;
    // Coil 2 stays switched on after its ramp, at the 0 V set before it.
    finish(Request::Coil2PickUpRequest, p.lblDAV, volts(p.record.DropAwayVoltage));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);
    co_return;
}

platform::Task PickUpDropAwayTest::onDropAwayFrame(QString frame)
{
    BenchRecord &record = p.record;
    const wire::VoltageAndCurrent dropAway = wire::decodeRampResult(frame);
    record.DropAwayVoltage = dropAway.volts;
    record.DropAwayCurrent = dropAway.milliamps;
    finish(Request::DropAwayVRequest, p.lblDAV, volts(record.DropAwayVoltage));

    // The operator confirms the drop-away by hand, starting from where the kit left
    // the coil; frames and poll ticks go on while the dialog is open.
    record.ManualDropAwayVoltage = 0;
    if (m_dropAway)
        m_dropAway->waitOnOperator(QStringLiteral("confirmed by hand"));
    {
        FrmDropAway dialog(p.link.commands, record, p.window);
        dialog.open();
        co_await p.link.waits.closed(&dialog);
    }
    p.lblDAV->setText(p.lblDAV->text() + QLatin1Char('/')
                      + platform::fixedDecimals(double(record.ManualDropAwayVoltage), 2));
    p.lblBusy[TestPanel::DropAwayBusy]->setVisible(false);
    m_dropAway.reset();
}

platform::Task PickUpDropAwayTest::onPickUpCurrentFrame(QString frame)
{
    p.record.PickUpCurrent = wire::decodeRampCurrent(frame);
    p.record.PickUpVoltage = voltsAcrossCoil(p.record.PickUpCurrent);
    finish(Request::PickUpIRequest, p.lblPUV, milliamps(p.record.PickUpCurrent));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);
    co_return;
}

platform::Task PickUpDropAwayTest::onDropAwayCurrentFrame(QString frame)
{
    p.record.DropAwayCurrent = wire::decodeRampCurrent(frame);
    p.record.DropAwayVoltage = voltsAcrossCoil(p.record.DropAwayCurrent);
    finish(Request::DropAwayIRequest, p.lblDAV, milliamps(p.record.DropAwayCurrent));
    p.lblBusy[TestPanel::DropAwayBusy]->setVisible(false);
    co_return;
}
