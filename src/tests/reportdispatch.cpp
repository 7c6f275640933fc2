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
void copyContactResults(const ReportDesk &desk)
{
    const QString from = desk.startupFolder.file(QStringLiteral("crval.csv"));
    if (!QFileInfo::exists(from))
        return;
    const QString to = platform::concatenated(desk.record.SaveFolder, QStringLiteral("CR_Values.csv"));
    const platform::WriteResult copied = platform::copyFileAtomically(from, to);
    if (!copied.ok) {
        desk.prompts.message(
            &desk.mainWindow, QStringLiteral("Generate Report"),
            QObject::tr("The contact resistance results were not copied to the report folder: %1").arg(copied.error),
            platform::PromptIcon::Exclamation);
    }
}

// The report form of styleCode (1..7), owned by the main window: made on first use,
// the same object every time after.
reports::ReportForm &reportForm(const ReportDesk &desk, int styleCode)
{
    const QString name = QString::fromLatin1(reports::styleFields(styleCode)->formName);
    auto *form = desk.mainWindow.findChild<reports::ReportForm *>(name, Qt::FindDirectChildrenOnly);
    if (!form)
        form = new reports::ReportForm(styleCode, desk.record, desk.prompts, desk.journal, &desk.mainWindow);
    return *form;
}

} // namespace

void generateReport(const ReportDesk &desk, int listIndex)
{
    copyContactResults(desk);
    if (listIndex < 0 || listIndex >= int(Entries.size()))
        return;

    const Entry &entry = Entries[std::size_t(listIndex)];
    desk.record.StyleCode = entry.styleCode;
    if (entry.contactVariant != 0)
        desk.record.ContactVariant = entry.contactVariant;
    // Each showing loads the form afresh from the bench record.
    reportForm(desk, entry.styleCode).open();
}

} // namespace reportdispatch
