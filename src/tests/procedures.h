#pragma once

#include "platform/waitstack.h"
#include "tests/autotest.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contacttimingtests.h"
#include "tests/pickupdropawaytest.h"
#include "tests/sigendurancetest.h"
#include "tests/testpanel.h"

#include <QObject>

struct ResultHandlers;

// Every bench procedure of the main window, where each result frame goes, and the
// operator's Stop.
class Procedures : public QObject
{
    Q_OBJECT
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

    // Something a Stop would end: a procedure waiting, a request armed for the poll
    // tick, or a contact run whose readings are still to come.
    bool running() const;
    // The safe sequence of a Stop is under way.
    bool makingSafe() const { return m_makingSafe; }

    const TestPanel panel;
    ContactRuns contactRuns;
    CoilResistanceTest coilResistance;
    PickUpDropAwayTest pickUpDropAway;
    ContactResistanceTest contactResistance;
    SigEnduranceTest sigEndurance;
    ContactDelayTest contactDelay;
    ContactSequenceTest contactSequence;
    AutoTest autoTest;

signals:
    // The safe sequence has ended: the kit is off (or the line to it failed).
    void madeSafe();

private:
    platform::Task makeSafe();

    bool m_makingSafe = false;
};
