#include "kitlink/receivehandler.h"

#include "console/record/benchrecord.h"
#include "kitlink/awaitedanswers.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/pollcycle.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

#include <utility>

ReceiveHandler::ReceiveHandler(BenchRecord &record, KitPort &port, PollCycle &poll, AwaitedAnswers &answers,
                               KitLog &log, LinkView &view, platform::WaitStack &waits)
    : m_record(record)
    , m_port(port)
    , m_poll(poll)
    , m_answers(answers)
    , m_log(log)
    , m_view(view)
    , m_waits(waits)
{
}

void ReceiveHandler::onDataReceived()
{
    const QByteArray chunk = m_port.readAll();
    if (chunk.isEmpty())
        return;
    RxBuffer += QString::fromLatin1(chunk);
    if (!RxBuffer.endsWith(QLatin1Char(wire::CR))) {
        // A text longer than the longest frame can never match whatever follows, so
        // a kit streaming text without carriage returns costs no more than this.
        if (RxBuffer.size() > wire::LongestFrame + 1)
            RxBuffer.truncate(wire::LongestFrame + 1);
        return;
    }
    const QString frame = std::exchange(RxBuffer, QString());
    m_log.append(KitLog::Direction::Received, frame.toLatin1());
    dispatch(frame);
}

void ReceiveHandler::lineLost()
{
    KitState.clear();
    RxBuffer.clear();
}

void ReceiveHandler::dispatch(const QString &frame)
{
    const wire::FrameKind kind = wire::classify(frame);
    switch (kind) {
    case wire::FrameKind::LiveReadings: liveReadings(frame); break;
    case wire::FrameKind::Ok:
    case wire::FrameKind::Unknown: break;
    default:
        if (m_answers.deliver(kind, frame)) {
            m_waits.pump();  // the run that asked goes on with it
            break;
        }
        m_log.note(QStringLiteral("answer nobody asked for: ") + KitLog::visible(frame));
        if (m_unasked)
            m_unasked->unasked(kind, frame);
        break;
    }
    if (observer)
        observer(frame);
}

void ReceiveHandler::liveReadings(const QString &frame)
{
    const wire::LiveReadings live = wire::decodeLiveReadings(frame);
    m_record.LiveVoltage = live.volts;
    m_record.LiveCurrent = live.milliamps;
    KitState = live.state;
    m_poll.setKitBusy(KitState == QLatin1String("B"));
    m_view.showLiveReadings(platform::fixedDecimals(double(m_record.LiveVoltage), 1),
                            platform::fixedDecimals(double(m_record.LiveCurrent), 1), m_poll.kitBusy());
}
