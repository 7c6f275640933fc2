#include "platform/portholder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

// A COM port opens for one program at a time: refused access is a port in use.
std::optional<QString> otherHolderOf(const QString &)
{
    return QString();
}

#else

namespace {

// The folders where serial programs leave their UUCP-style lock files
// ("LCK..ttyUSB0"), Qt's serial port among them.
const QStringList LockFolders{"/var/lock", "/run/lock", "/var/spool/locks", "/var/spool/uucp", "/etc/locks",
                              "/var/lock/lockdev", "/tmp", "/var/tmp"};

// A lock file names its device without "/dev/", with "_" for each further "/": a
// port opened through a link ("COM3") is locked under the link's path.
QString lockName(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

// The process a lock file names, when it still runs and is not this one. The
// first line holds the number, in text (padded or not).
std::optional<QString> liveHolder(const QString &lockPath)
{
    QFile lock(lockPath);
    if (!lock.open(QIODevice::ReadOnly))
        return std::nullopt;
    bool isNumber = false;
    const qint64 pid = lock.readLine(64).trimmed().toLongLong(&isNumber);
    if (!isNumber || pid <= 0 || pid == ::getpid())
        return std::nullopt;
    if (::kill(pid_t(pid), 0) != 0 && errno != EPERM)
        return std::nullopt;  // a lock its program left behind
    QFile name(QStringLiteral("/proc/%1/comm").arg(pid));
    const QString program = name.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(name.readAll().trimmed()) : QString();
    return program.isEmpty() ? QStringLiteral("process %1").arg(pid) : QStringLiteral("%1, process %2").arg(program).arg(pid);
}

} // namespace

std::optional<QString> otherHolderOf(const QString &device)
{
    QStringList names{lockName(device)};
    const QString target = QFileInfo(device).canonicalFilePath();
    if (!target.isEmpty() && target != device)
        names << lockName(target);
    for (const QString &folder : LockFolders) {
        for (const QString &name : names) {
            if (const std::optional<QString> holder = liveHolder(folder + QLatin1Char('/') + name))
                return holder;
        }
    }
    // A device opened for exclusive use (TIOCEXCL) refuses everyone else but root.
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);  // not the last close while another holds it, so no hang-up
        return std::nullopt;
    }
    return errno == EBUSY ? std::optional<QString>(QString()) : std::nullopt;
}

#endif

} // namespace platform
