#include "kitsim/simulatedkitport.h"

#include <QTimer>

#include <utility>

SimulatedKitPort::SimulatedKitPort(QObject *parent)
    : KitPort(parent)
{
    connect(&m_kit, &SimulatedKit::transmit, this, &SimulatedKitPort::frameArrived);
}

bool SimulatedKitPort::open(const QString &device)
{
    Q_UNUSED(device)
    m_open = true;
    m_error.clear();
    m_fromKit.clear();
    return true;
}

bool SimulatedKitPort::write(const QByteArray &bytes)
{
    if (!m_open) {
        m_error = tr("The port is not open");
        return false;
    }
    if (m_toKit.isEmpty())
        QTimer::singleShot(0, this, &SimulatedKitPort::deliver);
    m_toKit.append(bytes);
    return true;
}

QByteArray SimulatedKitPort::readAll()
{
    return std::exchange(m_fromKit, {});
}

void SimulatedKitPort::deliver()
{
    m_kit.receive(std::exchange(m_toKit, {}));
}

void SimulatedKitPort::frameArrived(const QByteArray &bytes)
{
    if (!m_open)
        return;
    m_fromKit.append(bytes);
    if (m_receiveEvents)
        announceArrival();
}
