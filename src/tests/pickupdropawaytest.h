#pragma once

#include "kitlink/pollcycle.h"
#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/testrun.h"

#include <QString>

#include <optional>

// Pick-up and drop-away, in volts or, for the low-resistance QTA2 coil, in
// milliamperes; the kit runs the ramp and the poll cycle fetches the result.
class PickUpDropAwayTest
{
public:
    explicit PickUpDropAwayTest(const Bench &bench);

    // How a ramp drives the coil: its voltage, or for the QTA2 coil its current.
    enum class Drive { Volts, Milliamps };

    // From the button to the result; a coil the ramps cannot take is refused with
    // a message, which the procedure waits on. waitedFor: the drive whose result
    // whoever started the test waits for (the automatic test knows the style's); a
    // ramp started the other way goes on by itself, and the procedure hands back at
    // once. The QL1 pick-up hands back once its coil-2 ramp is asked for.
    platform::Task pickUp(std::optional<Drive> waitedFor = std::nullopt);
    platform::Task dropAway(std::optional<Drive> waitedFor = std::nullopt);

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
    platform::Task run(Ramp ramp, std::optional<Drive> waitedFor);
    // The ramp's result, once asked for, and what the bench does with it.
    platform::Task ramped(Request request, TestRun test);
    platform::Task pickedUp(QString frame, TestRun test);            // "*"
    platform::Task coil2PickUp(TestRun test);                         // "-"
    platform::Task droppedAway(QString frame, TestRun test);         // "%"
    void inMilliamps(QString frame, BenchView::Result result, float &milliamps, float &volts, TestRun test);

    // The drive the measured coil allows; none when the coil is out of reach of
    // both, after the operator has been told why.
    std::optional<Drive> driveFor(float coilOhms) const;
    platform::Task refuse(float coilOhms);
    // Starts the ramp of request: nothing when the kit is busy or the ramp already runs.
    bool mayStart(Request request) const;
    // The current ramps report milliamperes only; the voltage follows from the coil.
    float voltsAcrossCoil(float milliamps) const;

    const Bench &m_bench;
};
