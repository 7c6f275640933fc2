#pragma once

#include "reports/history/routinepdf.h"

#include <functional>

class QWidget;

namespace history {

// Writes "RoutineTest.pdf" for MAKE FINAL REPORT (see writeFinalReportPdf) on a
// thread of its own, while the bench goes on polling. Its progress shows over
// form, with Cancel. done runs on this
// thread once the PDF is written, has failed or was called off; not at all when
// form goes first, which calls the printout off.
void printFinalReport(const BenchRecord &record, const QString &fileName, const QDate &reportDate, QWidget *form,
                      std::function<void(const PdfResult &pdf)> done);

} // namespace history
