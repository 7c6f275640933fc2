#pragma once

#include "reports/history/location.h"
#include "reports/history/relayentry.h"

#include <QDate>
#include <QList>
#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

#include <chrono>
#include <functional>

// The results history: every relay whose record went into a report file, with its
// items, in SQLite or PostgreSQL through the same statements. The program makes and
// updates the tables itself; a table schema_version holds their version.
namespace history {

// Which relays: all by default.
struct Filter {
    QString relayIdText;  // a part of the relay ID, in any case
    int styleCode = 0;    // 0: every style
    QDate from, to;       // days of the bench PC; a null date leaves that end open
    QList<qint64> ids;    // not empty: these rows only (a selection in the window)
};

// A quantity that can be followed over relays: a measured item.
struct Quantity {
    QString name, caption, unit;
    QString group;  // the caption of the form's frame it stands in
};

class Store
{
public:
    // One store per thread: connectionName must be unique in the process.
    Store(const Location &location, const QString &connectionName);
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    static constexpr int SchemaVersion = 2;

    // Connects, and makes or updates the tables; false with error() on failure.
    bool open();
    bool isOpen() const;
    void close();
    // The history is open and answers a statement.
    bool answers();

    // Each statement is ended by a PostgreSQL server after this long; zero for none.
    // Takes effect at the next open().
    void setStatementTimeout(std::chrono::milliseconds timeout) { m_statementTimeout = timeout; }
    // From any thread: the statement under way on this connection, if any, ends at
    // once with an error that tells why, and so does every later one, and open(),
    // until close().
    // A server that stopped answering holds a statement for as long as it stays
    // stopped; this is how the bench gets its thread back.
    void interrupt(const QString &why);
    bool wasInterrupted() const;
    QString error() const { return m_error; }
    const Location &location() const { return m_location; }
    QSqlDatabase database() const;

    // Adds the relays it does not hold yet, in one transaction: all of them or none.
    // A relay is held once per bench, report file, record index and record bytes, so
    // adding a relay again, or importing its report file again, adds nothing.
    bool add(const QList<RelayEntry> &entries, int *added = nullptr);

    // The relays of filter, oldest first, each with its items.
    bool forEach(const Filter &filter, const std::function<void(const RelayEntry &)> &visit);
    // The same, until visit returns false; that is no failure.
    bool forEachWhile(const Filter &filter, const std::function<bool(const RelayEntry &)> &visit);
    // Up to count relays of filter that follow after (the first ones when after is
    // null), oldest or newest first; without their items and raw values.
    bool page(const Filter &filter, bool newestFirst, const RelayEntry *after, int count, QList<RelayEntry> *relays);
    bool count(const Filter &filter, int *relays);
    // The style codes that filter finds, ascending.
    bool styles(const Filter &filter, QList<int> *codes);
    // How many report files the relays of filter come from, and the file when it is one.
    bool reportFiles(const Filter &filter, int *files, QString *onlyFile);
    // One quantity's numbers over the relays of filter, oldest first; only the
    // latest ones when latest is above 0.
    bool series(const Filter &filter, const QString &itemName, QList<std::pair<QDateTime, double>> *values,
                int latest = 0);

    // The WHERE clause over relays (as r) for filter, and the values it binds.
    struct Where {
        QString sql;
        QVariantList values;
    };
    static Where where(const Filter &filter);

private:
    bool fail(const QString &what, const QString &why);
    bool connect();
    bool migrate();
    bool correctToVersion2();
    int storedVersion();
    bool exec(const QString &statement);
    void keepHandles();

    Location m_location;
    QString m_connection;
    QString m_error;
    std::chrono::milliseconds m_statementTimeout{0};
    // What interrupt() needs of the open connection; taken by close() before the
    // connection goes, so another thread never reaches a connection that is gone.
    mutable QMutex m_handles;
    int m_socket = -1;             // PostgreSQL
    void *m_sqlite = nullptr;      // SQLite
    QString m_interruption;        // why the connection was interrupted; empty when it was not
};

// The measured quantities that the relays of these styles carry, in form order.
QList<Quantity> quantitiesOf(const QList<int> &styleCodes);

} // namespace history
