#include "platform/handsoff.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace platform {

HandsOff::HandsOff(QWidget &window, QObject *parent)
    : QObject(parent)
    , m_window(window)
{
    qApp->installEventFilter(this);
}

HandsOff::~HandsOff()
{
    qApp->removeEventFilter(this);
}

bool HandsOff::eventFilter(QObject *receiver, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
        break;
    default:
        return false;
    }
    const auto *widget = qobject_cast<const QWidget *>(receiver);
    return widget && widget->window() == &m_window;
}

} // namespace platform
