#pragma once

#include "reports/history/job.h"
#include "reports/history/relayentry.h"

#include <QDate>
#include <QList>
#include <QString>

#include <functional>

struct BenchRecord;

// The printable routine-test report: one section per relay with the clauses of its
// style as the report form shows them, A4, real text.
namespace history {

struct PdfHeading {
    QString host;        // the bench
    QString reportFile;  // where the relays were recorded; empty for a selection of the history
    QDate reportDate = {};  // the final report's date as its form shows it; null: each relay's own time
};

// The relays of a printout, handed out in order as often as the layout needs them
// (twice: once to place them, once to draw them), so that they are never all held
// in memory. forEach stops when visit returns false; false with error when the
// relays cannot be read. count is for telling the progress.
struct RelaySource {
    qint64 count = 0;
    std::function<bool(const std::function<bool(const RelayEntry &)> &visit, QString *error)> forEach;
};
RelaySource relaysOf(const QList<RelayEntry> &relays);

// The PDF's bytes; every relay's date is that of recordedAt on this PC.
QByteArray routinePdf(const QList<RelayEntry> &relays, const PdfHeading &heading);

struct PdfResult {
    bool ok = false;
    QString path;
    QString error;
    bool cancelled = false;
};

// Replaces path in one step, only with a whole PDF: on a full disk, or when job was
// called off, the file that was there keeps its bytes.
PdfResult writeRoutinePdf(const QString &path, const RelaySource &relays, const PdfHeading &heading,
                          const Job &job = Job());
PdfResult writeRoutinePdf(const QString &path, const QList<RelayEntry> &relays, const PdfHeading &heading);

// "RoutineTest.pdf" in the report folder from every record of the report file
// SaveFolder + fileName of the record's style, dated reportDate as the form is.
PdfResult writeFinalReportPdf(const BenchRecord &record, const QString &fileName, const QDate &reportDate,
                              const Job &job = Job());

} // namespace history
