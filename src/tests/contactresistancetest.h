#pragma once

#include "console/record/relaycatalogue.h"
#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/channelrun.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

class LateAnswers;
class ResultLines;

// Contact resistance of one channel or all sixteen, the coil driven per channel
// from the relay's contact layout: energised for a front contact, released for a
// back one. The run sends and waits; the readings are taken as they come, and the
// last one ends the test (an all-channel run then writes crval.csv).
class ContactResistanceTest
{
public:
    ContactResistanceTest(const Bench &bench, RunSlot &slot, ResultLines &results, LateAnswers &late);

    // entry: the channel selector's entry, 0..15 a channel, 16 all of them. Hands
    // back when every command of the run has been sent and waited for; a run whose
    // last reading has not come by then waits for it on its own.
    platform::Task run(int entry);

    // The supply switches that energise the relay for a front contact or release it
    // for a back one, leaving out what is already in the wanted state; state
    // becomes what they leave.
    enum class Switch { CoilOn, CoilOff, CurrentOn, SetCurrent, ResetCurrent, CurrentOff };
    struct CoilState {
        bool energised = false;
        bool sourceOn = false;
    };
    static std::vector<Switch> drive(bool qta2, catalogue::Contact contact, CoilState &state);

private:
    // The relay's contact on channel, as the relay now on the bench has it; an entry
    // typed over the selector has none the run could measure.
    std::optional<catalogue::Contact> contactOn(int channel) const;
    bool qta2() const;
    // The relay energised or released for contact, then the reading of the channel
    // the run measures asked for, with two settle times for the kit to answer.
    platform::Task measure(ChannelRun &run, catalogue::Contact contact);
    // The fixed waits of the channels from channel on, and of the run's end.
    int waitsFrom(int channel, CoilState state) const;

    const Bench &m_bench;
    RunSlot &m_slot;
    ResultLines &m_results;
    LateAnswers &m_late;
};

// What is left of a run once its procedure has handed back: the wait for its last
// reading, on its own.
platform::Task untilLastReading(std::unique_ptr<ChannelRun> run);
