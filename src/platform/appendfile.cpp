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

namespace {

AppendWriteResult succeeded(const QString &notice = {})
{
    return {{true, {}}, notice};
}

// notice: what an earlier step of the same call found, which the operator must
// still be told.
AppendWriteResult failed(const QString &why, const QString &notice = {})
{
    return {{false, why}, notice};
}

} // namespace

#ifdef Q_OS_WIN

AppendWriteResult appendWhole(const QString &path, const QByteArray &bytes)
{
    const bool existed = QFileInfo::exists(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return failed(file.errorString());
    const qint64 before = file.size();

    const qint64 written = file.write(bytes);
    bool ok = written == bytes.size() && file.error() == QFileDevice::NoError;
    // QFile has no sync of its own; _commit puts the written data on disk.
    ok = ok && ::_commit(file.handle()) == 0;
    if (ok)
        return succeeded();

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
    return failed(why);
}

AppendWriteResult finishCutOffAppend(const QString &)
{
    return succeeded();
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

// Up to length bytes of the open file from offset; fewer when the file ends first.
// False with err set when the file cannot be read.
bool readAt(int fd, off_t offset, qsizetype length, QByteArray &found, int &err)
{
    found.resize(length);
    qsizetype done = 0;
    while (done < length) {
        const ssize_t n = ::pread(fd, found.data() + done, size_t(length - done), offset + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            err = errno;
            return false;
        }
        if (n == 0)
            break;
        done += n;
    }
    found.truncate(done);
    return true;
}

void removeNote(const QString &path)
{
    ::unlink(QFile::encodeName(notePath(path)).constData());
}

} // namespace

AppendWriteResult finishCutOffAppend(const QString &path)
{
    const QString note = notePath(path);
    QFile noteFile(note);
    if (!noteFile.exists())
        return succeeded();
    if (!noteFile.open(QIODevice::ReadOnly))
        return failed(QObject::tr("cannot read %1: %2").arg(note, noteFile.errorString()));
    const QByteArray text = noteFile.readAll();
    noteFile.close();
    const qsizetype lineEnd = text.indexOf('\n');
    bool isNumber = false;
    const qint64 before = lineEnd > 0 ? text.left(lineEnd).toLongLong(&isNumber) : -1;
    if (!isNumber || before < 0)
        return failed(QObject::tr("%1 is not the note of an append; remove it if it is no longer needed").arg(note));
    const QByteArray bytes = text.mid(lineEnd + 1);

    // A crash leaves the old bytes and after them the start of the noted ones, or
    // all of them. Anything else was not left by the append the note is about, and
    // cutting it off could take away records that are there for good.
    QString notice;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno != ENOENT)
        return failed(errnoText(errno));
    if (fd < 0) {
        // A file that the append was to create may not have been made yet.
        if (before > 0)
            notice = QObject::tr("the file is no longer there");
    } else {
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            const int err = errno;
            ::close(fd);
            return failed(errnoText(err));
        }
        // How far the file reaches past the length it had before the noted append.
        const qint64 after = qint64(st.st_size) - before;
        if (after < 0) {
            notice = QObject::tr("the file is shorter than it was before that save");
        } else if (after > bytes.size()) {
            notice = QObject::tr("the file has grown by more than that save was adding");
        } else if (after > 0) {
            QByteArray found;
            int err = 0;
            if (!readAt(fd, off_t(before), qsizetype(after), found, err)) {
                ::close(fd);
                return failed(errnoText(err));
            }
            if (found.size() != after || found != bytes.left(after)) {
                notice = QObject::tr("the file holds other data where that save was adding");
            } else if (after < bytes.size() && !cutBack(fd, off_t(before))) {
                err = errno;
                ::close(fd);
                return failed(errnoText(err));
            }
        }
        ::close(fd);
    }
    removeNote(path);
    syncFolderOf(path);
    return succeeded(notice);
}

AppendWriteResult appendWhole(const QString &path, const QByteArray &bytes)
{
    const AppendWriteResult finished = finishCutOffAppend(path);
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
        return failed(errnoText(errno), finished.notice);

    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        return failed(errnoText(err), finished.notice);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(QObject::tr("not an ordinary file"), finished.notice);
    }
    const off_t before = st.st_size;

    // Without the note on disk first, a crash between here and the end would leave
    // part of the bytes in the file for good.
    const WriteResult noted = replaceFileAtomically(notePath(path), QByteArray::number(qint64(before)) + '\n' + bytes);
    if (!noted.ok) {
        ::close(fd);
        if (created)
            ::unlink(name.constData());
        return failed(noted.error, finished.notice);
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
        return failed(errnoText(err), finished.notice);
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
        return failed(errnoText(err), finished.notice);
    }
    // A note that outlives this (the power fails before its removal is on disk)
    // does no harm: it matches the bytes in the file, which are then kept.
    removeNote(path);
    syncFolderOf(path);
    return succeeded(finished.notice);
}

#endif

} // namespace platform
