#include "kitlink/receivehandler.h"

#include "kitlink/kitlog.h"
#include "kitlink/kitport.h"
#include "kitlink/wireformat.h"
#include "platform/numbertext.h"

#include <utility>

ReceiveHandler::ReceiveHandler(MainWindowFields &fields, KitPort &port, KitLog &log, LinkView &view)
    : f(fields)
    , m_port(port)
    , m_log(log)
    , m_view(view)
{
}

void ReceiveHandler::onDataReceived()
{
    const QByteArray chunk = m_port.readAll();
    if (chunk.isEmpty())
        return;
    f.RxBuffer += QString::fromLatin1(chunk);
    if (!f.RxBuffer.endsWith(QLatin1Char(wire::CR))) {
        // A text longer than the longest frame can never match whatever follows, so
        // a kit streaming text without carriage returns costs no more than this.
        if (f.RxBuffer.size() > wire::LongestFrame + 1)
            f.RxBuffer.truncate(wire::LongestFrame + 1);
        return;
    }
    // The frame leaves the buffer before it is handled, so a frame that completes
    // while a handling waits (a fixed wait, the drop-away dialog) is handled too.
    const QString frame = std::exchange(f.RxBuffer, QString());
    m_log.append(KitLog::Direction::Received, frame.toLatin1());
    dispatch(frame);
}

void ReceiveHandler::dispatch(const QString &frame)
{
    const auto handOver = [&frame](const ResultHandlers::Handler &handler) {
        if (handler)
            handler(frame);
    };
    switch (wire::classify(frame)) {
    case wire::FrameKind::LiveReadings: liveReadings(frame); break;
    case wire::FrameKind::CoilResistance1: handOver(results.coilResistance1); break;
    case wire::FrameKind::CoilResistance2: handOver(results.coilResistance2); break;
    case wire::FrameKind::Delay: handOver(results.delay); break;
    case wire::FrameKind::ContactRes: handOver(results.contactResistance); break;
    case wire::FrameKind::PickUp: handOver(results.pickUp); break;
    case wire::FrameKind::Coil2PickUp: handOver(results.coil2PickUp); break;
    case wire::FrameKind::DropAway: handOver(results.dropAway); break;
    case wire::FrameKind::PickUpCurrent: handOver(results.pickUpCurrent); break;
    case wire::FrameKind::DropAwayCurrent: handOver(results.dropAwayCurrent); break;
    case wire::FrameKind::Sequence: handOver(results.sequence); break;
    case wire::FrameKind::Ok:
    case wire::FrameKind::Unknown: break;
    }
}

void ReceiveHandler::liveReadings(const QString &frame)
{
    const wire::LiveReadings live = wire::decodeLiveReadings(frame);
    BenchRecord &record = bench();
    record.LiveVoltage = live.volts;
    record.LiveCurrent = live.milliamps;
    f.KitState = live.state;
    f.KitBusy = f.KitState == QLatin1String("B");
    m_view.showLiveReadings(platform::fixedDecimals(double(record.LiveVoltage), 1),
                            platform::fixedDecimals(double(record.LiveCurrent), 1), f.KitBusy);
}
