#pragma once

#include "console/record/benchrecord.h"
#include "console/record/relaycatalogue.h"
#include "kitlink/awaitedanswers.h"
#include "platform/waitstack.h"
#include "tests/benchview.h"
#include "tests/testrun.h"

#include <QString>

#include <array>
#include <utility>

struct Bench;
class LateAnswers;
class ResultLines;

// One run of a kind at a time. Contact resistance and the SIG sweep share theirs:
// the sweep files its readings as an all-channel contact run does.
class RunSlot
{
public:
    class Taken
    {
    public:
        explicit Taken(RunSlot &slot) : m_slot(&slot) { slot.m_taken = true; }
        Taken(Taken &&other) noexcept : m_slot(std::exchange(other.m_slot, nullptr)) {}
        Taken &operator=(Taken &&) = delete;
        Taken(const Taken &) = delete;
        Taken &operator=(const Taken &) = delete;
        ~Taken()
        {
            if (m_slot)
                m_slot->m_taken = false;
        }

    private:
        RunSlot *m_slot;
    };

    bool taken() const { return m_taken; }

private:
    bool m_taken = false;
};

// Which contact run is in progress.
struct ContactRuns {
    RunSlot ContactResTest;    // contact resistance, or the SIG endurance sweep
    RunSlot ContactDelayTest;
    RunSlot ContactSeqTest;
};

// What sets the contact resistance and the contact delay runs apart: the frame the
// kit answers a channel with, where the readings are kept and shown, and how each
// reads behind its channel's name.
struct ChannelMeasurement {
    struct Reading {
        float value;    // kept in the bench record
        QString shown;  // behind the channel's name: " - 12.3", " - OFF", " - Timeout"
    };

    wire::FrameKind answer;
    BenchView::Busy busy;
    BenchView::Result single;                           // where a one-channel run shows its reading
    std::array<float, ResultSlots> BenchRecord::*values;
    bool everyReadingInSlotZero;                        // or only a one-channel run's
    Reading (*read)(const QString &frame, bool allChannels);
    // What the bench does once every channel of an all-channel run has been read.
    void (*allRead)(const Bench &bench, const ResultLines &results);
};

extern const ChannelMeasurement ContactResistanceReadings;
extern const ChannelMeasurement ContactDelayReadings;

// A reading kept and shown as a run takes it: under channel in the list of an
// all-channel run, or behind the channel's name in the label of a one-channel run.
void fileReading(const Bench &bench, const ChannelMeasurement &measurement, ResultLines &results, bool allChannels,
                 int channel, const QString &frame);

// One contact resistance or contact delay run (or SIG sweep) over one channel or all
// sixteen. The run's procedure sends the commands and holds the settle times; the
// run takes the readings as the kit sends them, filed under the channel it measures
// when each comes, and the reading of its last channel ends its test (busy label,
// panel, live polling), even while its procedure still switches the supply off. A
// run that has all its readings and no commands left is over; until then a Stop
// ends it where it stands.
class ChannelRun
{
public:
    // entry: the channel selector's entry, 0..15 one channel, 16 all of them.
    ChannelRun(const Bench &bench, const ChannelMeasurement &measurement, RunSlot &slot, ResultLines &results,
               LateAnswers &late, int entry, const QString &name);
    // A run stopped where it stands leaves its list saying what it holds, not that
    // it is still filling.
    ~ChannelRun();
    ChannelRun(const ChannelRun &) = delete;
    ChannelRun &operator=(const ChannelRun &) = delete;

    bool allChannels() const { return AllChannels; }
    // The channel measured from now on: 1..16, 17 once an all-channel run's loop is
    // through (a reading that comes then reads "ALL").
    void moveTo(int channel) { ChannelNo = qint16(channel); }
    int channel() const { return ChannelNo; }

    // Sends command, which asks the kit for the reading of the channel measured now.
    void ask(const QString &command);
    // The channel measured now carries no contact: "A1 - X", and when it is the last,
    // the end of the run's test.
    void noContact();

    bool finished() const { return m_test.ended(); }
    // Waits, holding nobody back, for the reading that ends the run's test.
    platform::Task untilFinished();

    TestRun &test() { return m_test; }

private:
    void take(const QString &frame);
    void finish();
    bool lastChannel() const { return !AllChannels || ChannelNo == catalogue::ChannelCount; }

    const Bench &m_bench;
    const ChannelMeasurement &m_measurement;
    RunSlot::Taken m_slot;
    ResultLines &m_results;
    LateAnswers &m_late;
    TestRun m_test;
    AwaitedAnswers::Request m_reading;
    platform::WaitStack::Parked *m_finishWaiter = nullptr;
    bool AllChannels;
    qint16 ChannelNo;
};

// A run over the contact channels asked for with none selected: "@G00" and "@H00"
// name no channel, the kit would never answer and the panel would stay locked. The
// operator is told (title: the test's caption; test: its name in a sentence) and
// nothing starts.
platform::Task refuseWithoutChannel(const Bench &bench, QString title, QString test);
