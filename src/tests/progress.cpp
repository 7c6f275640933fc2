#include "tests/progress.h"

#include <algorithm>
#include <utility>

Progress::Progress(std::function<int()> ticks, QObject *parent)
    : QObject(parent)
    , m_ticks(std::move(ticks))
{
}

Progress::Level Progress::begin(const QString &name)
{
    if (!m_levels.empty())
        freeze(m_levels.back());
    const int id = m_nextId++;
    Entry added;
    added.id = id;
    added.name = name;
    m_levels.push_back(added);
    emit changed();
    return Level(this, id);
}

void Progress::clear()
{
    m_levels.clear();
    emit changed();
}

void Progress::testEnded()
{
    if (m_levels.empty() || m_levels.back().ended)
        return;
    m_levels.back().ended = true;
    emit changed();
}

Progress::Entry *Progress::entry(int id)
{
    const auto found = std::find_if(m_levels.begin(), m_levels.end(), [id](const Entry &e) { return e.id == id; });
    return found == m_levels.end() ? nullptr : &*found;
}

std::optional<int> Progress::ownWaitsLeft(const Entry &e) const
{
    if (!e.planned)
        return std::nullopt;
    if (e.frozen)
        return e.planned;
    return std::max(0, *e.planned - (m_ticks() - e.ticksAtPlan));
}

// An inner level counts the ticks while it runs; the outer one keeps what it has
// ahead after it.
void Progress::freeze(Entry &e)
{
    e.planned = ownWaitsLeft(e);
    e.frozen = true;
}

void Progress::thaw(Entry &e)
{
    e.frozen = false;
    e.ticksAtPlan = m_ticks();
}

void Progress::end(int id)
{
    const auto found = std::find_if(m_levels.begin(), m_levels.end(), [id](const Entry &e) { return e.id == id; });
    if (found == m_levels.end())
        return;
    const bool innermost = std::next(found) == m_levels.end();
    m_levels.erase(found);
    if (innermost && !m_levels.empty())
        thaw(m_levels.back());
    emit changed();
}

Progress::Report Progress::report() const
{
    Report report;
    std::vector<const Entry *> shown;
    for (const Entry &e : m_levels) {
        if (!e.ended)
            shown.push_back(&e);
    }
    if (shown.empty())
        return report;
    // "Automatic test: contact resistance, C2, channel 7 of 16"; a level's own step
    // shows only while no inner level runs.
    const Entry &outer = *shown.front();
    const Entry &inner = *shown.back();
    report.text = outer.name;
    if (&inner != &outer) {
        QString name = inner.name;
        if (!name.isEmpty())
            name[0] = name[0].toLower();
        report.text += QStringLiteral(": ") + name + (inner.step.isEmpty() ? QString() : QStringLiteral(", ") + inner.step);
    } else if (!outer.step.isEmpty()) {
        report.text += QStringLiteral(": ") + outer.step;
    }
    report.done = inner.done;
    report.total = inner.total;
    report.onOperator = std::any_of(shown.begin(), shown.end(), [](const Entry *e) { return e->onOperator; });
    int waits = 0;
    for (const Entry *e : shown) {
        const std::optional<int> own = ownWaitsLeft(*e);
        if (!own)
            return report;
        waits += *own;
    }
    report.waitsLeft = waits;
    return report;
}

Progress::Level::Level(Level &&other) noexcept
    : m_progress(std::exchange(other.m_progress, nullptr))
    , m_id(other.m_id)
{
}

Progress::Level::~Level()
{
    if (m_progress)
        m_progress->end(m_id);
}

void Progress::Level::step(const QString &text, int done, int total)
{
    if (Entry *e = m_progress->entry(m_id)) {
        e->step = text;
        e->done = done;
        e->total = total;
        emit m_progress->changed();
    }
}

void Progress::Level::plan(int waits)
{
    if (Entry *e = m_progress->entry(m_id)) {
        e->planned = waits;
        e->ticksAtPlan = m_progress->m_ticks();
        e->onOperator = false;
        emit m_progress->changed();
    }
}

void Progress::Level::waitOnKit()
{
    if (Entry *e = m_progress->entry(m_id)) {
        e->planned.reset();
        e->onOperator = false;
        emit m_progress->changed();
    }
}

void Progress::Level::waitOnOperator(const QString &text)
{
    if (Entry *e = m_progress->entry(m_id)) {
        e->step = text;
        e->planned.reset();
        e->onOperator = true;
        emit m_progress->changed();
    }
}
