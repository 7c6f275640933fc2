#pragma once

#include "console/record/relaycatalogue.h"
#include "platform/waitstack.h"
#include "tests/testpanel.h"

#include <QString>

#include <vector>

// Contact resistance of one channel or all sixteen, the coil driven per channel
// from the relay's contact layout; an all-channel run ends in crval.csv.
class ContactResistanceTest
{
public:
    ContactResistanceTest(const TestPanel &panel, ContactRuns &runs);

    // Ends when every command of the run has been sent and waited for; the run
    // itself ends with the reading of its last channel.
    platform::Task start();
    // A "#" frame, from this run or from the endurance sweep.
    platform::Task onReadingFrame(QString frame);

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
    platform::Task driveFor(int relay, catalogue::Contact contact);
    // The fixed waits of the channels from channel on, and of the run's end.
    int waitsFrom(int relay, int channel, CoilState state) const;
    // Asks the kit for the channel's reading and leaves it two waits to answer.
    platform::Task measure(int channel);
    void endRun();
    void writeResultsFile();
    platform::Task refuse(QString text);

    const TestPanel &p;
    ContactRuns &m_runs;
};
