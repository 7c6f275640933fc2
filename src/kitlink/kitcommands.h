#pragma once

#include "console/benchrecord.h"

#include <QObject>
#include <QString>

class FixedWait;
class KitLog;
class KitPort;

// Everything the bench says to the kit goes through here: each command is its text
// and one carriage return, logged as it goes out. The ten supply switches hold one
// fixed wait each so the kit can settle.
class KitCommands : public QObject
{
    Q_OBJECT
public:
    KitCommands(MainWindowFields &fields, KitPort &port, FixedWait &wait, KitLog &log);

    // False when the line refused the bytes; the failure is reported once through
    // lineFailed() and later sends are dropped.
    bool send(const QString &command);

    void SetCoilVoltage();
    void ResetCoilVoltage();
    void CoilON();
    void CoilOFF();
    void Coil2ON();
    void Coil2OFF();
    void SetCoilCurrent();
    void ResetCoilCurrent();
    void CoilCurrentON();
    void CoilCurrentOFF();

    // The line failed (from a write here, or reported by the port itself).
    void reportLineFailure(const QString &description);
    bool lineFailed() const { return m_failed; }

signals:
    void lineFailure(const QString &description);

private:
    void sendAndSettle(const char *command);

    MainWindowFields &f;
    KitPort &m_port;
    FixedWait &m_wait;
    KitLog &m_log;
    bool m_failed = false;
};
