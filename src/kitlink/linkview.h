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

// Where an answer goes that no request waited for, once the kit log has noted it:
// a frame that came late, twice, or unasked. What of it is still data is for the
// procedures to say; it never starts anything.
class UnaskedAnswers
{
public:
    virtual ~UnaskedAnswers() = default;
    virtual void unasked(wire::FrameKind kind, const QString &frame) = 0;
};
