#include "tests/coilresistancetest.h"

#include "console/relaycatalogue.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

#include <QLabel>

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

CoilResistanceTest::CoilResistanceTest(const TestPanel &panel)
    : p(panel)
{
}

void CoilResistanceTest::cmdCoilResistance_Click()
{
    if (!p.kitFree() || p.fields.CoilResRequest)
        return;
    p.fields.CoilResRequest = true;
    p.fields.StartPending = true;
    p.beginTest(TestPanel::CoilResistanceBusy);
}

void CoilResistanceTest::onCoil1Frame(const QString &frame)
{
    BenchRecord &record = bench();
    record.CoilResistance1 = wire::decodeCoilResistance(frame);
    p.lblOhms->setText(ohms(record.CoilResistance1, Coil1Limit));
    p.fields.CoilResRequest = false;

    if (p.relayIndex() == catalogue::QL1) {
        // The second coil is measured on the next tick; the test is still running,
        // so its busy mark and the locked panel stay as they are.
        p.fields.Coil2ResRequest = true;
        p.fields.StartPending = true;
        return;
    }
    p.endTest(TestPanel::CoilResistanceBusy);
}

void CoilResistanceTest::onCoil2Frame(const QString &frame)
{
    BenchRecord &record = bench();
    record.CoilResistance2 = wire::decodeCoilResistance(frame);
    p.lblOhms2->setText(ohms(record.CoilResistance2, Coil2Limit));

    // A one-second pulse through coil 2 after its measurement, then the supply back
    // to 0 V. The pulse is switched directly rather than through Coil2ON/Coil2OFF:
    // it is over before anyone reads CoilEnergised, which the coil-1 switch-off of
    // the measuring step has already cleared.
    p.kit.send(QString::fromLatin1(wire::cmd::Coil2On));
    p.wait.hold();
    p.kit.send(QString::fromLatin1(wire::cmd::Coil2Off));
    p.wait.hold();
    p.kit.ResetCoilVoltage();

    p.fields.Coil2ResRequest = false;
    p.endTest(TestPanel::CoilResistanceBusy);
}
