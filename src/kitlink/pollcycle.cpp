#include "kitlink/pollcycle.h"

#include "console/record/benchrecord.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"

#include <QScopedValueRollback>


namespace {

QString text(const char *command)
{
    return QString::fromLatin1(command);
}

} // namespace

wire::FrameKind answerOf(Request request)
{
    switch (request) {
    case Request::CoilResRequest: return wire::FrameKind::CoilResistance1;
    case Request::Coil2ResRequest: return wire::FrameKind::CoilResistance2;
    case Request::PickUpVRequest: return wire::FrameKind::PickUp;
    case Request::Coil2PickUpRequest: return wire::FrameKind::Coil2PickUp;
    case Request::DropAwayVRequest: return wire::FrameKind::DropAway;
    case Request::PickUpIRequest: return wire::FrameKind::PickUpCurrent;
    case Request::DropAwayIRequest: return wire::FrameKind::DropAwayCurrent;
    }
    return wire::FrameKind::Unknown;
}

PollCycle::PollCycle(BenchRecord &record, KitCommands &commands, FixedWait &wait, AwaitedAnswers &answers,
                     platform::WaitStack &waits)
    : m_record(record)
    , m_commands(commands)
    , m_wait(wait)
    , m_answers(answers)
    , m_waits(waits)
{
}

PollCycle::Answer::Answer(PollCycle &poll, Request request)
    : m_pending(poll.m_answers, poll.m_waits, answerOf(request))
{
    poll.StartPending = true;  // only once the request is open
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
