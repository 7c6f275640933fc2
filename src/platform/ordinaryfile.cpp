#include "platform/ordinaryfile.h"

#include <QFileInfo>
#include <QObject>

#ifndef Q_OS_WIN
#include "platform/posixwrite.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

namespace {

OrdinaryFile refused(const QString &why, bool missing = false)
{
    OrdinaryFile out;
    out.missing = missing;
    out.error = why;
    return out;
}

QString folderText()
{
    return QObject::tr("it is a folder, not a file");
}

} // namespace

#ifdef Q_OS_WIN

OrdinaryFile openOrdinaryFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refused(QObject::tr("there is no such file"), true);
    if (info.isDir())
        return refused(folderText());
    if (!info.isFile())
        return refused(QObject::tr("it is not an ordinary file"));
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly))
        return refused(file->errorString());
    OrdinaryFile out;
    out.file = std::move(file);
    return out;
}

#else

namespace {

// What a name that is not an ordinary file stands for, in the operator's words.
QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return folderText();
    if (S_ISFIFO(mode))
        return QObject::tr("it is a named pipe (FIFO), not a file");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QObject::tr("it is a device, not a file");
    if (S_ISSOCK(mode))
        return QObject::tr("it is a socket, not a file");
    return QObject::tr("it is not an ordinary file");
}

} // namespace

OrdinaryFile openOrdinaryFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    // Looked at first: opening a device can do something (a serial adapter raises
    // its lines), and a pipe opened for reading is not to be waited on.
    struct stat named {};
    if (::stat(name.constData(), &named) != 0)
        return refused(posix::errnoText(errno), errno == ENOENT);
    if (!S_ISREG(named.st_mode))
        return refused(kindOf(named.st_mode));

    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return refused(posix::errnoText(errno), errno == ENOENT);
    struct stat opened {};
    const bool looked = ::fstat(fd, &opened) == 0;
    if (!looked || !S_ISREG(opened.st_mode)) {
        const QString why = looked ? kindOf(opened.st_mode) : posix::errnoText(errno);
        ::close(fd);
        return refused(why);
    }
    // Reads of an ordinary file then go as they always do.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        (void)::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);

    auto file = std::make_unique<QFile>();
    if (!file->open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return refused(file->errorString());
    }
    OrdinaryFile out;
    out.file = std::move(file);
    return out;
}

#endif

} // namespace platform
