#pragma once

#include "platform/waitstack.h"

#include <QObject>
#include <QString>

class FixedWait;
class KitLog;
class KitPort;

// Everything the bench says to the kit goes through here: each command is its text
// and one carriage return, logged as it goes out. The ten supply switches hold one
// fixed wait each so the kit can settle, and remember what they switched.
class KitCommands : public QObject
{
    Q_OBJECT
public:
    KitCommands(KitPort &port, FixedWait &wait, KitLog &log);

    // False when the line refused the bytes; the failure is reported once through
    // lineFailure() and later sends are dropped.
    bool send(const QString &command);

    platform::Task SetCoilVoltage();
    platform::Task ResetCoilVoltage();
    platform::Task CoilON();
    platform::Task CoilOFF();
    platform::Task Coil2ON();
    platform::Task Coil2OFF();
    platform::Task SetCoilCurrent();
    platform::Task ResetCoilCurrent();
    platform::Task CoilCurrentON();
    platform::Task CoilCurrentOFF();

    // As last commanded, from the moment the command goes out, not after its settle
    // time: a Stop in the middle of that second sees the kit as it now is. Both coil
    // supplies share the one flag.
    bool coilEnergised() const { return CoilEnergised; }
    bool currentSourceOn() const { return CurrentSourceOn; }

    // The line failed (from a write here, or reported by the port itself).
    void reportLineFailure(const QString &description);
    bool lineFailed() const { return m_failed; }
    // The port is open again on an adapter that came back: commands go out again.
    void lineRestored() { m_failed = false; }

signals:
    void lineFailure(const QString &description);

private:
    platform::Task sendAndSettle(QString command);

    KitPort &m_port;
    FixedWait &m_wait;
    KitLog &m_log;
    bool m_failed = false;
    bool CoilEnergised = false;
    bool CurrentSourceOn = false;
};
