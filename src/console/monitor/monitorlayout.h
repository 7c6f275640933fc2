#pragma once

#include <QRect>
#include <QSize>

// Where the Bench Monitor goes on the screen and how its current axis is scaled:
// plain arithmetic, kept apart from the window so that screens and coils of every
// size can be tried without one.
namespace monitorlayout {

// The top of the current axis for the largest current of the last two minutes: the
// smallest top of three round steps (1, 2, 2.5 or 5 times a power of ten) that
// leaves the largest reading a little headroom. A QN1 coil's 17 mA gets 0..30 mA,
// the QTA2 source's 500 mA gets 0..600 mA, an idle coil 0..3 mA.
double milliampsAxisTop(double largestMilliamps);
// Both value axes: four ticks, one grid. Where the monitor is only a strip of 200
// rows, more labels than that do not fit beside the curves.
inline constexpr int AxisSteps = 3;

struct Sizes {
    QSize largest;  // the frame the monitor wants where there is room
    QSize smallest; // below this the chart cannot be read
};

// The monitor's frame beside the main window's frame, inside the screen's free
// area: on the side (right, left, below, above) with the most room, as large as
// that room allows up to sizes.largest. Only when no side has room for
// sizes.smallest does it overlap the main window, as little as it can.
QRect besideMainWindow(const QRect &mainFrame, const Sizes &sizes, const QRect &available);

} // namespace monitorlayout
