#include "kitlink/pollcycle.h"

#include "console/record/benchrecord.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"

#include <QScopedValueRollback>

#include <utility>

namespace {

QString text(const char *command)
{
    return QString::fromLatin1(command);
}

} // namespace

std::optional<Request> requestAnsweredBy(wire::FrameKind kind)
{
    switch (kind) {
    case wire::FrameKind::CoilResistance1: return Request::CoilResRequest;
    case wire::FrameKind::CoilResistance2: return Request::Coil2ResRequest;
    case wire::FrameKind::PickUp: return Request::PickUpVRequest;
    case wire::FrameKind::Coil2PickUp: return Request::Coil2PickUpRequest;
    case wire::FrameKind::DropAway: return Request::DropAwayVRequest;
    case wire::FrameKind::PickUpCurrent: return Request::PickUpIRequest;
    case wire::FrameKind::DropAwayCurrent: return Request::DropAwayIRequest;
    default: return std::nullopt;
    }
}

PollCycle::PollCycle(BenchRecord &record, KitCommands &commands, FixedWait &wait, platform::WaitStack &waits)
    : m_record(record)
    , m_commands(commands)
    , m_wait(wait)
    , m_waits(waits)
{
}

PollCycle::Answer::Answer(PollCycle &poll, Request request)
    : m_poll(poll)
    , m_request(request)
    , m_parked(poll.m_waits)
{
}

PollCycle::Answer::~Answer()
{
    Answer *&waiting = m_poll.m_waiting[index(m_request)];
    if (waiting == this)
        waiting = nullptr;
}

void PollCycle::Answer::await_suspend(std::coroutine_handle<> waiting)
{
    m_poll.open(m_request, this);
    m_parked.await_suspend(waiting);
}

void PollCycle::Answer::answered(const QString &frame)
{
    m_frame = frame;
    m_parked.wake();
}

void PollCycle::open(Request request, Answer *waiting)
{
    Q_ASSERT(!isOpen(request));  // a procedure asks only when its request is not open
    m_waiting[index(request)] = waiting;
    StartPending = true;
}

bool PollCycle::deliver(Request request, const QString &frame)
{
    Answer *const waiting = std::exchange(m_waiting[index(request)], nullptr);
    if (!waiting)
        return false;
    waiting->answered(frame);
    return true;
}

void PollCycle::closeAll()
{
    StartPending = false;
    PollHold = false;
}

platform::Task PollCycle::tick()
{
    if (m_ticking)
        co_return;
    const QScopedValueRollback ticking(m_ticking, true);
    if (StartPending)
        co_await startPhase();
    else
        queryPhase();
}

platform::Task PollCycle::startPhase()
{
    if (isOpen(Request::CoilResRequest)) {
        m_commands.send(text(wire::cmd::MeasureCoil1));
        PollHold = true;
        KitBusy = true;
        m_record.CoilResistance1 = 0;
        m_record.CoilResistance2 = 0;
    }
    if (isOpen(Request::Coil2ResRequest)) {
        // Coil 1 is energised for about two seconds before the second coil is measured.
        co_await m_commands.SetCoilVoltage();
        co_await m_commands.CoilON();
        co_await m_wait.hold();
        co_await m_commands.CoilOFF();
        m_commands.send(text(wire::cmd::MeasureCoil2));
        PollHold = true;
        KitBusy = true;
    }
    if (isOpen(Request::PickUpVRequest)) {
        m_commands.send(text(wire::cmd::PickUpRamp));
        KitBusy = true;
    }
    if (isOpen(Request::Coil2PickUpRequest)) {
        m_commands.send(text(wire::cmd::Coil2PickUpRamp));
        KitBusy = true;
    }
    if (isOpen(Request::DropAwayVRequest)) {
        m_commands.send(text(wire::cmd::DropAwayRamp));
        KitBusy = true;
    }
    if (isOpen(Request::PickUpIRequest))
        m_commands.send(text(wire::cmd::PickUpCurrentRamp));
    if (isOpen(Request::DropAwayIRequest))
        m_commands.send(text(wire::cmd::DropAwayCurrentRamp));
    StartPending = false;
}

void PollCycle::queryPhase()
{
    const bool voltageRampOpen = isOpen(Request::PickUpVRequest) || isOpen(Request::DropAwayVRequest)
                                 || isOpen(Request::Coil2PickUpRequest);
    const bool currentRampOpen = isOpen(Request::PickUpIRequest) || isOpen(Request::DropAwayIRequest);
    const bool rampOpen = voltageRampOpen || currentRampOpen;

    if (rampOpen && !KitBusy) {
        if (isOpen(Request::PickUpVRequest))
            m_commands.send(text(wire::cmd::PickUpResult));
        if (isOpen(Request::DropAwayVRequest))
            m_commands.send(text(wire::cmd::DropAwayResult));
        if (isOpen(Request::PickUpIRequest))
            m_commands.send(text(wire::cmd::PickUpCurrentResult));
        if (isOpen(Request::DropAwayIRequest))
            m_commands.send(text(wire::cmd::DropAwayCurrentResult));
        if (isOpen(Request::Coil2PickUpRequest))
            m_commands.send(text(wire::cmd::Coil2PickUpResult));
        return;
    }
    if (PollHold)
        return;
    const bool onlyCurrentRamps = rampOpen && !voltageRampOpen;
    m_commands.send(text(onlyCurrentRamps ? wire::cmd::LiveReadingsCurrentRamp : wire::cmd::LiveReadings));
}
