#pragma once

#include <QObject>

namespace platform {

// A logout (SIGHUP), a service stop (SIGTERM) or Ctrl+C in a terminal (SIGINT)
// would otherwise end the bench on the spot and lose what lives only in memory
// until the main window closes: the advanced relay serial numbers and the port
// choice. Once an object of this class is made, those signals arrive as
// stopRequested() on the event loop instead, where the window can close in order.
// A second signal during the shut-down is one more request and nothing else; one
// that comes after the object or the event loop is gone is ignored, the program
// being on its way out. One object per program; without Unix signals it never
// reports anything.
class ShutdownSignals : public QObject
{
    Q_OBJECT
public:
    explicit ShutdownSignals(QObject *parent = nullptr);

signals:
    void stopRequested();

private:
    void takeSignals();
};

} // namespace platform
