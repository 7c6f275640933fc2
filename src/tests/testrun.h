#pragma once

#include "tests/benchview.h"
#include "tests/progress.h"

#include <QString>

#include <optional>

struct Bench;

// What every procedure does at its start and at its end, in one place. Begun: its
// busy label shows and the control panel locks; a run that sends its own commands
// also holds the live polling and takes the kit as busy; its progress shows in the
// Bench Monitor. end() is the bench's end of a test: busy label hidden, live polling
// free, panel unlocked. A run that a Stop ends where it stands ends so too. A run
// named has its progress here; a contact run, which its last reading ends before
// its last commands, keeps its progress in the procedure.
class TestRun
{
public:
    enum class Polling { Free, Held };

    TestRun(const Bench &bench, BenchView::Busy busy, const QString &name, Polling polling = Polling::Free);
    // The test an answer ends that came when nothing asked for it: nothing begins,
    // but it ends as the test would.
    static TestRun unasked(const Bench &bench, BenchView::Busy busy);

    TestRun(TestRun &&other) noexcept;
    TestRun &operator=(TestRun &&) = delete;
    TestRun(const TestRun &) = delete;
    TestRun &operator=(const TestRun &) = delete;
    ~TestRun();

    // Busy label and locked panel again, for a test that goes on with a second step.
    void begin();
    // Live polling free and the panel unlocked; the busy label stays.
    void unlock();
    // unlock() if it has not been, and the busy label hidden.
    void end();

    // Its progress, when it has any.
    void step(const QString &text, int done = 0, int total = 0);
    void channel(const QString &name, int channel, int channels);
    void plan(int waits);
    void waitOnKit();
    void waitOnOperator(const QString &text);

private:
    TestRun(const Bench &bench, BenchView::Busy busy);

    const Bench *m_bench;
    BenchView::Busy m_busy;
    std::optional<Progress::Level> m_progress;
    bool m_open = false;    // begun and not ended
    bool m_locked = false;  // the panel locked by it
};
