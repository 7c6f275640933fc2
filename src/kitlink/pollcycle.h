#pragma once

#include "console/benchrecord.h"

class KitCommands;
class FixedWait;

// The 250 ms tick: start commands of armed tests, result queries of finished
// ramps, or the live-readings query that keeps the displays fresh.
//
// Two things do not wait for the tick, because an automatic test is a chain of them
// and a tick's worth of waiting at each link adds up to seconds: an armed test's
// start command goes out as soon as the line is quiet (testArmed), and a finished
// ramp's result is asked for as soon as the kit reports itself free
// (liveReadingsHandled). The tick still does both whenever these did not.
class PollCycle
{
public:
    PollCycle(MainWindowFields &fields, KitCommands &commands, FixedWait &wait);

    // The tmrComm tick. A tick that falls due while an earlier one is still running
    // (inside the second-coil step's waits) is skipped, not queued.
    void tick();

    // A procedure has armed a test. Call from the event loop, not from inside the
    // procedure: the start phase may wait.
    void testArmed();

    // A live-readings frame has been handled; kitWasBusy is KitBusy before it.
    void liveReadingsHandled(bool kitWasBusy);

private:
    void startPhase();
    void queryPhase();
    // The result queries of ramps the kit has finished; false when none is open.
    bool resultQueries();
    bool rampOpen() const;

    MainWindowFields &f;
    KitCommands &m_commands;
    FixedWait &m_wait;
    bool m_ticking = false;
    // A live-readings query is on the line and its answer not in yet. A start command
    // must not overtake it: the answer would report the kit free after the start and
    // the ramp's result would be asked for before the ramp had run.
    bool m_liveQueryOpen = false;
};
