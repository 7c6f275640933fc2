#include "reports/history/worker.h"

#include "platform/threadpriority.h"

#include <QElapsedTimer>
#include <QMutex>

#include <atomic>
#include <vector>

namespace history {

namespace {

// A work called off has this long to notice before its connection is cut: long
// enough for an export to reach the end of its page, short enough for the operator.
constexpr std::chrono::milliseconds CalledOffPatience{1000};
// Progress is told at most this often; a printout of many relays would otherwise
// flood the bench's event queue.
constexpr qint64 ProgressEveryMs = 50;

} // namespace

// What a worker's thread uses of it. A thread left behind keeps it: nothing it
// can still touch is freed under it.
struct WorkerShared {
    std::unique_ptr<Store> store;
    QMutex switching;      // taken briefly: a work starting or ending, a cut
    quint64 onThread = 0;  // the work on the thread now, under switching
    std::atomic<quint64> cancelledUpTo{0};
    std::atomic<bool> ending{false};

    bool isCancelled(quint64 id) const { return ending || id <= cancelledUpTo; }
};

namespace {

// Threads stuck for good, with what they use; never freed. Workers end on the
// bench's thread only.
struct LeftBehind {
    WorkerShared *shared;
    QThread *thread;
    QObject *inside;
};
std::vector<LeftBehind> &leftBehind()
{
    static auto *threads = new std::vector<LeftBehind>;
    return *threads;
}

} // namespace

// Lives on the worker's thread: runs each work in the order handed over and tells
// the bench's thread when it starts, how far it got and when it is done.
class WorkerThread : public QObject
{
    Q_OBJECT
public:
    explicit WorkerThread(WorkerShared &shared)
        : m_shared(shared)
    {
    }

    void run(quint64 id, const Worker::Work &work)
    {
        setOnThread(id);
        emit started(id);
        const Told job(*this, id);
        Store *store = m_shared.store.get();
        work(store, job);
        setOnThread(0);
        // A cut connection is of no use any more; the next work opens a new one.
        if (store && store->wasInterrupted())
            store->close();
        emit done(id);
    }

private:
    // A cut meant for one work never reaches the next.
    void setOnThread(quint64 id)
    {
        QMutexLocker lock(&m_shared.switching);
        m_shared.onThread = id;
    }

signals:
    void started(quint64 id);
    void progressed(quint64 id, qint64 done, qint64 total);
    void done(quint64 id);

private:
    class Told final : public Job
    {
    public:
        Told(WorkerThread &inside, quint64 id)
            : m_inside(inside)
            , m_id(id)
        {
            m_lastTold.start();
        }

        bool cancelled() const override { return m_inside.m_shared.isCancelled(m_id); }

        void progress(qint64 done, qint64 total) const override
        {
            if (done != total && m_lastTold.elapsed() < ProgressEveryMs)
                return;
            m_lastTold.restart();
            emit m_inside.progressed(m_id, done, total);
        }

    private:
        WorkerThread &m_inside;
        const quint64 m_id;
        mutable QElapsedTimer m_lastTold;
    };

    WorkerShared &m_shared;
};

Worker::Worker(const QString &name, const std::optional<Location> &location, QObject *parent)
    : QObject(parent)
    , m_shared(new WorkerShared)
    , m_thread(new QThread)
    , m_inside(new WorkerThread(*m_shared))
{
    if (location)
        m_shared->store = std::make_unique<Store>(*location, QStringLiteral("quillmark-%1-%2").arg(name).arg(quintptr(this), 0, 16));
    m_thread->setObjectName(QStringLiteral("quillmark-") + name);
    m_inside->moveToThread(m_thread);
    connect(m_inside, &WorkerThread::started, this, &Worker::onStarted);
    connect(m_inside, &WorkerThread::progressed, this, &Worker::onProgressed);
    connect(m_inside, &WorkerThread::done, this, &Worker::onDone);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &Worker::onPatienceLost);
    connect(m_thread, &QThread::started, m_thread, &platform::giveWayToTheBench, Qt::DirectConnection);
    m_thread->start();
}

Worker::~Worker()
{
    m_shared->ending = true;
    m_shared->cancelledUpTo = m_posted;
    // After the last work handed over: the connection is closed on the thread that
    // opened it, and the thread ends.
    QMetaObject::invokeMethod(
        m_inside,
        [shared = m_shared, thread = m_thread] {
            if (shared->store)
                shared->store->close();
            thread->quit();
        },
        Qt::QueuedConnection);
    if (!m_thread->wait(QDeadlineTimer(m_grace))) {
        if (m_shared->store)
            m_shared->store->interrupt(tr("Quillmark was closing"));
        if (!m_thread->wait(QDeadlineTimer(StuckPatience))) {
            // Stuck where no cut reaches, and waiting would hold the bench's thread for
            // good. What it shares stays for it, held where a leak check sees it is
            // meant; the process's end does not wait for it.
            qWarning("quillmark: %s is stuck in a file or the results history and is left behind",
                     qPrintable(m_thread->objectName()));
            leftBehind().push_back({m_shared, m_thread, m_inside});
            return;
        }
    }
    delete m_inside;
    delete m_thread;
    delete m_shared;
}

void Worker::setStatementTimeout(std::chrono::milliseconds timeout)
{
    if (m_shared->store)
        m_shared->store->setStatementTimeout(timeout);
}

void Worker::post(Work work, std::function<void()> then)
{
    const quint64 id = ++m_posted;
    m_then.insert(id, std::move(then));
    QMetaObject::invokeMethod(
        m_inside, [inside = m_inside, id, work = std::move(work)] { inside->run(id, work); }, Qt::QueuedConnection);
}

void Worker::cancel()
{
    m_shared->cancelledUpTo = m_posted;
    if (m_running != 0)
        m_watchdog.start(CalledOffPatience);
}

bool Worker::isCancelled(quint64 id) const
{
    return m_shared->isCancelled(id);
}

void Worker::onStarted(quint64 id)
{
    m_running = id;
    if (isCancelled(id))
        m_watchdog.start(CalledOffPatience);
    else if (m_patience.count() > 0)
        m_watchdog.start(m_patience);
}

void Worker::onProgressed(quint64 id, qint64 done, qint64 total)
{
    if (id != m_running || isCancelled(id))
        return;
    if (m_patience.count() > 0)
        m_watchdog.start(m_patience);
    emit progressed(done, total);
}

void Worker::onDone(quint64 id)
{
    m_running = 0;
    m_watchdog.stop();
    const std::function<void()> then = m_then.take(id);
    if (then)
        then();
    if (m_then.isEmpty())
        emit idle();
}

void Worker::onPatienceLost()
{
    QMutexLocker lock(&m_shared->switching);
    if (m_running == 0 || m_shared->onThread != m_running)
        return;
    if (m_shared->store)
        m_shared->store->interrupt(isCancelled(m_running)
                               ? tr("the work was called off")
                               : tr("no answer for %1 s; the history was given up for now")
                                     .arg(double(m_patience.count()) / 1000.0));
}

} // namespace history

#include "worker.moc"
