#pragma once

#include "kitlink/timings.h"
#include "kitsim/ptyline.h"
#include "kitsim/simulatedkit.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <chrono>
#include <vector>

// The window's timers speed times faster than at the bench, for a smoke run; its kit
// then runs its ramps with setTimeScale(1.0 / speed).
inline Timings timingsAt(int speed)
{
    using std::chrono::milliseconds;
    const Timings bench;
    return {milliseconds(bench.splash / speed), milliseconds(bench.portOpen / speed), milliseconds(bench.poll / speed),
            milliseconds(bench.fixedWait / speed)};
}

// The kit a measurement runs against: the simulated kit on a pseudo-terminal linked
// as COM<n>, exactly as quillmark-kitsim runs it, but inside the benchmark so that
// its side of the line can be timed on the same clock as the window's side:
// when each frame's last byte went onto the line, when each command was heard, and
// when the kit was genuinely busy with a ramp.
class BenchKit : public QObject
{
    Q_OBJECT
public:
    struct Frame {
        qint64 ns;         // the write of its last byte had returned
        QByteArray bytes;
    };
    struct Heard {
        qint64 ns;
        QString command;   // without its carriage return
    };
    struct Busy {
        qint64 fromNs;
        qint64 toNs;       // 0 while the ramp still runs
    };

    BenchKit(const QString &folder, int port, int relay, QObject *parent = nullptr);
    ~BenchKit() override;

    bool isOpen() const { return m_open; }
    QString errorString() const { return m_line.errorString(); }

    // Live readings that differ on every answer, as while a coil is being ramped: after
    // each live-readings frame the coil gets a new set-point for the next one. Off, the
    // coil goes back to off and 0 V, where the bench's port check left it.
    void setVaryingReadings(bool on);
    // The kit's ramps run in factor times their real length.
    void setTimeScale(double factor) { m_kit.setTimeScale(factor); }

    const std::vector<Frame> &frames() const { return m_frames; }
    const std::vector<Heard> &heard() const { return m_heard; }
    const std::vector<Busy> &busy() const { return m_busy; }

signals:
    void commandHeard(const QString &command);

private:
    void onTransmitted(const QByteArray &bytes);
    void noteBusy();
    void inject(const char *command);
    void inject(const QString &command);

    PtyLine m_line;
    SimulatedKit m_kit;
    bool m_open = false;
    bool m_varying = false;
    bool m_injecting = false;
    int m_centivolts = 0;
    bool m_wasBusy = false;
    std::vector<Frame> m_frames;
    std::vector<Heard> m_heard;
    std::vector<Busy> m_busy;
};
