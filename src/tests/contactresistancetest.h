#pragma once

#include "console/record/relaycatalogue.h"
#include "platform/waitstack.h"
#include "tests/testpanel.h"

#include <QString>

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

private:
    // Energises the relay for a front contact or releases it for a back contact,
    // switching only what is not already in the wanted state.
    platform::Task driveFor(int relay, catalogue::Contact contact);
    // Asks the kit for the channel's reading and leaves it two waits to answer.
    platform::Task measure(int channel);
    void endRun();
    void writeResultsFile();
    platform::Task refuse(QString text);

    const TestPanel &p;
    ContactRuns &m_runs;
};
