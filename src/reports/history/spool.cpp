#include "reports/history/spool.h"

#include "platform/appendfile.h"
#include "platform/atomicfile.h"
#include "reports/history/recorditems.h"

#include <QFile>
#include <QJsonDocument>

namespace history {

namespace {

QByteArray lineOf(const RelayEntry &entry)
{
    return QJsonDocument(toJson(entry)).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace

Spool::Spool(const QString &path)
    : m_path(path)
{
    // A line that a crash cut off is taken out first; what cannot be read is skipped.
    (void)platform::finishCutOffAppend(m_path);
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    while (!file.atEnd()) {
        const QJsonDocument line = QJsonDocument::fromJson(file.readLine());
        if (line.isObject())
            m_entries.append(withCurrentItems(fromJson(line.object())));
    }
}

bool Spool::append(const RelayEntry &entry)
{
    QMutexLocker lock(&m_mutex);
    m_entries.append(entry);
    const platform::AppendWriteResult written = platform::appendWhole(m_path, lineOf(entry));
    m_error = written.ok ? QString() : written.error;
    return written.ok;
}

QList<RelayEntry> Spool::entries() const
{
    QMutexLocker lock(&m_mutex);
    return m_entries;
}

bool Spool::removeFirst(int count)
{
    QMutexLocker lock(&m_mutex);
    m_entries.remove(0, std::min(count, int(m_entries.size())));
    return rewrite();
}

int Spool::size() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_entries.size());
}

QString Spool::error() const
{
    QMutexLocker lock(&m_mutex);
    return m_error;
}

bool Spool::rewrite()
{
    if (m_entries.isEmpty()) {
        const bool gone = !QFile::exists(m_path) || QFile::remove(m_path);
        m_error = gone ? QString() : QStringLiteral("%1 cannot be removed").arg(m_path);
        return gone;
    }
    QByteArray bytes;
    for (const RelayEntry &entry : std::as_const(m_entries))
        bytes += lineOf(entry);
    const platform::WriteResult written = platform::replaceFileAtomically(m_path, bytes);
    m_error = written.error;
    return written.ok;
}

} // namespace history
