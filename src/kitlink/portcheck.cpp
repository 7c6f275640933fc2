#include "kitlink/portcheck.h"

#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"
#include "kitlink/pollcycle.h"
#include "kitlink/wireformat.h"
#include "platform/paths.h"

#include <QFileInfo>
#include <QTimer>

PortCheck::PortCheck(KitPort &port, KitCommands &commands, FixedWait &wait, PollCycle &poll, KitLog &log,
                     LinkView &view, Timers timers)
    : m_port(port)
    , m_commands(commands)
    , m_wait(wait)
    , m_poll(poll)
    , m_log(log)
    , m_view(view)
    , m_timers(timers)
{
}

void PortCheck::setPort(int portNumber, const platform::StartupFolder &startupFolder)
{
    m_portNumber = portNumber;
    m_startupFolder = startupFolder.path();
}

platform::Task PortCheck::tick()
{
    co_await check(false);
}

platform::Task PortCheck::watch()
{
    if (m_testRunning && m_testRunning())
        co_return;  // a test cut off by the loss ends first
    const QString device = platform::serialDeviceForPort(m_portNumber, m_startupFolder);
    if (device.isEmpty() || !QFileInfo::exists(device))
        co_return;
    m_timers.tmrPortWatch.stop();
    co_await check(true);
}

platform::Task PortCheck::check(bool comingBack)
{
    const QString device = platform::serialDeviceForPort(m_portNumber, m_startupFolder);
    m_portName = platform::serialPortName(m_portNumber, device);
    m_port.setReceiveEvents(false);
    if (!m_port.open(device)) {
        // A device that has just come back may not open yet (its permissions are
        // set a moment after it appears): the watch tries again on its next tick.
        if (comingBack)
            m_timers.tmrPortWatch.start();
        else
            reportError(m_port.errorString());
        co_return;
    }
    m_timers.tmrPortOpen.stop();
    if (comingBack)
        m_commands.lineRestored();
    m_log.note(QStringLiteral("opened ") + device);
    m_view.showCommStatus(QStringLiteral("Comm Port open"));

    // The kit gets the whole second whether it answers early or not; its answer is
    // read once, after the wait.
    if (!m_commands.send(QString::fromLatin1(wire::cmd::Presence)))
        co_return;  // the line failure has been reported
    co_await m_wait.hold();
    // A line that failed during the wait has had its message and "Comm Port Error",
    // and is watched for.
    if (m_commands.lineFailed())
        co_return;
    const QByteArray answer = m_port.readAll();
    if (!answer.isEmpty())
        m_log.append(KitLog::Direction::Received, answer);
    if (!wire::isPresenceAnswer(QString::fromLatin1(answer))) {
        m_view.showCommStatus(QStringLiteral("Kit not found"));
        co_return;
    }

    // The "OK" is not kept for the receive handler: the first frame starts clean.
    m_port.setReceiveEvents(true);
    m_timers.tmrComm.start();
    m_view.showCommStatus(QStringLiteral("Comm Port Active"));
    if (comingBack)
        m_log.note(QStringLiteral("kit back on ") + m_portName);
    m_poll.setPollHold(false);
    co_await m_commands.CoilOFF();
    co_await m_commands.ResetCoilVoltage();
}

void PortCheck::reportError(const QString &description)
{
    // The check runs once: a port that failed is not tried again on the next tick.
    m_timers.tmrPortOpen.stop();
    m_view.showCommStatus(QStringLiteral("Comm Port Error"));
    const QString text = m_portName.isEmpty() ? description : m_portName + QStringLiteral(": ") + description;
    m_view.tellPortError(QStringLiteral("Communication Port Error!"), text);
}

void PortCheck::lineFailed(const QString &description)
{
    m_timers.tmrComm.stop();
    reportError(description);
    m_timers.tmrPortWatch.start();
}
