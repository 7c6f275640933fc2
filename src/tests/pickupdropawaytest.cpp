#include "tests/pickupdropawaytest.h"

#include "console/relaycatalogue.h"
#include "kitlink/kitcommands.h"
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

// The current ramps report milliamperes only; the voltage follows from the coil.
float voltsAcrossCoil(float current)
{
    return current * bench().CoilResistance1 / 1000.0f;
}

} // namespace

PickUpDropAwayTest::PickUpDropAwayTest(const TestPanel &panel)
    : p(panel)
{
}

void PickUpDropAwayTest::cmdPickUp_Click()
{
    start(&MainWindowFields::PickUpVRequest, &MainWindowFields::PickUpIRequest, p.lblPUV, TestPanel::PickUpBusy);
}

void PickUpDropAwayTest::cmdDropAway_Click()
{
    start(&MainWindowFields::DropAwayVRequest, &MainWindowFields::DropAwayIRequest, p.lblDAV,
          TestPanel::DropAwayBusy);
}

void PickUpDropAwayTest::start(Request voltageRamp, Request currentRamp, QLabel *result, TestPanel::Busy busy)
{
    const float coil = bench().CoilResistance1;
    const auto arm = [&](Request ramp) {
        if (!p.kitFree() || p.fields.*ramp)
            return;
        p.fields.*ramp = true;
        result->setVisible(false);
        p.fields.StartPending = true;
        p.beginTest(busy);
    };
    auto &prompts = platform::Prompts::current();
    if (coil >= LowestVoltageCoil && coil <= HighestVoltageCoil)
        arm(voltageRamp);
    else if (coil > HighestVoltageCoil)
        prompts.message(p.window, CoilError, QStringLiteral("Coil Resistance too high or open!"),
                        platform::PromptIcon::Critical);
    else if (p.relayIndex() == catalogue::QTA2 && coil > LowestCurrentCoil)
        arm(currentRamp);
    else  // also the coil not measured yet for this relay, which reads 0
        prompts.message(p.window, CoilError, QStringLiteral("Coil Resistance too low or short!"),
                        platform::PromptIcon::Critical);
}

void PickUpDropAwayTest::finish(Request ramp, QLabel *result, const QString &text)
{
    p.fields.*ramp = false;
    p.fields.PollHold = false;
    p.FrameCPanel->setEnabled(true);
    result->setText(text);
    result->setVisible(true);
}

void PickUpDropAwayTest::onPickUpFrame(const QString &frame)
{
    BenchRecord &record = bench();
    const wire::VoltageAndCurrent pickUp = wire::decodeRampResult(frame);
    record.PickUpVoltage = pickUp.volts;
    record.PickUpCurrent = pickUp.milliamps;
    finish(&MainWindowFields::PickUpVRequest, p.lblPUV, volts(record.PickUpVoltage));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);

    if (p.relayIndex() != catalogue::QL1)
        return;
    // QL1 drops away through its second coil: coil 1 is cleared and coil 2 switched
    // on, and the kit's coil-2 ramp gives the value shown as the drop-away.
    p.kit.ResetCoilVoltage();
    p.kit.CoilOFF();
    p.kit.Coil2ON();
    p.fields.Coil2PickUpRequest = true;
    p.lblDAV->setVisible(false);
    p.fields.StartPending = true;
    p.beginTest(TestPanel::PickUpBusy);
}

void PickUpDropAwayTest::onCoil2PickUpFrame(const QString &frame)
{
    BenchRecord &record = bench();
    const wire::VoltageAndCurrent coil2 = wire::decodeRampResult(frame);
    record.DropAwayVoltage = coil2.volts;
    record.DropAwayCurrent = coil2.milliamps;
    // Coil 2 stays switched on after its ramp, at the 0 V set before it.
    finish(&MainWindowFields::Coil2PickUpRequest, p.lblDAV, volts(record.DropAwayVoltage));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);
}

void PickUpDropAwayTest::onDropAwayFrame(const QString &frame)
{
    BenchRecord &record = bench();
    const wire::VoltageAndCurrent dropAway = wire::decodeRampResult(frame);
    record.DropAwayVoltage = dropAway.volts;
    record.DropAwayCurrent = dropAway.milliamps;
    finish(&MainWindowFields::DropAwayVRequest, p.lblDAV, volts(record.DropAwayVoltage));

    // The operator confirms the drop-away by hand, starting from where the kit left
    // the coil. Frames and poll ticks keep being handled while the dialog is open.
    record.ManualDropAwayVoltage = 0;
    {
        FrmDropAway dialog(p.kit, p.window);
        dialog.exec();
    }
    p.lblDAV->setText(p.lblDAV->text() + QLatin1Char('/')
                      + platform::fixedDecimals(double(record.ManualDropAwayVoltage), 2));
    p.lblBusy[TestPanel::DropAwayBusy]->setVisible(false);
}

void PickUpDropAwayTest::onPickUpCurrentFrame(const QString &frame)
{
    BenchRecord &record = bench();
    record.PickUpCurrent = wire::decodeRampCurrent(frame);
    record.PickUpVoltage = voltsAcrossCoil(record.PickUpCurrent);
    finish(&MainWindowFields::PickUpIRequest, p.lblPUV, milliamps(record.PickUpCurrent));
    p.lblBusy[TestPanel::PickUpBusy]->setVisible(false);
}

void PickUpDropAwayTest::onDropAwayCurrentFrame(const QString &frame)
{
    BenchRecord &record = bench();
    record.DropAwayCurrent = wire::decodeRampCurrent(frame);
    record.DropAwayVoltage = voltsAcrossCoil(record.DropAwayCurrent);
    finish(&MainWindowFields::DropAwayIRequest, p.lblDAV, milliamps(record.DropAwayCurrent));
    p.lblBusy[TestPanel::DropAwayBusy]->setVisible(false);
}
