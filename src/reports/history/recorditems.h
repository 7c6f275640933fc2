#pragma once

#include "reports/history/relayentry.h"

#include <QList>
#include <QStringList>

struct BenchRecord;

// What each line of a style's record means: the report form's field tables read as
// named items, in the order the form shows them.
namespace history {

// The key results of the relay table that an item gives.
enum class Role { None, CoilResistance, PickUp, DropAway, FrontContact, BackContact };

struct ItemDefinition {
    QString name;
    QString caption;
    QString group;
    ItemKind kind = ItemKind::Text;
    QString unit;      // of the quantity; the caption is the form's without the unit it names
    Role role = Role::None;
    int line = 0;      // 1-based line of the record that holds it
    int decimals = -1; // a number line of the long record is shown with this many decimals
    bool pickUpCurrent = false;
    // "% Release" of a relay whose pick-up current is below 20 mA is the drop-away
    // current itself, in milliamperes.
    bool releasePercent = false;
};

// The double that prints as the shortest text of a 32-bit reading: 66.8, not the
// 66.80000305175781 that the float itself widens to.
double shortestDouble(float value);

// The unit of a "% Release" item of a relay picking up at pickUpCurrent.
QString releaseUnit(const std::optional<double> &pickUpCurrent);

// The items of style code 1..7 in form order; empty for any other code.
const QList<ItemDefinition> &itemDefinitions(int styleCode);

// The unit of the key result role stands for, the same on every style.
QString unitOf(Role role);

// The interlocking codes a record of styleCode carries (the design texts of its
// code fields, which the operator does not type), and the line that holds them;
// no codes where the style has none.
struct InterlockingCodes {
    QStringList codes;
    int line = 0;
};
InterlockingCodes interlockingCodes(int styleCode);

// The style code of "QNA1" .. "QSPA1" (any case); 0 for another name.
int styleCodeOf(const QString &styleName);

// A relay from the lines of one record of styleCode (recordLineCount lines, without
// their line ends, as Latin-1 text). recordedAt, host, file and index are left to
// the caller. The record's lines go into raw; the hash is that of the record bytes.
RelayEntry entryFromLines(int styleCode, const QStringList &lines);

// A relay kept by an earlier Quillmark (a line of the journal's spool) with the
// captions and units of today's item definitions, read again from its record's lines.
RelayEntry withCurrentItems(const RelayEntry &kept);

// The relay whose record was just added from the bench record: the same items as
// the record's lines give, with the bench record's results added to raw.
RelayEntry entryFromRecord(const BenchRecord &record);

} // namespace history
