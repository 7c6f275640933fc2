#pragma once

#include "console/record/relaycatalogue.h"
#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/contactruns.h"

#include <QString>

#include <vector>

// Contact resistance of one channel or all sixteen, the coil driven per channel
// from the relay's contact layout. The run sends and waits; each reading is taken
// as it comes, and the one of the last channel ends the run (an all-channel run
// then writes crval.csv).
class ContactResistanceTest
{
public:
    ContactResistanceTest(const Bench &bench, ContactRuns &runs, ResultLines &results);

    // entry: the channel selector's entry, 0..15 a channel, 16 all of them. Ends when
    // every command of the run has been sent and waited for.
    platform::Task run(int entry);
    // A "#" frame, from this run, from the endurance sweep or from neither.
    void takeReading(const QString &frame);

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
    // The relay energised or released for contact, then the channel's reading asked
    // for, with two settle times for the kit to answer.
    platform::Task measure(int channel, catalogue::Contact contact);
    // The fixed waits of the channels from channel on, and of the run's end.
    int waitsFrom(int channel, CoilState state) const;
    void endRun();
    void writeResultsFile();

    const Bench &m_bench;
    ContactRuns &m_runs;
    ResultLines &m_results;
};
