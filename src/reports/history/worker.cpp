#include "reports/history/worker.h"

#include "platform/threadpriority.h"

#include <QElapsedTimer>

namespace history {

namespace {

// A work called off has this long to notice before its connection is cut: long
// enough for an export to reach the end of its page, short enough for the operator.
constexpr std::chrono::milliseconds CalledOffPatience{1000};
// Progress is told at most this often; a printout of many relays would otherwise
// flood the bench's event queue.
constexpr qint64 ProgressEveryMs = 50;

} // namespace

// Lives on the worker's thread: runs each work in the order handed over and tells
// the bench's thread when it starts, how far it got and when it is done.
class WorkerThread : public QObject
{
    Q_OBJECT
public:
    explicit WorkerThread(Worker &worker)
        : m_worker(worker)
    {
    }

    void run(quint64 id, const Worker::Work &work)
    {
        setOnThread(id);
        emit started(id);
        const Told job(*this, id);
        Store *store = m_worker.m_store.get();
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
        QMutexLocker lock(&m_worker.m_switching);
        m_worker.m_onThread = id;
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

        bool cancelled() const override { return m_inside.m_worker.isCancelled(m_id); }

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

    Worker &m_worker;
};

Worker::Worker(const QString &name, const std::optional<Location> &location, QObject *parent)
    : QObject(parent)
    , m_inside(new WorkerThread(*this))
{
    if (location)
        m_store = std::make_unique<Store>(*location, QStringLiteral("quillmark-%1-%2").arg(name).arg(quintptr(this), 0, 16));
    m_thread.setObjectName(QStringLiteral("quillmark-") + name);
    m_inside->moveToThread(&m_thread);
    connect(m_inside, &WorkerThread::started, this, &Worker::onStarted);
    connect(m_inside, &WorkerThread::progressed, this, &Worker::onProgressed);
    connect(m_inside, &WorkerThread::done, this, &Worker::onDone);
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &Worker::onPatienceLost);
    connect(&m_thread, &QThread::started, &m_thread, &platform::giveWayToTheBench, Qt::DirectConnection);
    m_thread.start();
}

Worker::~Worker()
{
    m_ending = true;
    m_cancelledUpTo = m_posted;
    // After the last work handed over: the connection is closed on the thread that
    // opened it, and the thread ends.
    QMetaObject::invokeMethod(
        m_inside,
        [this] {
            if (m_store)
                m_store->close();
            m_thread.quit();
        },
        Qt::QueuedConnection);
    if (!m_thread.wait(QDeadlineTimer(m_grace))) {
        if (m_store)
            m_store->interrupt(tr("Quillmark was closing"));
        m_thread.wait();
    }
    delete m_inside;
}

void Worker::setStatementTimeout(std::chrono::milliseconds timeout)
{
    if (m_store)
        m_store->setStatementTimeout(timeout);
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
    m_cancelledUpTo = m_posted;
    if (m_running != 0)
        m_watchdog.start(CalledOffPatience);
}

bool Worker::isCancelled(quint64 id) const
{
    return m_ending || id <= m_cancelledUpTo;
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
    QMutexLocker lock(&m_switching);
    if (m_running == 0 || m_onThread != m_running)
        return;
    if (m_store)
        m_store->interrupt(isCancelled(m_running)
                               ? tr("the work was called off")
                               : tr("no answer for %1 s; the history was given up for now")
                                     .arg(double(m_patience.count()) / 1000.0));
}

} // namespace history

#include "worker.moc"
