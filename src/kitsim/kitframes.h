#pragma once

#include <QByteArray>

#include <optional>

// The frames the kit sends, each of fixed length and ended by a carriage return.
// Numbers that do not fit their field are held at the field's largest value, as the
// kit's meters do when they go over range.
namespace kitsim::frames {

// "OK" and CR; a kit with the line-feed fault adds LF.
QByteArray presence(bool withLineFeed = false);

// "V:2400 I0512 F" and CR, 15 characters: coil voltage in hundredths of a volt at
// 3..6, coil current in tenths of a milliampere at 9..12, 'B' busy or 'F' free at 14.
QByteArray live(int centivolts, int tenthMilliamps, bool busy);

// mark ':' first ' I' second and CR, 13 characters: "*:1580 I0153". The ramp results
// carry the voltage in hundredths of a volt at 3..6; at 9..12 the current in tenths
// of a milliampere ("*", "-", "%") or in whole milliamperes (">", "!").
QByteArray rampResult(char mark, int first, int second);

// "R=" or "Q=", the resistance in tenths of an ohm in five digits, CR: 8 characters.
QByteArray coilResistance(char coil, int tenthOhms);

// "#", five digits of tenths of a milliohm, CR: 7 characters.
QByteArray contactResistance(int tenthMilliohms);

// "&", the delay's low 16 bits as five decimal digits, its high part as '0' + n, CR:
// 8 characters; a channel that never transferred (nullopt) sends "&00000@".
QByteArray delay(std::optional<int> micros);

// "!,", the NO sequence, ",", the NC sequence, CR: 20 characters.
QByteArray sequence(const QByteArray &normallyOpen, const QByteArray &normallyClosed);

} // namespace kitsim::frames
