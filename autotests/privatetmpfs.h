#pragma once

// A small disk of its own that a test may fill up: a tmpfs of the given size in a
// private mount namespace, held there by a child process for as long as this
// object lives.
// The test and the programs it starts reach it through that process's root, so no
// mount is ever seen, or left behind, outside the test. Linux only.

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>

#include <sys/statvfs.h>

class PrivateTmpfs
{
public:
    explicit PrivateTmpfs(int kib)
    {
        const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
        if (unshare.isEmpty() || !m_mountPoint.isValid()) {
            m_why = QStringLiteral("unshare is not installed");
            return;
        }
        m_holder.start(unshare, {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                                 QStringLiteral("sh"), QStringLiteral("-c"),
                                 QStringLiteral("mount -t tmpfs -o size=%1k none \"$1\" && echo mounted && exec cat")
                                     .arg(kib),
                                 QStringLiteral("sh"), m_mountPoint.path()});
        QByteArray said;
        while (!said.contains("mounted\n") && m_holder.waitForReadyRead(10000))
            said += m_holder.readAllStandardOutput();
        const QString path = QStringLiteral("/proc/%1/root%2").arg(m_holder.processId()).arg(m_mountPoint.path());
        // Never fill a real disk: the folder must be the tiny tmpfs.
        struct statvfs fs {};
        if (said.contains("mounted\n") && ::statvfs(QFile::encodeName(path).constData(), &fs) == 0
            && qint64(fs.f_blocks) * qint64(fs.f_frsize) == qint64(kib) * 1024)
            m_path = path;
        else
            m_why = QStringLiteral("cannot mount a private tmpfs: ")
                    + QString::fromLocal8Bit(m_holder.readAllStandardError());
    }

    ~PrivateTmpfs()
    {
        m_holder.closeWriteChannel();
        m_holder.waitForFinished();
    }

    // The tmpfs; empty when it could not be made, and why() tells why.
    QString path() const { return m_path; }
    // The command line that starts a program inside the tmpfs's own namespace, where
    // it lies at inside(): for a program that follows path() back out (SQLite
    // resolves the link in it).
    QStringList enter() const
    {
        return {QStringLiteral("nsenter"), QStringLiteral("--target"), QString::number(m_holder.processId()),
                QStringLiteral("--user"), QStringLiteral("--mount"), QStringLiteral("--preserve-credentials"),
                QStringLiteral("--")};
    }
    QString inside() const { return m_mountPoint.path(); }
    QString why() const { return m_why; }

private:
    QTemporaryDir m_mountPoint;
    QProcess m_holder;
    QString m_path;
    QString m_why;
};

// The disk folder lies on filled up, then roomBytes freed again: a file "filler"
// there takes the rest, until it is removed.
inline bool fillLeaving(const QString &folder, qint64 roomBytes)
{
    QFile filler(folder + QStringLiteral("/filler"));
    const QByteArray page(4096, 'x');
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    while (filler.write(page) == page.size()) {
    }
    return filler.resize(std::max<qint64>(0, filler.size() - roomBytes));
}
