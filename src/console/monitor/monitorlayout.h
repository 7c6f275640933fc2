#pragma once

#include <QRect>
#include <QSize>

// Where the Bench Monitor goes on the screen and how its current axis is scaled:
// plain arithmetic, kept apart from the window so that screens and coils of every
// size can be tried without one.
namespace monitorlayout {

// The top of the current axis for the largest current it must hold: the smallest
// top of three round steps (1, 2, 2.5 or 5 times a power of ten) that leaves it a
// little headroom. A QN1 coil's 27 mA gets 0..30 mA, the QTA2 source's 500 mA gets
// 0..600 mA, an idle coil 0..3 mA.
double milliampsAxisTop(double largestMilliamps);

// The coil under test, as far as its current axis goes.
struct Coil {
    double ohms = 0;             // as measured; 0 before Coil Resistance
    bool currentDriven = false;  // QTA2: driven from the kit's current source, not its coil supply
};
// The most the coil draws: the full coil supply (24 V) over its resistance, or the
// top of the current source (500 mA) for a current-driven coil. 0 while a coil is not
// measured, or measures below the 100 ohms the bench drives by voltage: then only
// the readings can tell.
double coilMilliamps(const Coil &coil);
// Both value axes: four ticks, one grid. Where the monitor is only a strip of 200
// rows, more labels than that do not fit beside the curves.
inline constexpr int AxisSteps = 3;

struct Sizes {
    QSize largest;  // the frame the monitor wants where there is room
    QSize smallest; // below this the chart cannot be read
};

// The monitor's frame beside the main window's frame, inside the screen's free
// area and never larger than it: on the side (right, left, below, above) with the
// most room, as large as that room allows up to sizes.largest. Only when no side has
// room for sizes.smallest does it overlap the main window, as little as it can and
// never over keepClear (the Control Panel, where the operator's buttons are) while
// the screen leaves any such place.
QRect besideMainWindow(const QRect &mainFrame, const QRect &keepClear, const Sizes &sizes, const QRect &available);

} // namespace monitorlayout
