#pragma once

#include <QList>
#include <QString>

#include <functional>

// One serial adapter the PC has now, as the system describes it.
struct SerialAdapter {
    QString port;          // the device the kernel made for it: "/dev/ttyUSB0"
    QString description;   // "FT232R USB UART"
    QString manufacturer;  // "FTDI"
    QString serialNumber;  // "A50285BI"
    QString stablePath;    // "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"; empty when none

    // What "COM n" is bound to: the stable path where there is one, which names this
    // adapter whatever the kernel calls it after a re-plug, beside a second adapter or
    // after a reboot; the device itself otherwise.
    QString bindingTarget() const { return stablePath.isEmpty() ? port : stablePath; }
};

// Where the list of adapters comes from: the system, or a test. Called on a thread of
// its own, never the bench's.
using AdapterSource = std::function<QList<SerialAdapter>()>;

// The adapters present, as the serial port layer lists them, with their stable paths.
QList<SerialAdapter> presentAdapters();

// The adapters, each with the link in folder that leads to its device as its stable
// path (udev keeps one a USB adapter there, named by maker, model and serial number).
QList<SerialAdapter> withStablePaths(QList<SerialAdapter> adapters,
                                     const QString &folder = QStringLiteral("/dev/serial/by-id"));
