#include "platform/exitdeadline.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace platform {

void endProcessWithin(std::chrono::milliseconds bound, int exitCode, const QByteArray &farewell)
{
    static std::once_flag armed;
    std::call_once(armed, [&] {
        // A thread of its own, detached: it holds nothing of the program's, so the
        // program's usual end never waits for it, and it needs no event loop to run.
        std::thread([bound, exitCode, farewell] {
            std::this_thread::sleep_for(bound);
            std::fputs(farewell.constData(), stderr);
            std::fflush(stderr);
            std::_Exit(exitCode);  // no destructor may wait on the stuck thread again
        }).detach();
    });
}

} // namespace platform
