#pragma once

#include "console/record/benchrecord.h"

#include <QByteArray>
#include <QString>

// The report file: one value per line, one fixed-length record appended per relay,
// read by the style's spreadsheet template through its copy "RoutineTest.csv".
namespace reports {

// "QNA1", "QN1", "QNA1K", "QL1", "QECX61", "QTA2", "QSPA1" for style codes 1..7;
// empty for any other code.
QString styleName(int styleCode);

// Lines of one record: 54 for QNA1 and QN1 (style codes 1, 2), 30 for the other
// five styles (3..7), 0 for a code that has no report.
int recordLineCount(int styleCode);

// One relay's record for record.StyleCode, every line ended by CR LF; empty for a
// style code without a report.
//
// 54 lines: RelayID; CoilResistance1, PickUpVoltage, DropAwayVoltage and
// ManualDropAwayVoltage; ContactRes(1..16); ContactDelay(1..16); NOSequence;
// NCSequence; ReportItems(1..15). 30 lines: ReportItems(1..30).
//
// Numbers are written by recordNumber. Texts are written as they are, without
// quotes, one byte a character in Latin-1, which the bench PC's Western code page
// matches but for a few typographic signs such as the euro sign; those, like
// anything else Latin-1 cannot hold, become '?'. A CR or LF inside a text is
// written as a blank: the template finds a value by its line number, so one text
// must never take two lines.
QByteArray formatRecord(const BenchRecord &record);

struct AppendResult {
    bool ok = false;
    QString error;   // for the operator, naming the file; empty when ok
    QString notice;  // for the operator, naming the file, whether ok or not; mostly empty
    int recordIndex = -1;  // the record's place in the file, 0 for the first; -1 when nothing was added
};

// Appends the bench record's relay to the report file SaveFolder + fileName (the
// two joined as they are). The file is created when it does not exist.
//
// Nothing is written, and the call succeeds, for a style code without a report.
// A file that does not hold a whole number of this style's records (one written
// for the other record length, or cut off) is refused and left alone, because the
// template would read every later record from the wrong lines. The record goes to
// disk whole or not at all: on a full disk the file keeps exactly its old bytes,
// and a record that a crash cut off is taken out before the next one is added.
// When the note of such a record no longer fits the file (the file was replaced or
// added to since), nothing is taken out: the stale note is removed and notice says
// so, once. The record is then added as usual.
[[nodiscard]] AppendResult appendReportRecord(const BenchRecord &record, const QString &fileName);

} // namespace reports
