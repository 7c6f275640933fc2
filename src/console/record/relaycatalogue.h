#pragma once

#include "console/record/benchrecord.h"

#include <QString>
#include <QStringList>

#include <array>

// The nine relays the bench knows, in the order Relay Type lists them. Everything the
// bench does differently per relay goes by that position in the list; which report
// form and style number a relay has is worked out from it only when its report is
// made.
namespace catalogue {

inline constexpr int EntryCount = 9;
inline constexpr int ChannelCount = 16;

// List indexes the bench branches on.
inline constexpr int QNA1K = 4;
inline constexpr int QL1 = 5;      // second coil R3-R4, no drop-away button
inline constexpr int QECX61 = 6;
inline constexpr int QTA2 = 7;     // current-mode pick-up and drop-away, contacts via the current source
inline constexpr int QSPA1 = 8;

enum class Contact : qint16 { None = 0, Front = 1, Back = 2 };

struct Entry {
    const char *text;       // shown verbatim in the selector
    qint16 styleCode;      // 1..7
    qint16 contactVariant; // 1 = 8F-8B, 2 = 12F-4B; 0 = leave ContactVariant as it is
    const char *formName;   // the report form for this style
};

const std::array<Entry, EntryCount> &entries();
QStringList entryTexts();

// "A1", "B1", ..., "D4", then "ALL": the channel selectors' entries.
QStringList channelSelectorTexts();
inline constexpr int AllChannelsEntry = ChannelCount;  // "ALL", after A1..D4
// A channel selector's entry 0..16; empty for any other.
QString channelSelectorText(int entry);
// The name of channel 1..16 ("A1" .. "D4"), as the selectors list it; 17, one past
// the last, reads "ALL" as the selector's next entry does.
inline QString channelName(int channel) { return channelSelectorText(channel - 1); }

// Fills the contact layout table; cells outside entries 0..8 and channels 1..16 stay 0.
void buildContactLayout(ContactLayoutTable &table);

// What choosing an entry changes on the main window.
struct SelectionRules {
    bool dropAwayEnabled;
    bool contactDelayEnabled;
    QString pickUpCaption;
    QString dropAwayCaption;
};
SelectionRules selectionRules(int listIndex);

} // namespace catalogue
