#include "platform/eventservice.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace platform {

void serviceEventsOnce()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void serviceEventsUntil(const std::function<bool()> &done)
{
    while (!done())
        serviceEventsOnce();
}

} // namespace platform
