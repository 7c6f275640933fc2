#pragma once

#include "kitlink/kitport.h"
#include "kitsim/simulatedkit.h"

#include <QByteArray>
#include <QString>

// The kit line of the demo mode: a simulated kit inside the program instead of a
// serial adapter. Commands reach the kit from the event loop, never from inside
// write(), and answers are announced as a serial port announces them (never again
// while the bench still handles the last announcement), so the bench sees its
// answers arrive as it would from a real line.
class SimulatedKitPort : public KitPort
{
    Q_OBJECT
public:
    explicit SimulatedKitPort(QObject *parent = nullptr);

    bool open(const QString &device) override;  // any device name will do
    bool isOpen() const override { return m_open; }
    QString errorString() const override { return m_error; }

    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void setReceiveEvents(bool on) override { m_receiveEvents = on; }

    SimulatedKit &kit() { return m_kit; }

private:
    void deliver();
    void frameArrived(const QByteArray &bytes);

    SimulatedKit m_kit;
    bool m_open = false;
    bool m_receiveEvents = false;
    QString m_error;
    QByteArray m_toKit;    // written, not yet heard by the kit
    QByteArray m_fromKit;  // sent by the kit, not yet read
};
