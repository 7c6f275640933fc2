#include "tests/channelrun.h"

#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/dialogwait.h"
#include "platform/numbertext.h"
#include "tests/bench.h"
#include "tests/lateanswers.h"
#include "tests/resultlines.h"

#include <QDir>
#include <QScopeGuard>
#include <QObject>

namespace {

// Above this a contact is taken as not made: the meter reads the open circuit.
constexpr float OpenContactMilliohms = 999;
// What a channel that never transferred is booked as, in milliseconds.
constexpr float TimedOutMilliseconds = 1000;

ChannelMeasurement::Reading readResistance(const QString &frame, bool allChannels)
{
    const float milliohms = wire::decodeContactResistance(frame);
    // Only the list of a whole run marks an open contact; one channel shows its value.
    if (allChannels && milliohms > OpenContactMilliohms)
        return {milliohms, QStringLiteral(" - OFF")};
    return {milliohms, QStringLiteral(" - ") + platform::fixedDecimals(double(milliohms), 1)};
}

ChannelMeasurement::Reading readDelay(const QString &frame, bool)
{
    const std::optional<float> milliseconds = wire::decodeDelay(frame);
    if (!milliseconds)  // the kit gave up on the channel
        return {TimedOutMilliseconds, QStringLiteral(" - Timeout")};
    return {*milliseconds, QStringLiteral(" - ") + platform::fixedDecimals(double(*milliseconds), 3)};
}

// crval.csv: the sixteen lines of the list, each in double quotes, for "Generate
// Report" to copy beside the report.
void writeResultsFile(const Bench &bench, const ResultLines &results)
{
    QByteArray lines;
    for (int i = 0; i < catalogue::ChannelCount; ++i)
        lines += '"' + results.lines().value(i).toLatin1() + "\"\r\n";

    const QString path = bench.startupFolder.file(QStringLiteral("crval.csv"));
    const platform::WriteResult written = platform::replaceFileAtomically(path, lines);
    if (written.ok)
        return;
    bench.view.message(QObject::tr("Contact resistance results not saved"),
                       QObject::tr("Quillmark could not write the contact resistance results file\n%1\n\n%2\n\n"
                                   "The readings are still listed under Test Results, but Generate Report will "
                                   "not have them until the file can be written.")
                           .arg(QDir::toNativeSeparators(path), written.error),
                       platform::PromptIcon::Exclamation);
}

} // namespace

const ChannelMeasurement ContactResistanceReadings{
    wire::FrameKind::ContactRes,   BenchView::Busy::ContactResistance, BenchView::Result::ContactResistance,
    &BenchRecord::ContactRes,      true,                               readResistance,
    writeResultsFile,
};

const ChannelMeasurement ContactDelayReadings{
    wire::FrameKind::Delay,   BenchView::Busy::ContactDelay, BenchView::Result::ContactDelay,
    &BenchRecord::ContactDelay, false,                       readDelay,
    nullptr,
};

void fileReading(const Bench &bench, const ChannelMeasurement &measurement, ResultLines &results, bool allChannels,
                 int channel, const QString &frame)
{
    const ChannelMeasurement::Reading reading = measurement.read(frame, allChannels);
    auto &values = bench.record.*measurement.values;
    if (measurement.everyReadingInSlotZero || !allChannels)
        values[0] = reading.value;
    if (!allChannels) {
        bench.view.showResult(measurement.single, catalogue::channelName(channel) + reading.shown);
        return;
    }
    if (channel >= 0 && channel < ResultSlots)
        values[std::size_t(channel)] = reading.value;
    results.add(catalogue::channelName(channel) + reading.shown);
}

ChannelRun::ChannelRun(const Bench &bench, const ChannelMeasurement &measurement, RunSlot &slot,
                       ResultLines &results, LateAnswers &late, int entry, const QString &name)
    : m_bench(bench)
    , m_measurement(measurement)
    , m_slot(slot)
    , m_results(results)
    , m_late(late)
    , m_test(bench, measurement.busy, name, TestRun::Polling::Held)
    , AllChannels(entry == catalogue::AllChannelsEntry)
    , ChannelNo(qint16(AllChannels ? 0 : entry + 1))
{
}

ChannelRun::~ChannelRun()
{
    if (AllChannels && !finished() && m_results.filling())
        m_results.setText(QStringLiteral("Results"));
}

void ChannelRun::ask(const QString &command)
{
    // One request stands for the run's readings until the last has come: a kit that
    // answers a channel late has its reading filed under the channel measured then.
    if (!m_reading.isOpen() && !finished())
        m_reading = m_bench.link.answers.open(m_measurement.answer, [this](const QString &frame) { take(frame); });
    m_bench.link.commands.send(command);
}

void ChannelRun::take(const QString &frame)
{
    fileReading(m_bench, m_measurement, m_results, AllChannels, ChannelNo, frame);
    if (lastChannel()) {
        finish();
        if (AllChannels && m_measurement.allRead)
            m_measurement.allRead(m_bench, m_results);
        return;
    }
    m_reading = m_bench.link.answers.open(m_measurement.answer, [this](const QString &frame) { take(frame); });
}

void ChannelRun::noContact()
{
    const QString line = catalogue::channelName(ChannelNo) + QStringLiteral(" - X");
    if (AllChannels)
        m_results.add(line);
    else
        m_bench.view.showResult(m_measurement.single, line);
    // Nothing will come for a last channel without a contact, so nothing else would
    // end the run; the results file keeps what the last complete run wrote.
    if (lastChannel())
        finish();
}

void ChannelRun::finish()
{
    m_reading.close();
    if (AllChannels)
        m_results.setText(QStringLiteral("Results"));
    m_test.end();
    // A reading that still comes belongs to no run: after an all-channel run it is
    // listed one past the last channel, as the bench always has.
    m_late.afterRun(m_measurement, m_results, AllChannels, AllChannels ? catalogue::ChannelCount + 1 : ChannelNo);
    if (m_finishWaiter)
        std::exchange(m_finishWaiter, nullptr)->wake();
}

platform::Task ChannelRun::untilFinished()
{
    if (finished())
        co_return;
    platform::WaitStack::Parked finishing(m_bench.link.waits);
    m_finishWaiter = &finishing;
    const auto forget = qScopeGuard([this] { m_finishWaiter = nullptr; });  // also when a Stop ends the wait
    co_await finishing;
}

platform::Task refuseWithoutChannel(const Bench &bench, QString title, QString test)
{
    co_await platform::closed(bench.link.waits, bench.view.message(
        title,
        QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, then start the %1 "
                    "again.")
            .arg(test),
        platform::PromptIcon::Exclamation));
}
