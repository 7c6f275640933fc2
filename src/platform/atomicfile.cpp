#include "platform/atomicfile.h"

#include "platform/ordinaryfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#ifdef Q_OS_WIN
#include <QSaveFile>
#else
#include "platform/posixwrite.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
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

namespace {

class SaveFileStream final : public SaveStream
{
public:
    explicit SaveFileStream(QSaveFile &file)
        : m_file(file)
    {
    }

    bool write(const QByteArray &bytes) override
    {
        if (m_why.isEmpty() && !writeChecked(m_file, bytes.constData(), bytes.size()))
            m_why = whyNot(m_file);
        return m_why.isEmpty();
    }

    QString why() const { return m_why; }

private:
    QSaveFile &m_file;
    QString m_why;
};

} // namespace

WriteResult replaceFileStreamed(const QString &path, const std::function<bool(SaveStream &out)> &content)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    SaveFileStream out(file);
    const bool goOn = content(out);
    if (out.why().isEmpty() && goOn && !file.flush())
        out.write({});  // takes the flush's reason
    if (!out.why().isEmpty() || !goOn) {
        file.cancelWriting();
        return {false, out.why()};
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

    const OrdinaryFile opened = openOrdinaryFile(from);
    if (!opened)
        return cannotRead(opened.error);
    QFile &source = *opened.file;
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

using posix::errnoText;
using posix::writeAll;

// Puts the rename itself on disk. Best effort: some file systems cannot sync folders.
void syncFolder(const QByteArray &folder)
{
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    ::fsync(dirFd);
    ::close(dirFd);
}

// A save's temporary file is "<file>.XXXXXX.saving", the X's made unique by
// mkstemps: a name no one would give a file of their own, which matters because
// the clean-up below deletes what matches it.
const QByteArray TemporarySuffix = ".saving";
constexpr int UniquePartLength = 6;

bool isTemporaryOf(const char *name, const QByteArray &fileName)
{
    const qsizetype length = qsizetype(std::strlen(name));
    if (length != fileName.size() + 1 + UniquePartLength + TemporarySuffix.size()
        || std::strncmp(name, fileName.constData(), size_t(fileName.size())) != 0 || name[fileName.size()] != '.'
        || std::strcmp(name + length - TemporarySuffix.size(), TemporarySuffix.constData()) != 0)
        return false;
    for (int i = 1; i <= UniquePartLength; ++i) {
        const char c = name[fileName.size() + i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

// A save that is cut off (the program killed, the power gone) leaves its temporary
// file behind, and nothing else would ever remove it: a bench switched off in the
// middle of saves now and then would collect them, each as large as its file, until
// the disk is full. So every save first removes what earlier saves of the same file
// left. A save in progress holds an exclusive lock on its temporary file, and the
// system drops that lock when the process ends however it ends, so only the files
// of saves that are no longer running can be locked here, and only they go. Best
// effort: what cannot be removed now is tried again at the next save.
void removeLeftTemporaries(const QByteArray &folder, const QByteArray &fileName)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        if (!isTemporaryOf(entry->d_name, fileName))
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat held {};
        struct stat named {};
        // Locked by nobody, and still the file of that name (not one a new save has
        // just made under the same name): the save that wrote it is gone.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &held) == 0 && S_ISREG(held.st_mode)
            && ::fstatat(dirFd, entry->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == held.st_dev
            && named.st_ino == held.st_ino)
            ::unlinkat(dirFd, entry->d_name, 0);
        ::close(fd);
    }
    ::closedir(dir);
}

// Makes this save's temporary file and locks it, so that no other save's clean-up
// takes it for a left one. Another clean-up can still lock and remove it between
// the two steps; then the file is made again. On a file system without locks the
// file stays unlocked, and the clean-up, unable to lock anything there either,
// removes nothing. -1 with errno set when no file can be made.
int createLockedTemporary(const QByteArray &finalName, QByteArray &tempName)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        tempName = finalName + '.' + QByteArray(UniquePartLength, 'X') + TemporarySuffix;
        const int fd = ::mkstemps(tempName.data(), int(TemporarySuffix.size()));
        if (fd < 0)
            return -1;
        const int locked = ::flock(fd, LOCK_EX | LOCK_NB);
        if (locked != 0 && errno != EWOULDBLOCK)
            return fd;
        struct stat st {};
        if (locked == 0 && ::fstat(fd, &st) == 0 && st.st_nlink > 0)
            return fd;
        ::close(fd);
    }
    errno = EBUSY;
    return -1;
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

    removeLeftTemporaries(folder, QFile::encodeName(target.fileName()));
    QByteArray tempName;
    const int fd = createLockedTemporary(finalName, tempName);
    if (fd < 0)
        return {false, errnoText(errno)};

    int err = 0;
    bool ok = fill(fd, err);
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    // mkstemps makes the file private; give it the mode a plain new file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    if (ok && ::fchmod(fd, 0666 & ~mask) != 0) {
        err = errno;
        ok = false;
    }
    // Renamed while still open, so the lock keeps other saves' clean-up away from
    // the file until it has its final name.
    if (ok && ::rename(tempName.constData(), finalName.constData()) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(tempName.constData());
        ::close(fd);
        // No reason of the system's: the content called the save off.
        return {false, err != 0 ? errnoText(err) : QString()};
    }
    // The data was synced before the rename, so closing can tell nothing more about it.
    ::close(fd);
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

namespace {

// Writes a block at a time, each through writeAll: a write the disk takes only in
// part is continued, and the reason of the one that then fails is kept. QSaveFile
// would report that as "Unknown error".
class FileStream final : public SaveStream
{
public:
    explicit FileStream(int fd)
        : m_fd(fd)
    {
    }

    bool write(const QByteArray &bytes) override
    {
        if (m_err != 0)
            return false;
        m_block += bytes;
        return m_block.size() < BlockSize || flush();
    }

    bool flush()
    {
        if (m_err == 0 && !m_block.isEmpty())
            (void)writeAll(m_fd, m_block.constData(), m_block.size(), m_err);
        m_block.clear();
        return m_err == 0;
    }

    int err() const { return m_err; }

private:
    static constexpr qsizetype BlockSize = 256 * 1024;

    const int m_fd;
    QByteArray m_block;
    int m_err = 0;
};

} // namespace

WriteResult replaceFileStreamed(const QString &path, const std::function<bool(SaveStream &out)> &content)
{
    return replaceWith(path, [&content](int fd, int &err) {
        FileStream out(fd);
        const bool goOn = content(out);
        const bool written = out.flush();
        err = out.err();
        return goOn && written;
    });
}

WriteResult copyFileAtomically(const QString &from, const QString &to)
{
    // The source is opened first, so that a missing one leaves nothing behind, and
    // only when it is an ordinary file: a template named by a pipe would hold the
    // copy for good.
    const OrdinaryFile opened = openOrdinaryFile(from);
    if (!opened)
        return {false, QObject::tr("cannot read %1: %2").arg(from, opened.error)};
    const int source = opened.file->handle();

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
    if (!result.ok)
        result.error = readFailed ? QObject::tr("cannot read %1: %2").arg(from, result.error)
                                  : QObject::tr("cannot write %1: %2").arg(to, result.error);
    return result;
}

#endif

} // namespace platform
