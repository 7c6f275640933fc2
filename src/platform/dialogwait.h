#pragma once

#include "platform/waitstack.h"

class QDialog;

namespace platform {

// co_await closed(waits, dialog): waits until the dialog has been closed (at once
// when there is none), as a procedure waits for the operator to read a message.
WaitStack::Until closed(WaitStack &waits, QDialog *dialog);

} // namespace platform
