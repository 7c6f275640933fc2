#include "kitlink/pollcycle.h"

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

PollCycle::PollCycle(MainWindowFields &fields, KitCommands &commands, FixedWait &wait)
    : f(fields)
    , m_commands(commands)
    , m_wait(wait)
{
}

void PollCycle::tick()
{
    if (m_ticking)
        return;
    const QScopedValueRollback ticking(m_ticking, true);
    if (f.StartPending)
        startPhase();
    else
        queryPhase();
}

void PollCycle::startPhase()
{
    if (f.CoilResRequest) {
        m_commands.send(text(wire::cmd::MeasureCoil1));
        f.PollHold = true;
        f.KitBusy = true;
        bench().CoilResistance1 = 0;
        bench().CoilResistance2 = 0;
    }
    if (f.Coil2ResRequest) {
        // Coil 1 is energised for about two seconds before the second coil is measured.
        m_commands.SetCoilVoltage();
        m_commands.CoilON();
        m_wait.hold();
        m_commands.CoilOFF();
        m_commands.send(text(wire::cmd::MeasureCoil2));
        f.PollHold = true;
        f.KitBusy = true;
    }
    if (f.PickUpVRequest) {
        m_commands.send(text(wire::cmd::PickUpRamp));
        f.KitBusy = true;
    }
    if (f.Coil2PickUpRequest) {
        m_commands.send(text(wire::cmd::Coil2PickUpRamp));
        f.KitBusy = true;
    }
    if (f.DropAwayVRequest) {
        m_commands.send(text(wire::cmd::DropAwayRamp));
        f.KitBusy = true;
    }
    if (f.PickUpIRequest)
        m_commands.send(text(wire::cmd::PickUpCurrentRamp));
    if (f.DropAwayIRequest)
        m_commands.send(text(wire::cmd::DropAwayCurrentRamp));
    f.StartPending = false;
}

void PollCycle::queryPhase()
{
    const bool voltageRampOpen = f.PickUpVRequest || f.DropAwayVRequest || f.Coil2PickUpRequest;
    const bool currentRampOpen = f.PickUpIRequest || f.DropAwayIRequest;
    const bool rampOpen = voltageRampOpen || currentRampOpen;

    if (rampOpen && !f.KitBusy) {
        if (f.PickUpVRequest)
            m_commands.send(text(wire::cmd::PickUpResult));
        if (f.DropAwayVRequest)
            m_commands.send(text(wire::cmd::DropAwayResult));
        if (f.PickUpIRequest)
            m_commands.send(text(wire::cmd::PickUpCurrentResult));
        if (f.DropAwayIRequest)
            m_commands.send(text(wire::cmd::DropAwayCurrentResult));
        if (f.Coil2PickUpRequest)
            m_commands.send(text(wire::cmd::Coil2PickUpResult));
        return;
    }
    if (f.PollHold)
        return;
    const bool onlyCurrentRamps = rampOpen && !voltageRampOpen;
    m_commands.send(text(onlyCurrentRamps ? wire::cmd::LiveReadingsCurrentRamp : wire::cmd::LiveReadings));
}
