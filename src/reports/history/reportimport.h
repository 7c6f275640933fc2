#pragma once

#include "reports/history/relayentry.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace history {

class Store;

// The records of a report file of styleCode, each as its lines; error says why
// not when the file cannot be read or does not hold whole records of the style.
struct ReportRecords {
    QList<QStringList> records;
    QString error;
};
ReportRecords readReportFile(const QString &path, int styleCode);

// The relays of a report file as the history keeps them, written on this bench at
// the file's last change.
struct ReportEntries {
    QList<RelayEntry> entries;
    QString error;
};
ReportEntries entriesOfReportFile(const QString &path, int styleCode);

struct ImportResult {
    bool ok = false;
    int records = 0;  // in the file
    int added = 0;    // new to the history
    QString error;
};

// Brings a report file's records into the history; a record it holds already is
// left alone, so importing a file twice adds nothing.
ImportResult importReportFile(Store &store, const QString &path, int styleCode);

} // namespace history
