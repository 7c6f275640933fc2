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

// "Generate Report": hands the relay on test over to the report form of its style.
namespace reportdispatch {

// What a report is made with.
struct ReportDesk {
    QWidget &mainWindow;  // the report forms open over it, window-modal, and belong to it
    BenchRecord &record;
    platform::Prompts &prompts;
    const platform::StartupFolder &startupFolder;  // where crval.csv is
    history::Journal *journal = nullptr;           // takes each relay recorded on to the results history
};

// Copies the latest contact resistance results (crval.csv in the start-up folder)
// to CR_Values.csv in the report folder, sets the style code of catalogue entry
// listIndex (and, for the QNA1 and QN1 entries, the contact variant) and shows
// that style's report form, until the operator ends it. Each style has one form,
// made on first use. With no entry selected (-1) only the copy is made.
void generateReport(const ReportDesk &desk, int listIndex);

} // namespace reportdispatch
