#pragma once

// A throw-away PostgreSQL server of Debian's postgresql package: a cluster made by
// initdb in a temporary folder, listening only on a Unix socket in that folder, and
// stopped and removed at the end. initdb refuses to run as root, so under root (as
// in CI) the server runs as the postgres user (or nobody) through runuser.

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

class PgServer
{
public:
    ~PgServer() { stop(); }

    // Empty when running, else why not.
    QString start()
    {
        if (m_bin.isEmpty()) {
            QStringList found = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
            std::sort(found.begin(), found.end(), [](const QString &a, const QString &b) { return a.toInt() > b.toInt(); });
            if (found.isEmpty())
                return QStringLiteral("no PostgreSQL server: install the Debian package postgresql "
                                      "(tools/bench-setup test does)");
            m_bin = QStringLiteral("/usr/lib/postgresql/%1/bin/").arg(found.first());
            if (!m_dir.isValid())
                return QStringLiteral("no temporary folder");
            if (::geteuid() == 0) {
                const passwd *user = ::getpwnam("postgres");
                if (!user)
                    user = ::getpwnam("nobody");
                m_runAs = QString::fromLocal8Bit(user->pw_name);
                if (::chown(QFile::encodeName(m_dir.path()).constData(), user->pw_uid, user->pw_gid) != 0)
                    return QStringLiteral("cannot hand the folder to %1").arg(m_runAs);
            }
            const QString made = run(QStringLiteral("initdb"), {QStringLiteral("-D"), data(), QStringLiteral("-U"),
                                                                 QStringLiteral("bench"), QStringLiteral("--auth=trust"),
                                                                 QStringLiteral("-E"), QStringLiteral("UTF8"),
                                                                 QStringLiteral("--no-sync")});
            if (!made.isEmpty())
                return made;
        }
        return run(QStringLiteral("pg_ctl"),
                   {QStringLiteral("-D"), data(), QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")),
                    QStringLiteral("-o"), QStringLiteral("-k %1 -c listen_addresses='' -F").arg(m_dir.path()),
                    QStringLiteral("-w"), QStringLiteral("start")});
    }

    QString stop()
    {
        if (m_bin.isEmpty() || !QFile::exists(m_dir.filePath(QStringLiteral("data/postmaster.pid"))))
            return {};
        return run(QStringLiteral("pg_ctl"), {QStringLiteral("-D"), data(), QStringLiteral("-m"), QStringLiteral("fast"),
                                              QStringLiteral("-w"), QStringLiteral("stop")});
    }

    // The server and every process of it stopped (SIGSTOP) or let go on (SIGCONT):
    // a server that hangs with its connections open, as a frozen host does.
    QString pause() { return signalAll(SIGSTOP); }
    QString resume() { return signalAll(SIGCONT); }

    // A fresh database; its history address.
    QString newDatabase()
    {
        const QString name = QStringLiteral("h%1").arg(++m_databases);
        if (const QString why = execute(QStringLiteral("postgres"), QStringLiteral("CREATE DATABASE ") + name); !why.isEmpty())
            qWarning() << "CREATE DATABASE" << name << why;
        return QStringLiteral("postgresql://bench@%1/%2").arg(QString::fromUtf8(QUrl::toPercentEncoding(m_dir.path())), name);
    }

    // SQL run in database as the user bench; empty when it ran, else why not.
    QString execute(const QString &database, const QString &sql)
    {
        QString why;
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("pg-admin"));
            db.setHostName(m_dir.path());
            db.setUserName(QStringLiteral("bench"));
            db.setDatabaseName(database);
            QSqlQuery query(db);
            if (!db.open() || !query.exec(sql))
                why = db.lastError().text() + query.lastError().text();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("pg-admin"));
        return why;
    }

private:
    QString data() const { return m_dir.filePath(QStringLiteral("data")); }

    QString signalAll(int signal)
    {
        QFile pidFile(m_dir.filePath(QStringLiteral("data/postmaster.pid")));
        if (!pidFile.open(QIODevice::ReadOnly))
            return QStringLiteral("the server is not running");
        const QByteArray postmaster = pidFile.readLine().trimmed();
        QList<pid_t> pids{pid_t(postmaster.toInt())};
        for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
            QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
            if (entry.toInt() > 0 && stat.open(QIODevice::ReadOnly)) {
                const QByteArray line = stat.readAll();
                if (line.mid(line.lastIndexOf(')') + 2).split(' ').value(1) == postmaster)
                    pids << pid_t(entry.toInt());
            }
        }
        for (const pid_t pid : pids) {
            // A server process that ended since it was listed needs no signal.
            if (::kill(pid, signal) != 0 && errno != ESRCH)
                return QStringLiteral("cannot signal %1").arg(pid);
        }
        return {};
    }

    QString run(const QString &tool, const QStringList &arguments)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (m_runAs.isEmpty())
            process.start(m_bin + tool, arguments);
        else
            process.start(QStringLiteral("runuser"), QStringList{QStringLiteral("-u"), m_runAs, QStringLiteral("--"), m_bin + tool} + arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
            return tool + QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll());
        return {};
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_runAs;
    int m_databases = 0;
};
