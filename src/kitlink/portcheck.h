#pragma once

#include "platform/startupfolder.h"
#include "platform/waitstack.h"

#include <QString>

class FixedWait;
class KitCommands;
class KitLog;
class KitPort;
class LinkView;
class PollCycle;
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

    PortCheck(KitPort &port, KitCommands &commands, FixedWait &wait, PollCycle &poll, KitLog &log, LinkView &view,
              Timers timers);

    // The port the check opens: "COM n", found as platform::serialDeviceForPort says.
    void setPort(int portNumber, const platform::StartupFolder &startupFolder);

    // The tmrPortOpen tick.
    platform::Task tick();

    // The port failed, at the check or later: one message box, "Comm Port Error".
    void reportError(const QString &description);

private:
    KitPort &m_port;
    KitCommands &m_commands;
    FixedWait &m_wait;
    PollCycle &m_poll;
    KitLog &m_log;
    LinkView &m_view;
    Timers m_timers;
    int m_portNumber = 0;  // 1..255; 0: none selected
    QString m_startupFolder;
    QString m_portName;  // the port the messages are about: "COM3 → /dev/pts/4"
};
