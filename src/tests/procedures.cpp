#include "tests/procedures.h"

#include "kitlink/linkview.h"

Procedures::Procedures(const TestPanel &testPanel)
    : panel(testPanel)
    , coilResistance(panel)
    , pickUpDropAway(panel)
    , contactResistance(panel)
    , sigEndurance(panel)
    , contactDelay(panel)
    , contactSequence(panel)
    , autoTest(panel, *this)
{
}

void Procedures::connect(ResultHandlers &results)
{
    results.coilResistance1 = [this](const QString &f) { coilResistance.onCoil1Frame(f); };
    results.coilResistance2 = [this](const QString &f) { coilResistance.onCoil2Frame(f); };
    results.pickUp = [this](const QString &f) { pickUpDropAway.onPickUpFrame(f); };
    results.coil2PickUp = [this](const QString &f) { pickUpDropAway.onCoil2PickUpFrame(f); };
    results.dropAway = [this](const QString &f) { pickUpDropAway.onDropAwayFrame(f); };
    results.pickUpCurrent = [this](const QString &f) { pickUpDropAway.onPickUpCurrentFrame(f); };
    results.dropAwayCurrent = [this](const QString &f) { pickUpDropAway.onDropAwayCurrentFrame(f); };
    results.contactResistance = [this](const QString &f) { contactResistance.onReadingFrame(f); };
    results.delay = [this](const QString &f) { contactDelay.onDelayFrame(f); };
    results.sequence = [this](const QString &f) { contactSequence.onSequenceFrame(f); };
}
