#include "tests/lateanswers.h"

#include "tests/bench.h"
#include "tests/channelrun.h"
#include "tests/contacttimingtests.h"

void LateAnswers::afterRun(const ChannelMeasurement &measurement, ResultLines &results, bool allChannels, int channel)
{
    std::optional<After> &after = measurement.answer == wire::FrameKind::Delay ? m_afterDelay : m_afterResistance;
    after = After{&measurement, &results, allChannels, channel};
}

void LateAnswers::forget()
{
    m_afterResistance.reset();
    m_afterDelay.reset();
    m_afterSequence = false;
}

void LateAnswers::unasked(wire::FrameKind kind, const QString &frame)
{
    const std::optional<After> &after = kind == wire::FrameKind::ContactRes ? m_afterResistance
                                        : kind == wire::FrameKind::Delay    ? m_afterDelay
                                                                            : std::nullopt;
    if (after)
        fileReading(m_bench, *after->measurement, *after->results, after->allChannels, after->channel, frame);
    else if (kind == wire::FrameKind::Sequence && m_afterSequence)
        ContactSequenceTest::showSequence(m_bench, frame);
}
