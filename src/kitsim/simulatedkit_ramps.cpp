#include "kitsim/simulatedkit.h"

#include "kitsim/kitframes.h"
#include "kitsim/relaymodel.h"

#include <chrono>
#include <cmath>

// The kit's own measurements: it sweeps a coil output until the relay picks up or
// drops away, reports itself busy meanwhile and keeps the point it found.

namespace {

// A sweep over its whole range takes about three seconds at a real kit's pace.
constexpr double RampMs = 3000.0;

} // namespace

void SimulatedKit::startRamp(Ramp ramp)
{
    if (busy())  // one ramp at a time; the kit ignores a second start
        return;
    const kitsim::RelayModel &relay = kitsim::relayModel(m_relay);
    using Output = CoilOutputs::Output;
    const auto duration = std::chrono::milliseconds(std::lround(RampMs * m_timeScale));
    m_running = ramp;
    m_results[ramp] = {};
    switch (ramp) {
    case PickUp:
        m_outputs.startRamp(Output::Coil1Volts, 0.0, relay.pickUpVolts, duration);
        break;
    case Coil2PickUp:
        // Without a second coil nothing picks up: the sweep runs to full voltage.
        m_outputs.startRamp(Output::Coil2Volts, 0.0, relay.coil2Ohms > 0 ? relay.coil2PickUpVolts : relay.fullVolts,
                            duration);
        break;
    case DropAway:
        m_outputs.startRamp(Output::Coil1Volts, relay.fullVolts, relay.dropAwayVolts, duration);
        break;
    case PickUpCurrent:
        m_outputs.startRamp(Output::SourceMilliamps, 0.0, kitsim::pickUpMilliamps(relay), duration);
        break;
    case DropAwayCurrent:
        m_outputs.startRamp(Output::SourceMilliamps, relay.fullVolts / relay.coilOhms * 1000.0,
                            kitsim::dropAwayMilliamps(relay), duration);
        break;
    case RampCount:
        break;
    }
    settle();  // a drop-away sweep starts with the relay picked up
}

void SimulatedKit::endRamp()
{
    const kitsim::RelayModel &relay = kitsim::relayModel(m_relay);
    const Reading pickUp{relay.pickUpVolts, kitsim::pickUpMilliamps(relay)};
    const Reading dropAway{relay.dropAwayVolts, kitsim::dropAwayMilliamps(relay)};
    switch (m_running) {
    case PickUp:
    case PickUpCurrent:
        m_results[m_running] = pickUp;
        break;
    case Coil2PickUp:
        if (relay.coil2Ohms > 0)
            m_results[m_running] = {relay.coil2PickUpVolts, relay.coil2PickUpVolts / relay.coil2Ohms * 1000.0};
        break;
    case DropAway:
        // The supply stays where the relay let go, so the live voltage shows it.
        m_results[m_running] = dropAway;
        m_outputs.setVolts = relay.dropAwayVolts;
        m_outputs.coil1On = true;
        break;
    case DropAwayCurrent:
        m_results[m_running] = dropAway;
        m_outputs.setMilliamps = dropAway.milliamps;
        m_outputs.sourceOn = true;
        break;
    case RampCount:
        break;
    }
    settle();
}

void SimulatedKit::answerRamp(Ramp ramp)
{
    static constexpr char Marks[RampCount] = {'*', '-', '%', '>', '!'};
    // A ramp still sweeping has no point to report, and the kit keeps quiet: the
    // bench asks again on its next tick. The current ramps depend on this, as the
    // bench asks for their result without waiting for a busy report first. A ramp
    // never run reads zero.
    if (busy() && m_running == ramp)
        return;
    const Reading &result = m_results[ramp];
    const bool wholeMilliamps = ramp == PickUpCurrent || ramp == DropAwayCurrent;
    const double current = wholeMilliamps ? result.milliamps : result.milliamps * 10;
    answer(kitsim::frames::rampResult(Marks[ramp], static_cast<int>(std::lround(result.volts * 100)),
                                      static_cast<int>(std::lround(current))));
}
