#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <optional>

// One relay as the results history keeps it: where and when its record was
// written, and every report item of the record as a named value.
namespace history {

// A measured value has a number (and mostly a unit); a verdict is "OK" or
// "Not OK"; everything else (relay ID, interlocking code, light unit status) is text.
enum class ItemKind { Measured, Verdict, Text };

QString kindName(ItemKind kind);  // "measured", "verdict", "text"
ItemKind kindFromName(const QString &name);

struct Item {
    QString name;     // stable across styles: "coil_resistance", "hv_test"
    QString caption;  // as the report form shows it
    QString group;    // the caption of the frame it stands in; empty outside one
    ItemKind kind = ItemKind::Text;
    QString unit;     // "Ohms", "V", "mA", ...; empty when it has none
    QString text;     // as the record holds it
    std::optional<double> number;  // a measured value that reads as a number
};

struct RelayEntry {
    qint64 rowId = 0;      // the history's number for it; 0 until it is kept
    QDateTime recordedAt;  // UTC
    QString host;          // the bench that wrote the record
    QString reportFile;    // absolute path
    int recordIndex = 0;   // 0 for the first record of the file
    QString relayId;
    int styleCode = 0;
    int contactVariant = 0;  // 1 8F-8B, 2 12F-4B; 0 where the style has one variant or it is unknown
    QString source;          // "form": added on the report form; "import": read back from a report file
    QByteArray recordSha1;   // hex of the record's bytes in the report file
    QList<Item> items;       // in the order the form shows them
    QJsonObject raw;         // the record's lines, and the bench record's results where they were at hand

    // The key results, for the relay table; absent where the style has no such value.
    std::optional<double> coilResistance, pickUp, dropAway, frontContact, backContact;
    QString pickUpUnit, dropAwayUnit;
    int verdictsFailed = 0;
    int verdictsTotal = 0;

    const Item *item(const QString &name) const;
};

QJsonObject toJson(const RelayEntry &entry);
RelayEntry fromJson(const QJsonObject &object);

// How a report file is named in the history: its full path, links followed.
QString reportFileKey(const QString &path);

// When a relay was recorded, as the history shows and exports it: "2024-03-05 10:00"
// on this PC's clock, whatever its regional date format.
QString recordedText(const QDateTime &recordedAt);

// At most limit characters of text, an ellipsis where it was cut: what is laid out
// on screen or paper of a text that a history made before imports had limits may
// hold at any length.
QString shownText(const QString &text, qsizetype limit);

// The decimal separator of the bench PC turned into a point, so a value reads the
// same on every machine; text of an item without a number as it is.
QString pointDecimal(const Item &item);

} // namespace history
