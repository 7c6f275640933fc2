#pragma once

#include "platform/waitstack.h"
#include "tests/bench.h"
#include "tests/channelrun.h"

class LateAnswers;
class ResultLines;

// The SIG endurance sweep: all sixteen channels, whatever the relay's layout,
// 1..8 with the coil energised and 9..16 with it released. Its readings are filed
// as an all-channel contact resistance run files them, and the sixteenth ends it.
class SigEnduranceTest
{
public:
    SigEnduranceTest(const Bench &bench, RunSlot &slot, ResultLines &results, LateAnswers &late);

    platform::Task run();

private:
    const Bench &m_bench;
    RunSlot &m_slot;
    ResultLines &m_results;
    LateAnswers &m_late;
};
