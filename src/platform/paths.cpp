#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

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
    const QString arrow = QStringLiteral(" \u2192 ");
    const QFileInfo info(device);
    if (!info.isSymLink())
        return name + arrow + device;
    const QString target = info.symLinkTarget();
    const QString real = info.canonicalFilePath();  // empty while the adapter is away
    return name + arrow + target + (real.isEmpty() || real == target ? QString() : arrow + real);
#endif
}

QString bindSerialPort(int portNumber, const QString &startupFolder, const QString &target)
{
    if (portNumber < 1 || portNumber > 255)
        return QStringLiteral("There is no port COM%1.").arg(portNumber);
#ifdef Q_OS_WIN
    Q_UNUSED(startupFolder);
    Q_UNUSED(target);
    return QStringLiteral("Windows names its serial ports itself.");
#else
    const QString link = inFolder(startupFolder, QStringLiteral("COM%1").arg(portNumber));
    const QFileInfo existing(link);
    if (existing.exists() && !existing.isSymLink())
        return QStringLiteral("%1 is a file, not a link: it is left as it is.").arg(link);
    // Made beside the old link and renamed over it: the folder never lacks COM<n>
    // halfway, and a bench that starts meanwhile opens the old adapter or the new one.
    const QString fresh = link + QStringLiteral(".binding");
    ::unlink(QFile::encodeName(fresh).constData());
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(fresh).constData()) != 0
        || ::rename(QFile::encodeName(fresh).constData(), QFile::encodeName(link).constData()) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        ::unlink(QFile::encodeName(fresh).constData());
        return QStringLiteral("%1: %2").arg(link, why);
    }
    return {};
#endif
}

QMap<int, QString> boundSerialPorts(const QString &startupFolder)
{
    QMap<int, QString> bound;
#ifndef Q_OS_WIN
    const QFileInfoList links =
        QDir(startupFolder).entryInfoList({QStringLiteral("COM*")}, QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : links) {
        bool isNumber = false;
        const int portNumber = link.fileName().mid(3).toInt(&isNumber);
        if (link.isSymLink() && isNumber && portNumber >= 1 && portNumber <= 255
            && link.fileName() == QStringLiteral("COM%1").arg(portNumber))
            bound.insert(portNumber, link.canonicalFilePath());
    }
#else
    Q_UNUSED(startupFolder);
#endif
    return bound;
}

} // namespace platform
