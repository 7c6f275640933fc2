#include "platform/atomicfile.h"

#include <QDir>
#include <QFileInfo>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

WriteResult replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    // QSaveFile would commit a short write, so the count is checked here and the
    // save cancelled on any mismatch.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    const qint64 written = file.write(bytes);
    if (written != bytes.size() || file.error() != QFileDevice::NoError || !file.flush()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return {false, why.isEmpty() ? QObject::tr("the disk did not take all the data") : why};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

#else

namespace {

QString errnoText(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

bool writeAll(int fd, const char *data, qint64 size, int &err)
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

// Puts the rename itself on disk. Best effort: some file systems cannot sync folders.
void syncFolder(const QByteArray &folder)
{
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    ::fsync(dirFd);
    ::close(dirFd);
}

} // namespace

WriteResult replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    const QFileInfo target(path);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    QByteArray tempName = finalName + ".XXXXXX";

    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return {false, errnoText(errno)};

    int err = 0;
    bool ok = writeAll(fd, bytes.constData(), bytes.size(), err);
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    // mkstemp makes the file private; give it the mode a plain new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (ok && ::fchmod(fd, 0666 & ~mask) != 0) {
        err = errno;
        ok = false;
    }
    if (::close(fd) != 0 && ok) {
        err = errno;
        ok = false;
    }
    if (ok && ::rename(tempName.constData(), finalName.constData()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        return {false, errnoText(err)};
    }
    // The new file is in place by now; a folder that will not sync only means the
    // rename may not yet be on disk, which is no reason to tell the operator it failed.
    syncFolder(folder);
    return {true, {}};
}

#endif

} // namespace platform
