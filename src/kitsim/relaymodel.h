#pragma once

#include <QByteArray>

// What the kit finds when a relay of one catalogue entry is wired to it: the coils,
// the operating points and the contacts. The values are those of a healthy relay of
// the style, fixed so that repeated runs read alike.
namespace kitsim {

struct RelayModel {
    double coilOhms;          // R1-R2
    double coil2Ohms;         // R3-R4; 0 when the style has no second coil
    double pickUpVolts;       // through coil 1
    double dropAwayVolts;     // through coil 1
    double coil2PickUpVolts;  // through coil 2; 0 without one
    double fullVolts;         // the coil voltage a drop-away ramp starts from
    int transferMicros;       // typical contact transfer time of the style
};

// listIndex is the catalogue list index 0..8; anything else gets entry 0.
const RelayModel &relayModel(int listIndex);

double pickUpMilliamps(const RelayModel &relay);
double dropAwayMilliamps(const RelayModel &relay);

// Contact channels 1..16 as the contact layout wires them for the entry.
bool isFront(int listIndex, int channel);
bool isBack(int listIndex, int channel);

// A made contact's resistance in tenths of a milliohm: 20..80 mOhm, different on
// every channel as real contacts are.
int madeContactTenthMilliohms(int listIndex, int channel);

// How long a contact of the channel takes to transfer when the coil is switched, in
// microseconds; 0 when the channel carries no contact.
int transferMicros(int listIndex, int channel);

// The order in which the first eight front contacts make (normallyOpen) and the first
// eight back contacts break (!normallyOpen): one rank digit '1'..'8' per contact in
// channel order, '-' for the places the style has no contact for.
QByteArray contactSequence(int listIndex, bool normallyOpen);

} // namespace kitsim
