#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// How far the running procedure has got, in the bench's words, for whoever shows it
// (the Bench Monitor). A procedure opens a level when it starts and says what it does
// as it goes; the automatic test's level holds those of the tests it runs. The time
// left is counted in the fixed waits still ahead: a procedure plans the waits of what
// it has yet to do, and each tmrTout tick takes one off. While the bench waits on the
// kit (a ramp, a result) nobody knows how long that takes, and the time left is
// unknown.
class Progress : public QObject
{
    Q_OBJECT
public:
    // ticks: how many tmrTout ticks there have been so far.
    explicit Progress(std::function<int()> ticks, QObject *parent = nullptr);

    struct Report {
        QString text;                  // "Contact resistance: C2, channel 7 of 16"
        int done = 0;                  // of total, for a bar; total 0 with text: no count
        int total = 0;
        std::optional<int> waitsLeft;  // fixed waits still ahead, the running one included
        bool onOperator = false;       // the bench waits for the operator, not for the kit
    };
    // Empty text when nothing runs.
    Report report() const;

    // One procedure's part of the report; it leaves the report when destroyed, also
    // when a Stop ends the procedure where it stands.
    class Level
    {
    public:
        Level(Level &&other) noexcept;
        Level(const Level &) = delete;
        Level &operator=(const Level &) = delete;
        Level &operator=(Level &&) = delete;
        ~Level();

        // What it does now, and how far it has got.
        void step(const QString &text, int done = 0, int total = 0);
        // "C2, channel 7 of 16": a run over the channels at one of them.
        void channel(const QString &name, int channel, int channels)
        {
            step(QStringLiteral("%1, channel %2 of %3").arg(name).arg(channel).arg(channels), channel - 1, channels);
        }
        // The fixed waits of everything it has yet to do, from now on.
        void plan(int waits);
        // It waits on the kit for as long as the kit takes.
        void waitOnKit();
        // It waits for the operator (a dialog), for as long as the operator takes.
        void waitOnOperator(const QString &text);

    private:
        friend class Progress;
        Level(Progress *progress, int id) : m_progress(progress), m_id(id) {}
        Progress *m_progress;
        int m_id;
    };

    [[nodiscard]] Level begin(const QString &name);
    // Nothing runs any more (a Stop); the levels still held say nothing from now on.
    void clear();
    // The innermost level's test has ended as the operator sees it: its result is
    // shown and its busy label gone. What it still does (a contact run switching the
    // supply off, with its settle times) is left out of the report.
    void testEnded();

    // A tmrTout tick: one wait fewer ahead.
    void ticked() { emit changed(); }

signals:
    void changed();

private:
    struct Entry {
        int id = 0;
        QString name;
        QString step;
        int done = 0;
        int total = 0;
        std::optional<int> planned;  // own waits ahead when planned, or frozen while an inner level runs
        int ticksAtPlan = 0;
        bool frozen = false;
        bool onOperator = false;
        bool ended = false;  // its test ended; it only finishes off
    };
    Entry *entry(int id);
    std::optional<int> ownWaitsLeft(const Entry &entry) const;
    void freeze(Entry &entry);
    void thaw(Entry &entry);
    void end(int id);

    std::function<int()> m_ticks;
    std::vector<Entry> m_levels;  // outermost first
    int m_nextId = 1;
};
