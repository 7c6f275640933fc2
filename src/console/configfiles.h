#pragma once

#include "console/benchrecord.h"
#include "platform/atomicfile.h"

#include <QByteArray>
#include <QString>

#include <optional>

// art.cfg (port and relay numbering, 76 lines) and artc.cfg (three folders), both
// in the start-up folder, one value per line, CR LF, strings in double quotes.
namespace config {

inline constexpr int RelayRows = 25;
inline constexpr int ArtLineCount = 1 + 3 * RelayRows;

struct PortAndNumbering {
    Integer portNumber = 1;
    RelayNumberingTable relayNumbering{};
};

struct Folders {
    QString excelPath;
    QString templateFolder;
    QString saveFolder;
};

QString artPath(const QString &startupFolder);
QString artcPath(const QString &startupFolder);

PortAndNumbering defaultPortAndNumbering();
Folders defaultFolders(const QString &startupFolder);

QByteArray formatArt(const PortAndNumbering &values);
QByteArray formatArtc(const Folders &values);

// nullopt for anything the bench cannot use: too few lines, a port line that is
// not a whole number, a port outside 0..255. Lines beyond the last are ignored.
std::optional<PortAndNumbering> parseArt(const QByteArray &bytes);
std::optional<Folders> parseArtc(const QByteArray &bytes);

// The bench's reading rule for one line: the text between the double quotes of a
// quoted line, otherwise the text up to the first comma without surrounding blanks.
QString readValue(const QByteArray &line);

struct Loaded {
    PortAndNumbering portAndNumbering;
    Folders folders;
};

// Reads both files; nullopt when either is missing or unusable.
std::optional<Loaded> load(const QString &startupFolder);

[[nodiscard]] platform::WriteResult saveArt(const QString &startupFolder, const PortAndNumbering &values);
[[nodiscard]] platform::WriteResult saveArtc(const QString &startupFolder, const Folders &values);

} // namespace config
