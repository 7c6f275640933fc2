#pragma once

#include <QObject>

#include <coroutine>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform {

// A bench procedure written as straight-line code that waits: a coroutine that
// starts when it is awaited (or handed to WaitStack::run) and resumes whoever
// awaited it when it ends. Destroying a Task destroys the procedure wherever it
// waits, and with it everything it holds (a dialog, a guard), which is how a
// Stop or a closing window cancels it. An exception that escapes a procedure ends
// it and goes on to whoever awaited it; at the bottom, the wait stack reports it.
class [[nodiscard]] Task
{
public:
    struct promise_type {
        std::coroutine_handle<> continuation;
        std::exception_ptr failure;

        Task get_return_object() { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        auto final_suspend() noexcept
        {
            struct ResumeAwaiter {
                bool await_ready() noexcept { return false; }
                std::coroutine_handle<> await_suspend(std::coroutine_handle<promise_type> done) noexcept
                {
                    const std::coroutine_handle<> next = done.promise().continuation;
                    return next ? next : std::noop_coroutine();
                }
                void await_resume() noexcept {}
            };
            return ResumeAwaiter{};
        }
        void return_void() {}
        void unhandled_exception() noexcept { failure = std::current_exception(); }
    };

    Task() = default;
    Task(Task &&other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task &operator=(Task &&other) noexcept
    {
        if (this != &other) {
            reset();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task &) = delete;
    Task &operator=(const Task &) = delete;
    ~Task() { reset(); }

    bool done() const { return !m_handle || m_handle.done(); }
    // What ended it, when an exception did.
    std::exception_ptr failure() const { return m_handle ? m_handle.promise().failure : nullptr; }

    // co_await task: runs it to its end, however many waits that takes.
    bool await_ready() const noexcept { return done(); }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept
    {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    void await_resume() const
    {
        if (const std::exception_ptr failed = failure())
            std::rethrow_exception(failed);
    }

private:
    friend class WaitStack;
    explicit Task(std::coroutine_handle<promise_type> handle) : m_handle(handle) {}
    void reset()
    {
        if (m_handle)
            std::exchange(m_handle, {}).destroy();
    }

    std::coroutine_handle<promise_type> m_handle;
};

// A wait asked for where no procedure runs that could wait: a fault of the program,
// which ends the procedure that asked.
class WaitOutsideProcedure : public std::logic_error
{
public:
    WaitOutsideProcedure() : std::logic_error("a wait was asked for outside any procedure") {}
};

// The bench's waits, on the one event loop. Every procedure that the event loop
// starts (a button, a timer tick, a frame from the kit, a dialog's answer) runs as
// an activation; one that waits is put on a stack, and only the newest waiting
// activation may go on. So waits nest as they always have at the bench: an
// activation that starts waiting while an older one waits runs to its end before
// the older one resumes, however many waits it holds, and two waits that end on
// the same tmrTout tick end together. Nothing here spins or runs an event loop of
// its own: waiting activations are resumed from pump(), which whoever changes what
// they wait for calls.
class WaitStack
{
    struct Activation;

public:
    WaitStack() = default;
    ~WaitStack();
    WaitStack(const WaitStack &) = delete;
    WaitStack &operator=(const WaitStack &) = delete;

    // Whether a Stop ends an activation: the bench's procedures yes, the link's own
    // start-up (the kit check) and the Stop's own safe sequence no.
    enum class OnStop { Cancel, Keep };

    // Starts task as a new activation; it runs until it first waits or ends.
    void run(Task task, OnStop onStop = OnStop::Cancel);

    // co_await waits.call(task): task runs as an activation of its own, as a test's
    // handling does when its button is pressed, and the caller waits in its place
    // until task has ended, as an older activation waits for a newer one. Whatever
    // task leaves going on by itself (a step it launched) does not hold the caller.
    // A task that fails or is cancelled never lets its caller go on: the Stop that
    // follows ends the caller too.
    class Call
    {
    public:
        Call(WaitStack &stack, Task task) : m_stack(stack), m_task(std::move(task)) {}
        bool await_ready() const noexcept { return m_task.done(); }
        bool await_suspend(std::coroutine_handle<> waiting);
        void await_resume() const noexcept {}

    private:
        WaitStack &m_stack;
        Task m_task;
    };
    Call call(Task task) { return Call(*this, std::move(task)); }

    // Resumes the newest waiting activation while what it waits for holds.
    void pump();

    // Ends every waiting activation where it stands, destroying what it holds. One
    // that is running right now (this was asked from inside it) is ended as soon as
    // it next waits; it is never destroyed while it runs.
    void cancelAll();
    // The same for those a Stop ends; true when there were any.
    bool cancelOnStop();

    bool idle() const { return m_stack.empty(); }
    // Whether a procedure is running right now (not waiting): a Stop asked for from
    // inside one must wait until it waits.
    bool running() const { return m_running != nullptr; }
    // Whether a Stop would end anything.
    bool stoppable() const;
    // Lives as long as the stack: the context of connections that pump it.
    QObject &context() { return m_context; }

    // Told of an exception that ended an activation, after it has been removed.
    void onFailure(std::function<void(std::exception_ptr)> handler) { m_onFailure = std::move(handler); }

    // The awaitable of a wait that ends when ready() holds; ready() is asked at
    // once (a condition that holds already does not wait) and again on each pump().
    struct Until {
        WaitStack &stack;
        std::function<bool()> ready;
        bool await_ready() const { return ready(); }
        void await_suspend(std::coroutine_handle<> waiting) { stack.suspend(waiting, ready); }
        void await_resume() const noexcept {}
    };
    Until until(std::function<bool()> ready) { return Until{*this, std::move(ready)}; }

    // For awaitables with work of their own to do when they suspend: the running
    // activation waits at waiting until ready() holds. Throws WaitOutsideProcedure
    // when no activation runs.
    void suspend(std::coroutine_handle<> waiting, std::function<bool()> ready);

    // A wait that holds nobody back: the activation steps out of the stack's order
    // until wake() says that what it waits for has come, and then goes on as the
    // newest activation, as a handling started by that event would. A procedure
    // waits so for the kit's answer to a request: the bench asked and went back to
    // the event loop, and the answer's handling came as an event of its own.
    class Parked
    {
    public:
        explicit Parked(WaitStack &stack) : m_stack(stack) {}
        Parked(const Parked &) = delete;
        Parked &operator=(const Parked &) = delete;

        bool await_ready() const noexcept { return m_woken; }
        void await_suspend(std::coroutine_handle<> waiting) { m_activation = m_stack.park(waiting); }
        void await_resume() const noexcept {}

        // What it waits for has come; it goes on at the next pump().
        void wake();

    private:
        WaitStack &m_stack;
        Activation *m_activation = nullptr;
        bool m_woken = false;
    };

private:
    struct Activation {
        Task root;
        OnStop onStop = OnStop::Cancel;
        std::coroutine_handle<> waiting;  // where it waits: in root or in a task root awaits
        std::function<bool()> ready;
        std::function<void()> ended;      // told when root has run to its end
        bool parked = false;
        bool resuming = false;            // on the call stack right now
        bool cancelled = false;           // to be ended as soon as it stops running
    };

    void start(Task task, OnStop onStop, std::function<void()> ended);
    Activation *park(std::coroutine_handle<> waiting);
    void wake(Activation *activation);
    // The newest activation that is not parked; nullptr when there is none.
    Activation *newestInOrder() const;
    void resume(Activation *activation, std::coroutine_handle<> from);
    std::unique_ptr<Activation> take(Activation *activation);
    // Ends the activations for which ends() holds, newest first.
    bool cancel(const std::function<bool(const Activation &)> &ends);

    QObject m_context;  // ends the connections to dialogs when the stack goes
    std::vector<std::unique_ptr<Activation>> m_stack;
    Activation *m_running = nullptr;
    bool m_pumping = false;
    bool m_pumpAgain = false;
    std::function<void(std::exception_ptr)> m_onFailure;
};

} // namespace platform
