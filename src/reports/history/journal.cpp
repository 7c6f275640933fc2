#include "reports/history/journal.h"

#include "console/record/benchrecord.h"
#include "reports/history/historystore.h"
#include "reports/history/recorditems.h"
#include "reports/history/spool.h"
#include "reports/history/worker.h"

#include <QDir>
#include <QSysInfo>

namespace history {

namespace {

constexpr int Batch = 500;

QString fileName(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

// What one try on the writer's thread leaves for the bench's thread.
struct WriteAttempt {
    bool ok = true;
    QString why;           // the history refused: why
    int pending = 0;       // relays still in the spool
    QString spoolError;    // the spool file could not be written: why
    int setAside = 0;      // relays moved to the spool's rejected file
    QString setAsideWhy;   // why the first of them was
    QString rejectedPath;
    QString spoolPath;
};

// The spool and the history's writes, on the journal's thread: the spool file is
// written there too, so the bench's thread never waits for a disk or a server.
// The history's connection is opened for each try and closed after it, so a
// server that went away and came back, or a history file that was moved, is found
// as it is now.
class Writer
{
public:
    explicit Writer(const QString &spoolPath)
        : m_spool(spoolPath)
    {
    }

    WriteAttempt load()
    {
        const Spool::Loaded loaded = m_spool.load();
        WriteAttempt attempt = report();
        attempt.setAside = loaded.rejected;
        attempt.setAsideWhy = loaded.why;
        if (!loaded.error.isEmpty())
            attempt.spoolError = loaded.error;
        return attempt;
    }

    void keep(const RelayEntry &entry)
    {
        if (!m_spool.append(entry))
            m_spoolError = m_spool.error();
        else
            m_spoolError.clear();
    }

    WriteAttempt flush(Store &store, const Job &job)
    {
        WriteAttempt attempt;
        if (m_spool.size() == 0 || job.cancelled())
            return report(attempt);
        if (!store.open()) {
            attempt.ok = false;
            attempt.why = store.error();
            return report(attempt);
        }
        const QList<RelayEntry> &waiting = m_spool.entries();
        int done = 0;
        while (done < waiting.size() && !job.cancelled()) {
            const QList<RelayEntry> batch = waiting.mid(done, Batch);
            if (store.add(batch)) {
                done += int(batch.size());
                job.progress(done, waiting.size());
                continue;
            }
            // The history itself, or a relay it cannot take? One at a time, for as
            // long as the history answers.
            const QString why = store.error();
            int taken = 0;
            for (const RelayEntry &entry : batch) {
                if (!store.add({entry})) {
                    if (job.cancelled() || !store.answers() || !m_spool.setAside(entry))
                        break;
                    if (attempt.setAside++ == 0)
                        attempt.setAsideWhy = store.error();
                }
                ++taken;
            }
            done += taken;
            if (taken < batch.size()) {
                attempt.ok = false;
                attempt.why = why;
                break;
            }
        }
        store.close();
        if (!m_spool.removeFirst(done))
            m_spoolError = m_spool.error();
        return report(attempt);
    }

private:
    WriteAttempt report(WriteAttempt attempt = {}) const
    {
        attempt.pending = m_spool.size();
        if (attempt.spoolError.isEmpty())
            attempt.spoolError = m_spoolError;
        attempt.spoolPath = m_spool.path();
        attempt.rejectedPath = m_spool.rejectedPath();
        return attempt;
    }

    Spool m_spool;
    QString m_spoolError;
};

Journal::Journal(const Location &location, const QString &spoolPath, QObject *parent,
                 std::chrono::milliseconds patience)
    : QObject(parent)
    , m_location(location)
    , m_writer(std::make_shared<Writer>(spoolPath))
    , m_worker(new Worker(QStringLiteral("history"), location, this))
{
    setObjectName(QStringLiteral("historyJournal"));
    m_worker->setGrace(ExitGrace);
    m_worker->setPatience(patience);
    auto loaded = std::make_shared<WriteAttempt>();
    m_worker->post([writer = m_writer, loaded](Store *, const Job &) { *loaded = writer->load(); },
                   [this, loaded] {
                       m_loaded = true;
                       onAttempt(*loaded);
                   });
}

// What the writer carries when the bench closes is let finish for a moment; a
// history that does not answer by then is given up, and its relays stay in the
// spool file.
Journal::~Journal()
{
    delete m_worker;
}

void Journal::recordAppended(const BenchRecord &record, const QString &reportFile, int recordIndex)
{
    ++m_handedOver;
    auto attempt = std::make_shared<WriteAttempt>();
    const QDateTime now = QDateTime::currentDateTimeUtc();
    m_worker->post(
        [writer = m_writer, attempt, record, reportFile, recordIndex, now](Store *store, const Job &job) {
            RelayEntry entry = entryFromRecord(record);
            entry.recordedAt = now;
            entry.host = QSysInfo::machineHostName();
            entry.reportFile = reportFileKey(reportFile);
            entry.recordIndex = recordIndex;
            writer->keep(entry);
            *attempt = writer->flush(*store, job);
        },
        [this, attempt] {
            --m_handedOver;
            onAttempt(*attempt);
        });
}

void Journal::catchUp()
{
    auto attempt = std::make_shared<WriteAttempt>();
    m_worker->post([writer = m_writer, attempt](Store *store, const Job &job) { *attempt = writer->flush(*store, job); },
                   [this, attempt] { onAttempt(*attempt); });
}

void Journal::onAttempt(const WriteAttempt &attempt)
{
    m_waiting = attempt.pending;
    if (attempt.setAside > 0)
        tell(tr("%n relay(s) waiting for the results history could not be taken (%1) and were moved to %2.", nullptr,
                attempt.setAside)
                 .arg(attempt.setAsideWhy, fileName(attempt.rejectedPath)),
             false);
    if (!attempt.ok && attempt.spoolError.isEmpty()) {
        tell(tr("The record is safe in the report file, but the results history could not take it.\n\n%1\n\n"
                "%2 relay(s) wait in %3 and go into the history with the next record or at the next start.")
                 .arg(attempt.why)
                 .arg(pending())
                 .arg(fileName(attempt.spoolPath)),
             true);
    } else if (!attempt.ok) {
        // Nothing can promise the next start: the relays are only in memory.
        tell(tr("The record is safe in the report file, but the results history could not take it.\n\n%1\n\n"
                "%2 cannot be written either (%3), so %4 relay(s) wait only while Quillmark runs: they go into "
                "the history with the next record if it can be reached before Quillmark closes. Otherwise bring "
                "the report file in later with \"Import report file...\" in the history window.")
                 .arg(attempt.why, fileName(attempt.spoolPath), attempt.spoolError)
                 .arg(pending()),
             true);
    } else if (m_told && pending() == 0) {
        m_told = false;
        if (m_notice)
            m_notice->setText(tr("The results history %1 can be reached again and has taken every relay "
                                 "that waited.")
                                  .arg(m_location.describe()));
    }
    emit settled(pending(), attempt.ok ? QString() : attempt.why);
}

// One notice for as long as the history stays out of reach; it does not block the
// bench and the operator closes it when it suits. Relays set aside are told each time.
void Journal::tell(const QString &text, bool outage)
{
    if (m_notice) {
        m_notice->setText(text);
        m_told = m_told || outage;
        return;
    }
    if (outage && m_told)
        return;
    m_told = m_told || outage;
    auto *parentWindow = qobject_cast<QWidget *>(parent());
    m_notice = new QMessageBox(QMessageBox::Warning, tr("Results history"), text, QMessageBox::Ok, parentWindow);
    m_notice->setObjectName(QStringLiteral("historyNotice"));
    m_notice->setWindowModality(Qt::NonModal);
    m_notice->setAttribute(Qt::WA_DeleteOnClose);
    m_notice->show();
}

} // namespace history
