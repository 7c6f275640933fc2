#include "kitlink/serialkitport.h"

#include "platform/deviceaccess.h"
#include "platform/portholder.h"

#include <QTimer>

SerialKitPort::SerialKitPort(QObject *parent)
    : KitPort(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        if (m_receiveEvents)
            announceArrival();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialKitPort::onError);
}

bool SerialKitPort::open(const QString &device)
{
    if (device.isEmpty()) {
        m_error = tr("Invalid port number");
        return false;
    }
    if (m_port.isOpen())
        m_port.close();  // a line that failed on a write is opened afresh
    // Qt puts "/dev/" in front of any name that does not start with "/" or "./";
    // the platform layer hands over absolute paths on Linux and COMn on Windows.
    m_port.setPortName(device);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        // Qt reports a port that another program holds as a permission error
        // ("Permission error while locking the device"); say which it is.
        // A device that this user may not open is a refusal too: say whose it is and
        // how to be let in.
        if (m_port.error() == QSerialPort::PermissionError) {
            if (const std::optional<QString> holder = platform::otherHolderOf(device))
                m_error = holder->isEmpty() ? tr("The port is in use by another program")
                                            : tr("The port is in use by another program (%1)").arg(*holder);
            else if (const std::optional<QString> advice = platform::accessAdvice(device))
                m_error = *advice;
        }
        return false;
    }
    m_failed = false;  // an adapter plugged back in is a new line
    // Bytes that were on the line before the bench opened it are no answer to anything.
    m_port.clear();
    m_port.readAll();
    return true;
}

bool SerialKitPort::isOpen() const
{
    return m_port.isOpen();
}

QString SerialKitPort::errorString() const
{
    return m_error;
}

bool SerialKitPort::write(const QByteArray &bytes)
{
    if (!m_port.isOpen()) {
        m_error = tr("The serial port is closed");
        return false;
    }
    if (m_port.write(bytes) != bytes.size()) {
        m_error = m_port.errorString();
        return false;
    }
    return true;
}

QByteArray SerialKitPort::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

void SerialKitPort::setReceiveEvents(bool on)
{
    m_receiveEvents = on;
    // Data that arrived while events were off is announced from the event loop,
    // never from inside the caller.
    if (on && m_port.bytesAvailable() > 0) {
        QTimer::singleShot(0, this, [this] {
            if (m_receiveEvents && m_port.bytesAvailable() > 0)
                announceArrival();
        });
    }
}

void SerialKitPort::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError || m_failed || !m_port.isOpen())
        return;
    // A vanished adapter makes the port report its error again and again, as fast as
    // the event loop turns, until it is closed: close it on the first one.
    m_failed = true;
    m_error = m_port.errorString();
    m_port.close();
    emit failed(m_error);
}
