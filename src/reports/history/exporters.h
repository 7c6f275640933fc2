#pragma once

#include "reports/history/historystore.h"

#include <QString>

// The history's relays for other programs: CSV for a spreadsheet (a header row,
// one relay a row, '.' as the decimal point, UTF-8) and JSON (one object a relay,
// its items by name).
namespace history {

struct ExportResult {
    bool ok = false;
    int relays = 0;
    QString error;
};

// By the file's extension, .csv or .json; the file is replaced in one step.
ExportResult exportRelays(Store &store, const Filter &filter, const QString &path);

} // namespace history
