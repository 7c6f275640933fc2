#pragma once

#include "kitlink/pollcycle.h"
#include "platform/waitstack.h"
#include "tests/progress.h"
#include "tests/testpanel.h"

#include <QString>

#include <optional>

class QLabel;

// Pick-up and drop-away, in volts or, for the low-resistance QTA2 coil, in
// milliamperes; the kit runs the ramp and the poll cycle fetches the result.
class PickUpDropAwayTest
{
public:
    explicit PickUpDropAwayTest(const TestPanel &panel);

    // Each ends when the ramp is armed, or when the operator has read why not.
    platform::Task startPickUp();
    platform::Task startDropAway();

    platform::Task onPickUpFrame(QString frame);          // "*"
    platform::Task onCoil2PickUpFrame(QString frame);     // "-"
    platform::Task onDropAwayFrame(QString frame);        // "%"
    platform::Task onPickUpCurrentFrame(QString frame);   // ">"
    platform::Task onDropAwayCurrentFrame(QString frame); // "!" of 13 characters

private:
    // Starts a ramp in volts or in milliamperes, whichever the measured coil allows.
    platform::Task start(Request voltageRamp, Request currentRamp, QLabel *result, TestPanel::Busy busy);
    // A ramp's result is in: the request closes, the panel unlocks, the result shows.
    void finish(Request ramp, QLabel *result, const QString &text);
    // The current ramps report milliamperes only; the voltage follows from the coil.
    float voltsAcrossCoil(float milliamps) const;
    std::optional<Progress::Level> &levelOf(Request ramp);

    const TestPanel &p;
    // From the button to the result: the ramp's length is the kit's.
    std::optional<Progress::Level> m_pickUp;
    std::optional<Progress::Level> m_dropAway;
};
