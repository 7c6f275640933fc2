#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The values every part of the bench shares: the relay on test, the configured
// folders, the live readings and every result. Procedures store their results
// here, the report forms read them when they open. One record lives as long as the
// program; whoever needs it is handed it. Names follow the bench's own vocabulary
// so that a procedure reads like the bench routine it implements.

inline constexpr int RelayNumberingRows = 26;     // rows 0..25, one per style code; 1..7 used
inline constexpr int RelayNumberingFields = 4;    // fields 0..3; 1 serial, 2 and 3 ID characters
inline constexpr int LayoutEntries = 21;          // catalogue list index 0..20; 0..8 used
inline constexpr int LayoutChannels = 17;         // channel 0..16; 1..16 used
inline constexpr int ResultSlots = 21;            // element 0 latest, 1..16 per channel
inline constexpr int ReportItemSlots = 51;        // items 1..30 used

using RelayNumberingTable = std::array<std::array<QString, RelayNumberingFields>, RelayNumberingRows>;
using ContactLayoutTable = std::array<std::array<qint16, LayoutChannels>, LayoutEntries>;

struct BenchRecord {
    // Identification and configuration
    qint16 StyleCode = 1;       // 1 QNA1, 2 QN1, 3 QNA1K, 4 QL1, 5 QECX61, 6 QTA2, 7 QSPA1
    qint16 ContactVariant = 0;  // 1 = 8F-8B, 2 = 12F-4B (QNA1 and QN1 only)
    QString RelayID;
    RelayNumberingTable RelayNumbering{};
    QString ExcelPath;
    QString TemplateFolder;
    QString SaveFolder;
    QString AppVersion;
    QString AppUpdateDate;
    ContactLayoutTable ContactLayout{};  // (list index, channel) -> 0 none, 1 front, 2 back

    // Live readings
    float LiveVoltage = 0;  // volts
    float LiveCurrent = 0;  // milliamperes

    // Results, at the kit's single precision
    float CoilResistance1 = 0;  // ohms, R1-R2
    float CoilResistance2 = 0;  // ohms, R3-R4 (second coil of QL1)
    float PickUpVoltage = 0;
    float PickUpCurrent = 0;
    float DropAwayVoltage = 0;  // for QL1 the second-coil pick-up
    float DropAwayCurrent = 0;
    float ManualDropAwayVoltage = 0;
    std::array<float, ResultSlots> ContactRes{};    // milliohms
    std::array<float, ResultSlots> ContactDelay{};  // milliseconds
    QString NOSequence;
    QString NCSequence;
    std::array<QString, ReportItemSlots> ReportItems{};
};
