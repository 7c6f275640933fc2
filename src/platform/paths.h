#pragma once

#include <QMap>
#include <QString>

// Everything here knows which operating system the bench PC runs. The rest of the
// program builds paths the way the bench always has: a folder and a file name are
// glued together with no separator added, and the literal joins ("\art.cfg") carry
// their own separator, which this file supplies.
namespace platform {

// "\" on Windows, "/" elsewhere.
QString separator();

// The literal join: folder, separator, name ("C:\bench" + "\art.cfg").
QString inFolder(const QString &folder, const QString &fileName);

// The configured-folder join: plain concatenation, because configured folders
// carry their trailing separator ("D:\" + "report.csv").
QString concatenated(const QString &folderWithSeparator, const QString &fileName);

// Where report files go before the operator picks a folder: "D:\" on the bench PC,
// the home folder with a trailing "/" elsewhere.
QString defaultSaveFolder();

// The spreadsheet program's path; it is only stored and shown, never started.
QString defaultSpreadsheetPath();

// The device behind "COM n". On Windows "COMn". Elsewhere a symbolic link named
// COM<n> in the start-up folder wins (so an adapter can be assigned to a port
// number), otherwise the n-th legacy serial port /dev/ttyS<n-1>. Port 0 and ports
// above 255 have no device; the result is then empty.
QString serialDeviceForPort(int portNumber, const QString &startupFolder);

// How the operator is told which port a message is about: "COM3" on Windows,
// "COM3 → /dev/pts/4" elsewhere (a link followed to its device), and through an
// adapter's stable name to the device it stands for now
// ("COM3 → /dev/serial/by-id/usb-FTDI_…-port0 → /dev/ttyUSB1"). Empty when the port
// has no device.
QString serialPortName(int portNumber, const QString &device);

// Binds "COM n" to an adapter: the link COM<n> in the start-up folder, which
// serialDeviceForPort follows, made to point at target (best the adapter's stable
// /dev/serial/by-id/ name, which outlives a re-plug and a reboot). A link already
// there, made by hand or here, is replaced in one step; a file of that name that is
// no link is left alone. Empty when done, else why not.
QString bindSerialPort(int portNumber, const QString &startupFolder, const QString &target);

// The ports bound by a COM<n> link in the start-up folder, each with the device its
// link leads to now (empty while it leads nowhere: an adapter unplugged).
QMap<int, QString> boundSerialPorts(const QString &startupFolder);

} // namespace platform
