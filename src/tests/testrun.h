#pragma once

#include "tests/benchview.h"
#include "tests/progress.h"

#include <QString>

#include <optional>
#include <utility>

struct Bench;

// How many tests are measuring right now. A Stop, a closing window or a stop signal
// has the kit to make safe while any is, and nothing to send when none is: a refusal
// box on the screen measures nothing.
class Measuring
{
public:
    // One test measuring, from its first command to the end of its run (which may
    // be after its result: a contact run still switches the supply off).
    class Token
    {
    public:
        Token() = default;
        explicit Token(Measuring &measuring) : m_measuring(&measuring) { ++measuring.m_count; }
        Token(Token &&other) noexcept : m_measuring(std::exchange(other.m_measuring, nullptr)) {}
        Token &operator=(Token &&) = delete;
        Token(const Token &) = delete;
        Token &operator=(const Token &) = delete;
        ~Token()
        {
            if (m_measuring)
                --m_measuring->m_count;
        }

    private:
        Measuring *m_measuring = nullptr;
    };

    bool any() const { return m_count > 0; }

private:
    int m_count = 0;
};

// What every test does at its start and at its end, in one place. Begun: its busy
// label shows and the control panel locks; a run that sends its own commands also
// holds the live polling and takes the kit as busy; its progress shows in the Bench
// Monitor. end() is the bench's end of a test: busy label hidden, live polling free,
// panel unlocked. Destroyed, it ends the test if nothing did (a Stop ends a test
// where it stands), and the test measures no more.
class TestRun
{
public:
    enum class Polling { Free, Held };

    TestRun(const Bench &bench, BenchView::Busy busy, const QString &name, Polling polling = Polling::Free);

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
    bool ended() const { return !m_open; }

    // Its progress, when it has a name.
    void step(const QString &text, int done = 0, int total = 0);
    void channel(const QString &name, int channel, int channels);
    void plan(int waits);
    void waitOnKit();
    void waitOnOperator(const QString &text);

private:
    const Bench *m_bench;
    BenchView::Busy m_busy;
    Measuring::Token m_measuring;
    std::optional<Progress::Level> m_progress;
    bool m_open = false;    // begun and not ended
    bool m_locked = false;  // the panel locked by it
};
