#pragma once

#include <QString>

#include <array>
#include <cstdint>

// The values every part of the bench shares: the relay on test, the configured
// folders, the live readings and every result. Procedures store their results
// here, the report forms read them when they open. Names follow the bench's own
// vocabulary so that a procedure reads like the bench routine it implements.

using Integer = std::int16_t;  // the bench's whole numbers: style code, port, channel
using Single = float;          // measured values, kept at the kit's precision

inline constexpr int RelayNumberingRows = 26;     // rows 0..25, one per style code; 1..7 used
inline constexpr int RelayNumberingFields = 4;    // fields 0..3; 1 serial, 2 and 3 ID characters
inline constexpr int LayoutEntries = 21;          // catalogue list index 0..20; 0..8 used
inline constexpr int LayoutChannels = 17;         // channel 0..16; 1..16 used
inline constexpr int ResultSlots = 21;            // element 0 latest, 1..16 per channel
inline constexpr int ReportItemSlots = 51;        // items 1..30 used

using RelayNumberingTable = std::array<std::array<QString, RelayNumberingFields>, RelayNumberingRows>;
using ContactLayoutTable = std::array<std::array<Integer, LayoutChannels>, LayoutEntries>;

struct BenchRecord {
    // Identification and configuration
    Integer StyleCode = 1;       // 1 QNA1, 2 QN1, 3 QNA1K, 4 QL1, 5 QECX61, 6 QTA2, 7 QSPA1
    Integer ContactVariant = 0;  // 1 = 8F-8B, 2 = 12F-4B (QNA1 and QN1 only)
    QString RelayID;
    RelayNumberingTable RelayNumbering{};
    QString ExcelPath;
    QString TemplateFolder;
    QString SaveFolder;
    QString AppVersion;
    QString AppUpdateDate;
    ContactLayoutTable ContactLayout{};  // (list index, channel) -> 0 none, 1 front, 2 back

    // Live readings
    Single LiveVoltage = 0;  // volts
    Single LiveCurrent = 0;  // milliamperes

    // Results
    Single CoilResistance1 = 0;  // ohms, R1-R2
    Single CoilResistance2 = 0;  // ohms, R3-R4 (second coil of QL1)
    Single PickUpVoltage = 0;
    Single PickUpCurrent = 0;
    Single DropAwayVoltage = 0;  // for QL1 the second-coil pick-up
    Single DropAwayCurrent = 0;
    Single ManualDropAwayVoltage = 0;
    std::array<Single, ResultSlots> ContactRes{};    // milliohms
    std::array<Single, ResultSlots> ContactDelay{};  // milliseconds
    QString NOSequence;
    QString NCSequence;
    std::array<QString, ReportItemSlots> ReportItems{};
};

// The one bench record of this run.
BenchRecord &bench();

// The main window's fields that the kit link and the procedures share. Flags are
// plain bools; the kit link, the poll tick and every procedure read and set them
// directly, all on the window thread.
struct MainWindowFields {
    QString StartupFolder;
    Integer PortNumber = 0;  // 1..255; 0 = none selected
    QString RxBuffer;        // received text not yet ended by a carriage return
    QString KitState;        // "F" free, "B" busy, from the latest live readings

    bool StartPending = false;
    bool CoilResRequest = false;
    bool Coil2ResRequest = false;
    bool PickUpVRequest = false;
    bool Coil2PickUpRequest = false;
    bool DropAwayVRequest = false;
    bool PickUpIRequest = false;
    bool DropAwayIRequest = false;
    bool ContactResTest = false;
    bool ContactDelayTest = false;
    bool ContactSeqTest = false;
    bool PollHold = false;
    bool KitBusy = false;
    bool TimedOut = false;
    bool AllChannels = false;
    Integer ChannelNo = 0;  // channel of the running contact run; 17 after an all-channel loop
    bool CoilEnergised = false;
    bool CurrentSourceOn = false;
};
