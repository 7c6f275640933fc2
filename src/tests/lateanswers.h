#pragma once

#include "kitlink/linkview.h"

#include <QString>

#include <optional>

struct Bench;
struct ChannelMeasurement;
class ResultLines;

// The contact readings, delays and sequences that come when no run waits for them.
// After a run of their kind that ended by itself the bench still takes them as
// data, as it always has: an all-channel run's list gets them one past its last
// channel ("ALL"), a one-channel run's label shows them behind its channel again, a
// sequence is shown and kept. They end nothing, start nothing and unlock nothing.
// After a Stop, or before any run of their kind, they are only noted in the kit log;
// so is every other answer nobody asked for.
class LateAnswers final : public UnaskedAnswers
{
public:
    explicit LateAnswers(const Bench &bench) : m_bench(bench) {}

    // A run of measurement ended by itself; late readings go under channel, in the
    // list or in the label.
    void afterRun(const ChannelMeasurement &measurement, ResultLines &results, bool allChannels, int channel);
    void afterSequenceRun() { m_afterSequence = true; }
    // A Stop: what comes late from now on is only noted.
    void forget();

    void unasked(wire::FrameKind kind, const QString &frame) override;

private:
    struct After {
        const ChannelMeasurement *measurement;
        ResultLines *results;
        bool allChannels;
        int channel;
    };

    const Bench &m_bench;
    std::optional<After> m_afterResistance;
    std::optional<After> m_afterDelay;
    bool m_afterSequence = false;
};
