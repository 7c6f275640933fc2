#include "console/monitor/monitorlayout.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace monitorlayout {

double milliampsAxisTop(double largestMilliamps)
{
    constexpr double Headroom = 1.05;  // a reading at the top would sit on the frame
    constexpr std::array<double, 4> RoundSteps{1, 2, 2.5, 5};
    const double wanted = std::max(largestMilliamps, 0.0) * Headroom;
    for (double power = 1; power < 1e6; power *= 10) {
        for (const double step : RoundSteps) {
            if (step * power * AxisSteps >= wanted)
                return step * power * AxisSteps;
        }
    }
    return 1e6 * AxisSteps;
}

double coilMilliamps(const Coil &coil)
{
    constexpr double CoilSupplyVolts = 24;
    constexpr double CurrentSourceMilliamps = 500;
    constexpr double SmallestVoltageCoilOhms = 100;  // below it the pick-up test refuses a voltage coil
    if (coil.currentDriven)
        return CurrentSourceMilliamps;
    return coil.ohms >= SmallestVoltageCoilOhms ? CoilSupplyVolts / coil.ohms * 1000 : 0;
}

namespace {

// The free room on each side of the main window, and where a monitor of a given
// size stands in it: against the main window, lined up with its top or left edge.
struct Side {
    QRect room;
    bool besideVertically;  // right or left; otherwise below or above
    bool afterMain;         // right or below
};

QRect placeIn(const Side &side, const QRect &mainFrame, QSize size, const QRect &available)
{
    const auto clamp = [](int wanted, int low, int high) { return std::max(low, std::min(wanted, high)); };
    QRect placed(QPoint(), size);
    if (side.besideVertically) {
        const int x = side.afterMain ? mainFrame.right() + 1 : mainFrame.left() - size.width();
        placed.moveTopLeft({x, mainFrame.top()});
    } else {
        const int y = side.afterMain ? mainFrame.bottom() + 1 : mainFrame.top() - size.height();
        placed.moveTopLeft({mainFrame.left(), y});
    }
    // Inside the screen, whatever that costs.
    placed.moveLeft(clamp(placed.left(), available.left(), available.right() + 1 - size.width()));
    placed.moveTop(clamp(placed.top(), available.top(), available.bottom() + 1 - size.height()));
    return placed;
}

int area(const QRect &r)
{
    return r.isEmpty() ? 0 : r.width() * r.height();
}

} // namespace

QRect besideMainWindow(const QRect &mainFrame, const QRect &keepClear, const Sizes &wanted, const QRect &available)
{
    const Sizes sizes{wanted.largest.boundedTo(available.size()), wanted.smallest.boundedTo(available.size())};
    const QRect main = mainFrame.intersected(available);
    if (main.isEmpty()) {  // no main window on this screen: the middle of it
        QRect middle(QPoint(), sizes.largest);
        middle.moveCenter(available.center());
        return middle;
    }
    const std::array<Side, 4> sides{{
        {QRect(QPoint(main.right() + 1, available.top()), available.bottomRight()), true, true},
        {QRect(available.topLeft(), QPoint(main.left() - 1, available.bottom())), true, false},
        {QRect(QPoint(available.left(), main.bottom() + 1), available.bottomRight()), false, true},
        {QRect(available.topLeft(), QPoint(available.right(), main.top() - 1)), false, false},
    }};

    QRect best;
    for (const Side &side : sides) {
        const QSize size = sizes.largest.boundedTo(side.room.size());
        if (size.width() < sizes.smallest.width() || size.height() < sizes.smallest.height())
            continue;
        const QRect placed = placeIn(side, main, size, available);
        if (area(placed) > area(best))
            best = placed;
    }
    if (!best.isNull())
        return best;

    // No room beside it: the smallest monitor where it covers the least of the main
    // window, clear of the Control Panel where it can be.
    const auto covers = [&main, &keepClear](const QRect &placed) {
        return std::pair(area(placed.intersected(keepClear)), area(placed.intersected(main)));
    };
    for (const Side &side : sides) {
        const QRect placed = placeIn(side, main, sizes.smallest, available);
        if (best.isNull() || covers(placed) < covers(best))
            best = placed;
    }
    return best;
}

} // namespace monitorlayout
