#pragma once

#include "kitlink/linkview.h"
#include "platform/waitstack.h"
#include "tests/autotest.h"
#include "tests/bench.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contactruns.h"
#include "tests/contacttimingtests.h"
#include "tests/pickupdropawaytest.h"
#include "tests/sigendurancetest.h"

#include <QObject>

// Every bench procedure of the main window, the result frames no procedure waits
// for, and the operator's Stop.
class Procedures : public QObject, public ResultFrames
{
    Q_OBJECT
public:
    explicit Procedures(const Bench &bench);
    ~Procedures() override;

    // Starts a procedure as an activation that a Stop ends.
    void launch(platform::Task procedure);

    // The operator gets the bench back: every running procedure ends where it
    // stands (the automatic test too), requests and runs are closed, the busy
    // labels go, and the kit is left safe: coil supply, second coil and current
    // source off, set-points at zero, each with its fixed wait, after which the
    // panel unlocks. With nothing running nothing is sent, and the safe sequence
    // itself is not stopped: a second Stop while it runs finds nothing to stop.
    void stop();

    // Something a Stop would end: a procedure waiting, a request open for the poll
    // tick, or a contact run whose readings are still to come.
    bool running() const;
    // The safe sequence of a Stop is under way.
    bool makingSafe() const { return m_makingSafe; }

    // A result frame that no procedure waited for: the readings of the contact runs,
    // and an answer that came unasked, handled as the bench handles it.
    void handleResultFrame(wire::FrameKind kind, const QString &frame) override;

    const Bench bench;
    ContactRuns contactRuns;
    ResultLines contactResistanceResults;
    ResultLines contactDelayResults;
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
