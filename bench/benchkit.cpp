#include "benchkit.h"

#include "clock.h"
#include "kitlink/wireformat.h"

#include <QAbstractEventDispatcher>
#include <QDir>
#include <QTimer>

using benchclock::monotonicNs;

BenchKit::BenchKit(const QString &folder, int port, int relay, QObject *parent)
    : QObject(parent)
{
    m_frames.reserve(4096);
    m_heard.reserve(4096);
    m_kit.setRelay(relay);
    m_open = m_line.open() && m_line.link(QDir(folder).absoluteFilePath(QStringLiteral("COM%1").arg(port)));

    connect(&m_line, &PtyLine::received, &m_kit, &SimulatedKit::receive);
    // Connected in this order, the write has returned when the frame is noted.
    connect(&m_kit, &SimulatedKit::transmit, &m_line, &PtyLine::write);
    connect(&m_kit, &SimulatedKit::transmit, this, &BenchKit::onTransmitted);
    connect(&m_kit, &SimulatedKit::commandReceived, this, [this](const QString &command) {
        if (m_injecting)
            return;  // the benchmark's own, not the bench's
        m_heard.push_back({monotonicNs(), command});
        emit commandHeard(command);
    });
    // A ramp starts on a command and ends on the kit's own timer; either way the event
    // loop goes back to sleep right after, and that is when the change is noted.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
            &BenchKit::noteBusy);
}

BenchKit::~BenchKit()
{
    m_line.unlink();
}

void BenchKit::noteBusy()
{
    const bool busy = m_kit.busy();
    if (busy == m_wasBusy)
        return;
    m_wasBusy = busy;
    if (busy)
        m_busy.push_back({monotonicNs(), 0});
    else if (!m_busy.empty())
        m_busy.back().toNs = monotonicNs();
}

void BenchKit::onTransmitted(const QByteArray &bytes)
{
    m_frames.push_back({monotonicNs(), bytes});
    if (m_varying && wire::classify(QString::fromLatin1(bytes)) == wire::FrameKind::LiveReadings) {
        // 20.0 V, 20.1 V, ... 23.9 V and round again: never the same twice running.
        m_centivolts = 2000 + (m_centivolts - 2000 + 10) % 400;
        QTimer::singleShot(0, this, [this] {
            if (m_varying)
                inject(wire::setVoltage(m_centivolts / 100.0));
        });
    }
}

void BenchKit::setVaryingReadings(bool on)
{
    if (on == m_varying)
        return;
    m_varying = on;
    if (on) {
        m_centivolts = 2000;
        inject(wire::setVoltage(m_centivolts / 100.0));
        inject(wire::cmd::CoilOn);
    } else {
        inject(wire::cmd::CoilOff);
        inject(wire::setVoltage(0.0));
    }
}

void BenchKit::inject(const char *command)
{
    inject(QString::fromLatin1(command));
}

void BenchKit::inject(const QString &command)
{
    m_injecting = true;
    m_kit.receive(wire::onTheLine(command));
    m_injecting = false;
}
