#pragma once

#include "tests/testpanel.h"

#include <QString>

class QLabel;

// Pick-up and drop-away, in volts or, for the low-resistance QTA2 coil, in
// milliamperes; the kit runs the ramp and the poll cycle fetches the result.
class PickUpDropAwayTest
{
public:
    explicit PickUpDropAwayTest(const TestPanel &panel);

    void cmdPickUp_Click();
    void cmdDropAway_Click();

    void onPickUpFrame(const QString &frame);          // "*"
    void onCoil2PickUpFrame(const QString &frame);     // "-"
    void onDropAwayFrame(const QString &frame);        // "%"
    void onPickUpCurrentFrame(const QString &frame);   // ">"
    void onDropAwayCurrentFrame(const QString &frame); // "!" of 13 characters

private:
    using Request = bool MainWindowFields::*;
    // Starts a ramp in volts or in milliamperes, whichever the measured coil allows.
    void start(Request voltageRamp, Request currentRamp, QLabel *result, TestPanel::Busy busy);
    // A ramp's result is in: the request closes, the panel unlocks, the result shows.
    void finish(Request ramp, QLabel *result, const QString &text);

    const TestPanel &p;
};
