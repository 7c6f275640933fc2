#include "tests/testrun.h"

#include "tests/bench.h"

TestRun::TestRun(const Bench &bench, BenchView::Busy busy, const QString &name, Polling polling)
    : m_bench(&bench)
    , m_busy(busy)
    , m_measuring(bench.measuring)
{
    begin();
    if (!name.isEmpty())
        m_progress.emplace(bench.progress.begin(name));
    if (polling == Polling::Held) {
        bench.link.poll.setPollHold(true);
        bench.link.poll.setKitBusy(true);
    }
}

TestRun::TestRun(TestRun &&other) noexcept
    : m_bench(other.m_bench)
    , m_busy(other.m_busy)
    , m_measuring(std::move(other.m_measuring))
    , m_progress(std::move(other.m_progress))
    , m_open(std::exchange(other.m_open, false))
    , m_locked(std::exchange(other.m_locked, false))
{
    other.m_progress.reset();
}

TestRun::~TestRun()
{
    if (m_open)
        end();
}

void TestRun::begin()
{
    m_open = true;
    m_locked = true;
    m_bench->view.showBusy(m_busy, true);
    m_bench->view.lockPanel(true);
}

void TestRun::unlock()
{
    m_locked = false;
    m_bench->link.poll.setPollHold(false);
    m_bench->view.lockPanel(false);
}

void TestRun::end()
{
    m_open = false;
    if (m_locked)
        unlock();
    m_bench->view.showBusy(m_busy, false);
}

void TestRun::step(const QString &text, int done, int total)
{
    if (m_progress)
        m_progress->step(text, done, total);
}

void TestRun::channel(const QString &name, int channel, int channels)
{
    if (m_progress)
        m_progress->channel(name, channel, channels);
}

void TestRun::plan(int waits)
{
    if (m_progress)
        m_progress->plan(waits);
}

void TestRun::waitOnKit()
{
    if (m_progress)
        m_progress->waitOnKit();
}

void TestRun::waitOnOperator(const QString &text)
{
    if (m_progress)
        m_progress->waitOnOperator(text);
}
