#pragma once

#include "platform/paths.h"

#include <QString>

#include <utility>

namespace platform {

// The folder the bench was started in, taken once as the program starts (the current
// folder, or the bench folder when asked for). The settings files art.cfg and
// artc.cfg, the contact results crval.csv, the COM<n> links to serial adapters and
// the bench's own results history are kept there; whoever keeps a file there is
// handed this, so a file dialog that moves the current folder later moves none of them.
class StartupFolder
{
public:
    explicit StartupFolder(QString path)
        : m_path(std::move(path))
    {
    }

    const QString &path() const { return m_path; }
    // One of the bench's files there, joined as the bench always has ("C:\bench" + "\crval.csv").
    QString file(const QString &name) const { return inFolder(m_path, name); }

private:
    QString m_path;
};

} // namespace platform
