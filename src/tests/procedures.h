#pragma once

#include "platform/startupfolder.h"
#include "platform/waitstack.h"
#include "tests/autotest.h"
#include "tests/bench.h"
#include "tests/channelrun.h"
#include "tests/coilresistancetest.h"
#include "tests/contactresistancetest.h"
#include "tests/contacttimingtests.h"
#include "tests/lateanswers.h"
#include "tests/pickupdropawaytest.h"
#include "tests/resultlines.h"
#include "tests/sigendurancetest.h"
#include "tests/testrun.h"

#include <QObject>

#include <exception>

// Every bench procedure of the main window, and the operator's Stop.
class Procedures : public QObject
{
    Q_OBJECT
public:
    Procedures(BenchRecord &record, KitLink &link, BenchView &view, Progress &progress,
               const platform::StartupFolder &startupFolder);
    ~Procedures() override;

    // Starts a procedure as an activation that a Stop ends.
    void launch(platform::Task procedure);

    // The operator gets the bench back: every running procedure ends where it
    // stands (the automatic test too), its requests close, the busy labels go, and
    // the kit is left safe: coil supply, second coil and current source off,
    // set-points at zero, each with its fixed wait, after which the panel unlocks.
    // Until then the kit hears the safe sequence and the live polls and nothing
    // else, and what it answers is only noted. With nothing measuring nothing is
    // sent (a box left open just stays); a Stop while the kit is made safe finds
    // nothing to stop.
    void stop();

    // A test is measuring: a Stop would have the kit to make safe.
    bool running() const { return measuring.any(); }
    // The safe sequence of a Stop is under way.
    bool makingSafe() const { return m_makingSafe; }

    Measuring measuring;
    const Bench bench;
    ContactRuns contactRuns;
    ResultLines contactResistanceResults;
    ResultLines contactDelayResults;
    LateAnswers lateAnswers;
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
    // Ends every procedure and makes the kit safe; always: even with nothing
    // measuring any more (a procedure that failed has already unwound).
    void halt(bool alwaysMakeSafe);
    platform::Task makeSafe();
    // A procedure ended on an exception: the operator is told, and the kit made safe.
    void failed(std::exception_ptr failure);

    bool m_makingSafe = false;
    bool m_safeSequenceBroke = false;  // the last safe sequence ended on a fault
};
