#pragma once

#include "platform/atomicfile.h"

#include <QByteArray>
#include <QString>

namespace platform {

// Adds bytes to the end of the file at path (creating it when it does not exist)
// as one whole: either all of them are on disk when this returns ok, or the file
// is cut back to the length it had before, so a full disk or a failing drive never
// leaves part of the bytes behind. A file that this call created and could not
// fill is removed again. The data is synced before the call returns.
[[nodiscard]] WriteResult appendWhole(const QString &path, const QByteArray &bytes);

} // namespace platform
