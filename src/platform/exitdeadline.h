#pragma once

#include <QByteArray>

#include <chrono>

namespace platform {

// Once the bench has closed its window (the kit safe, the port closed, the settings
// saved), nothing that is left may keep the process: a thread stuck in a system call
// (a file on a share that stopped answering, a named pipe) would hold it for good,
// deaf to stop signals. From this call on the process ends within bound whatever
// still runs: if it has not ended by then, farewell goes to standard error and the
// process ends at once with exitCode. A process that ends sooner ends as usual. Only
// the first call counts.
void endProcessWithin(std::chrono::milliseconds bound, int exitCode, const QByteArray &farewell);

} // namespace platform
