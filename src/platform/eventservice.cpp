#include "platform/eventservice.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <cstdio>
#include <cstdlib>

namespace platform {

void serviceEventsOnce()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

namespace {
int g_waits = 0;
}

void serviceEventsUntil(const std::function<bool()> &done)
{
    ++g_waits;
    while (!done())
        serviceEventsOnce();
    --g_waits;
}

int waitsInProgress()
{
    return g_waits;
}

void endProgramNow()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace platform
