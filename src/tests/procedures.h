#pragma once

#include "platform/waitstack.h"
#include "tests/autotest.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contacttimingtests.h"
#include "tests/pickupdropawaytest.h"
#include "tests/sigendurancetest.h"
#include "tests/testpanel.h"

struct ResultHandlers;

// Every bench procedure of the main window, where each result frame goes, and the
// operator's Stop.
class Procedures
{
public:
    explicit Procedures(const TestPanel &panel);

    // Hands each result frame of the receive handler to the procedure that owns it.
    void connect(ResultHandlers &results);

    // Starts a procedure as an activation that a Stop ends.
    void launch(platform::Task procedure);

    // The operator gets the bench back: every running procedure ends where it
    // stands (the automatic test too), requests and runs are closed, the busy
    // labels go, and the kit is left safe: coil supply, second coil and current
    // source off, set-points at zero, each with its fixed wait, after which the
    // panel unlocks. With nothing running nothing is sent, and the safe sequence
    // itself is not stopped: a second Stop while it runs finds nothing to stop.
    void stop();

    const TestPanel panel;
    ContactRuns contactRuns;
    CoilResistanceTest coilResistance;
    PickUpDropAwayTest pickUpDropAway;
    ContactResistanceTest contactResistance;
    SigEnduranceTest sigEndurance;
    ContactDelayTest contactDelay;
    ContactSequenceTest contactSequence;
    AutoTest autoTest;

private:
    platform::Task makeSafe();
};
