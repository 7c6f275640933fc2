#include "kitlink/awaitedanswers.h"

#include <algorithm>
#include <utility>

AwaitedAnswers::Request::Request(AwaitedAnswers &answers, wire::FrameKind kind, std::uint64_t id)
    : m_answers(&answers)
    , m_kind(kind)
    , m_id(id)
{
}

AwaitedAnswers::Request::Request(Request &&other) noexcept
    : m_answers(std::exchange(other.m_answers, nullptr))
    , m_kind(other.m_kind)
    , m_id(std::exchange(other.m_id, 0))
{
}

AwaitedAnswers::Request &AwaitedAnswers::Request::operator=(Request &&other) noexcept
{
    if (this != &other) {
        close();
        m_answers = std::exchange(other.m_answers, nullptr);
        m_kind = other.m_kind;
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

bool AwaitedAnswers::Request::isOpen() const
{
    return m_answers && m_answers->m_open[slot(m_kind)].id == m_id;
}

void AwaitedAnswers::Request::close()
{
    if (m_answers)
        std::exchange(m_answers, nullptr)->close(m_kind, m_id);
}

AwaitedAnswers::Request AwaitedAnswers::open(wire::FrameKind kind, Receiver receiver)
{
    Open &open = m_open[slot(kind)];
    if (open.id != 0)
        throw RequestAlreadyOpen();
    open.id = ++m_lastId;
    open.receiver = std::move(receiver);
    return Request(*this, kind, open.id);
}

void AwaitedAnswers::close(wire::FrameKind kind, std::uint64_t id)
{
    Open &open = m_open[slot(kind)];
    if (open.id == id)  // answered already, and perhaps asked for again since by another run
        open = Open{};
}

bool AwaitedAnswers::anyOpen() const
{
    return std::any_of(m_open.begin(), m_open.end(), [](const Open &open) { return open.id != 0; });
}

bool AwaitedAnswers::deliver(wire::FrameKind kind, const QString &frame)
{
    Open &open = m_open[slot(kind)];
    if (open.id == 0)
        return false;
    const Receiver receiver = std::exchange(open, Open{}).receiver;
    receiver(frame);
    return true;
}

AwaitedAnswers::Pending::Pending(AwaitedAnswers &answers, platform::WaitStack &waits, wire::FrameKind kind,
                                 Receiver onArrival)
    : m_parked(waits)
    , m_onArrival(std::move(onArrival))
    , m_request(answers.open(kind, [this](const QString &frame) {
        m_frame = frame;
        m_arrived = true;
        if (m_onArrival)
            m_onArrival(frame);
        m_parked.wake();
    }))
{
}
