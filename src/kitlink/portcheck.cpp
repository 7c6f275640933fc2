#include "kitlink/portcheck.h"

#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"
#include "kitlink/wireformat.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QTimer>

PortCheck::PortCheck(MainWindowFields &fields, KitPort &port, KitCommands &commands, FixedWait &wait,
                     KitLog &log, LinkView &view, Timers timers)
    : f(fields)
    , m_port(port)
    , m_commands(commands)
    , m_wait(wait)
    , m_log(log)
    , m_view(view)
    , m_timers(timers)
{
}

void PortCheck::tick()
{
    const QString device = platform::serialDeviceForPort(f.PortNumber, f.StartupFolder);
    m_portName = platform::serialPortName(f.PortNumber, device);
    m_port.setReceiveEvents(false);
    if (!m_port.open(device)) {
        reportError(m_port.errorString());
        return;
    }
    m_timers.tmrPortOpen.stop();
    m_log.note(QStringLiteral("opened ") + device);
    m_view.showCommStatus(QStringLiteral("Comm Port open"));

    // The kit gets the whole second whether it answers early or not; its answer is
    // read once, after the wait.
    if (!m_commands.send(QString::fromLatin1(wire::cmd::Presence)))
        return;  // the line failure has been reported
    m_wait.hold();
    // A line that failed during the wait has had its message and "Comm Port Error",
    // and that is final for this run.
    if (m_commands.lineFailed())
        return;
    const QByteArray answer = m_port.readAll();
    f.RxBuffer = QString::fromLatin1(answer);
    if (!answer.isEmpty())
        m_log.append(KitLog::Direction::Received, answer);

    if (!wire::isPresenceAnswer(f.RxBuffer)) {
        m_view.showCommStatus(QStringLiteral("Kit not found"));
        return;
    }

    // The "OK" must not be glued to the first live-readings frame.
    f.RxBuffer.clear();
    m_port.setReceiveEvents(true);
    m_timers.tmrComm.start();
    m_view.showCommStatus(QStringLiteral("Comm Port Active"));
    f.PollHold = false;
    m_commands.CoilOFF();
    m_commands.ResetCoilVoltage();
}

void PortCheck::reportError(const QString &description)
{
    const QString text = m_portName.isEmpty() ? description : m_portName + QStringLiteral(": ") + description;
    platform::Prompts::current().message(m_view.dialogParent(), QStringLiteral("Communication Port Error!"), text,
                                         platform::PromptIcon::Exclamation);
    m_timers.tmrPortOpen.stop();
    m_view.showCommStatus(QStringLiteral("Comm Port Error"));
}
