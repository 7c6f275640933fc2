#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/channelrun.h"

#include <QString>

class LateAnswers;
class ResultLines;

// Transfer delay of one channel or all sixteen, timed by the kit. The run sends
// and waits; each delay is taken as it comes, and the last one ends the test.
class ContactDelayTest
{
public:
    ContactDelayTest(const Bench &bench, RunSlot &slot, ResultLines &results, LateAnswers &late);

    // entry: the channel selector's entry, 0..15 a channel, 16 all of them. Hands
    // back when every command has been sent and waited for.
    platform::Task run(int entry);

private:
    const Bench &m_bench;
    RunSlot &m_slot;
    ResultLines &m_results;
    LateAnswers &m_late;
};

// The NO and NC contact sequence, read in one go; any 20-character frame ends it.
class ContactSequenceTest
{
public:
    ContactSequenceTest(const Bench &bench, RunSlot &slot, LateAnswers &late);

    platform::Task run();

    // A sequence frame shown and kept, when it is readable.
    static void showSequence(const Bench &bench, const QString &frame);

private:
    const Bench &m_bench;
    RunSlot &m_slot;
    LateAnswers &m_late;
};
