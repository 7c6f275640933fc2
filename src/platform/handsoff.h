#pragma once

#include <QObject>

class QWidget;

namespace platform {

// Keeps the operator's hands off a window while it lives, as a modal dialog of it
// would: clicks, keys, the wheel and the right-click menu meant for the window are
// dropped. Unlike a modal dialog it leaves the window's close box working: the
// window system's close of a window that a modal dialog blocks never reaches the
// program at all, so a bench closed at such a dialog would not close.
class HandsOff : public QObject
{
public:
    // Held by parent (the dialog that takes the operator's hands meanwhile).
    HandsOff(QWidget &window, QObject *parent);
    ~HandsOff() override;

protected:
    bool eventFilter(QObject *receiver, QEvent *event) override;

private:
    QWidget &m_window;
};

} // namespace platform
