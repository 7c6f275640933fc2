#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>

namespace platform {

QString separator()
{
#ifdef Q_OS_WIN
    return QStringLiteral("\\");
#else
    return QStringLiteral("/");
#endif
}

QString inFolder(const QString &folder, const QString &fileName)
{
    return folder + separator() + fileName;
}

QString concatenated(const QString &folderWithSeparator, const QString &fileName)
{
    return folderWithSeparator + fileName;
}

QString defaultSaveFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\");
#else
    return QDir::homePath() + QStringLiteral("/");
#endif
}

QString defaultSpreadsheetPath()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:\\Program Files (x86)\\Microsoft Office\\Office12\\EXCEL.EXE");
#elif defined(Q_OS_MACOS)
    return QStringLiteral("/Applications/LibreOffice.app/Contents/MacOS/soffice");
#else
    return QStringLiteral("/usr/bin/localc");
#endif
}

QString serialDeviceForPort(int portNumber, const QString &startupFolder)
{
    if (portNumber < 1 || portNumber > 255)
        return {};
#ifdef Q_OS_WIN
    Q_UNUSED(startupFolder);
    return QStringLiteral("COM%1").arg(portNumber);
#else
    const QString link = inFolder(startupFolder, QStringLiteral("COM%1").arg(portNumber));
    if (QFileInfo(link).isSymLink())
        return link;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
#endif
}

QString serialPortName(int portNumber, const QString &device)
{
    if (device.isEmpty())
        return {};
    const QString name = QStringLiteral("COM%1").arg(portNumber);
#ifdef Q_OS_WIN
    return name;
#else
    const QFileInfo info(device);
    return name + QStringLiteral(" \u2192 ") + (info.isSymLink() ? info.symLinkTarget() : device);
#endif
}

} // namespace platform
