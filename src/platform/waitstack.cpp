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
    start(std::move(task), onStop, {});
    pump();
}

void WaitStack::start(Task task, OnStop onStop, std::function<void()> ended)
{
    auto activation = std::make_unique<Activation>();
    activation->root = std::move(task);
    activation->onStop = onStop;
    activation->ended = std::move(ended);
    Activation *started = activation.get();
    m_stack.push_back(std::move(activation));
    resume(started, started->root.m_handle);
}

bool WaitStack::Call::await_suspend(std::coroutine_handle<> waiting)
{
    const Activation *caller = m_stack.m_running;
    if (!caller)
        throw WaitOutsideProcedure();
    auto ended = std::make_shared<bool>(false);
    m_stack.start(std::move(m_task), caller->onStop, [ended] { *ended = true; });
    if (*ended)
        return false;  // it never waited: the caller goes straight on
    m_stack.suspend(waiting, [ended] { return *ended; });
    return true;
}

void WaitStack::suspend(std::coroutine_handle<> waiting, std::function<bool()> ready)
{
    if (!m_running)
        throw WaitOutsideProcedure();
    m_running->waiting = waiting;
    m_running->ready = std::move(ready);
}

void WaitStack::resume(Activation *activation, std::coroutine_handle<> from)
{
    Activation *outer = std::exchange(m_running, activation);
    activation->resuming = true;
    from.resume();
    activation->resuming = false;
    m_running = outer;
    if (!activation->root.done() && !activation->cancelled)
        return;

    std::unique_ptr<Activation> finished = take(activation);
    if (!finished)
        return;
    const bool done = finished->root.done();
    const std::exception_ptr failure = done ? finished->root.failure() : nullptr;
    const bool stopped = finished->cancelled;
    if (done && !failure && !stopped && finished->ended)
        finished->ended();
    finished.reset();  // what the procedure held goes now, before anyone is told
    if (failure && !stopped && m_onFailure)
        m_onFailure(failure);
}

std::unique_ptr<WaitStack::Activation> WaitStack::take(Activation *activation)
{
    const auto found = std::find_if(m_stack.begin(), m_stack.end(),
                                    [activation](const auto &entry) { return entry.get() == activation; });
    if (found == m_stack.end())
        return nullptr;
    std::unique_ptr<Activation> taken = std::move(*found);
    m_stack.erase(found);
    return taken;
}

WaitStack::Activation *WaitStack::park(std::coroutine_handle<> waiting)
{
    if (!m_running)
        throw WaitOutsideProcedure();
    m_running->waiting = waiting;
    m_running->ready = {};
    m_running->parked = true;
    return m_running;
}

void WaitStack::wake(Activation *activation)
{
    const bool parked = std::any_of(m_stack.begin(), m_stack.end(), [activation](const auto &entry) {
        return entry.get() == activation && entry->parked;
    });
    if (!parked)
        return;
    std::unique_ptr<Activation> woken = take(activation);
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
        if (!(*entry)->parked && !(*entry)->cancelled)
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
            if (newest->resuming || !newest->ready || !newest->ready())
                break;
            newest->ready = {};
            resume(newest, std::exchange(newest->waiting, {}));
        }
    } while (m_pumpAgain);
    m_pumping = false;
}

bool WaitStack::cancel(const std::function<bool(const Activation &)> &ends)
{
    // Taken out first, newest first, the way nested waits unwind; destroyed after,
    // so that what a procedure does as it goes (a guard that ends a test) never
    // meets a stack half gone through.
    std::vector<std::unique_ptr<Activation>> ending;
    bool any = false;
    for (std::size_t i = m_stack.size(); i-- > 0;) {
        Activation &activation = *m_stack[i];
        if (activation.cancelled || !ends(activation))
            continue;
        any = true;
        if (activation.resuming) {
            activation.cancelled = true;  // ended by resume() once it waits
            continue;
        }
        ending.push_back(std::move(m_stack[i]));
        m_stack.erase(m_stack.begin() + std::ptrdiff_t(i));
    }
    const bool pumping = std::exchange(m_pumping, true);
    for (std::unique_ptr<Activation> &activation : ending)
        activation.reset();
    m_pumping = pumping;
    // A pump asked for meanwhile is not lost: those that did not end may go on.
    if (m_pumpAgain && !pumping)
        pump();
    return any;
}

void WaitStack::cancelAll()
{
    cancel([](const Activation &) { return true; });
}

bool WaitStack::stoppable() const
{
    return std::any_of(m_stack.begin(), m_stack.end(), [](const auto &activation) {
        return activation->onStop == OnStop::Cancel && !activation->cancelled;
    });
}

bool WaitStack::cancelOnStop()
{
    return cancel([](const Activation &activation) { return activation.onStop == OnStop::Cancel; });
}

} // namespace platform
