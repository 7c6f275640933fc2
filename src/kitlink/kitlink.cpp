#include "kitlink/kitlink.h"

#include "kitlink/kitport.h"

#include <QTimer>

KitLink::KitLink(MainWindowFields &fields, KitPort &port, LinkView &view, PortCheck::Timers timers,
                 QObject *parent)
    : QObject(parent)
    , wait(fields, timers.tmrTout)
    , commands(fields, port, wait, log)
    , portCheck(fields, port, commands, wait, log, view, timers)
    , poll(fields, commands, wait)
    , receiver(fields, port, log, view)
{
    connect(&timers.tmrTout, &QTimer::timeout, this, [this] { wait.tick(); });
    connect(&timers.tmrPortOpen, &QTimer::timeout, this, [this] { portCheck.tick(); });
    connect(&timers.tmrComm, &QTimer::timeout, this, [this] { poll.tick(); });
    // Queued: a frame's handling may wait (a fixed wait, the drop-away dialog), and a
    // serial port announces nothing more until the slot it called has returned.
    // From the event loop, the next arrival is handled inside that wait.
    connect(&port, &KitPort::dataReceived, this, [this] { receiver.onDataReceived(); }, Qt::QueuedConnection);
    connect(&commands, &KitCommands::lineFailure, this,
            [this](const QString &description) { portCheck.reportError(description); });
}
