#include "kitlink/fixedwait.h"

#include "platform/eventservice.h"

#include <QTimer>

FixedWait::FixedWait(MainWindowFields &fields, QTimer &tmrTout)
    : f(fields)
    , m_timer(tmrTout)
{
}

void FixedWait::hold()
{
    f.TimedOut = false;
    if (!m_timer.isActive())  // an inner wait rides on the tick an outer wait already started
        m_timer.start();
    platform::serviceEventsUntil([this] { return f.TimedOut; });
}

void FixedWait::tick()
{
    f.TimedOut = true;
    m_timer.stop();
}
