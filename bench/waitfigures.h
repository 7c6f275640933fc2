#pragma once

#include <vector>

// The fixed wait on its own: the real FixedWait on a tmrTout of its real length, in
// this process while nothing else runs. How long one wait lasts and what processor
// time it takes; and when a newer wait, started inside an older one, ends: on the
// tick already running, not a whole period after it started.
namespace waitfigures {

struct Figures {
    std::vector<double> waitMs;          // one fixed wait of 1000 ms, from its start to its end
    std::vector<double> waitCpuMs;       // this process's processor time during it
    std::vector<double> newerFirstMs;    // older wait's start to the tick the newer one ends its first wait on
};

inline constexpr int NestedPeriodMs = 100;  // tmrTout of the nested rounds
inline constexpr int NewerStartsMs = 60;    // the newer activation starts this far into the older wait

Figures measure(int rounds);

} // namespace waitfigures
