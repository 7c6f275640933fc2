#pragma once

#include "platform/waitstack.h"

#include <QString>

#include <functional>

class QWidget;

// What the kit link shows on the main window.
class LinkView
{
public:
    virtual ~LinkView() = default;
    virtual void showCommStatus(const QString &text) = 0;
    // Voltage and current already formatted; busy colours the status lamp.
    virtual void showLiveReadings(const QString &volts, const QString &milliamps, bool busy) = 0;
    // The window that owns the link's message boxes.
    virtual QWidget *dialogParent() = 0;
};

// Where each result frame goes: the handling of the procedure that owns it, which
// may wait (it runs as an activation of its own). A frame whose handling is empty
// has no procedure waiting and is dropped.
struct ResultHandlers {
    using Handler = std::function<platform::Task(QString frame)>;
    Handler coilResistance1;   // "R="
    Handler coilResistance2;   // "Q="
    Handler pickUp;            // "*"
    Handler coil2PickUp;       // "-"
    Handler dropAway;          // "%"
    Handler pickUpCurrent;     // ">"
    Handler dropAwayCurrent;   // "!" of 13 characters
    Handler contactResistance; // "#"
    Handler delay;             // "&"
    Handler sequence;          // 20 characters
};
