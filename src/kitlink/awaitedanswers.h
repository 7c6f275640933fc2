#pragma once

#include "kitlink/wireformat.h"
#include "platform/waitstack.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <stdexcept>

// A second request for a kind of answer the bench already waits for: a fault of the
// program. The run that asked ends; the one that asked first keeps its request.
class RequestAlreadyOpen : public std::logic_error
{
public:
    RequestAlreadyOpen() : std::logic_error("an answer the bench already waits for was asked for again") {}
};

// The answers the bench waits for: for each kind of result frame, the run that asked
// for one and waits for it, if any. A frame is that run's, and only that run's; one
// of a kind nobody waits for was not asked for, and the receive handler says so.
class AwaitedAnswers
{
public:
    using Receiver = std::function<void(const QString &frame)>;

    // One answer asked for: open until the frame comes or the request is dropped
    // (its run ended or was stopped), whichever is first.
    class Request
    {
    public:
        Request() = default;
        Request(Request &&other) noexcept;
        Request &operator=(Request &&other) noexcept;
        Request(const Request &) = delete;
        Request &operator=(const Request &) = delete;
        ~Request() { close(); }

        bool isOpen() const;
        void close();

    private:
        friend class AwaitedAnswers;
        Request(AwaitedAnswers &answers, wire::FrameKind kind, std::uint64_t id);

        AwaitedAnswers *m_answers = nullptr;
        wire::FrameKind m_kind = wire::FrameKind::Unknown;
        std::uint64_t m_id = 0;
    };

    AwaitedAnswers() = default;
    AwaitedAnswers(const AwaitedAnswers &) = delete;
    AwaitedAnswers &operator=(const AwaitedAnswers &) = delete;

    // Asks for the next frame of kind, which receiver gets. Throws RequestAlreadyOpen
    // when that kind is already waited for.
    [[nodiscard]] Request open(wire::FrameKind kind, Receiver receiver);
    bool isOpen(wire::FrameKind kind) const { return m_open[slot(kind)].id != 0; }
    bool anyOpen() const;

    // The frame answers the request open for its kind, which closes before its
    // receiver gets it. False, and nothing done, when nobody waits for that kind.
    bool deliver(wire::FrameKind kind, const QString &frame);

    // An answer asked for from now on and taken whenever it comes; co_await it for
    // the frame. A procedure waits for it holding nobody back, and goes on with it
    // at the next pump of the wait stack, as a handling started by that frame
    // would. Destroyed unanswered (its run ended or was stopped), it asks no more.
    class Pending
    {
    public:
        // onArrival, if any, is told of the frame the moment it comes, whether or
        // not the procedure waits for it yet.
        Pending(AwaitedAnswers &answers, platform::WaitStack &waits, wire::FrameKind kind,
                Receiver onArrival = {});
        Pending(const Pending &) = delete;
        Pending &operator=(const Pending &) = delete;

        bool arrived() const { return m_arrived; }

        bool await_ready() const noexcept { return m_arrived; }
        void await_suspend(std::coroutine_handle<> waiting) { m_parked.await_suspend(waiting); }
        QString await_resume() const { return m_frame; }

    private:
        platform::WaitStack::Parked m_parked;
        Receiver m_onArrival;
        QString m_frame;
        bool m_arrived = false;
        Request m_request;  // last: closed before the rest goes
    };

private:
    static constexpr std::size_t Kinds = std::size_t(wire::FrameKind::Sequence) + 1;
    static std::size_t slot(wire::FrameKind kind) { return std::size_t(kind); }
    void close(wire::FrameKind kind, std::uint64_t id);

    struct Open {
        std::uint64_t id = 0;  // 0: nobody waits
        Receiver receiver;
    };
    std::array<Open, Kinds> m_open{};
    std::uint64_t m_lastId = 0;
};
