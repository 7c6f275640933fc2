#pragma once

#include "reports/history/location.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <chrono>
#include <memory>

struct BenchRecord;

namespace history {

class Worker;
class Writer;
struct WriteAttempt;

// Takes each relay whose record has just gone into a report file to the results
// history, on a thread of its own: the report file comes first, and a history that
// is slow or gone never holds the bench up. The relay is first kept in the bench's
// spool file; one the history cannot take yet waits there and goes in with the next
// record or at the next start. The operator is told once, in a notice that does not
// block, why it waits.
//
// The bench makes the one journal once start-up is over, as a child of the main
// window (its notice shows over it), and hands it to the window, which hands it on
// to the report forms and the history window.
class Journal : public QObject
{
    Q_OBJECT
public:
    // How long closing waits for a write to the history under way before it gives
    // it up; the relays it carried stay in the spool file for the next start.
    static constexpr std::chrono::milliseconds ExitGrace{3000};
    // A write to the history that shows no progress for this long waits on a server
    // that stopped answering, and is given up.
    static constexpr std::chrono::milliseconds Patience{15000};

    Journal(const Location &location, const QString &spoolPath, QObject *parent = nullptr,
            std::chrono::milliseconds patience = Patience);
    ~Journal() override;

    const Location &location() const { return m_location; }
    // Relays handed over, or left by an earlier run, that the history does not hold
    // yet; -1 until what an earlier run left has been read.
    int pending() const { return m_loaded ? m_waiting + m_handedOver : -1; }

    // The relay of record has just been added to the end of reportFile (its full
    // path) as its record number recordIndex, counted from 0. Returns at once.
    void recordAppended(const BenchRecord &record, const QString &reportFile, int recordIndex);
    // Takes to the history what earlier runs left waiting.
    void catchUp();

    // The open notice, if any.
    QMessageBox *notice() const { return m_notice; }

signals:
    // After each try: how many relays still wait, and why when the history refused.
    void settled(int pending, const QString &problem);

private:
    void onAttempt(const WriteAttempt &attempt);
    void tell(const QString &text, bool outage);

    Location m_location;
    // Used on the worker's thread only, and shared with each work handed over: a
    // thread left behind stuck in the spool file still has it when it comes back.
    std::shared_ptr<Writer> m_writer;
    Worker *m_worker;
    int m_waiting = 0;     // in the spool, as the writer last told
    int m_handedOver = 0;  // handed to the writer, not yet told back
    bool m_loaded = false;
    QPointer<QMessageBox> m_notice;
    bool m_told = false;  // the operator knows the history is out of reach
};

} // namespace history
