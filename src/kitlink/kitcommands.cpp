#include "kitlink/kitcommands.h"

#include "kitlink/fixedwait.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/wireformat.h"

KitCommands::KitCommands(MainWindowFields &fields, KitPort &port, FixedWait &wait, KitLog &log)
    : f(fields)
    , m_port(port)
    , m_wait(wait)
    , m_log(log)
{
    connect(&m_port, &KitPort::failed, this, &KitCommands::reportLineFailure);
}

bool KitCommands::send(const QString &command)
{
    if (m_failed)
        return false;
    const QByteArray bytes = wire::onTheLine(command);
    m_log.append(KitLog::Direction::Sent, bytes);
    if (m_port.write(bytes))
        return true;
    reportLineFailure(m_port.errorString());
    return false;
}

void KitCommands::reportLineFailure(const QString &description)
{
    if (m_failed)
        return;
    m_failed = true;
    m_log.note(QStringLiteral("line failed: ") + description);
    emit lineFailure(description);
}

void KitCommands::sendAndSettle(const char *command)
{
    send(QString::fromLatin1(command));
    m_wait.hold();
}

void KitCommands::SetCoilVoltage()
{
    send(wire::setVoltage(24.0));
    m_wait.hold();
}

void KitCommands::ResetCoilVoltage()
{
    send(wire::setVoltage(0.0));
    m_wait.hold();
}

void KitCommands::CoilON()
{
    sendAndSettle(wire::cmd::CoilOn);
    f.CoilEnergised = true;
}

void KitCommands::CoilOFF()
{
    sendAndSettle(wire::cmd::CoilOff);
    f.CoilEnergised = false;
}

void KitCommands::Coil2ON()
{
    sendAndSettle(wire::cmd::Coil2On);
    f.CoilEnergised = true;
}

void KitCommands::Coil2OFF()
{
    sendAndSettle(wire::cmd::Coil2Off);
    f.CoilEnergised = false;
}

void KitCommands::SetCoilCurrent()
{
    sendAndSettle(wire::cmd::CurrentSet);
}

void KitCommands::ResetCoilCurrent()
{
    sendAndSettle(wire::cmd::CurrentReset);
}

void KitCommands::CoilCurrentON()
{
    sendAndSettle(wire::cmd::CurrentOn);
    f.CurrentSourceOn = true;
}

void KitCommands::CoilCurrentOFF()
{
    sendAndSettle(wire::cmd::CurrentOff);
    f.CurrentSourceOn = false;
}
