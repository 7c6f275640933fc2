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

QString problemWith(const RelayEntry &entry)
{
    if (entry.recordSha1.isEmpty())
        return QStringLiteral("it has no record hash");
    if (entry.reportFile.isEmpty())
        return QStringLiteral("it names no report file");
    if (entry.styleCode < 1 || entry.styleCode > 7)
        return QStringLiteral("it has no relay style");
    if (!entry.recordedAt.isValid())
        return QStringLiteral("it has no time");
    return {};
}

Spool::Spool(const QString &path)
    : m_path(path)
{
}

Spool::Loaded Spool::load()
{
    Loaded loaded;
    m_entries.clear();
    m_unread.clear();
    // A line that a crash cut off is taken out first.
    (void)platform::finishCutOffAppend(m_path);
    QFile file(m_path);
    if (!file.exists())
        return loaded;
    if (!file.open(QIODevice::ReadOnly)) {
        loaded.error = file.errorString();
        return loaded;
    }
    QByteArray rejected;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            line += '\n';
        if (line.trimmed().isEmpty())
            continue;
        const QJsonDocument json = QJsonDocument::fromJson(line);
        const RelayEntry entry = json.isObject() ? fromJson(json.object()) : RelayEntry();
        const QString why = json.isObject() ? problemWith(entry) : QStringLiteral("it is not a relay");
        if (why.isEmpty()) {
            m_entries.append(withCurrentItems(entry));
            continue;
        }
        if (loaded.rejected++ == 0)
            loaded.why = why;
        rejected += line;
    }
    file.close();
    if (rejected.isEmpty())
        return loaded;
    const platform::AppendWriteResult aside = platform::appendWhole(rejectedPath(), rejected);
    if (!aside.ok) {
        // They stay where they were rather than go nowhere.
        m_unread = rejected.split('\n');
        m_unread.removeLast();
        loaded.error = aside.error;
        return loaded;
    }
    if (!rewrite())
        loaded.error = m_error;
    return loaded;
}

bool Spool::append(const RelayEntry &entry)
{
    m_entries.append(entry);
    const platform::AppendWriteResult written = platform::appendWhole(m_path, lineOf(entry));
    m_error = written.ok ? QString() : written.error;
    return written.ok;
}

bool Spool::setAside(const RelayEntry &entry)
{
    const platform::AppendWriteResult written = platform::appendWhole(rejectedPath(), lineOf(entry));
    if (!written.ok)
        m_error = written.error;
    return written.ok;
}

bool Spool::removeFirst(int count)
{
    if (count <= 0)
        return true;
    m_entries.remove(0, std::min(count, int(m_entries.size())));
    return rewrite();
}

bool Spool::rewrite()
{
    if (m_entries.isEmpty() && m_unread.isEmpty()) {
        const bool gone = !QFile::exists(m_path) || QFile::remove(m_path);
        m_error = gone ? QString() : QStringLiteral("%1 cannot be removed").arg(m_path);
        return gone;
    }
    QByteArray bytes;
    for (const QByteArray &line : std::as_const(m_unread))
        bytes += line + '\n';
    for (const RelayEntry &entry : std::as_const(m_entries))
        bytes += lineOf(entry);
    const platform::WriteResult written = platform::replaceFileAtomically(m_path, bytes);
    m_error = written.error;
    return written.ok;
}

} // namespace history
