#pragma once

#include "console/benchrecord.h"

#include <QString>

class FixedWait;
class KitCommands;
class KitLog;
class KitPort;
class LinkView;
class QTimer;

// The one check per start: open the configured port, ask "?" and, when the kit
// answers "OK" within the second, switch the link into its running state.
class PortCheck
{
public:
    struct Timers {
        QTimer &tmrPortOpen;
        QTimer &tmrComm;
        QTimer &tmrTout;
    };

    PortCheck(MainWindowFields &fields, KitPort &port, KitCommands &commands, FixedWait &wait,
              KitLog &log, LinkView &view, Timers timers);

    // The tmrPortOpen tick.
    void tick();

    // The port failed, at the check or later: one message box, "Comm Port Error".
    void reportError(const QString &description);

private:
    MainWindowFields &f;
    KitPort &m_port;
    KitCommands &m_commands;
    FixedWait &m_wait;
    KitLog &m_log;
    LinkView &m_view;
    Timers m_timers;
    QString m_portName;  // the port the messages are about: "COM3 → /dev/pts/4"
};
