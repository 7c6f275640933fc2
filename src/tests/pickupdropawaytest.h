#pragma once

#include "kitlink/pollcycle.h"
#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/testrun.h"

#include <QString>

// Pick-up and drop-away, in volts or, for the low-resistance QTA2 coil, in
// milliamperes; the kit runs the ramp and the poll cycle fetches the result.
class PickUpDropAwayTest
{
public:
    explicit PickUpDropAwayTest(const Bench &bench);

    // From the button to the result; a coil the ramps cannot take is refused with
    // a message, which the procedure waits on.
    platform::Task pickUp();
    platform::Task dropAway();

    // What each result frame does, for the test that waited for it or for a frame
    // that came unasked.
    platform::Task onPickUp(QString frame, TestRun test);        // "*"
    void onCoil2PickUp(QString frame, TestRun test);              // "-"
    platform::Task onDropAway(QString frame, TestRun test);      // "%"
    void onPickUpCurrent(QString frame, TestRun test);            // ">"
    void onDropAwayCurrent(QString frame, TestRun test);          // "!" of 13 characters

private:
    // A pick-up or a drop-away: its requests in volts and in milliamperes, where its
    // result shows, its busy label and its name.
    struct Ramp {
        Request inVolts;
        Request inMilliamps;
        BenchView::Result result;
        BenchView::Busy busy;
        QString name;
    };
    // From the button to the result, whichever ramp the coil allows.
    platform::Task run(Ramp ramp);

    // The ramp the measured coil allows, in volts or in milliamperes; none when the
    // coil is out of reach of both, after the operator has been told why.
    enum class Mode { Voltage, Current, TooHigh, TooLow };
    Mode modeFor(float coilOhms) const;
    platform::Task refuse(Mode mode);
    // Starts the ramp of request: nothing when the kit is busy or the ramp already runs.
    bool mayStart(Request request) const;
    // The current ramps report milliamperes only; the voltage follows from the coil.
    float voltsAcrossCoil(float milliamps) const;

    const Bench &m_bench;
};
