#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/contactruns.h"

#include <QString>

// Transfer delay of one channel or all sixteen, timed by the kit. The run sends
// and waits; each delay is taken as it comes, and the last one ends the run.
class ContactDelayTest
{
public:
    ContactDelayTest(const Bench &bench, ContactRuns &runs, ResultLines &results);

    // entry: the channel selector's entry, 0..15 a channel, 16 all of them. Ends when
    // every command has been sent and waited for.
    platform::Task run(int entry);
    // An "&" frame of 8 characters, from this run or from none.
    void takeDelay(const QString &frame);

private:
    void endRun();

    const Bench &m_bench;
    ContactRuns &m_runs;
    ResultLines &m_results;
};

// The NO and NC contact sequence, read in one go; any 20-character frame ends it.
class ContactSequenceTest
{
public:
    ContactSequenceTest(const Bench &bench, ContactRuns &runs);

    platform::Task run();
    void takeSequence(const QString &frame);

private:
    const Bench &m_bench;
    ContactRuns &m_runs;
};
