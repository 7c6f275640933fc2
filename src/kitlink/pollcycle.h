#pragma once

#include "kitlink/awaitedanswers.h"
#include "kitlink/wireformat.h"
#include "platform/waitstack.h"

#include <QString>


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

// The frame that answers request.
wire::FrameKind answerOf(Request request);

class PollCycle
{
public:
    PollCycle(BenchRecord &record, KitCommands &commands, FixedWait &wait, AwaitedAnswers &answers,
              platform::WaitStack &waits);

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
        Answer(const Answer &) = delete;
        Answer &operator=(const Answer &) = delete;

        bool await_ready() const noexcept { return m_pending.await_ready(); }
        void await_suspend(std::coroutine_handle<> waiting) { m_pending.await_suspend(waiting); }
        QString await_resume() const { return m_pending.await_resume(); }

    private:
        AwaitedAnswers::Pending m_pending;
    };
    Answer answerTo(Request request) { return Answer(*this, request); }

    bool isOpen(Request request) const { return m_answers.isOpen(answerOf(request)); }
    // Nothing to start and live polling free again: a Stop, once the procedures that
    // waited on requests are gone.
    void closeAll();

    // PollHold: while set, no live-readings query goes out.
    void setPollHold(bool hold) { PollHold = hold; }
    bool pollHold() const { return PollHold; }
    // KitBusy: result queries wait until the kit is taken to be free.
    void setKitBusy(bool busy) { KitBusy = busy; }
    bool kitBusy() const { return KitBusy; }

private:
    platform::Task startPhase();
    void queryPhase();

    BenchRecord &m_record;
    KitCommands &m_commands;
    FixedWait &m_wait;
    AwaitedAnswers &m_answers;
    platform::WaitStack &m_waits;
    bool StartPending = false;
    bool PollHold = false;
    bool KitBusy = false;
    bool m_ticking = false;
};
