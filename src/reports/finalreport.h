#pragma once

#include <QString>

struct BenchRecord;

// The final report of a batch is made outside this program by the style's
// spreadsheet template, which reads its records from "RoutineTest.csv" in the
// report folder. This puts both files there.
namespace reports {

// "Routine_Test_Format_<style>.xlsm", e.g. "Routine_Test_Format_QL1.xlsm"; empty
// for a style code without a report.
QString templateFileName(int styleCode);

struct FinalReportResult {
    bool ok = false;
    QString message;  // for the operator: every copy that failed and why; empty when ok
};

// Copies the report file SaveFolder + fileName to SaveFolder + "RoutineTest.csv"
// and, for style codes 1..7, the style's template from TemplateFolder to
// SaveFolder under the same name, reading the folders and style from the record.
//
// Each copy replaces an older one in one step, so an interrupted or failed copy
// leaves the old copy in place, never a cut-off one. Both copies are tried even
// when the first fails. A copy whose source and target are the same file (the
// report file named "RoutineTest.csv", or templates kept in the report folder) is
// skipped and counts as done. The report file itself is not changed, except that
// a record a crash cut off is taken out first (see reports::appendReportRecord).
[[nodiscard]] FinalReportResult prepareFinalReport(const BenchRecord &record, const QString &fileName);

} // namespace reports
