#include "console/record/configfiles.h"

#include "platform/ordinaryfile.h"
#include "platform/paths.h"

#include <QFile>
#include <QFileInfo>
#include <QList>

namespace config {

namespace {

const QByteArray LineEnd = "\r\n";

QByteArray quoted(const QString &value)
{
    return '"' + value.toLocal8Bit() + '"' + LineEnd;
}

QList<QByteArray> splitLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();  // the line end of the last line opens no new line
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    return lines;
}

// A settings file is a few kilobytes; one far larger was not written by the bench.
constexpr qint64 SettingsFileBytes = 64 * 1024;

// Only an ordinary file of a settings file's size is read: a named pipe in its
// place would hold the start-up for good, and /dev/zero would never end.
std::optional<QByteArray> readWhole(const QString &path)
{
    const platform::OrdinaryFile opened = platform::openOrdinaryFile(path);
    if (!opened || opened.file->size() > SettingsFileBytes)
        return std::nullopt;
    QByteArray bytes = opened.file->readAll();
    if (opened.file->error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

} // namespace

QString artPath(const QString &startupFolder)
{
    return platform::inFolder(startupFolder, QStringLiteral("art.cfg"));
}

QString artcPath(const QString &startupFolder)
{
    return platform::inFolder(startupFolder, QStringLiteral("artc.cfg"));
}

PortAndNumbering defaultPortAndNumbering()
{
    PortAndNumbering values;
    values.portNumber = 1;
    for (int r = 1; r <= RelayRows; ++r) {
        values.relayNumbering[r][1] = QStringLiteral("0001");
        values.relayNumbering[r][2] = QStringLiteral("A");
        values.relayNumbering[r][3] = QStringLiteral("B");
    }
    return values;
}

Folders defaultFolders(const QString &startupFolder)
{
    return {platform::defaultSpreadsheetPath(), startupFolder, platform::defaultSaveFolder()};
}

QByteArray formatArt(const PortAndNumbering &values)
{
    QByteArray bytes = QByteArray::number(values.portNumber) + LineEnd;
    for (int r = 1; r <= RelayRows; ++r) {
        for (int f = 1; f <= 3; ++f)
            bytes += quoted(values.relayNumbering[r][f]);
    }
    return bytes;
}

QByteArray formatArtc(const Folders &values)
{
    return quoted(values.excelPath) + quoted(values.templateFolder) + quoted(values.saveFolder);
}

QString readValue(const QByteArray &line)
{
    const QByteArray text = line.trimmed();
    if (text.startsWith('"')) {
        const qsizetype close = text.indexOf('"', 1);
        return QString::fromLocal8Bit(close < 0 ? text.mid(1) : text.mid(1, close - 1));
    }
    const qsizetype comma = text.indexOf(',');
    return QString::fromLocal8Bit(comma < 0 ? text : text.left(comma).trimmed());
}

std::optional<PortAndNumbering> parseArt(const QByteArray &bytes)
{
    const QList<QByteArray> lines = splitLines(bytes);
    if (lines.size() < ArtLineCount)
        return std::nullopt;

    // Quoted or bare, the port is the line's value read as a whole number.
    bool isNumber = false;
    const int port = readValue(lines[0]).trimmed().toInt(&isNumber);
    if (!isNumber || port < 0 || port > 255)  // the port selector holds COM 1..COM 255; 0 selects none
        return std::nullopt;

    PortAndNumbering values;
    values.portNumber = static_cast<qint16>(port);
    int line = 1;
    for (int r = 1; r <= RelayRows; ++r) {
        for (int f = 1; f <= 3; ++f)
            values.relayNumbering[r][f] = readValue(lines[line++]);
    }
    return values;
}

std::optional<Folders> parseArtc(const QByteArray &bytes)
{
    const QList<QByteArray> lines = splitLines(bytes);
    if (lines.size() < 3)
        return std::nullopt;
    return Folders{readValue(lines[0]), readValue(lines[1]), readValue(lines[2])};
}

namespace {

template <typename Values, typename Parse>
FileFound examine(const QString &path, Parse parse, std::optional<Values> &values)
{
    FileFound found;
    found.bytes = readWhole(path);
    if (found.bytes)
        values = parse(*found.bytes);
    if (values)
        found.condition = FileCondition::Usable;
    else
        found.condition = QFileInfo::exists(path) ? FileCondition::Unusable : FileCondition::Missing;
    return found;
}

} // namespace

LoadResult load(const QString &startupFolder)
{
    LoadResult result;
    std::optional<PortAndNumbering> portAndNumbering;
    std::optional<Folders> folders;
    result.art = examine(artPath(startupFolder), parseArt, portAndNumbering);
    result.artc = examine(artcPath(startupFolder), parseArtc, folders);
    if (portAndNumbering && folders)
        result.loaded = Loaded{*portAndNumbering, *folders};
    return result;
}

QList<KeptCopy> keepBeforeReset(const QString &startupFolder, const LoadResult &found)
{
    QList<KeptCopy> kept;
    const auto keep = [&](const QString &path, const FileFound &file) {
        if (file.condition == FileCondition::Missing)
            return;
        KeptCopy copy;
        copy.unusable = file.condition == FileCondition::Unusable;
        copy.path = path + (copy.unusable ? QStringLiteral(".unreadable") : QStringLiteral(".replaced"));
        // A file that would not read is copied as it stands; the copy may get further.
        copy.written = file.bytes ? platform::replaceFileAtomically(copy.path, *file.bytes)
                                  : platform::copyFileAtomically(path, copy.path);
        kept.append(copy);
    };
    keep(artPath(startupFolder), found.art);
    keep(artcPath(startupFolder), found.artc);
    return kept;
}

platform::WriteResult saveArt(const QString &startupFolder, const PortAndNumbering &values)
{
    return platform::replaceFileAtomically(artPath(startupFolder), formatArt(values));
}

platform::WriteResult saveArtc(const QString &startupFolder, const Folders &values)
{
    return platform::replaceFileAtomically(artcPath(startupFolder), formatArtc(values));
}

} // namespace config
