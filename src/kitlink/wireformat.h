#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// What travels between the bench and the test kit: short ASCII commands ended by a
// carriage return, and fixed-length frames ended by a carriage return. Nothing here
// touches a port or a widget.
namespace wire {

inline constexpr char CR = '\r';
inline constexpr int LongestFrame = 20;  // the contact sequence frame

// Command texts without their carriage return.
namespace cmd {
inline constexpr const char *Presence = "?";
inline constexpr const char *CoilOn = "@A10";
inline constexpr const char *CoilOff = "@A00";
inline constexpr const char *Coil2On = "&A10";
inline constexpr const char *Coil2Off = "&A00";
inline constexpr const char *CurrentSet = "^Q0500";
inline constexpr const char *CurrentReset = "^Q0000";
inline constexpr const char *CurrentOn = "^R1";
inline constexpr const char *CurrentOff = "^R0";
inline constexpr const char *MeasureCoil1 = "@R";
inline constexpr const char *MeasureCoil2 = "&R";
inline constexpr const char *PickUpRamp = "@P";
inline constexpr const char *Coil2PickUpRamp = "@p";
inline constexpr const char *DropAwayRamp = "@D";
inline constexpr const char *PickUpCurrentRamp = "^Y";
inline constexpr const char *DropAwayCurrentRamp = "^Z";
inline constexpr const char *PickUpResult = "?P";
inline constexpr const char *Coil2PickUpResult = "?p";
inline constexpr const char *DropAwayResult = "?A";
inline constexpr const char *PickUpCurrentResult = "*P";
inline constexpr const char *DropAwayCurrentResult = "*A";
inline constexpr const char *LiveReadings = "?D";
inline constexpr const char *LiveReadingsCurrentRamp = "&D";
inline constexpr const char *ContactSequence = "@K";
} // namespace cmd

// "@V" and the voltage in hundredths of a volt, rounded, at least four digits:
// 24.0 -> "@V2400", 0.9 -> "@V0090", 23.999 -> "@V2400".
QString setVoltage(double volts);
// "@G" / "@H" and the channel with at least two digits: 7 -> "@G07", 16 -> "@H16".
QString contactResistance(int channel);
QString contactDelay(int channel);

// The bytes that go on the line: the text and one carriage return.
QByteArray onTheLine(QStringView command);

// The bench's lenient number reading of a fixed field: blanks, tabs and line feeds
// anywhere are skipped, reading stops at the first character that cannot continue
// the number, and a field with no number reads 0 ("  12" and "0012" read alike,
// "12 34" reads 1234, "ABCDE" reads 0).
// One sign is read ahead of the first digit and one decimal point anywhere
// ("-12" reads -12, "1.5" reads 1.5, "1.2.3" reads 1.2, "1-2" reads 1); there are
// no exponents or radix prefixes ("1E2" reads 1).
double readNumber(QStringView field);

// Characters first..last (1-based, inclusive) of a frame, clipped to its length.
QStringView field(QStringView frame, int first, int last);

enum class FrameKind {
    Unknown,        // discarded
    Ok,             // "OK" + CR, only as the presence answer
    LiveReadings,   // 15 characters, any first character
    CoilResistance1,// "R=", 8
    CoilResistance2,// "Q=", 8
    Delay,          // "&", 8
    ContactRes,     // "#", 7
    PickUp,         // "*", 13
    Coil2PickUp,    // "-", 13
    DropAway,       // "%", 13
    PickUpCurrent,  // ">", 13
    DropAwayCurrent,// "!", 13
    Sequence,       // 20 characters; contents used only when it starts with "!"
};

// Recognises a frame (ending in CR) by its total length first and its first
// characters second. "OK" is never returned here: the receive handler in the running
// state has no "OK" frame; the presence check compares the whole answer itself.
// A text that does not end in CR is not a frame yet and classifies as Unknown.
FrameKind classify(QStringView frame);

// True when answer is exactly "OK" and one carriage return.
bool isPresenceAnswer(QStringView answer);

struct LiveReadings {
    float volts = 0;       // chars 3..6 / 100
    float milliamps = 0;   // chars 9..12 / 10
    QString state;         // char 14
};
LiveReadings decodeLiveReadings(QStringView frame);

// "R=" / "Q=" chars 3..7 / 10, in ohms.
float decodeCoilResistance(QStringView frame);
// "#" chars 2..6 / 10, in milliohms.
float decodeContactResistance(QStringView frame);

struct VoltageAndCurrent {
    float volts = 0;      // chars 3..6 / 100
    float milliamps = 0;  // chars 9..12 / 10
};
// "*", "-" and "%" frames.
VoltageAndCurrent decodeRampResult(QStringView frame);
// ">" and 13-character "!" frames: chars 9..12 in whole milliamperes.
float decodeRampCurrent(QStringView frame);

// Delay frame: nullopt when char 7 is the "@" timeout mark; otherwise
// ((code of char 7) - 48) * 65536 + chars 2..6, in microseconds, as milliseconds.
// The microseconds are a 32-bit whole number (nearest, saturating) before the /1000.
std::optional<float> decodeDelay(QStringView frame);

struct Sequence {
    QString normallyOpen;    // chars 3..10
    QString normallyClosed;  // chars 12..19
};
// nullopt unless the 20-character frame starts with "!".
std::optional<Sequence> decodeSequence(QStringView frame);

} // namespace wire
