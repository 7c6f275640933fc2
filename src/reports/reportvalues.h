#pragma once

#include "console/record/benchrecord.h"
#include "reports/reportfields.h"

#include <QDate>
#include <QString>

// The texts a report form shows: results from the bench record, the report date,
// and the serial number handed on to the next relay of the style.
namespace reports {

// source taken from record and written in format ("0.0", "0.00", "0" or the
// plain number text of the single), with the PC's decimal separator.
QString resultText(Source source, Format format, const BenchRecord &record);

// Day, month and four-digit year, parted by the separator of the PC's dates
// ("/" where it has none of its own): 31/12/2022.
QString reportDate(const QDate &date);

// The serial after the one in the relay ID: the number its text starts with
// (blanks ignored, 0 without one) plus one, at least four digits: "0009" gives
// "0010", "9999" gives "10000", "abc" gives "0001".
QString nextSerial(const QString &serial);

} // namespace reports
