#pragma once

#include "tests/autotest.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contacttimingtests.h"
#include "tests/pickupdropawaytest.h"
#include "tests/sigendurancetest.h"
#include "tests/testpanel.h"

struct ResultHandlers;

// Every bench procedure of the main window, and where each result frame goes.
class Procedures
{
public:
    explicit Procedures(const TestPanel &panel);

    // Hands each result frame of the receive handler to the procedure that owns it.
    void connect(ResultHandlers &results);

    const TestPanel panel;
    CoilResistanceTest coilResistance;
    PickUpDropAwayTest pickUpDropAway;
    ContactResistanceTest contactResistance;
    SigEnduranceTest sigEndurance;
    ContactDelayTest contactDelay;
    ContactSequenceTest contactSequence;
    AutoTest autoTest;
};
