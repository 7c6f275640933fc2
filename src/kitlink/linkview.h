#pragma once

#include "kitlink/wireformat.h"

#include <QString>

// What the kit link shows on the main window.
class LinkView
{
public:
    virtual ~LinkView() = default;
    virtual void showCommStatus(const QString &text) = 0;
    // Voltage and current already formatted; busy colours the status lamp.
    virtual void showLiveReadings(const QString &volts, const QString &milliamps, bool busy) = 0;
    // The port failed: a message box with the exclamation icon, which does not wait.
    virtual void tellPortError(const QString &title, const QString &text) = 0;
};

// Where the result frames go that no procedure waits for: the readings of the
// contact runs, which the runs take as they come, and an answer that comes when
// nothing asked for it, which the bench handles all the same.
class ResultFrames
{
public:
    virtual ~ResultFrames() = default;
    virtual void handleResultFrame(wire::FrameKind kind, const QString &frame) = 0;
};
