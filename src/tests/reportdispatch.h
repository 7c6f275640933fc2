#pragma once

struct BenchRecord;
class QWidget;
namespace history {
class Journal;
}
namespace platform {
class Prompts;
class StartupFolder;
}

namespace reports {
class ReportForm;
}

// "Generate Report": hands the relay on test over to the report form of its style.
namespace reportdispatch {

// Copies the latest contact resistance results (crval.csv in the start-up folder)
// to CR_Values.csv in the report folder, sets the style code of catalogue entry
// listIndex (and, for the QNA1 and QN1 entries, the contact variant) and shows
// that style's report form over mainWindow, window-modal, until the operator ends
// it. With no entry selected (-1) only the copy is made. The form takes each relay
// recorded on to journal, when there is one.
void cmdReport_Click(QWidget *mainWindow, BenchRecord &record, platform::Prompts &prompts, history::Journal *journal,
                     const platform::StartupFolder &startupFolder, int listIndex);

// The report form of styleCode (1..7), owned by mainWindow: made on first use,
// the same object every time after.
reports::ReportForm &reportForm(QWidget *mainWindow, BenchRecord &record, platform::Prompts &prompts,
                               history::Journal *journal, int styleCode);

} // namespace reportdispatch
