#pragma once

#include <QByteArray>

namespace platform {

// Qt ends a program whose window system cannot reach a display (started from a
// terminal over ssh, or as a service) with an abort and five lines about platform
// plugins. While an object of this class lives, which is while the QApplication is
// made, the window system's messages are held back; should it fail for want of a
// display, the program writes line on standard error and ends with exitCode
// instead. Any other failure, and the messages of a window system that opened, go
// out as Qt wrote them. One object at a time.
class DisplayCheck
{
public:
    DisplayCheck(QByteArray line, int exitCode);
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck &) = delete;
    DisplayCheck &operator=(const DisplayCheck &) = delete;
};

} // namespace platform
