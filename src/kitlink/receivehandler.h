#pragma once

#include "kitlink/linkview.h"
#include "platform/waitstack.h"

#include <functional>

#include <QString>

struct BenchRecord;
class AwaitedAnswers;
class KitLog;
class KitPort;
class PollCycle;

// Joins what the kit sends into frames, shows the live readings and hands each
// result frame to the run that asked for it; one nobody asked for is noted in the
// kit log and goes no further than UnaskedAnswers.
class ReceiveHandler
{
public:
    ReceiveHandler(BenchRecord &record, KitPort &port, PollCycle &poll, AwaitedAnswers &answers, KitLog &log,
                   LinkView &view, platform::WaitStack &waits);

    // Who is told of the answers nobody asked for (the procedures, once they are made).
    void tellUnasked(UnaskedAnswers *unasked) { m_unasked = unasked; }
    // Told of every frame after it has been handled (the Bench Monitor's trace).
    std::function<void(const QString &frame)> observer;

    // The port's data-received event.
    void onDataReceived();
    // One complete text ending in a carriage return.
    void dispatch(const QString &frame);

    // The line failed: what the kit last said of itself holds no longer, so no test
    // starts on it, and a frame cut off by the loss is no frame.
    void lineLost();

    // The kit may take a new test: the latest live readings said "F".
    bool kitFree() const { return KitState == QLatin1String("F"); }
    const QString &kitState() const { return KitState; }
    // Received text that waits for its carriage return.
    const QString &pending() const { return RxBuffer; }

private:
    void liveReadings(const QString &frame);

    BenchRecord &m_record;
    KitPort &m_port;
    PollCycle &m_poll;
    AwaitedAnswers &m_answers;
    KitLog &m_log;
    LinkView &m_view;
    platform::WaitStack &m_waits;
    UnaskedAnswers *m_unasked = nullptr;
    QString RxBuffer;  // received text not yet ended by a carriage return
    QString KitState;  // "F" free, "B" busy, from the latest live readings
};
