#pragma once

#include "platform/waitstack.h"

#include <array>

struct BenchRecord;
class FixedWait;
class KitCommands;

// What a test asks of the poll tick: the start command of a measurement the kit
// runs on its own, and its result query once the kit is free again.
enum class Request {
    CoilResRequest,      // "@R", answered by "R="
    Coil2ResRequest,     // QL1's second coil: coil 1 pulsed, then "&R", answered by "Q="
    PickUpVRequest,      // "@P", fetched with "?P"
    Coil2PickUpRequest,  // "@p", fetched with "?p"
    DropAwayVRequest,    // "@D", fetched with "?A"
    PickUpIRequest,      // "^Y", fetched with "*P"
    DropAwayIRequest,    // "^Z", fetched with "*A"
};

// The 250 ms tick: start commands of armed tests, result queries of finished
// ramps, or the live-readings query that keeps the displays fresh. It owns the
// requests the tests arm and the two flags that steer its queries.
class PollCycle
{
public:
    PollCycle(BenchRecord &record, KitCommands &commands, FixedWait &wait);

    // The tmrComm tick. A tick that falls due while an earlier one still waits
    // (inside the second-coil step) is skipped, not queued.
    platform::Task tick();

    // The next tick sends the request's start command.
    void arm(Request request);
    // The request's result is in.
    void close(Request request);
    bool isOpen(Request request) const { return m_open[index(request)]; }
    // Every request closed and nothing pending, live polling free again: a Stop.
    void closeAll();

    // PollHold: while set, no live-readings query goes out.
    void setPollHold(bool hold) { PollHold = hold; }
    bool pollHold() const { return PollHold; }
    // KitBusy: result queries wait until the kit is taken to be free.
    void setKitBusy(bool busy) { KitBusy = busy; }
    bool kitBusy() const { return KitBusy; }

private:
    static std::size_t index(Request request) { return static_cast<std::size_t>(request); }
    platform::Task startPhase();
    void queryPhase();

    BenchRecord &m_record;
    KitCommands &m_commands;
    FixedWait &m_wait;
    std::array<bool, 7> m_open{};
    bool StartPending = false;
    bool PollHold = false;
    bool KitBusy = false;
    bool m_ticking = false;
};
