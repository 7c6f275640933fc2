#include "platform/threadpriority.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace platform {

void giveWayToTheBench()
{
#ifdef Q_OS_WIN
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#elif defined(Q_OS_LINUX)
    // On Linux a thread has a nice value of its own; 10 weighs about a tenth of the
    // bench's thread. Qt's thread priorities do nothing under the normal scheduler.
    (void)::setpriority(PRIO_PROCESS, ::gettid(), 10);
#endif
}

} // namespace platform
