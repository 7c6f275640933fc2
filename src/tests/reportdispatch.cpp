#include "tests/reportdispatch.h"

#include "console/record/benchrecord.h"
#include "platform/atomicfile.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "platform/startupfolder.h"
#include "reports/reportfields.h"
#include "reports/reportform.h"

#include <QFileInfo>
#include <QObject>

#include <array>

namespace reportdispatch {

namespace {

struct Entry {
    qint16 styleCode;
    qint16 contactVariant;  // 0: the entry has a single variant and leaves it alone
};

// By catalogue list index: QNA1 and QN1 come in 8F-8B (1) and 12F-4B (2).
constexpr std::array<Entry, 9> Entries{{
    {1, 1}, {1, 2}, {2, 1}, {2, 2}, {3, 0}, {4, 0}, {5, 0}, {6, 0}, {7, 0},
}};

// The report folder gets the latest contact resistance results beside the report
// file. With no results file yet there is nothing to hand over; a copy that fails
// is told to the operator, and the report can still be made.
void copyContactResults(QWidget *mainWindow, platform::Prompts &prompts, const platform::StartupFolder &startupFolder,
                        const QString &saveFolder)
{
    const QString from = startupFolder.file(QStringLiteral("crval.csv"));
    if (!QFileInfo::exists(from))
        return;
    const QString to = platform::concatenated(saveFolder, QStringLiteral("CR_Values.csv"));
    const platform::WriteResult copied = platform::copyFileAtomically(from, to);
    if (!copied.ok) {
        prompts.message(
            mainWindow, QStringLiteral("Generate Report"),
            QObject::tr("The contact resistance results were not copied to the report folder: %1").arg(copied.error),
            platform::PromptIcon::Exclamation);
    }
}

} // namespace

reports::ReportForm &reportForm(QWidget *mainWindow, BenchRecord &record, platform::Prompts &prompts,
                               history::Journal *journal, int styleCode)
{
    Q_ASSERT(mainWindow);
    const QString name = QString::fromLatin1(reports::styleFields(styleCode)->formName);
    auto *form = mainWindow->findChild<reports::ReportForm *>(name, Qt::FindDirectChildrenOnly);
    if (!form)
        form = new reports::ReportForm(styleCode, record, prompts, journal, mainWindow);
    return *form;
}

void cmdReport_Click(QWidget *mainWindow, BenchRecord &record, platform::Prompts &prompts, history::Journal *journal,
                     const platform::StartupFolder &startupFolder, int listIndex)
{
    copyContactResults(mainWindow, prompts, startupFolder, record.SaveFolder);
    if (listIndex < 0 || listIndex >= int(Entries.size()))
        return;

    const Entry &entry = Entries[std::size_t(listIndex)];
    record.StyleCode = entry.styleCode;
    if (entry.contactVariant != 0)
        record.ContactVariant = entry.contactVariant;
    // Each showing loads the form afresh from the bench record.
    reportForm(mainWindow, record, prompts, journal, entry.styleCode).open();
}

} // namespace reportdispatch
