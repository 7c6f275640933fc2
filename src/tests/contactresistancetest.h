#pragma once

#include "console/relaycatalogue.h"
#include "tests/testpanel.h"

#include <QString>

// Contact resistance of one channel or all sixteen, the coil driven per channel
// from the relay's contact layout; an all-channel run ends in crval.csv.
class ContactResistanceTest
{
public:
    explicit ContactResistanceTest(const TestPanel &panel);

    void cmdContactResistance_Click();
    // A "#" frame, from this run or from the endurance sweep.
    void onReadingFrame(const QString &frame);

private:
    // Energises the relay for a front contact or releases it for a back contact,
    // switching only what is not already in the wanted state.
    void driveFor(int relay, catalogue::Contact contact);
    // Asks the kit for the channel's reading and leaves it two waits to answer.
    void measure(int channel);
    void endRun();
    void writeResultsFile();

    const TestPanel &p;
};
