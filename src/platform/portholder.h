#pragma once

#include <QString>

#include <optional>

namespace platform {

// Whether another program holds the serial device open, asked after an open was
// refused for want of permission: that refusal also means "busy" (the device's
// lock file names a live process, or the device was opened for one user only), and
// the operator must hear which it is. The holder's name and process number when
// they are known ("quillmark, process 4711"), an empty text when only the device
// said it is busy, nullopt when no other program is seen to hold it.
std::optional<QString> otherHolderOf(const QString &device);

} // namespace platform
