#include "platform/deviceaccess.h"

#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

#ifdef Q_OS_WIN

std::optional<QString> accessAdvice(const QString &)
{
    return std::nullopt;
}

#else

std::optional<QString> accessAdvice(const QString &device)
{
    const QByteArray path = QFile::encodeName(device);
    // As this process is, not as whoever started it.
    if (::faccessat(AT_FDCWD, path.constData(), R_OK | W_OK, AT_EACCESS) == 0 || errno != EACCES)
        return std::nullopt;
    struct stat node {};
    if (::stat(path.constData(), &node) != 0 || (node.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return std::nullopt;
    const group *owners = ::getgrgid(node.st_gid);
    if (!owners || node.st_gid == 0)
        return std::nullopt;  // "adduser $USER root" is no advice to give
    const passwd *user = ::getpwuid(::geteuid());
    const QString group = QString::fromLocal8Bit(owners->gr_name);
    const QString real = QFileInfo(device).canonicalFilePath();
    return QStringLiteral("Permission denied: %1 belongs to the group %2, and this login of the user %3 is "
                          "not in it. Let the user in once with\n"
                          "    sudo adduser $USER %2\n"
                          "then log out and log in again (a login keeps the groups it started with).")
        .arg(real.isEmpty() ? device : real, group,
             user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::geteuid()));
}

#endif

} // namespace platform
