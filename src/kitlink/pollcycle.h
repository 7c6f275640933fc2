#pragma once

#include "console/benchrecord.h"

class KitCommands;
class FixedWait;

// The 250 ms tick: start commands of armed tests, result queries of finished
// ramps, or the live-readings query that keeps the displays fresh.
class PollCycle
{
public:
    PollCycle(MainWindowFields &fields, KitCommands &commands, FixedWait &wait);

    // The tmrComm tick. A tick that falls due while an earlier one is still running
    // (inside the second-coil step's waits) is skipped, not queued.
    void tick();

private:
    void startPhase();
    void queryPhase();

    MainWindowFields &f;
    KitCommands &m_commands;
    FixedWait &m_wait;
    bool m_ticking = false;
};
