#pragma once

#include "reports/history/relayentry.h"

#include <QList>
#include <QMutex>
#include <QString>

// The relays whose records are in a report file but not yet in the results
// history, kept in a file of the bench's own (one JSON object a line) so that
// they still reach the history after the program was closed or killed.
namespace history {

class Spool
{
public:
    // Reads what an earlier run left in path.
    explicit Spool(const QString &path);

    // Adds a relay; false when it could only be kept in memory (error() says why).
    bool append(const RelayEntry &entry);
    QList<RelayEntry> entries() const;
    // Takes out the first count relays, once the history holds them.
    bool removeFirst(int count);
    int size() const;
    QString error() const;
    QString path() const { return m_path; }

private:
    bool rewrite();

    const QString m_path;
    mutable QMutex m_mutex;  // the window's thread adds, the history's writer takes out
    QList<RelayEntry> m_entries;
    QString m_error;
};

} // namespace history
