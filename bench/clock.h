#pragma once

// One clock for every process of a measurement: CLOCK_MONOTONIC, shared by the kit
// side and the window side on this machine, in nanoseconds.

#include <QtGlobal>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace benchclock {

inline qint64 toNs(const timespec &t)
{
    return qint64(t.tv_sec) * 1'000'000'000 + qint64(t.tv_nsec);
}

inline qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return toNs(t);
}

// User and system time of every thread of this process so far.
inline qint64 processCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return toNs(t);
}

inline double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// The p-th percentile by nearest rank: the smallest value with at least p percent
// of the values at or below it. The median is percentile(values, 50).
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return std::nan("");
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<size_t>(std::ceil(p / 100.0 * double(values.size())));
    return values[std::clamp<size_t>(rank, 1, values.size()) - 1];
}

} // namespace benchclock
