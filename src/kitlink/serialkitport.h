#pragma once

#include "kitlink/kitport.h"

#include <QSerialPort>

// The kit on a real serial adapter.
class SerialKitPort final : public KitPort
{
    Q_OBJECT
public:
    explicit SerialKitPort(QObject *parent = nullptr);

    bool open(const QString &device) override;
    bool isOpen() const override;
    QString errorString() const override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void setReceiveEvents(bool on) override;

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_error;
    bool m_receiveEvents = false;
    bool m_failed = false;
};
