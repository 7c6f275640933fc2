#include "reports/history/relayentry.h"

#include "reports/reportfile.h"

#include <QDir>
#include <QFileInfo>


#include <algorithm>

namespace history {

namespace {

void putNumber(QJsonObject &object, const char *key, const std::optional<double> &value)
{
    if (value)
        object.insert(QLatin1String(key), *value);
}

std::optional<double> takeNumber(const QJsonObject &object, const char *key)
{
    const QJsonValue value = object.value(QLatin1String(key));
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

} // namespace

QString kindName(ItemKind kind)
{
    switch (kind) {
    case ItemKind::Measured: return QStringLiteral("measured");
    case ItemKind::Verdict: return QStringLiteral("verdict");
    case ItemKind::Text: break;
    }
    return QStringLiteral("text");
}

ItemKind kindFromName(const QString &name)
{
    if (name == QLatin1String("measured"))
        return ItemKind::Measured;
    if (name == QLatin1String("verdict"))
        return ItemKind::Verdict;
    return ItemKind::Text;
}

const Item *RelayEntry::item(const QString &name) const
{
    const auto found = std::find_if(items.begin(), items.end(), [&name](const Item &i) { return i.name == name; });
    return found == items.end() ? nullptr : &*found;
}

QJsonObject toJson(const RelayEntry &entry)
{
    QJsonObject items;
    for (int position = 0; position < entry.items.size(); ++position) {
        const Item &item = entry.items[position];
        QJsonObject value{{QStringLiteral("position"), position},
                          {QStringLiteral("caption"), item.caption},
                          {QStringLiteral("kind"), kindName(item.kind)},
                          {QStringLiteral("text"), item.text}};
        if (!item.group.isEmpty())
            value.insert(QStringLiteral("group"), item.group);
        if (!item.unit.isEmpty())
            value.insert(QStringLiteral("unit"), item.unit);
        putNumber(value, "value", item.number);
        items.insert(item.name, value);
    }
    QJsonObject key{{QStringLiteral("verdicts_failed"), entry.verdictsFailed},
                    {QStringLiteral("verdicts_total"), entry.verdictsTotal}};
    putNumber(key, "coil_resistance", entry.coilResistance);
    putNumber(key, "pick_up", entry.pickUp);
    putNumber(key, "drop_away", entry.dropAway);
    putNumber(key, "front_contact", entry.frontContact);
    putNumber(key, "back_contact", entry.backContact);
    if (entry.pickUp)
        key.insert(QStringLiteral("pick_up_unit"), entry.pickUpUnit);
    if (entry.dropAway)
        key.insert(QStringLiteral("drop_away_unit"), entry.dropAwayUnit);
    return {
        {QStringLiteral("recorded_at"), entry.recordedAt.toUTC().toString(Qt::ISODate)},
        {QStringLiteral("host"), entry.host},
        {QStringLiteral("report_file"), entry.reportFile},
        {QStringLiteral("record_index"), entry.recordIndex},
        {QStringLiteral("relay_id"), entry.relayId},
        {QStringLiteral("style"), reports::styleName(entry.styleCode)},
        {QStringLiteral("style_code"), entry.styleCode},
        {QStringLiteral("contact_variant"), entry.contactVariant},
        {QStringLiteral("source"), entry.source},
        {QStringLiteral("record_sha1"), QString::fromLatin1(entry.recordSha1)},
        {QStringLiteral("key_results"), key},
        {QStringLiteral("items"), items},
        {QStringLiteral("raw"), entry.raw},
    };
}

RelayEntry fromJson(const QJsonObject &object)
{
    RelayEntry entry;
    entry.recordedAt = QDateTime::fromString(object.value(QStringLiteral("recorded_at")).toString(), Qt::ISODate);
    entry.host = object.value(QStringLiteral("host")).toString();
    entry.reportFile = object.value(QStringLiteral("report_file")).toString();
    entry.recordIndex = object.value(QStringLiteral("record_index")).toInt();
    entry.relayId = object.value(QStringLiteral("relay_id")).toString();
    entry.styleCode = object.value(QStringLiteral("style_code")).toInt();
    entry.contactVariant = object.value(QStringLiteral("contact_variant")).toInt();
    entry.source = object.value(QStringLiteral("source")).toString();
    entry.recordSha1 = object.value(QStringLiteral("record_sha1")).toString().toLatin1();
    entry.raw = object.value(QStringLiteral("raw")).toObject();

    const QJsonObject key = object.value(QStringLiteral("key_results")).toObject();
    entry.coilResistance = takeNumber(key, "coil_resistance");
    entry.pickUp = takeNumber(key, "pick_up");
    entry.dropAway = takeNumber(key, "drop_away");
    entry.frontContact = takeNumber(key, "front_contact");
    entry.backContact = takeNumber(key, "back_contact");
    entry.pickUpUnit = key.value(QStringLiteral("pick_up_unit")).toString();
    entry.dropAwayUnit = key.value(QStringLiteral("drop_away_unit")).toString();
    entry.verdictsFailed = key.value(QStringLiteral("verdicts_failed")).toInt();
    entry.verdictsTotal = key.value(QStringLiteral("verdicts_total")).toInt();

    const QJsonObject items = object.value(QStringLiteral("items")).toObject();
    QList<std::pair<int, Item>> placed;
    for (auto it = items.begin(); it != items.end(); ++it) {
        const QJsonObject value = it.value().toObject();
        Item item;
        item.name = it.key();
        item.caption = value.value(QStringLiteral("caption")).toString();
        item.group = value.value(QStringLiteral("group")).toString();
        item.kind = kindFromName(value.value(QStringLiteral("kind")).toString());
        item.unit = value.value(QStringLiteral("unit")).toString();
        item.text = value.value(QStringLiteral("text")).toString();
        item.number = takeNumber(value, "value");
        placed.append({value.value(QStringLiteral("position")).toInt(), item});
    }
    std::stable_sort(placed.begin(), placed.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[position, item] : placed)
        entry.items.append(item);
    return entry;
}

QString reportFileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

QString recordedText(const QDateTime &recordedAt)
{
    return recordedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QString shownText(const QString &text, qsizetype limit)
{
    return text.size() <= limit ? text : text.left(limit) + QChar(0x2026);
}

QString pointDecimal(const Item &item)
{
    if (!item.number)
        return item.text;
    QString text = item.text.trimmed();
    if (!text.contains(QLatin1Char('.')))
        text.replace(QLatin1Char(','), QLatin1Char('.'));
    return text;
}

} // namespace history
