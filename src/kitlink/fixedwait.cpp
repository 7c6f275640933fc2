#include "kitlink/fixedwait.h"

#include <QTimer>

FixedWait::FixedWait(QTimer &tmrTout, platform::WaitStack &waits)
    : m_timer(tmrTout)
    , m_waits(waits)
{
}

void FixedWait::start(std::coroutine_handle<> waiting)
{
    TimedOut = false;
    if (!m_timer.isActive())  // a newer wait rides on the tick an older wait already started
        m_timer.start();
    m_waits.suspend(waiting, [this] { return TimedOut; });
}

void FixedWait::tick()
{
    TimedOut = true;
    ++m_ticks;
    m_timer.stop();
    m_waits.pump();
}
