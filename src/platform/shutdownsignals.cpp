#include "platform/shutdownsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_UNIX

namespace {

// The two ends of the pipe that carries signals from the handler to the event loop.
// Made once and kept open for the life of the process: a signal that comes after
// the event loop has ended still finds somewhere to write to, and is ignored there.
int readEnd = -1;
int writeEnd = -1;

void onShutdownSignal(int signalNumber)
{
    // Nothing but write() is safe here. The pipe does not block, so a burst of
    // signals that fills it only loses signals no one needs any more.
    const int saved = errno;
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = saved;
}

bool makePipe()
{
    if (readEnd >= 0)
        return true;
    int ends[2];
    if (::pipe(ends) != 0)
        return false;
    for (const int fd : ends) {
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    return true;
}

} // namespace

ShutdownSignals::ShutdownSignals(QObject *parent)
    : QObject(parent)
{
    if (!makePipe())
        return;  // the signals keep ending the program the system's way
    auto *notifier = new QSocketNotifier(readEnd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &ShutdownSignals::takeSignals);

    struct sigaction action {};
    action.sa_handler = onShutdownSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // what the signal interrupts carries on rather than failing
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(signalNumber, &action, nullptr);
}

// However many signals came in since the last look, one request.
void ShutdownSignals::takeSignals()
{
    char bytes[64];
    ssize_t n = 0;
    bool any = false;
    while ((n = ::read(readEnd, bytes, sizeof bytes)) > 0 || (n < 0 && errno == EINTR))
        any = any || n > 0;
    if (any)
        emit stopRequested();
}

#else

ShutdownSignals::ShutdownSignals(QObject *parent)
    : QObject(parent)
{
}

void ShutdownSignals::takeSignals() {}

#endif

} // namespace platform
