#include "platform/folderlock.h"

#include <QDir>
#include <QSysInfo>

#include <cstdio>

namespace platform {

FolderLock::FolderLock(const StartupFolder &folder)
    : m_folder(folder.path())
    , m_path(folder.file(QStringLiteral("quillmark.lock")))
    , m_lock(m_path)
{
    // A bench runs for a whole shift: only a holder that is gone makes the file stale,
    // never its age.
    m_lock.setStaleLockTime(0);
}

QString FolderLock::take()
{
    if (m_lock.tryLock(0))
        return {};
    if (m_lock.error() == QLockFile::LockFailedError)
        return heldBy();
    std::fprintf(stderr,
                 "quillmark: the start-up folder %s cannot hold the lock file quillmark.lock; a second Quillmark "
                 "started there will not be stopped\n",
                 qPrintable(QDir::toNativeSeparators(m_folder)));
    return {};
}

QString FolderLock::heldBy() const
{
    qint64 pid = 0;
    QString host;
    QString program;
    const QString folder = QDir::toNativeSeparators(m_folder);
    if (!m_lock.getLockInfo(&pid, &host, &program))
        return QStringLiteral("%1 is in use by another Quillmark: close it first, or start this one in another folder")
            .arg(folder);
    if (host.isEmpty() || host == QSysInfo::machineHostName())
        return QStringLiteral("%1 is in use by another Quillmark (%2, process %3): close it first, or start this one "
                              "in another folder")
            .arg(folder, program)
            .arg(pid);
    return QStringLiteral("%1 is in use by another Quillmark (%2, process %3 on %4): close it first, or start this "
                          "one in another folder; if it no longer runs there, delete %5")
        .arg(folder, program)
        .arg(pid)
        .arg(host, QDir::toNativeSeparators(m_path));
}

} // namespace platform
