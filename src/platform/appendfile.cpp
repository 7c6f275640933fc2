#include "platform/appendfile.h"

#include <QFile>
#include <QFileInfo>
#include <QObject>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include "platform/posixwrite.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

WriteResult appendWhole(const QString &path, const QByteArray &bytes)
{
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return {false, file.errorString()};
    const qint64 before = file.size();

    const qint64 written = file.write(bytes);
    bool ok = written == bytes.size() && file.error() == QFileDevice::NoError;
    // QFile has no sync of its own; _commit puts the written data on disk.
    ok = ok && ::_commit(file.handle()) == 0;
    if (ok)
        return {true, {}};

    QString why = file.errorString();
    if (why.isEmpty() || file.error() == QFileDevice::NoError)
        why = QObject::tr("the disk did not take all the data");
    if (existed) {
        file.resize(before);
        file.close();
    } else {
        file.close();
        QFile::remove(path);
    }
    return {false, why};
}

WriteResult finishCutOffAppend(const QString &)
{
    return {true, {}};
}

#else

namespace {

using posix::errnoText;
using posix::writeAll;

// Makes a newly created file's name stick. Best effort: some file systems cannot
// sync folders, and the data itself is already on disk.
void syncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0)
        return;
    ::fsync(dirFd);
    ::close(dirFd);
}

// Cuts the file back to length and syncs the cut. Nothing more can be done when
// this fails too; the caller reports the original failure either way.
bool cutBack(int fd, off_t length)
{
    int rc = 0;
    do {
        rc = ::ftruncate(fd, length);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 && ::fsync(fd) == 0;
}

// The note of an append in progress: the file's length before it, a line end, and
// the bytes being appended. It is written in one step, so it is there whole or not
// at all, and it is on disk before the first of the bytes is.
QString notePath(const QString &path)
{
    return path + QStringLiteral(".appending");
}

// Whether the length bytes at offset of the open file are exactly expected.
bool holdsAt(int fd, off_t offset, const QByteArray &expected)
{
    QByteArray found(expected.size(), Qt::Uninitialized);
    qsizetype done = 0;
    while (done < found.size()) {
        const ssize_t n = ::pread(fd, found.data() + done, size_t(found.size() - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return found == expected;
}

void removeNote(const QString &path)
{
    ::unlink(QFile::encodeName(notePath(path)).constData());
}

} // namespace

WriteResult finishCutOffAppend(const QString &path)
{
    const QString note = notePath(path);
    QFile noteFile(note);
    if (!noteFile.exists())
        return {true, {}};
    if (!noteFile.open(QIODevice::ReadOnly))
        return {false, QObject::tr("cannot read %1: %2").arg(note, noteFile.errorString())};
    const QByteArray text = noteFile.readAll();
    noteFile.close();
    const qsizetype lineEnd = text.indexOf('\n');
    bool isNumber = false;
    const qint64 before = lineEnd > 0 ? text.left(lineEnd).toLongLong(&isNumber) : -1;
    if (!isNumber || before < 0)
        return {false, QObject::tr("%1 is not the note of an append; remove it if it is no longer needed").arg(note)};
    const QByteArray bytes = text.mid(lineEnd + 1);

    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT)
        return {false, errnoText(errno)};
    if (fd >= 0) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const int err = errno;
            ::close(fd);
            return {false, errnoText(err)};
        }
        // Bytes past the old end that are not the whole of the noted ones are what
        // is left of the cut-off append.
        if (st.st_size > before && !holdsAt(fd, off_t(before), bytes) && !cutBack(fd, off_t(before))) {
            const int err = errno;
            ::close(fd);
            return {false, errnoText(err)};
        }
        ::close(fd);
    }
    removeNote(path);
    syncFolderOf(path);
    return {true, {}};
}

WriteResult appendWhole(const QString &path, const QByteArray &bytes)
{
    const WriteResult finished = finishCutOffAppend(path);
    if (!finished.ok)
        return finished;
    const QByteArray name = QFile::encodeName(path);

    // Knowing whether this call created the file decides what "as before" means
    // when the bytes do not fit: no file at all rather than an empty one.
    bool created = true;
    int fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EEXIST) {
        created = false;
        fd = ::open(name.constData(), O_WRONLY | O_APPEND | O_CLOEXEC);
    }
    if (fd < 0)
        return {false, errnoText(errno)};

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return {false, errnoText(err)};
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return {false, QObject::tr("not an ordinary file")};
    }
    const off_t before = st.st_size;

    // Without the note on disk first, a crash between here and the end would leave
    // part of the bytes in the file for good.
    const WriteResult noted = replaceFileAtomically(notePath(path), QByteArray::number(qint64(before)) + '\n' + bytes);
    if (!noted.ok) {
        ::close(fd);
        if (created)
            ::unlink(name.constData());
        return noted;
    }

    int err = 0;
    bool ok = writeAll(fd, bytes.constData(), bytes.size(), err);
    if (ok && ::fsync(fd) != 0) {
        err = errno;
        ok = false;
    }
    if (!ok) {
        // Cut back what did get written, and make the cut itself stick.
        if (created) {
            ::close(fd);
            ::unlink(name.constData());
        } else {
            cutBack(fd, before);
            ::close(fd);
        }
        removeNote(path);
        return {false, errnoText(err)};
    }
    if (::close(fd) != 0) {
        // The data was synced already; a failing close is still reported, and the
        // bytes taken out again so that the operator can simply try once more.
        err = errno;
        if (created) {
            ::unlink(name.constData());
        } else {
            const int again = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
            if (again >= 0) {
                cutBack(again, before);
                ::close(again);
            }
        }
        removeNote(path);
        return {false, errnoText(err)};
    }
    // A note that outlives this (the power fails before its removal is on disk)
    // does no harm: it matches the bytes in the file, which are then kept.
    removeNote(path);
    syncFolderOf(path);
    return {true, {}};
}

#endif

} // namespace platform
