#pragma once

#include "reports/history/historystore.h"
#include "reports/history/job.h"

#include <QHash>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// A thread of the results history's own, with its own connection to the history: the
// bench's thread hands it work and takes the answer back, so a query, an export or a
// printout never holds up the poll tick or a fixed wait.
namespace history {

class WorkerThread;
struct WorkerShared;

class Worker : public QObject
{
    Q_OBJECT
public:
    // How long a thread is waited for after its history's connection was cut: a cut
    // statement ends in moments, so one still running is stuck where no cut reaches.
    static constexpr std::chrono::milliseconds StuckPatience{1000};

    // location: the history whose connection lives on this thread; none for work that
    // needs no history (a printout of a report file).
    explicit Worker(const QString &name, const std::optional<Location> &location = std::nullopt,
                    QObject *parent = nullptr);
    // Calls off what was handed over, cuts the history's connection after the grace
    // and waits for the thread to end; a thread that does not end StuckPatience after
    // the cut is stuck in a system call (a file on a share that stopped answering)
    // and is given up: it is left to end on its own, and then never runs a then.
    ~Worker() override;
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    // work runs on the thread with the history (nullptr without one), after all work
    // handed over before it; then runs here afterwards, called off or not, unless the
    // worker went first. What work leaves for then is handed over through what both
    // share; then must not delete the worker (deleteLater does).
    using Work = std::function<void(Store *store, const Job &job)>;
    void post(Work work, std::function<void()> then = {});

    // Calls off everything handed over so far: the work sees Job::cancelled(). A
    // work that does not end soon after has its history's connection cut.
    void cancel();
    bool busy() const { return !m_then.isEmpty(); }

    // A work that shows no progress for this long waits on a history that stopped
    // answering: its connection is cut, so the statement under way ends with an
    // error. Zero: wait as long as the history takes.
    void setPatience(std::chrono::milliseconds patience) { m_patience = patience; }
    // How long the destructor lets the work under way go on before it cuts the
    // connection (the journal's last write); zero by default.
    void setGrace(std::chrono::milliseconds grace) { m_grace = grace; }
    // Each statement on the history's connection is ended by the server after this
    // long (PostgreSQL); zero for none. Set before the first post().
    void setStatementTimeout(std::chrono::milliseconds timeout);

signals:
    void progressed(qint64 done, qint64 total);
    // Nothing handed over is left to run or to answer.
    void idle();

private:
    bool isCancelled(quint64 id) const;
    void onStarted(quint64 id);
    void onProgressed(quint64 id, qint64 done, qint64 total);
    void onDone(quint64 id);
    void onPatienceLost();

    // What the thread uses: a thread given up keeps it, so it is never freed under it.
    WorkerShared *const m_shared;
    QThread *const m_thread;
    WorkerThread *m_inside;
    QHash<quint64, std::function<void()>> m_then;
    quint64 m_posted = 0;
    quint64 m_running = 0;
    std::chrono::milliseconds m_patience{0};
    std::chrono::milliseconds m_grace{0};
    QTimer m_watchdog;
};

} // namespace history
