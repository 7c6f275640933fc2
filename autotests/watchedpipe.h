#pragma once

// A named pipe where a test names a file, and a watch on it. Whoever opens such a
// pipe waits until someone opens its other end, and a reader then waits for data,
// so a program that mistakes it for a file hangs for good. The watch opens the other
// end now and then: a reader or a writer it finds there is let go (and ends its read
// or write at once) and noted, so the test fails where it would otherwise hang.
// Linux only.

#include <QFile>
#include <QString>
#include <QTest>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class WatchedPipe
{
public:
    explicit WatchedPipe(const QString &path)
        : m_path(QFile::encodeName(path))
    {
        if (::mkfifo(m_path.constData(), 0600) != 0)
            qWarning("cannot make the named pipe %s", m_path.constData());
        m_watch = std::thread([this] {
            while (!m_stop) {
                // Opening to write succeeds only with a reader at the other end.
                if (const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK); fd >= 0) {
                    m_waitedOn = true;
                    ::close(fd);
                }
                // A writer at the other end has written, or holds it open to write.
                if (const int fd = ::open(m_path.constData(), O_RDONLY | O_NONBLOCK); fd >= 0) {
                    char bytes[4096];
                    const ssize_t n = ::read(fd, bytes, sizeof bytes);
                    if (n > 0 || (n < 0 && errno == EAGAIN))
                        m_waitedOn = true;
                    ::close(fd);
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    }

    ~WatchedPipe()
    {
        m_stop = true;
        m_watch.join();
    }

    WatchedPipe(const WatchedPipe &) = delete;
    WatchedPipe &operator=(const WatchedPipe &) = delete;

    // Someone opened the pipe as if it were a file, and waited on it.
    bool waitedOn() const { return m_waitedOn; }

private:
    const QByteArray m_path;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_waitedOn{false};
    std::thread m_watch;
};
