#pragma once

#include "reports/history/relayentry.h"

#include <QDate>
#include <QList>
#include <QString>

struct BenchRecord;

// The printable routine-test report: one section per relay with the clauses of its
// style as the report form shows them, A4, real text.
namespace history {

struct PdfHeading {
    QString host;        // the bench
    QString reportFile;  // where the relays were recorded; empty for a selection of the history
    QDate reportDate = {};  // the final report's date as its form shows it; null: each relay's own time
};

// The PDF's bytes.
QByteArray routinePdf(const QList<RelayEntry> &relays, const PdfHeading &heading);

struct PdfResult {
    bool ok = false;
    QString path;
    QString error;
};

// Replaces path in one step.
PdfResult writeRoutinePdf(const QString &path, const QList<RelayEntry> &relays, const PdfHeading &heading);

// "RoutineTest.pdf" in the report folder from every record of the report file
// SaveFolder + fileName of the record's style, dated reportDate as the form is.
PdfResult writeFinalReportPdf(const BenchRecord &record, const QString &fileName, const QDate &reportDate);

} // namespace history
