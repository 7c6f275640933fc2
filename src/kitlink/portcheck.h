#pragma once

#include "platform/startupfolder.h"
#include "platform/waitstack.h"

#include <QString>

#include <functional>

class FixedWait;
class KitCommands;
class KitLog;
class KitPort;
class LinkView;
class PollCycle;
class QTimer;

// The check at start: open the configured port, ask "?" and, when the kit answers
// "OK" within the second, switch the link into its running state. A line that fails
// later (an adapter pulled, a cable knocked) is watched for, and the same check runs
// again once its device is back.
class PortCheck
{
public:
    struct Timers {
        QTimer &tmrPortOpen;
        QTimer &tmrComm;
        QTimer &tmrTout;
        QTimer &tmrPortWatch;  // looks for a lost device again on each tick
    };

    PortCheck(KitPort &port, KitCommands &commands, FixedWait &wait, PollCycle &poll, KitLog &log, LinkView &view,
              Timers timers);

    // The port the check opens: "COM n", found as platform::serialDeviceForPort says.
    void setPort(int portNumber, const platform::StartupFolder &startupFolder);

    // Says whether a test runs (or Stop's safe sequence): the check after a lost line
    // waits while one does, so that its "?" never goes out between a test's commands.
    void setTestRunning(std::function<bool()> testRunning) { m_testRunning = std::move(testRunning); }

    // The tmrPortOpen tick.
    platform::Task tick();
    // The tmrPortWatch tick: once the device behind "COM n" is there again and no
    // test runs, the check of start-up runs on it.
    platform::Task watch();

    // The port failed: one message box, "Comm Port Error".
    void reportError(const QString &description);
    // The line failed after the port was opened: the error as above, no more polling
    // on it, and the watch for its device to come back.
    void lineFailed(const QString &description);

private:
    platform::Task check(bool comingBack);

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
    std::function<bool()> m_testRunning;
};
