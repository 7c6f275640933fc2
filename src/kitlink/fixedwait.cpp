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
    // A newer wait rides on the tick an older wait already started; a tick left over
    // from a wait that was stopped belongs to nobody.
    if (!m_timer.isActive() || m_waiters == 0)
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
