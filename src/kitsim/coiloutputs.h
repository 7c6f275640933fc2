#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <chrono>

// The kit's coil outputs: one voltage supply with a switch to coil 1 (R1-R2) and one
// to coil 2 (R3-R4), and a current source into coil 1. A ramp sweeps one output from
// one value to another and overrides its setting while it runs; nothing ticks while
// it does, the value is worked out from the time whenever someone looks.
class CoilOutputs : public QObject
{
    Q_OBJECT
public:
    enum class Output { Coil1Volts, Coil2Volts, SourceMilliamps };

    explicit CoilOutputs(QObject *parent = nullptr);

    double setVolts = 0;        // the supply's set-point, both coils
    bool coil1On = false;
    bool coil2On = false;
    double setMilliamps = 0;    // the current source's set-point
    bool sourceOn = false;

    // What the coils get now.
    double coil1Volts() const;
    double coil2Volts() const;
    double sourceMilliamps() const;

    void startRamp(Output output, double from, double to, std::chrono::milliseconds duration);
    bool ramping() const { return m_rampEnd.isActive(); }
    void stopRamp() { m_rampEnd.stop(); }

signals:
    // The ramp has reached its end value and no longer overrides its output.
    void rampEnded();

private:
    double rampValue(Output output, double otherwise) const;

    Output m_rampOutput = Output::Coil1Volts;
    double m_rampFrom = 0;
    double m_rampTo = 0;
    qint64 m_rampMs = 0;
    QElapsedTimer m_rampClock;
    QTimer m_rampEnd;
};
