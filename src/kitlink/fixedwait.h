#pragma once

#include "platform/waitstack.h"

class QTimer;

// The bench's settle time: one tick of tmrTout. One flag and one timer serve every
// wait, so waits that overlap end on the one running tick: a wait started while
// another waits rides on the tick already running, and the older wait never ends
// before the newer one (the wait stack resumes the newest first).
class FixedWait
{
public:
    FixedWait(QTimer &tmrTout, platform::WaitStack &waits);

    // co_await hold(): one fixed wait.
    auto hold()
    {
        struct Hold {
            FixedWait &wait;
            bool await_ready() const noexcept { return false; }
            void await_suspend(std::coroutine_handle<> waiting) { wait.start(waiting); }
            void await_resume() const noexcept {}
        };
        return Hold{*this};
    }

    // The tmrTout tick.
    void tick();
    // How many ticks there have been: one a fixed wait, however many waits shared it.
    int ticks() const { return m_ticks; }

private:
    void start(std::coroutine_handle<> waiting);

    QTimer &m_timer;
    platform::WaitStack &m_waits;
    bool TimedOut = false;
    int m_ticks = 0;
};
