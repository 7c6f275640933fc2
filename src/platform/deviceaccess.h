#pragma once

#include <QString>

#include <optional>

namespace platform {

// Why this program's user may not open a serial device, told so that the operator
// can put it right: the device's group and the one command that lets the user in
// ("sudo adduser $USER dialout", then a new login, since the groups of a session
// are fixed when it starts). Asked after an open was refused; nullopt when the
// device's permissions are not the cause, or when joining its group would not help.
std::optional<QString> accessAdvice(const QString &device);

} // namespace platform
