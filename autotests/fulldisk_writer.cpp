// Saves art.cfg onto a disk with no room left, the way a bench PC with a full
// drive would, and reports what happened as key=value lines for tst_atomicfile.
//
//   fulldisk_writer DIR
//
// DIR must be a tiny file system of its own (tst_atomicfile mounts a 16 KiB tmpfs
// there in a private mount namespace). The helper refuses to fill anything larger,
// so a mount that did not happen can never fill a real disk.

#include "platform/atomicfile.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <sys/statvfs.h>

int main(int argc, char **argv)
{
    constexpr qint64 LargestDiskWeFill = 1024 * 1024;
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QDir dir(app.arguments().value(1));
    struct statvfs fs {};
    if (app.arguments().size() != 2 || ::statvfs(QFile::encodeName(dir.path()).constData(), &fs) != 0
        || qint64(fs.f_blocks) * qint64(fs.f_frsize) > LargestDiskWeFill) {
        err << "refused: " << dir.path() << " is not a tiny disk of its own\n";
        return 2;
    }

    const QString art = dir.filePath(QStringLiteral("art.cfg"));
    const QByteArray oldBytes(700, 'o');  // the settings as they stand before the save
    out << "saved=" << int(platform::replaceFileAtomically(art, oldBytes).ok) << '\n';

    // Fill the disk to the last byte.
    QFile filler(dir.filePath(QStringLiteral("filler")));
    out << "filler=" << int(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) << '\n';
    const QByteArray chunk(1024, 'x');
    for (qint64 filled = 0; filler.write(chunk) == chunk.size();) {
        if ((filled += chunk.size()) > LargestDiskWeFill) {
            err << "refused: the disk never filled up\n";
            return 2;
        }
    }
    filler.close();

    // A save that cannot fit: the old settings must still be there, and nothing else.
    const platform::WriteResult full = platform::replaceFileAtomically(art, QByteArray(64 * 1024, 'n'));
    err << "the full disk said: " << full.error << '\n';
    out << "fullFailed=" << int(!full.ok) << "\nreason=" << int(!full.error.trimmed().isEmpty())
        << "\noldIntact=" << int(readFile(art) == oldBytes) << "\nfolder="
        << dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name).join(u',')
        << '\n';
    return 0;
}
