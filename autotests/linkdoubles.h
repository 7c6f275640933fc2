#pragma once

// The kit link on its own: a line the test scripts, a view that records, and the
// main window's timers, with waits of waitMs. The scripted line delivers what the
// kit sends exactly as a serial port does (never again from inside its own
// announcement), so it is no kinder to the link than the real port.

#include "console/record/benchrecord.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"

#include <QHash>
#include <QStringList>
#include <QTimer>

class ScriptedPort final : public KitPort
{
public:
    bool open(const QString &device) override
    {
        openedDevice = device;
        return openError.isEmpty();
    }
    bool isOpen() const override { return openError.isEmpty(); }
    QString errorString() const override { return openError.isEmpty() ? writeError : openError; }

    bool write(const QByteArray &bytes) override
    {
        if (!writeError.isEmpty())
            return false;
        written += QString::fromLatin1(bytes);
        if (const QByteArray answer = answers.value(QString::fromLatin1(bytes)); !answer.isEmpty())
            QTimer::singleShot(5, this, [this, answer] { kitSends(answer); });
        return true;
    }
    QByteArray readAll() override { return std::exchange(m_pending, {}); }
    void setReceiveEvents(bool on) override { m_events = on; }

    void kitSends(const QByteArray &bytes)
    {
        m_pending += bytes;
        if (m_events)
            announceArrival();
    }

    // Commands as written, one per carriage return.
    QStringList commands() const
    {
        QStringList list = written.split(QLatin1Char('\r'));
        list.removeLast();
        return list;
    }

    QString openedDevice;
    QString openError;
    QString writeError;
    QString written;
    QHash<QString, QByteArray> answers;  // command with CR -> what the kit answers

private:
    QByteArray m_pending;
    bool m_events = false;
};

class RecordingView final : public LinkView
{
public:
    void showCommStatus(const QString &text) override { statuses << text; }
    void showLiveReadings(const QString &v, const QString &i, bool b) override
    {
        volts = v;
        milliamps = i;
        busy = b;
        ++liveUpdates;
    }
    void tellPortError(const QString &title, const QString &text) override { portErrors << title + u'|' + text; }

    QStringList statuses;
    QString volts;
    QString milliamps;
    bool busy = false;
    int liveUpdates = 0;
    QStringList portErrors;  // title|text
};

// The result frames nobody waited for, each noted with its kind's mark.
class RecordingUnasked final : public UnaskedAnswers
{
public:
    void unasked(wire::FrameKind kind, const QString &frame) override
    {
        static const QHash<wire::FrameKind, QString> marks{
            {wire::FrameKind::CoilResistance1, "R"}, {wire::FrameKind::CoilResistance2, "Q"},
            {wire::FrameKind::Delay, "&"},           {wire::FrameKind::ContactRes, "#"},
            {wire::FrameKind::PickUp, "*"},          {wire::FrameKind::Coil2PickUp, "-"},
            {wire::FrameKind::DropAway, "%"},        {wire::FrameKind::PickUpCurrent, ">"},
            {wire::FrameKind::DropAwayCurrent, "!"}, {wire::FrameKind::Sequence, "s"}};
        handled << marks.value(kind, "?") + ':' + frame;
    }
    QStringList handled;
};

// A procedure that asks the poll tick for request and notes the answer it gets.
inline platform::Task awaitAnswer(PollCycle &poll, Request request, QStringList &answers)
{
    answers << co_await poll.answerTo(request);
}

struct LinkRig {
    BenchRecord record;
    ScriptedPort port;
    RecordingView view;
    QTimer tmrPortOpen, tmrComm, tmrTout, tmrPortWatch;
    platform::WaitStack waits;
    KitLink link{record, port, view, {tmrPortOpen, tmrComm, tmrTout, tmrPortWatch}, waits};

    explicit LinkRig(int waitMs = 10)
    {
        tmrTout.setSingleShot(true);
        tmrTout.setTimerType(Qt::PreciseTimer);
        tmrTout.setInterval(waitMs);
        tmrComm.setInterval(waitMs / 4 + 1);
        tmrPortWatch.setInterval(waitMs);
    }
    ~LinkRig() { waits.cancelAll(); }

    void tick() { waits.run(link.poll.tick()); }
    // The request is open: a procedure waits for its answer, which lands in answers.
    void ask(Request request) { waits.run(awaitAnswer(link.poll, request, answers)); }

    QStringList answers;
};
