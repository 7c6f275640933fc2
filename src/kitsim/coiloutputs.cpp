#include "kitsim/coiloutputs.h"

#include <algorithm>

CoilOutputs::CoilOutputs(QObject *parent)
    : QObject(parent)
{
    m_rampEnd.setSingleShot(true);
    m_rampEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_rampEnd, &QTimer::timeout, this, &CoilOutputs::rampEnded);
}

double CoilOutputs::coil1Volts() const
{
    return rampValue(Output::Coil1Volts, coil1On ? setVolts : 0.0);
}

double CoilOutputs::coil2Volts() const
{
    return rampValue(Output::Coil2Volts, coil2On ? setVolts : 0.0);
}

double CoilOutputs::sourceMilliamps() const
{
    return rampValue(Output::SourceMilliamps, sourceOn ? setMilliamps : 0.0);
}

void CoilOutputs::startRamp(Output output, double from, double to, std::chrono::milliseconds duration)
{
    m_rampOutput = output;
    m_rampFrom = from;
    m_rampTo = to;
    m_rampMs = std::max<qint64>(1, duration.count());
    m_rampClock.start();
    m_rampEnd.start(static_cast<int>(m_rampMs));
}

double CoilOutputs::rampValue(Output output, double otherwise) const
{
    if (!ramping() || output != m_rampOutput)
        return otherwise;
    const double done = std::clamp(static_cast<double>(m_rampClock.elapsed()) / static_cast<double>(m_rampMs), 0.0, 1.0);
    return m_rampFrom + (m_rampTo - m_rampFrom) * done;
}
