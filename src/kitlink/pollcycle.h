#pragma once

#include "kitlink/wireformat.h"
#include "platform/waitstack.h"

#include <QString>

#include <array>
#include <optional>

struct BenchRecord;
class FixedWait;
class KitCommands;

// What a test asks of the poll tick: the start command of a measurement the kit
// runs on its own, and its result query once the kit is free again.
enum class Request {
    CoilResRequest,      // "@R", answered by "R="
    Coil2ResRequest,     // QL1's second coil: coil 1 pulsed, then "&R", answered by "Q="
    PickUpVRequest,      // "@P", fetched with "?P", answered by "*"
    Coil2PickUpRequest,  // "@p", fetched with "?p", answered by "-"
    DropAwayVRequest,    // "@D", fetched with "?A", answered by "%"
    PickUpIRequest,      // "^Y", fetched with "*P", answered by ">"
    DropAwayIRequest,    // "^Z", fetched with "*A", answered by "!" of 13 characters
};

// The request a result frame answers; none for the frames the contact runs take.
std::optional<Request> requestAnsweredBy(wire::FrameKind kind);

// The 250 ms tick: start commands of the requests procedures wait on, result
// queries of finished ramps, or the live-readings query that keeps the displays
// fresh. A request is open while a procedure waits for its answer, and only then;
// the tick decides alone what goes out for it.
class PollCycle
{
public:
    PollCycle(BenchRecord &record, KitCommands &commands, FixedWait &wait, platform::WaitStack &waits);

    // The tmrComm tick. A tick that falls due while an earlier one still waits
    // (inside the second-coil step) is skipped, not queued.
    platform::Task tick();

    // co_await poll.answerTo(request): the request is open from now on, the next
    // tick sends its start command and, once the kit is free, its result query; the
    // frame that answers it is what the co_await gives, and the procedure goes on
    // with it as a handling started by that frame would. Waiting so holds nobody
    // back, and a procedure destroyed where it waits (a Stop) closes its request.
    class Answer
    {
    public:
        Answer(PollCycle &poll, Request request);
        ~Answer();
        Answer(const Answer &) = delete;
        Answer &operator=(const Answer &) = delete;

        bool await_ready() const noexcept { return false; }
        void await_suspend(std::coroutine_handle<> waiting);
        QString await_resume() const { return m_frame; }

    private:
        friend class PollCycle;
        void answered(const QString &frame);

        PollCycle &m_poll;
        const Request m_request;
        platform::WaitStack::Parked m_parked;
        QString m_frame;
    };
    Answer answerTo(Request request) { return Answer(*this, request); }

    bool isOpen(Request request) const { return m_waiting[index(request)] != nullptr; }
    // The frame answers request: true when a procedure waited for it, which goes on
    // with it at the next pump of the wait stack; the request is closed either way.
    bool deliver(Request request, const QString &frame);
    // Nothing pending and live polling free again: a Stop, once the procedures that
    // waited on requests are gone.
    void closeAll();

    // PollHold: while set, no live-readings query goes out.
    void setPollHold(bool hold) { PollHold = hold; }
    bool pollHold() const { return PollHold; }
    // KitBusy: result queries wait until the kit is taken to be free.
    void setKitBusy(bool busy) { KitBusy = busy; }
    bool kitBusy() const { return KitBusy; }

private:
    static std::size_t index(Request request) { return static_cast<std::size_t>(request); }
    void open(Request request, Answer *waiting);
    platform::Task startPhase();
    void queryPhase();

    BenchRecord &m_record;
    KitCommands &m_commands;
    FixedWait &m_wait;
    platform::WaitStack &m_waits;
    std::array<Answer *, 7> m_waiting{};  // the open requests: who waits for each answer
    bool StartPending = false;
    bool PollHold = false;
    bool KitBusy = false;
    bool m_ticking = false;
};
