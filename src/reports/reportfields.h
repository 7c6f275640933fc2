#pragma once

#include "platform/formlayout.h"

#include <span>

// What tells the seven report forms apart: their fields and captions, what fills
// each result field when a form opens, and which control gives each report item.
// The form itself (reportform.h) is one class that reads these tables.
namespace reports {

// The bench record value a result field shows when the form opens.
enum class Source {
    CoilResistance1,
    CoilResistance2,
    PickUpVoltage,
    DropAwayVoltage,
    ManualDropAwayVoltage,
    PickUpCurrent,
    DropAwayCurrent,
    FullOperateCurrent,      // pick-up current times 1.25
    ReleasePercent,          // drop-away in percent of a pick-up current of 20 mA or more
    LargestFrontResistance,  // largest contact resistance of channels 1..8
    LargestBackResistance,   // largest contact resistance of channels 9..16
    LatestDelay,             // the latest contact delay reading, ContactDelay(0)
    ReleaseTransferDelay,    // ContactDelay(15)
    FrontBounce,             // ContactDelay(1) times 5
    BackBounce,              // ContactDelay(9) times 5
    DropAwayTime,            // largest contact delay of channels 9..16
    DelayDifference,         // between the largest back and front contact delays
};

enum class Format {
    OneDecimal,   // "0.0"
    TwoDecimals,  // "0.00"
    Whole,        // "0", rounded
    Plain,        // at most seven significant digits, as on the report file's number lines
};

// txtAutoPara(field) shows source in format.
struct Fill {
    int field;
    Source source;
    Format format;
};

struct StyleFields {
    int styleCode;                 // 1..7
    const char *formName;          // objectName of the form, "frmQN1"
    const char *caption;           // window caption
    const char *discardName;       // objectName of the DISCARD TEST RESULT button
    int verdictLists;              // cmbOK(0..n-1)
    int puDaLists;                 // cmbPUDA(0..n-1)
    // txtAutoPara index whose text is the interlocking code; -1 when the style has
    // none. CodeByContactVariant: opt(0) / opt(1) choose txtAutoPara(6) / (7).
    int codeField;
    int frameHeight;               // Frame1, in twips
    std::span<const formlayout::Control> fields;  // everything in Frame1 below the relay ID row
    std::span<const Fill> fills;
    std::span<const char *const> items;  // controls of ReportItems(2) onward; nullptr: empty item
};

inline constexpr int CodeByContactVariant = -2;

// The tables of style code 1..7; nullptr for any other code.
const StyleFields *styleFields(int styleCode);

// The whole control table of a style's form, its own fields framed by the rows
// every form shares, and the form's size in twips.
std::span<const formlayout::Control> formControls(const StyleFields &style);
int formWidth();
int formHeight(const StyleFields &style);

} // namespace reports
