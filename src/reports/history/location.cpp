#include "reports/history/location.h"

#include <QByteArrayView>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>
#include <QUrlQuery>

#include <cstring>

namespace history {

namespace {

QString decoded(const QString &part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

// [start, end) of the first password in text: after "scheme://user:" up to '@', or
// the value of a password= parameter.
std::pair<qsizetype, qsizetype> passwordIn(QByteArrayView text)
{
    const qsizetype scheme = text.indexOf("://");
    if (scheme >= 0) {
        const qsizetype at = text.indexOf('@', scheme + 3);
        const qsizetype slash = text.indexOf('/', scheme + 3);
        const qsizetype colon = text.indexOf(':', scheme + 3);
        if (at > 0 && colon > 0 && colon < at && (slash < 0 || at < slash))
            return {colon + 1, at};
    }
    for (const char *key : {"?password=", "&password="}) {
        const qsizetype found = text.indexOf(key);
        if (found >= 0) {
            const qsizetype start = found + qsizetype(std::strlen(key));
            const qsizetype end = text.indexOf('&', start);
            return {start, end < 0 ? text.size() : end};
        }
    }
    return {-1, -1};
}

} // namespace

std::optional<Location> Location::parse(const QString &url, QString *why)
{
    const auto refuse = [&](const QString &reason) -> std::optional<Location> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    if (url.startsWith(QLatin1String("sqlite:"))) {
        QString path = url.mid(7);
        if (path.startsWith(QLatin1String("//")))
            path = path.mid(2);
        if (path.isEmpty())
            return refuse(QStringLiteral("%1 names no file").arg(withoutPassword(url)));
        Location location;
        location.path = QDir::cleanPath(decoded(path));
        return location;
    }
    if (url.endsWith(QLatin1String(".sqlite")) && !url.contains(QLatin1String("://"))) {
        Location location;
        location.path = QDir::cleanPath(url);
        return location;
    }

    // The host may be a socket folder written with %2F, which QUrl does not take.
    static const QRegularExpression form(QStringLiteral(
        "^postgres(?:ql)?://(?:([^:@/]*)(?::([^@/]*))?@)?([^/:?]*)(?::(\\d+))?/([^/?]+)(?:\\?(.*))?$"));
    const QRegularExpressionMatch m = form.match(url);
    if (!m.hasMatch())
        return refuse(QStringLiteral("%1 is not a history address; write postgresql://user@host/database "
                                     "or sqlite:FILE")
                          .arg(withoutPassword(url)));
    Location location;
    location.kind = Kind::PostgreSQL;
    location.user = decoded(m.captured(1));
    location.password = decoded(m.captured(2));
    location.host = decoded(m.captured(3));
    location.port = m.captured(4).isEmpty() ? -1 : m.captured(4).toInt();
    location.database = decoded(m.captured(5));
    const QUrlQuery query(m.captured(6));
    if (query.hasQueryItem(QStringLiteral("host")))
        location.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
    if (query.hasQueryItem(QStringLiteral("port")))
        location.port = query.queryItemValue(QStringLiteral("port")).toInt();
    return location;
}

Location Location::inFolder(const platform::StartupFolder &startupFolder)
{
    Location location;
    location.path = startupFolder.file(QStringLiteral("history.sqlite"));
    return location;
}

QString Location::describe() const
{
    if (kind == Kind::SQLite)
        return QDir::toNativeSeparators(path);
    QString hostPart = host.contains(QLatin1Char('/')) ? QString::fromUtf8(QUrl::toPercentEncoding(host)) : host;
    if (port > 0)
        hostPart += QLatin1Char(':') + QString::number(port);
    return QStringLiteral("postgresql://%1%2/%3")
        .arg(user.isEmpty() ? QString() : user + QLatin1Char('@'), hostPart, database);
}

QString withoutPassword(const QString &url)
{
    static const QRegularExpression afterUser(QStringLiteral("(://[^:@/]*:)[^@/]*@"));
    static const QRegularExpression parameter(QStringLiteral("([?&]password=)[^&]*"));
    return QString(url).replace(afterUser, QStringLiteral("\\1***@")).replace(parameter, QStringLiteral("\\1***"));
}

void hidePassword(char *text)
{
    for (qsizetype from = 0;;) {
        const QByteArrayView rest(text + from);
        const auto [start, end] = passwordIn(rest);
        if (start < 0)
            return;
        std::memset(text + from + start, '*', std::size_t(end - start));
        from += end;
    }
}

std::optional<Location> chosenLocation(const QString &url, const platform::StartupFolder &startupFolder, QString *why)
{
    const QString given = !url.isEmpty() ? url : qEnvironmentVariable("QUILLMARK_HISTORY");
    if (given.isEmpty())
        return Location::inFolder(startupFolder);
    std::optional<Location> location = Location::parse(given, why);
    // A file named without its folder lies in the folder the bench started in.
    if (location && location->kind == Location::Kind::SQLite)
        location->path = QDir::cleanPath(QDir(startupFolder.path()).absoluteFilePath(location->path));
    return location;
}

} // namespace history
