#pragma once

#include "reports/history/historystore.h"
#include "reports/history/job.h"

#include <QString>

// The history's relays for other programs: CSV for a spreadsheet (a header row,
// one relay a row, '.' as the decimal point, UTF-8) and JSON (one object a relay,
// its items by name).
namespace history {

struct ExportResult {
    bool ok = false;
    bool cancelled = false;
    int relays = 0;
    QString error;
};

// By the file's extension, .csv or .json. The file is replaced only by a whole
// export: every write is checked, and on a full disk, a read that fails or a job
// called off, a file already there keeps its bytes and error names the cause.
ExportResult exportRelays(Store &store, const Filter &filter, const QString &path, const Job &job = Job());

} // namespace history
