#include "reports/history/historystore.h"

#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLibrary>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStorageInfo>
#include <QStringList>
#include <QTimeZone>

#include <algorithm>

#include <sys/socket.h>

namespace history {

namespace {

const QString RelayColumns = QStringLiteral(
    "r.id, r.recorded_at, r.host, r.report_file, r.record_index, r.relay_id, r.style_code, r.contact_variant, "
    "r.source, r.record_sha1, r.coil_resistance, r.pickup, r.pickup_unit, r.dropaway, r.dropaway_unit, "
    "r.front_contact, r.back_contact, r.verdicts_failed, r.verdicts_total");

QVariant number(const std::optional<double> &value)
{
    return value ? QVariant(*value) : QVariant(QMetaType::fromType<double>());
}

// An empty text is kept as an empty text, not as a missing value.
QVariant text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

std::optional<double> numberAt(const QSqlQuery &query, int column)
{
    const QVariant value = query.value(column);
    if (value.isNull())
        return std::nullopt;
    return value.toDouble();
}

// UTC text sorts as time does, in both databases.
QString utcText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QString startOfDay(const QDate &day)
{
    return utcText(day.startOfDay());
}

// SQLite calls a full disk "disk I/O error" when it cannot grow the file it shares
// between connections, and "database or disk is full" when its own file cannot
// grow. Either, with less than this left beside the history, is a full disk.
constexpr qint64 FullDiskRoom = 1024 * 1024;

QString diskFullCause(const QString &folder, const QString &driverText)
{
    if (!driverText.contains(QLatin1String("disk I/O error")) && !driverText.contains(QLatin1String("disk is full")))
        return {};
    const QStorageInfo disk(folder);
    if (!disk.isValid() || disk.bytesAvailable() >= FullDiskRoom)
        return {};
    return QStringLiteral("disk full: %1 has %2 KB left (%3)")
        .arg(QDir::toNativeSeparators(folder))
        .arg(disk.bytesAvailable() / 1024)
        .arg(driverText);
}

// The tables of each version, for the two databases; they differ only in how a row
// gets its number.
QStringList schemaSteps(int version, bool postgres)
{
    const QString id = postgres ? QStringLiteral("BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY")
                                : QStringLiteral("INTEGER PRIMARY KEY");
    // The relay ID as the filter compares it: SQLite's LOWER() and LIKE fold ASCII
    // letters only, so the folding is the program's, the same on both databases.
    // Filled for the relays already held by correctToVersion2().
    if (version == 2)
        return {QStringLiteral("ALTER TABLE relays ADD COLUMN relay_id_folded TEXT NOT NULL DEFAULT ''")};
    if (version != 1)
        return {};
    return {
        QStringLiteral("CREATE TABLE relays ("
                       "id %1, host TEXT NOT NULL, report_file TEXT NOT NULL, record_index INTEGER NOT NULL, "
                       "record_sha1 TEXT NOT NULL, recorded_at TEXT NOT NULL, relay_id TEXT NOT NULL, "
                       "style TEXT NOT NULL, style_code INTEGER NOT NULL, contact_variant INTEGER NOT NULL, "
                       "source TEXT NOT NULL, coil_resistance DOUBLE PRECISION, pickup DOUBLE PRECISION, "
                       "pickup_unit TEXT, dropaway DOUBLE PRECISION, dropaway_unit TEXT, "
                       "front_contact DOUBLE PRECISION, back_contact DOUBLE PRECISION, "
                       "verdicts_failed INTEGER NOT NULL, verdicts_total INTEGER NOT NULL, "
                       "UNIQUE (host, report_file, record_index, record_sha1))")
            .arg(id),
        QStringLiteral("CREATE INDEX relays_recorded ON relays (recorded_at, id)"),
        QStringLiteral("CREATE INDEX relays_style ON relays (style_code, recorded_at)"),
        // Items and raw values are written only with their relay, in its transaction;
        // no foreign key is checked a row at a time on a busy server.
        QStringLiteral("CREATE TABLE items ("
                       "relay BIGINT NOT NULL, "
                       "position INTEGER NOT NULL, name TEXT NOT NULL, caption TEXT NOT NULL, kind TEXT NOT NULL, "
                       "unit TEXT NOT NULL, text TEXT NOT NULL, number DOUBLE PRECISION, "
                       "PRIMARY KEY (relay, position))"),
        QStringLiteral("CREATE INDEX items_name ON items (name, relay)"),
        // Beside the relays, so that reading the relay table does not read them.
        QStringLiteral("CREATE TABLE raw_values (relay BIGINT PRIMARY KEY, "
                       "raw TEXT NOT NULL)"),
    };
}

// Sets one text column of many rows, a few hundred rows a statement; the row keys
// are the history's own numbers, written into the statement.
bool setEach(QSqlDatabase db, const QString &table, const QString &key, const QString &column,
             const QList<std::pair<qint64, QString>> &rows, QString *why)
{
    constexpr qsizetype Chunk = 250;
    for (qsizetype first = 0; first < rows.size(); first += Chunk) {
        QStringList values;
        const QList<std::pair<qint64, QString>> chunk = rows.mid(first, Chunk);
        for (const auto &[row, value] : chunk)
            values << QStringLiteral("(%1, ?)").arg(row);
        QSqlQuery query(db);
        query.prepare(QStringLiteral("UPDATE %1 SET %3 = v.column2 FROM (VALUES %4) AS v WHERE %1.%2 = v.column1")
                          .arg(table, key, column, values.join(QStringLiteral(", "))));
        for (qsizetype i = 0; i < chunk.size(); ++i)
            query.bindValue(int(i), chunk[i].second);
        if (!query.exec()) {
            *why = query.lastError().text();
            return false;
        }
    }
    return true;
}

// The bench record's readings of a relay's raw values as the 32-bit numbers they are.
bool shortenBenchNumbers(QJsonObject &raw)
{
    QJsonObject bench = raw.value(QStringLiteral("bench")).toObject();
    bool changed = false;
    const auto shorten = [&changed](const QJsonValue &value) -> QJsonValue {
        if (!value.isDouble())
            return value;
        const double shortened = shortestDouble(float(value.toDouble()));
        changed = changed || shortened != value.toDouble();
        return shortened;
    };
    for (auto it = bench.begin(); it != bench.end(); ++it) {
        if (it->isArray()) {
            QJsonArray values = it->toArray();
            for (auto v = values.begin(); v != values.end(); ++v)
                *v = shorten(*v);
            *it = values;
        } else {
            *it = shorten(*it);
        }
    }
    raw.insert(QStringLiteral("bench"), bench);
    return changed;
}

RelayEntry relayAt(const QSqlQuery &q)
{
    RelayEntry e;
    e.rowId = q.value(0).toLongLong();
    e.recordedAt = QDateTime::fromString(q.value(1).toString(), Qt::ISODate);
    e.host = q.value(2).toString();
    e.reportFile = q.value(3).toString();
    e.recordIndex = q.value(4).toInt();
    e.relayId = q.value(5).toString();
    e.styleCode = q.value(6).toInt();
    e.contactVariant = q.value(7).toInt();
    e.source = q.value(8).toString();
    e.recordSha1 = q.value(9).toString().toLatin1();
    e.coilResistance = numberAt(q, 10);
    e.pickUp = numberAt(q, 11);
    e.pickUpUnit = q.value(12).toString();
    e.dropAway = numberAt(q, 13);
    e.dropAwayUnit = q.value(14).toString();
    e.frontContact = numberAt(q, 15);
    e.backContact = numberAt(q, 16);
    e.verdictsFailed = q.value(17).toInt();
    e.verdictsTotal = q.value(18).toInt();
    return e;
}

// The connection's own handle as the Qt driver holds it: its type is named after
// the client library's struct ("pg_conn*", "sqlite3*").
void *driverHandle(const QSqlDatabase &db, std::initializer_list<const char *> typeNames)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    for (const char *typeName : typeNames) {
        if (handle.isValid() && qstrcmp(handle.typeName(), typeName) == 0)
            return *static_cast<void *const *>(handle.constData());
    }
    return nullptr;
}

// The client libraries are those the Qt drivers loaded; their functions are looked
// up there, so the bench needs no libraries of its own for them.
using SocketOf = int (*)(const void *);
using Interrupt = void (*)(void *);

SocketOf pqSocket()
{
    static const auto found = reinterpret_cast<SocketOf>(QLibrary::resolve(QStringLiteral("pq"), 5, "PQsocket"));
    return found;
}

Interrupt sqliteInterrupt()
{
    static const auto found =
        reinterpret_cast<Interrupt>(QLibrary::resolve(QStringLiteral("sqlite3"), 0, "sqlite3_interrupt"));
    return found;
}

} // namespace

