#include "reports/history/finalreportprint.h"

#include "console/record/benchrecord.h"
#include "reports/history/progressbox.h"
#include "reports/history/worker.h"

#include <memory>

namespace history {

namespace {

// One printout: its thread and its progress box, both children of the form, so
// that a form closed first calls the printout off and waits for its thread.
class FinalReportPrint : public QObject
{
public:
    FinalReportPrint(const BenchRecord &record, const QString &fileName, const QDate &reportDate, QWidget *form,
                     std::function<void(const PdfResult &pdf)> done)
        : QObject(form)
        , m_worker(new Worker(QStringLiteral("final-report"), std::nullopt, this))
        , m_box(new ProgressBox(tr("Writing RoutineTest.pdf..."), form))
        , m_done(std::move(done))
    {
        connect(m_worker, &Worker::progressed, m_box, &ProgressBox::setProgress);
        connect(m_box, &ProgressBox::cancelRequested, m_worker, &Worker::cancel);
        auto result = std::make_shared<PdfResult>();
        m_worker->post(
            [result, record, fileName, reportDate](Store *, const Job &job) {
                *result = writeFinalReportPdf(record, fileName, reportDate, job);
            },
            [this, result] { finish(*result); });
        m_box->open();
    }

    ~FinalReportPrint() override { delete m_box; }

private:
    void finish(const PdfResult &pdf)
    {
        m_box->hide();
        deleteLater();
        m_done(pdf);
    }

    Worker *const m_worker;
    ProgressBox *const m_box;
    std::function<void(const PdfResult &pdf)> m_done;
};

} // namespace

void printFinalReport(const BenchRecord &record, const QString &fileName, const QDate &reportDate, QWidget *form,
                      std::function<void(const PdfResult &pdf)> done)
{
    new FinalReportPrint(record, fileName, reportDate, form, std::move(done));
}

} // namespace history
