#pragma once

#include "reports/history/location.h"
#include "reports/history/spool.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QThread>

struct BenchRecord;

namespace history {

class Writer;

// Takes each relay whose record has just gone into a report file to the results
// history, on a thread of its own: the report file comes first, and a history that
// is slow or gone never holds the bench up. A relay the history cannot take yet
// waits in the bench's spool file and goes in with the next record or at the next
// start; the operator is told once, in a notice that does not block, why it waits.
//
// The bench's main window owns the one journal; the report forms find it among
// their parents' children.
class Journal : public QObject
{
    Q_OBJECT
public:
    Journal(const Location &location, const QString &spoolPath, QObject *parent = nullptr);
    ~Journal() override;

    // The journal among the children of object or of one of its parents; nullptr
    // when there is none (a bench run without a history).
    static Journal *of(const QObject *object);

    const Location &location() const { return m_location; }
    int pending() const { return m_spool.size(); }

    // The relay of record has just been added to the end of reportFile (its full
    // path). Returns at once.
    void recordAppended(const BenchRecord &record, const QString &reportFile);
    // Takes to the history what earlier runs left waiting.
    void catchUp();

    // The open notice, if any.
    QMessageBox *notice() const { return m_notice; }

signals:
    // After each try: how many relays still wait, and why when the history refused.
    void settled(int pending, const QString &problem);
    void flushRequested();

private:
    void onAttempt(bool ok, const QString &why, int pending);
    void tell(const QString &text);

    Location m_location;
    Spool m_spool;
    QThread m_thread;
    Writer *m_writer = nullptr;
    QPointer<QMessageBox> m_notice;
    bool m_told = false;  // the operator knows the history is out of reach
};

} // namespace history
