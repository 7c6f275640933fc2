#include "kitlink/kitcommands.h"

#include "kitlink/fixedwait.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/wireformat.h"

KitCommands::KitCommands(KitPort &port, FixedWait &wait, KitLog &log)
    : m_port(port)
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

platform::Task KitCommands::sendAndSettle(QString command)
{
    send(command);
    co_await m_wait.hold();
}

platform::Task KitCommands::SetCoilVoltage()
{
    co_await sendAndSettle(wire::setVoltage(24.0));
}

platform::Task KitCommands::ResetCoilVoltage()
{
    co_await sendAndSettle(wire::setVoltage(0.0));
}

platform::Task KitCommands::CoilON()
{
    CoilEnergised = true;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CoilOn));
}

platform::Task KitCommands::CoilOFF()
{
    CoilEnergised = false;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CoilOff));
}

platform::Task KitCommands::Coil2ON()
{
    CoilEnergised = true;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::Coil2On));
}

platform::Task KitCommands::Coil2OFF()
{
    CoilEnergised = false;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::Coil2Off));
}

platform::Task KitCommands::SetCoilCurrent()
{
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CurrentSet));
}

platform::Task KitCommands::ResetCoilCurrent()
{
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CurrentReset));
}

platform::Task KitCommands::CoilCurrentON()
{
    CurrentSourceOn = true;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CurrentOn));
}

platform::Task KitCommands::CoilCurrentOFF()
{
    CurrentSourceOn = false;
    co_await sendAndSettle(QString::fromLatin1(wire::cmd::CurrentOff));
}
