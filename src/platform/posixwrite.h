#pragma once

// The POSIX write loop that every file the bench saves goes through: a write that
// comes back short is continued, one that cannot go on reports why.

#include <QString>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace platform::posix {

inline QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

// False with err set when the disk takes no more (a full disk reads as ENOSPC).
inline bool writeAll(int fd, const char *data, qint64 size, int &err)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            err = errno;
            return false;
        }
        if (n == 0) {
            err = ENOSPC;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

} // namespace platform::posix
