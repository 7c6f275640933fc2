#pragma once

#include <QtGlobal>

// What a long piece of history work (an export, an import, a printout, a catch-up of
// waiting relays) is told and tells while it runs: whether the operator called it
// off, and how far it got. The plain Job, for a script on the command line, is never
// called off and tells nobody.
namespace history {

class Job
{
public:
    virtual ~Job() = default;

    virtual bool cancelled() const { return false; }
    // done of total steps (relays, records, pages); total 0 when not known.
    virtual void progress(qint64 done, qint64 total) const
    {
        Q_UNUSED(done)
        Q_UNUSED(total)
    }
};

} // namespace history
