#include "reports/history/journal.h"

#include "console/record/benchrecord.h"
#include "reports/history/historystore.h"
#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QSysInfo>

namespace history {

namespace {

constexpr int Batch = 500;

// The number of the record just added: the file's lines over the record length.
int lastRecordIndex(const QString &path, int recordLines)
{
    QFile file(path);
    if (recordLines <= 0 || !file.open(QIODevice::ReadOnly))
        return 0;
    qint64 lines = 0;
    QByteArray chunk(64 * 1024, Qt::Uninitialized);
    for (qint64 n; (n = file.read(chunk.data(), chunk.size())) > 0;)
        lines += QByteArrayView(chunk.constData(), n).count('\n');
    return int(std::max<qint64>(0, lines / recordLines - 1));
}

} // namespace

// Lives on the journal's thread and owns the history's connection there, opened
// for each try and closed after it, so a server that went away and came back, or
// a history file that was moved, is found as it is now.
class Writer : public QObject
{
    Q_OBJECT
public:
    Writer(const Location &location, Spool &spool)
        : m_location(location)
        , m_spool(spool)
    {
    }

    void flush()
    {
        QList<RelayEntry> waiting = m_spool.entries();
        if (waiting.isEmpty()) {
            emit attempted(true, m_spool.error(), 0);
            return;
        }
        Store store(m_location, QStringLiteral("quillmark-history-writer-%1").arg(quintptr(this), 0, 16));
        if (!store.open()) {
            emit attempted(false, store.error(), int(waiting.size()));
            return;
        }
        while (!waiting.isEmpty()) {
            const QList<RelayEntry> batch = waiting.first(std::min<qsizetype>(Batch, waiting.size()));
            if (!store.add(batch)) {
                emit attempted(false, store.error(), m_spool.size());
                return;
            }
            m_spool.removeFirst(int(batch.size()));
            waiting.remove(0, batch.size());
        }
        emit attempted(true, m_spool.error(), m_spool.size());
    }

signals:
    void attempted(bool ok, const QString &why, int pending);

private:
    const Location m_location;
    Spool &m_spool;
};

Journal::Journal(const Location &location, const QString &spoolPath, QObject *parent)
    : QObject(parent)
    , m_location(location)
    , m_spool(spoolPath)
    , m_writer(new Writer(location, m_spool))
{
    setObjectName(QStringLiteral("historyJournal"));
    m_thread.setObjectName(QStringLiteral("quillmark-history"));
    m_writer->moveToThread(&m_thread);
    connect(this, &Journal::flushRequested, m_writer, &Writer::flush);
    connect(m_writer, &Writer::attempted, this, &Journal::onAttempt);
    m_thread.start();
}

// A try that is under way is let finish: a server that is gone answers within its
// connect time-out.
Journal::~Journal()
{
    m_thread.quit();
    m_thread.wait();
    delete m_writer;
}

Journal *Journal::of(const QObject *object)
{
    for (const QObject *o = object; o; o = o->parent()) {
        if (auto *journal = qobject_cast<Journal *>(const_cast<QObject *>(o)))
            return journal;
        for (QObject *child : o->children()) {
            if (auto *journal = qobject_cast<Journal *>(child))
                return journal;
        }
    }
    return nullptr;
}

void Journal::recordAppended(const BenchRecord &record, const QString &reportFile)
{
    RelayEntry entry = entryFromRecord(record);
    entry.recordedAt = QDateTime::currentDateTimeUtc();
    entry.host = QSysInfo::machineHostName();
    entry.reportFile = reportFileKey(reportFile);
    entry.recordIndex = lastRecordIndex(reportFile, reports::recordLineCount(record.StyleCode));
    if (!m_spool.append(entry))
        tell(tr("Quillmark cannot keep its list of relays waiting for the results history in %1: %2. "
                "They are kept until Quillmark closes.")
                 .arg(QDir::toNativeSeparators(m_spool.path()), m_spool.error()));
    emit flushRequested();
}

void Journal::catchUp()
{
    emit flushRequested();
}

void Journal::onAttempt(bool ok, const QString &why, int pending)
{
    if (!ok) {
        tell(tr("The record is safe in the report file, but the results history could not take it.\n\n%1\n\n"
                "%2 relay(s) wait and go into the history with the next record or at the next start.")
                 .arg(why)
                 .arg(pending));
    } else if (m_told && pending == 0) {
        m_told = false;
        if (m_notice)
            m_notice->setText(tr("The results history %1 can be reached again and has taken every relay "
                                 "that waited.")
                                  .arg(m_location.describe()));
    }
    emit settled(pending, ok ? QString() : why);
}

// One notice for as long as the history stays out of reach; it does not block the
// bench and the operator closes it when it suits.
void Journal::tell(const QString &text)
{
    if (m_notice) {
        m_notice->setText(text);
        return;
    }
    if (m_told)
        return;
    m_told = true;
    auto *parentWindow = qobject_cast<QWidget *>(parent());
    m_notice = new QMessageBox(QMessageBox::Warning, tr("Results history"), text, QMessageBox::Ok, parentWindow);
    m_notice->setObjectName(QStringLiteral("historyNotice"));
    m_notice->setWindowModality(Qt::NonModal);
    m_notice->setAttribute(Qt::WA_DeleteOnClose);
    m_notice->show();
}

} // namespace history

#include "journal.moc"
