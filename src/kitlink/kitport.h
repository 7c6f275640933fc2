#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The one line to the test kit, whatever carries it: a serial adapter, or the
// simulated kit inside the program. The bench opens it at start-up, and again when an
// adapter it lost comes back.
class KitPort : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the device at 9600 baud, 8 data bits, no parity, 1 stop bit, no
    // handshaking, and throws away anything received before the open.
    [[nodiscard]] virtual bool open(const QString &device) = 0;
    virtual bool isOpen() const = 0;
    // What went wrong last, in the serial layer's words.
    virtual QString errorString() const = 0;

    // False when the bytes could not be handed to the line.
    [[nodiscard]] virtual bool write(const QByteArray &bytes) = 0;
    // Everything received and not yet read.
    virtual QByteArray readAll() = 0;

    // With receive events on, dataReceived() follows every arrival of data;
    // off, data waits in the port until read.
    virtual void setReceiveEvents(bool on) = 0;

protected:
    // Raises dataReceived() unless it is already being handled, exactly as a serial
    // port does. The simulated lines call this so that they are no kinder to the
    // bench than the real port.
    void announceArrival()
    {
        if (m_announcing)
            return;
        m_announcing = true;
        emit dataReceived();
        m_announcing = false;
    }

private:
    bool m_announcing = false;

signals:
    // Like QSerialPort::readyRead, never raised again from inside a slot that is
    // still handling an earlier one: data that arrives meanwhile waits for the next
    // arrival to be announced. So no slot connected to it may wait for anything.
    void dataReceived();
    // The line failed after it was opened (adapter unplugged, peer gone). Emitted
    // once; the port is closed by then.
    void failed(const QString &description);
};
