#include "platform/dialogwait.h"

#include <QDialog>

#include <memory>

namespace platform {

WaitStack::Until closed(WaitStack &waits, QDialog *dialog)
{
    if (!dialog || !dialog->isVisible())
        return waits.until([] { return true; });
    auto open = std::make_shared<bool>(true);
    const auto closedNow = [&waits, open] {
        *open = false;
        waits.pump();
    };
    // Queued: whoever waits may destroy the dialog, which is still inside done() when
    // it says it has finished.
    QObject::connect(dialog, &QDialog::finished, &waits.context(), closedNow, Qt::QueuedConnection);
    QObject::connect(dialog, &QObject::destroyed, &waits.context(), closedNow, Qt::QueuedConnection);
    return waits.until([open] { return !*open; });
}

} // namespace platform
