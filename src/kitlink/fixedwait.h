#pragma once

#include "platform/waitstack.h"

class QTimer;

// The bench's settle time: one tick of tmrTout. One flag and one timer serve every
// wait, so waits that overlap end on the one running tick: a wait started while
// another waits rides on the tick already running, and the older wait never ends
// before the newer one (the wait stack resumes the newest first). A tick that nobody
// waits for any more (its procedure was stopped) is not ridden on: the next wait gets
// a whole settle time of its own.
class FixedWait
{
public:
    FixedWait(QTimer &tmrTout, platform::WaitStack &waits);

    // co_await hold(): one fixed wait.
    auto hold()
    {
        // Counts as a waiter from the moment it suspends until it resumes or its
        // procedure is destroyed where it waits.
        struct Hold {
            FixedWait &wait;
            bool waiting = false;
            Hold(FixedWait &fixedWait) : wait(fixedWait) {}
            Hold(const Hold &) = delete;
            Hold &operator=(const Hold &) = delete;
            ~Hold() { leave(); }
            bool await_ready() const noexcept { return false; }
            void await_suspend(std::coroutine_handle<> handle)
            {
                wait.start(handle);
                waiting = true;
                ++wait.m_waiters;
            }
            void await_resume() noexcept { leave(); }
            void leave() noexcept
            {
                if (waiting)
                    --wait.m_waiters;
                waiting = false;
            }
        };
        return Hold{*this};
    }

    // The tmrTout tick.
    void tick();
    // How many ticks there have been: one a fixed wait, however many waits shared it.
    int ticks() const { return m_ticks; }
    // Fixed waits under way right now.
    int waiters() const { return m_waiters; }

private:
    void start(std::coroutine_handle<> waiting);

    QTimer &m_timer;
    platform::WaitStack &m_waits;
    bool TimedOut = false;
    int m_ticks = 0;
    int m_waiters = 0;
};
