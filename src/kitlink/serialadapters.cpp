#include "kitlink/serialadapters.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

QList<SerialAdapter> presentAdapters()
{
    QList<SerialAdapter> adapters;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        adapters.append({info.systemLocation(), info.description(), info.manufacturer(), info.serialNumber(), {}});
    return withStablePaths(adapters);
}

QList<SerialAdapter> withStablePaths(QList<SerialAdapter> adapters, const QString &folder)
{
    QHash<QString, QString> linkTo;  // device -> the link that leads to it
    const QFileInfoList links = QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                                           QDir::Name);
    for (const QFileInfo &link : links) {
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty() && !linkTo.contains(device))
            linkTo.insert(device, link.absoluteFilePath());
    }
    for (SerialAdapter &adapter : adapters)
        adapter.stablePath = linkTo.value(QFileInfo(adapter.port).canonicalFilePath());
    return adapters;
}
