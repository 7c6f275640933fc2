#pragma once

#include "console/record/benchrecord.h"
#include "platform/atomicfile.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// art.cfg (port and relay numbering, 76 lines) and artc.cfg (three folders), both
// in the start-up folder, one value per line, CR LF, strings in double quotes.
namespace config {

inline constexpr int RelayRows = 25;
inline constexpr int ArtLineCount = 1 + 3 * RelayRows;

struct PortAndNumbering {
    qint16 portNumber = 1;
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
// not a whole number, a port outside 0..255. The port may be written bare or
// quoted. Lines beyond the last are ignored.
std::optional<PortAndNumbering> parseArt(const QByteArray &bytes);
std::optional<Folders> parseArtc(const QByteArray &bytes);

// The bench's reading rule for one line: the text between the double quotes of a
// quoted line, otherwise the text up to the first comma without surrounding blanks.
QString readValue(const QByteArray &line);

struct Loaded {
    PortAndNumbering portAndNumbering;
    Folders folders;
};

enum class FileCondition { Usable, Missing, Unusable };

// How one file was found at start-up, and its bytes when they could be read.
struct FileFound {
    FileCondition condition = FileCondition::Missing;
    std::optional<QByteArray> bytes;
};

// What start-up found: the values when both files are usable, otherwise which
// file let the bench down.
struct LoadResult {
    std::optional<Loaded> loaded;
    FileFound art;
    FileFound artc;
};

// Reads both files, each to the end, so a failure of one still tells about the other.
LoadResult load(const QString &startupFolder);

// A copy of a settings file, taken before the defaults overwrite it.
struct KeptCopy {
    QString path;      // "<file>.unreadable" for a file the bench could not use,
                       // "<file>.replaced" for a good one reset along with it
    bool unusable = false;
    platform::WriteResult written;
};

// The defaults always replace both files together, so before they do, every file
// that is there is kept beside itself, newest over older copies: what the operator
// had (advanced serial numbers, chosen folders) can still be put back by hand.
// Call only when load() gave no values; a missing file keeps nothing.
QList<KeptCopy> keepBeforeReset(const QString &startupFolder, const LoadResult &found);

[[nodiscard]] platform::WriteResult saveArt(const QString &startupFolder, const PortAndNumbering &values);
[[nodiscard]] platform::WriteResult saveArtc(const QString &startupFolder, const Folders &values);

} // namespace config
