#pragma once

#include "reports/history/relayentry.h"

#include <QByteArrayList>
#include <QList>
#include <QString>

// The relays whose records are in a report file but not yet in the results
// history, kept in a file of the bench's own (one JSON object a line) so that
// they still reach the history after the program was closed or killed.
//
// Used by the journal's thread only: no lock, and the bench's thread never waits
// for its file.
namespace history {

class Spool
{
public:
    // Nothing is read until load().
    explicit Spool(const QString &path);

    // Reads what an earlier run left. A line that cannot be taken as a relay (cut
    // off by a crash, or without its record hash, its report file, its style or
    // its time) is moved to rejectedPath(); the number moved, with why.
    struct Loaded {
        int rejected = 0;
        QString why;    // of the first one
        QString error;  // the file could not be read or rewritten; empty when all went well
    };
    Loaded load();

    // Adds a relay; false when it could only be kept in memory (error() says why).
    bool append(const RelayEntry &entry);
    const QList<RelayEntry> &entries() const { return m_entries; }
    // Takes out the first count relays, once the history holds them or they were
    // set aside: the file is written once for however many.
    bool removeFirst(int count);
    // Keeps a relay the history refused in rejectedPath(), for someone to look at.
    bool setAside(const RelayEntry &entry);
    int size() const { return int(m_entries.size()); }
    QString error() const { return m_error; }
    QString path() const { return m_path; }
    QString rejectedPath() const { return m_path + QStringLiteral(".rejected"); }

private:
    bool rewrite();

    const QString m_path;
    QList<RelayEntry> m_entries;
    QByteArrayList m_unread;  // lines that could not be set aside; kept in the file as they were
    QString m_error;
};

// Why entry cannot go into the history as it is; empty when it can.
QString problemWith(const RelayEntry &entry);

} // namespace history