Store::Store(const Location &location, const QString &connectionName)
    : m_location(location)
    , m_connection(connectionName)
{
}

Store::~Store()
{
    close();
}

QSqlDatabase Store::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool Store::isOpen() const
{
    return QSqlDatabase::contains(m_connection) && database().isOpen();
}

void Store::close()
{
    {
        QMutexLocker lock(&m_handles);
        m_socket = -1;
        m_sqlite = nullptr;
        m_interruption.clear();
    }
    if (!QSqlDatabase::contains(m_connection))
        return;
    {
        QSqlDatabase db = database();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
}

// A driver's text may quote the connection it was given; the password never
// reaches the operator.
bool Store::fail(const QString &what, const QString &why)
{
    // The driver's words for a cut connection say nothing about the cause.
    QString cause = why;
    {
        QMutexLocker lock(&m_handles);
        if (!m_interruption.isEmpty())
            cause = m_interruption;
    }
    if (m_location.kind == Location::Kind::SQLite) {
        if (const QString full = diskFullCause(QFileInfo(m_location.path).absolutePath(), cause); !full.isEmpty())
            cause = full;
    }
    m_error = cause.isEmpty() ? what : what + QStringLiteral(": ") + cause;
    if (!m_location.password.isEmpty())
        m_error.replace(m_location.password, QStringLiteral("***"));
    return false;
}

void Store::keepHandles()
{
    const QSqlDatabase db = database();
    int socket = -1;
    void *sqlite = nullptr;
    if (m_location.kind == Location::Kind::PostgreSQL) {
        if (void *connection = driverHandle(db, {"pg_conn*", "PGconn*"}); connection && pqSocket())
            socket = pqSocket()(connection);
    } else {
        sqlite = driverHandle(db, {"sqlite3*"});
    }
    QMutexLocker lock(&m_handles);
    m_socket = socket;
    m_sqlite = sqlite;
}

void Store::interrupt(const QString &why)
{
    QMutexLocker lock(&m_handles);
    m_interruption = why;
    // Shut, not closed: the socket stays the driver's until it closes it, so its
    // number cannot be taken by another file meanwhile.
    if (m_socket >= 0)
        ::shutdown(m_socket, SHUT_RDWR);
    if (m_sqlite && sqliteInterrupt())
        sqliteInterrupt()(m_sqlite);
}

bool Store::answers()
{
    return isOpen() && exec(QStringLiteral("SELECT 1"));
}

bool Store::wasInterrupted() const
{
    QMutexLocker lock(&m_handles);
    return !m_interruption.isEmpty();
}

bool Store::exec(const QString &statement)
{
    QSqlQuery query(database());
    if (query.exec(statement))
        return true;
    return fail(QStringLiteral("The results history %1 refused a change").arg(m_location.describe()),
                query.lastError().text());
}

bool Store::open()
{
    m_error.clear();
    // Not even a new connection once cut: a server that stopped answering would
    // take its connect time-out again.
    if (wasInterrupted())
        return fail(QStringLiteral("The results history %1 cannot be opened").arg(m_location.describe()), {});
    close();
    if (!connect()) {
        close();
        return false;
    }
    keepHandles();
    if (!migrate()) {
        close();
        return false;
    }
    if (m_location.kind == Location::Kind::PostgreSQL && m_statementTimeout.count() > 0
        && !exec(QStringLiteral("SET statement_timeout = %1").arg(m_statementTimeout.count()))) {
        close();
        return false;
    }
    return true;
}

bool Store::connect()
{
    const bool postgres = m_location.kind == Location::Kind::PostgreSQL;
    const QString driver = postgres ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_connection);
    if (!db.isValid())
        return fail(QStringLiteral("The Qt SQL driver %1 is not installed (Debian package %2)")
                        .arg(driver, postgres ? QStringLiteral("libqt6sql6-psql") : QStringLiteral("libqt6sql6-sqlite")),
                    {});
    if (postgres) {
        db.setHostName(m_location.host);
        if (m_location.port > 0)
            db.setPort(m_location.port);
        db.setUserName(m_location.user);
        db.setPassword(m_location.password);
        db.setDatabaseName(m_location.database);
        // A server that is gone must not hold the history's thread for long: the
        // connection is given up after 2 s, and a server across the network that
        // went silent is found by the keepalives within 10 + 3 x 5 s.
        db.setConnectOptions(QStringLiteral("connect_timeout=2;keepalives=1;keepalives_idle=10;"
                                            "keepalives_interval=5;keepalives_count=3;application_name=quillmark"));
    } else {
        // SQLite would make the file in a folder that is not there; the history is
        // then unreachable instead, until the folder is back.
        if (!QFileInfo(QFileInfo(m_location.path).absolutePath()).isDir())
            return fail(QStringLiteral("The results history %1 cannot be opened").arg(m_location.describe()),
                        QStringLiteral("its folder does not exist"));
        db.setDatabaseName(m_location.path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    if (!db.open())
        return fail(QStringLiteral("The results history %1 cannot be opened").arg(m_location.describe()),
                    db.lastError().text());
    return true;
}

int Store::storedVersion()
{
    QSqlQuery query(database());
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next())
        return 0;
    return query.value(0).toInt();
}

// Histories of version 1 named the units of the report forms' captions: contact
// resistance in "Ohms" where the kit measures milliohms. Every item now takes the
// caption and unit of its definition; the relay IDs get their folded copy; the
// bench record's readings lose the digits that widening a 32-bit float added.
bool Store::correctToVersion2()
{
    const QString what = QStringLiteral("The results history %1 could not be brought up to date").arg(m_location.describe());
    QSqlDatabase db = database();
    QString why;
    for (int code = 1; code <= 7; ++code) {
        const QList<ItemDefinition> &definitions = itemDefinitions(code);
        for (const ItemDefinition &definition : definitions) {
            const QString unit = definition.releasePercent ? releaseUnit(20.0) : definition.unit;
            QSqlQuery query(db);
            query.prepare(QStringLiteral("UPDATE items SET caption = ?, unit = ? WHERE name = ? AND (caption <> ? OR "
                                         "unit <> ?) AND relay IN (SELECT id FROM relays WHERE style_code = ?)"));
            for (const QVariant &v : {QVariant(definition.caption), QVariant(unit), QVariant(definition.name),
                                      QVariant(definition.caption), QVariant(unit), QVariant(code)})
                query.addBindValue(v);
            if (!query.exec())
                return fail(what, query.lastError().text());
        }
        const auto pickUp = std::find_if(definitions.begin(), definitions.end(),
                                         [](const ItemDefinition &d) { return d.pickUpCurrent; });
        for (const ItemDefinition &definition : definitions) {
            if (!definition.releasePercent || pickUp == definitions.end())
                continue;
            // Below a pick-up current of 20 mA, as releaseUnit() tells.
            QSqlQuery query(db);
            query.prepare(QStringLiteral("UPDATE items SET unit = ? WHERE name = ? AND relay IN (SELECT relay FROM items "
                                         "WHERE name = ? AND number < 20) AND relay IN (SELECT id FROM relays WHERE "
                                         "style_code = ?)"));
            for (const QVariant &v : {QVariant(releaseUnit(0.0)), QVariant(definition.name), QVariant(pickUp->name),
                                      QVariant(code)})
                query.addBindValue(v);
            if (!query.exec())
                return fail(what, query.lastError().text());
        }
    }

    QList<std::pair<qint64, QString>> folded;
    QSqlQuery ids(db);
    ids.setForwardOnly(true);
    if (!ids.exec(QStringLiteral("SELECT id, relay_id FROM relays")))
        return fail(what, ids.lastError().text());
    while (ids.next())
        folded.append({ids.value(0).toLongLong(), ids.value(1).toString().toCaseFolded()});
    ids.finish();
    if (!setEach(db, QStringLiteral("relays"), QStringLiteral("id"), QStringLiteral("relay_id_folded"), folded, &why))
        return fail(what, why);

    // A page of raw values at a time: a form's relay keeps some kilobytes of them.
    for (qint64 after = -1;;) {
        QList<std::pair<qint64, QString>> raws;
        QSqlQuery bench(db);
        bench.setForwardOnly(true);
        if (!bench.exec(QStringLiteral("SELECT relay, raw FROM raw_values WHERE relay > %1 AND raw LIKE '%\"bench\"%' "
                                       "ORDER BY relay LIMIT 1000")
                            .arg(after)))
            return fail(what, bench.lastError().text());
        int read = 0;
        for (; bench.next(); ++read) {
            after = bench.value(0).toLongLong();
            QJsonObject raw = QJsonDocument::fromJson(bench.value(1).toString().toUtf8()).object();
            if (shortenBenchNumbers(raw))
                raws.append({after, QString::fromUtf8(QJsonDocument(raw).toJson(QJsonDocument::Compact))});
        }
        bench.finish();
        if (!setEach(db, QStringLiteral("raw_values"), QStringLiteral("relay"), QStringLiteral("raw"), raws, &why))
            return fail(what, why);
        if (read < 1000)
            return true;
    }
}

bool Store::migrate()
{
    int version = storedVersion();
    if (version == SchemaVersion)
        return true;
    if (version > SchemaVersion)
        return fail(QStringLiteral("The results history %1 was made by a newer Quillmark (tables of version %2; "
                                   "this one knows %3)")
                        .arg(m_location.describe())
                        .arg(version)
                        .arg(SchemaVersion),
                    {});
    const bool postgres = m_location.kind == Location::Kind::PostgreSQL;
    if (!postgres && version == 0 && !exec(QStringLiteral("PRAGMA journal_mode=WAL")))
        return false;
    // Two benches starting at once: the one that waits finds the tables made.
    if (!exec(postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    const auto abandon = [this] {
        const QString why = m_error;
        exec(QStringLiteral("ROLLBACK"));
        m_error = why;
        return false;
    };
    if ((postgres && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(7410512)")))
        || !exec(QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return abandon();
    version = storedVersion();
    for (int step = version + 1; step <= SchemaVersion; ++step) {
        for (const QString &statement : schemaSteps(step, postgres)) {
            if (!exec(statement))
                return abandon();
        }
        if (step == 2 && !correctToVersion2())
            return abandon();
    }
    if (version < SchemaVersion
        && !(exec(QStringLiteral("DELETE FROM schema_version"))
             && exec(QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(SchemaVersion))))
        return abandon();
    return exec(QStringLiteral("COMMIT")) || abandon();
}

namespace {

// The key by which a relay is held once.
QString keyOf(const QString &host, const QString &reportFile, int recordIndex, const QString &sha1)
{
    return host + QLatin1Char('\n') + reportFile + QLatin1Char('\n') + QString::number(recordIndex)
           + QLatin1Char('\n') + sha1;
}

QString placeholders(int rows, int columns)
{
    const QString row = QLatin1Char('(') + QStringList(columns, QStringLiteral("?")).join(QStringLiteral(", "))
                        + QLatin1Char(')');
    return QStringList(rows, row).join(QStringLiteral(", "));
}

constexpr int RelayFields = 20;
constexpr int ItemFields = 8;
constexpr int RelaysAStatement = 8;

} // namespace

// A few relays a statement, and their items and raw values in one more each: a
// server across the network answers once for eight relays, while the statements
// stay short enough for SQLite, whose cost per bound value grows with their number.
bool Store::add(const QList<RelayEntry> &entries, int *added)
{
    if (added)
        *added = 0;
    if (entries.isEmpty())
        return true;
    if (!isOpen() && !open())
        return false;
    QSqlDatabase db = database();
    const QString what = QStringLiteral("The results history %1 did not take the records").arg(m_location.describe());
    if (!db.transaction())
        return fail(what, db.lastError().text());
    const auto rollBack = [&](const QString &why) {
        db.rollback();
        return fail(what, why);
    };

    // Prepared once for each number of rows: preparing costs more than running.
    QHash<int, QSqlQuery> relayInserts, rawInserts, itemInserts;
    const auto statement = [&db](QHash<int, QSqlQuery> &cache, int rows, const QString &sql) -> QSqlQuery & {
        auto found = cache.find(rows);
        if (found == cache.end()) {
            found = cache.insert(rows, QSqlQuery(db));
            found->prepare(sql);
        }
        return *found;
    };
    int newRelays = 0;
    for (qsizetype first = 0; first < entries.size(); first += RelaysAStatement) {
        const QList<RelayEntry> chunk = entries.mid(first, RelaysAStatement);
        QSqlQuery &relays = statement(relayInserts, int(chunk.size()), QStringLiteral(
                           "INSERT INTO relays (host, report_file, record_index, record_sha1, recorded_at, relay_id, "
                           "relay_id_folded, style, style_code, contact_variant, source, coil_resistance, pickup, pickup_unit, dropaway, "
                           "dropaway_unit, front_contact, back_contact, verdicts_failed, verdicts_total) VALUES %1 "
                           "ON CONFLICT (host, report_file, record_index, record_sha1) DO NOTHING "
                           "RETURNING id, host, report_file, record_index, record_sha1")
                           .arg(placeholders(int(chunk.size()), RelayFields)));
        QHash<QString, qsizetype> entryOf;
        int k = 0;
        for (qsizetype i = 0; i < chunk.size(); ++i) {
            const RelayEntry &e = chunk[i];
            const QString sha1 = QString::fromLatin1(e.recordSha1);
            entryOf.insert(keyOf(e.host, e.reportFile, e.recordIndex, sha1), i);
            for (const QVariant &v :
                 {text(e.host), text(e.reportFile), QVariant(e.recordIndex), QVariant(sha1), QVariant(utcText(e.recordedAt)),
                  text(e.relayId), text(e.relayId.toCaseFolded()), QVariant(reports::styleName(e.styleCode)), QVariant(e.styleCode),
                  QVariant(e.contactVariant), text(e.source), number(e.coilResistance), number(e.pickUp),
                  text(e.pickUpUnit), number(e.dropAway), text(e.dropAwayUnit), number(e.frontContact),
                  number(e.backContact), QVariant(e.verdictsFailed), QVariant(e.verdictsTotal)})
                relays.bindValue(k++, v);
        }
        if (!relays.exec())
            return rollBack(relays.lastError().text());

        // Only the relays new to the history come back, each with its row number.
        QList<std::pair<qint64, const RelayEntry *>> fresh;
        while (relays.next()) {
            const QString key = keyOf(relays.value(1).toString(), relays.value(2).toString(), relays.value(3).toInt(),
                                      relays.value(4).toString());
            if (entryOf.contains(key))
                fresh.append({relays.value(0).toLongLong(), &chunk[entryOf.value(key)]});
        }
        relays.finish();
        newRelays += int(fresh.size());
        if (fresh.isEmpty())
            continue;

        QSqlQuery &raws = statement(rawInserts, int(fresh.size()),
                                    QStringLiteral("INSERT INTO raw_values (relay, raw) VALUES ")
                                        + placeholders(int(fresh.size()), 2));
        k = 0;
        for (const auto &[id, e] : std::as_const(fresh)) {
            raws.bindValue(k++, id);
            raws.bindValue(k++, QString::fromUtf8(QJsonDocument(e->raw).toJson(QJsonDocument::Compact)));
        }
        if (!raws.exec())
            return rollBack(raws.lastError().text());

        int itemRows = 0;
        for (const auto &[id, e] : std::as_const(fresh))
            itemRows += int(e->items.size());
        if (itemRows == 0)
            continue;
        QSqlQuery &items = statement(itemInserts, itemRows,
                                     QStringLiteral("INSERT INTO items (relay, position, name, caption, kind, unit, "
                                                    "text, number) VALUES ")
                                         + placeholders(itemRows, ItemFields));
        k = 0;
        for (const auto &[id, e] : std::as_const(fresh)) {
            for (int position = 0; position < e->items.size(); ++position) {
                const Item &item = e->items[position];
                for (const QVariant &v : {QVariant(id), QVariant(position), text(item.name), text(item.caption),
                                          QVariant(kindName(item.kind)), text(item.unit), text(item.text),
                                          number(item.number)})
                    items.bindValue(k++, v);
            }
        }
        if (!items.exec())
            return rollBack(items.lastError().text());
    }
    if (!db.commit())
        return rollBack(db.lastError().text());
    if (added)
        *added = newRelays;
    return true;
}

Store::Where Store::where(const Filter &filter)
{
    QStringList terms;
    Where w;
    if (!filter.relayIdText.isEmpty()) {
        QString pattern = filter.relayIdText.toCaseFolded();
        pattern.replace(QLatin1Char('!'), QStringLiteral("!!"))
            .replace(QLatin1Char('%'), QStringLiteral("!%"))
            .replace(QLatin1Char('_'), QStringLiteral("!_"));
        terms << QStringLiteral("r.relay_id_folded LIKE ? ESCAPE '!'");
        w.values << QStringLiteral("%") + pattern + QStringLiteral("%");
    }
    if (filter.styleCode != 0) {
        terms << QStringLiteral("r.style_code = ?");
        w.values << filter.styleCode;
    }
    if (filter.from.isValid()) {
        terms << QStringLiteral("r.recorded_at >= ?");
        w.values << startOfDay(filter.from);
    }
    if (filter.to.isValid()) {
        terms << QStringLiteral("r.recorded_at < ?");
        w.values << startOfDay(filter.to.addDays(1));
    }
    if (!filter.ids.isEmpty()) {
        QStringList ids;
        for (const qint64 id : filter.ids)
            ids << QString::number(id);
        terms << QStringLiteral("r.id IN (%1)").arg(ids.join(QLatin1Char(',')));
    }
    w.sql = terms.isEmpty() ? QString() : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
    return w;
}

namespace {

bool run(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return false;
    for (int i = 0; i < values.size(); ++i)
        query.bindValue(i, values[i]);
    return query.exec();
}

} // namespace

bool Store::page(const Filter &filter, bool newestFirst, const RelayEntry *after, int count, QList<RelayEntry> *relays)
{
    if (!isOpen() && !open())
        return false;
    Where w = where(filter);
    QString sql = QStringLiteral("SELECT %1 FROM relays r%2").arg(RelayColumns, w.sql);
    // By the last relay of the page before, so no page costs more than the first.
    if (after) {
        sql += (w.sql.isEmpty() ? QStringLiteral(" WHERE ") : QStringLiteral(" AND "))
               + QStringLiteral("(r.recorded_at %1 ? OR (r.recorded_at = ? AND r.id %1 ?))")
                     .arg(newestFirst ? QLatin1Char('<') : QLatin1Char('>'));
        const QString at = utcText(after->recordedAt);
        w.values << at << at << after->rowId;
    }
    sql += newestFirst ? QStringLiteral(" ORDER BY r.recorded_at DESC, r.id DESC")
                       : QStringLiteral(" ORDER BY r.recorded_at, r.id");
    sql += QStringLiteral(" LIMIT %1").arg(count);
    relays->clear();
    QSqlQuery query(database());
    if (!run(query, sql, w.values))
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    while (query.next())
        relays->append(relayAt(query));
    if (query.lastError().isValid())
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    return true;
}

// A page of relays at a time, then their items: one query open at a time, which
// PostgreSQL's row-by-row reading needs, and never the whole history in memory.
bool Store::forEach(const Filter &filter, const std::function<void(const RelayEntry &)> &visit)
{
    return forEachWhile(filter, [&visit](const RelayEntry &entry) {
        visit(entry);
        return true;
    });
}

bool Store::forEachWhile(const Filter &filter, const std::function<bool(const RelayEntry &)> &visit)
{
    constexpr int Page = 500;
    QList<RelayEntry> page;
    for (;;) {
        const RelayEntry last = page.isEmpty() ? RelayEntry() : page.constLast();
        if (!this->page(filter, false, page.isEmpty() ? nullptr : &last, Page, &page))
            return false;
        if (page.isEmpty())
            return true;
        QHash<qint64, qsizetype> rowOf;
        QStringList ids;
        for (qsizetype i = 0; i < page.size(); ++i) {
            rowOf.insert(page[i].rowId, i);
            ids << QString::number(page[i].rowId);
        }
        const QString what = QStringLiteral("The results history %1 could not be read").arg(m_location.describe());
        QSqlQuery raws(database());
        if (!run(raws, QStringLiteral("SELECT relay, raw FROM raw_values WHERE relay IN (%1)").arg(ids.join(QLatin1Char(','))),
                 {}))
            return fail(what, raws.lastError().text());
        while (raws.next())
            page[rowOf.value(raws.value(0).toLongLong())].raw =
                QJsonDocument::fromJson(raws.value(1).toString().toUtf8()).object();
        raws.finish();
        QSqlQuery items(database());
        if (!run(items,
                 QStringLiteral("SELECT relay, name, caption, kind, unit, text, number FROM items WHERE relay IN (%1) "
                                "ORDER BY relay, position")
                     .arg(ids.join(QLatin1Char(','))),
                 {}))
            return fail(what, items.lastError().text());
        while (items.next()) {
            RelayEntry &entry = page[rowOf.value(items.value(0).toLongLong())];
            Item item{items.value(1).toString(), items.value(2).toString(), QString(),
                      kindFromName(items.value(3).toString()), items.value(4).toString(), items.value(5).toString(),
                      numberAt(items, 6)};
            // The frame captions are the style's, not kept a row each.
            for (const ItemDefinition &definition : itemDefinitions(entry.styleCode)) {
                if (definition.name == item.name)
                    item.group = definition.group;
            }
            entry.items.append(item);
        }
        items.finish();
        for (const RelayEntry &entry : std::as_const(page)) {
            if (!visit(entry))
                return true;
        }
        if (page.size() < Page)
            return true;
    }
}

bool Store::count(const Filter &filter, int *relays)
{
    if (!isOpen() && !open())
        return false;
    const Where w = where(filter);
    QSqlQuery query(database());
    if (!run(query, QStringLiteral("SELECT COUNT(*) FROM relays r") + w.sql, w.values) || !query.next())
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    *relays = query.value(0).toInt();
    return true;
}

bool Store::styles(const Filter &filter, QList<int> *codes)
{
    if (!isOpen() && !open())
        return false;
    const Where w = where(filter);
    QSqlQuery query(database());
    if (!run(query, QStringLiteral("SELECT DISTINCT r.style_code FROM relays r%1 ORDER BY r.style_code").arg(w.sql),
             w.values))
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    codes->clear();
    while (query.next())
        codes->append(query.value(0).toInt());
    return true;
}

bool Store::reportFiles(const Filter &filter, int *files, QString *onlyFile)
{
    if (!isOpen() && !open())
        return false;
    const Where w = where(filter);
    QSqlQuery query(database());
    if (!run(query, QStringLiteral("SELECT COUNT(DISTINCT r.report_file), MIN(r.report_file) FROM relays r") + w.sql,
             w.values)
        || !query.next())
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    *files = query.value(0).toInt();
    *onlyFile = *files == 1 ? query.value(1).toString() : QString();
    return true;
}

bool Store::series(const Filter &filter, const QString &itemName, QList<std::pair<QDateTime, double>> *values,
                   int latest)
{
    if (!isOpen() && !open())
        return false;
    Where w = where(filter);
    w.values.prepend(itemName);
    // Relay by relay, newest first, each looking up its one item: the size of the
    // history does not matter when only the latest are wanted.
    QString sql = QStringLiteral("SELECT r.recorded_at, (SELECT i.number FROM items i WHERE i.relay = r.id AND "
                                 "i.name = ?) FROM relays r%1 ORDER BY r.recorded_at DESC, r.id DESC")
                      .arg(w.sql);
    if (latest > 0)
        sql += QStringLiteral(" LIMIT %1").arg(latest);
    QSqlQuery query(database());
    if (!run(query, sql, w.values))
        return fail(QStringLiteral("The results history %1 could not be read").arg(m_location.describe()),
                    query.lastError().text());
    values->clear();
    while (query.next()) {
        if (!query.value(1).isNull())
            values->prepend({QDateTime::fromString(query.value(0).toString(), Qt::ISODate), query.value(1).toDouble()});
    }
    return true;
}

QList<Quantity> quantitiesOf(const QList<int> &styleCodes)
{
    QList<Quantity> out;
    for (const int code : styleCodes) {
        for (const ItemDefinition &definition : itemDefinitions(code)) {
            const bool known = std::any_of(out.begin(), out.end(), [&](const Quantity &q) { return q.name == definition.name; });
            if (definition.kind == ItemKind::Measured && !known)
                out.append({definition.name, definition.caption, definition.unit, definition.group});
        }
    }
    return out;
}

} // namespace history
