#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

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

namespace {
constexpr qsizetype CopyChunk = 64 * 1024;
} // namespace

#ifdef Q_OS_WIN

namespace {

// QSaveFile would commit a short write, so every count is checked here and the
// save cancelled on any mismatch.
bool writeChecked(QSaveFile &file, const char *data, qint64 size)
{
    return file.write(data, size) == size && file.error() == QFileDevice::NoError;
}

QString whyNot(const QSaveFile &file)
{
    const QString why = file.errorString();
    return why.isEmpty() ? QObject::tr("the disk did not take all the data") : why;
}

} // namespace

WriteResult replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    if (!writeChecked(file, bytes.constData(), bytes.size()) || !file.flush()) {
        const QString why = whyNot(file);
        file.cancelWriting();
        return {false, why};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}

WriteResult copyFileAtomically(const QString &from, const QString &to)
{
    const auto cannotRead = [&](const QString &why) {
        return WriteResult{false, QObject::tr("cannot read %1: %2").arg(from, why)};
    };
    const auto cannotWrite = [&](const QString &why) {
        return WriteResult{false, QObject::tr("cannot write %1: %2").arg(to, why)};
    };

    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return cannotRead(source.errorString());
    QSaveFile file(to);
    if (!file.open(QIODevice::WriteOnly))
        return cannotWrite(file.errorString());

    QByteArray chunk(CopyChunk, Qt::Uninitialized);
    for (;;) {
        const qint64 n = source.read(chunk.data(), chunk.size());
        if (n < 0) {
            file.cancelWriting();
            return cannotRead(source.errorString());
        }
        if (n == 0)
            break;
        if (!writeChecked(file, chunk.constData(), n)) {
            const QString why = whyNot(file);
            file.cancelWriting();
            return cannotWrite(why);
        }
    }
    if (!file.flush()) {
        const QString why = whyNot(file);
        file.cancelWriting();
        return cannotWrite(why);
    }
    if (!file.commit())
        return cannotWrite(file.errorString());
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

// The one write path of every one-step save: fill(fd, err) writes the content into
// the temporary file, returning false with an errno value in err when it cannot;
// the rest puts the file in place. On failure the system's reason comes back and
// the target is untouched.
template <typename Fill>
WriteResult replaceWith(const QString &path, Fill fill)
{
    const QFileInfo target(path);
    const QByteArray folder = QFile::encodeName(target.absolutePath());
    const QByteArray finalName = QFile::encodeName(target.absoluteFilePath());
    QByteArray tempName = finalName + ".XXXXXX";

    const int fd = ::mkstemp(tempName.data());
    if (fd < 0)
        return {false, errnoText(errno)};

    int err = 0;
    bool ok = fill(fd, err);
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

} // namespace

WriteResult replaceFileAtomically(const QString &path, const QByteArray &bytes)
{
    return replaceWith(path, [&bytes](int fd, int &err) {
        return writeAll(fd, bytes.constData(), bytes.size(), err);
    });
}

WriteResult copyFileAtomically(const QString &from, const QString &to)
{
    // The source is opened first, so that a missing one leaves nothing behind.
    const int source = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        return {false, QObject::tr("cannot read %1: %2").arg(from, errnoText(errno))};

    // Streamed in chunks: a template or a long batch's report file need not fit in memory.
    bool readFailed = false;
    WriteResult result = replaceWith(to, [&](int fd, int &err) {
        QByteArray chunk(CopyChunk, Qt::Uninitialized);
        for (;;) {
            const ssize_t n = ::read(source, chunk.data(), static_cast<size_t>(chunk.size()));
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                err = errno;
                readFailed = true;
                return false;
            }
            if (n == 0)
                return true;
            if (!writeAll(fd, chunk.constData(), n, err))
                return false;
        }
    });
    ::close(source);
    if (!result.ok)
        result.error = readFailed ? QObject::tr("cannot read %1: %2").arg(from, result.error)
                                  : QObject::tr("cannot write %1: %2").arg(to, result.error);
    return result;
}

#endif

} // namespace platform
