#include "kitlink/kitlink.h"

#include "kitlink/kitport.h"

#include <QTimer>

KitLink::KitLink(BenchRecord &record, KitPort &port, LinkView &view, PortCheck::Timers timers,
                 platform::WaitStack &waitStack, QObject *parent)
    : QObject(parent)
    , waits(waitStack)
    , wait(timers.tmrTout, waits)
    , commands(port, wait, log)
    , poll(record, commands, wait, answers, waits)
    , receiver(record, port, poll, answers, log, view, waits)
    , portCheck(port, commands, wait, poll, log, view, timers)
{
    receiver.observer = [this](const QString &frame) { emit frameReceived(frame); };
    connect(&timers.tmrTout, &QTimer::timeout, this, [this] { wait.tick(); });
    // Finding the kit is not a test: an Escape pressed while it runs must not leave
    // the bench without its port.
    connect(&timers.tmrPortOpen, &QTimer::timeout, this,
            [this] { waits.run(portCheck.tick(), platform::WaitStack::OnStop::Keep); });
    connect(&timers.tmrPortWatch, &QTimer::timeout, this,
            [this] { waits.run(portCheck.watch(), platform::WaitStack::OnStop::Keep); });
    connect(&timers.tmrComm, &QTimer::timeout, this, [this] { waits.run(poll.tick()); });
    connect(&port, &KitPort::dataReceived, this, [this] { receiver.onDataReceived(); });
    connect(&commands, &KitCommands::lineFailure, this, [this](const QString &description) {
        receiver.lineLost();
        portCheck.lineFailed(description);
    });
}
