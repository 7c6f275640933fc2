#include "platform/waitstack.h"

#include <algorithm>
#include <utility>

namespace platform {

WaitStack::~WaitStack()
{
    cancelAll();
}

void WaitStack::run(Task task, OnStop onStop)
{
    if (task.done())
        return;
    auto activation = std::make_unique<Activation>();
    activation->root = std::move(task);
    activation->onStop = onStop;
    Activation *started = activation.get();
    m_stack.push_back(std::move(activation));
    resume(started, started->root.m_handle);
    pump();
}

void WaitStack::suspend(std::coroutine_handle<> waiting, std::function<bool()> ready)
{
    Q_ASSERT(m_running);
    m_running->waiting = waiting;
    m_running->ready = std::move(ready);
}

void WaitStack::resume(Activation *activation, std::coroutine_handle<> from)
{
    Activation *outer = std::exchange(m_running, activation);
    from.resume();
    m_running = outer;
    if (activation->root.done())
        finish(activation);
}

void WaitStack::finish(Activation *activation)
{
    const auto found = std::find_if(m_stack.begin(), m_stack.end(),
                                    [activation](const auto &entry) { return entry.get() == activation; });
    if (found != m_stack.end())
        m_stack.erase(found);
}

WaitStack::Activation *WaitStack::park(std::coroutine_handle<> waiting)
{
    Q_ASSERT(m_running);
    m_running->waiting = waiting;
    m_running->ready = {};
    m_running->parked = true;
    return m_running;
}

void WaitStack::wake(Activation *activation)
{
    const auto found = std::find_if(m_stack.begin(), m_stack.end(),
                                    [activation](const auto &entry) { return entry.get() == activation; });
    if (found == m_stack.end() || !activation->parked)
        return;
    std::unique_ptr<Activation> woken = std::move(*found);
    m_stack.erase(found);
    woken->parked = false;
    woken->ready = [] { return true; };
    m_stack.push_back(std::move(woken));
}

void WaitStack::Parked::wake()
{
    m_woken = true;
    if (m_activation)
        m_stack.wake(std::exchange(m_activation, nullptr));
}

WaitStack::Activation *WaitStack::newestInOrder() const
{
    for (auto entry = m_stack.rbegin(); entry != m_stack.rend(); ++entry) {
        if (!(*entry)->parked)
            return entry->get();
    }
    return nullptr;
}

void WaitStack::pump()
{
    if (m_pumping) {
        m_pumpAgain = true;
        return;
    }
    m_pumping = true;
    do {
        m_pumpAgain = false;
        while (Activation *newest = newestInOrder()) {
            // One that runs right now is asked again once it waits or ends.
            if (newest == m_running || !newest->ready || !newest->ready())
                break;
            newest->ready = {};
            resume(newest, std::exchange(newest->waiting, {}));
        }
    } while (m_pumpAgain);
    m_pumping = false;
}

void WaitStack::cancelAll()
{
    Q_ASSERT(!m_running);
    // Newest first, the way nested waits unwind; a destructor that asks for a pump
    // meanwhile finds nothing it may resume.
    const bool pumping = std::exchange(m_pumping, true);
    while (!m_stack.empty()) {
        const std::unique_ptr<Activation> newest = std::move(m_stack.back());
        m_stack.pop_back();
    }
    m_pumping = pumping;
    m_pumpAgain = false;
}

bool WaitStack::stoppable() const
{
    return std::any_of(m_stack.begin(), m_stack.end(),
                       [](const auto &activation) { return activation->onStop == OnStop::Cancel; });
}

bool WaitStack::cancelOnStop()
{
    Q_ASSERT(!m_running);
    const bool pumping = std::exchange(m_pumping, true);
    bool cancelled = false;
    for (auto entry = m_stack.end(); entry != m_stack.begin();) {
        --entry;
        if ((*entry)->onStop != OnStop::Cancel)
            continue;
        const std::unique_ptr<Activation> stopped = std::move(*entry);
        entry = m_stack.erase(entry);
        cancelled = true;
    }
    m_pumping = pumping;
    m_pumpAgain = false;
    return cancelled;
}

} // namespace platform
