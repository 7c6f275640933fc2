// Saves art.cfg onto a disk with no room left, the way a bench PC with a full
// drive would, and reports what happened as key=value lines for tst_atomicfile.
//
//   fulldisk_writer DIR
//
// DIR must be a tiny file system of its own (tst_atomicfile mounts a 16 KiB tmpfs
// there in a private mount namespace). The helper refuses to fill anything larger,
// so a mount that did not happen can never fill a real disk.

#include "platform/atomicfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <sys/statvfs.h>

namespace {

constexpr qint64 LargestDiskWeFill = 1024 * 1024;

QByteArray pattern(qsizetype size, char seed)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char('0' + (seed + i) % 10);
    return bytes;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Names in dir other than the ones expected there: the leftovers of a failed save.
QString strayEntries(const QDir &dir, const QStringList &expected)
{
    QStringList stray = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &name : expected)
        stray.removeAll(name);
    return stray.join(QLatin1Char(','));
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        out << "usage=fulldisk_writer DIR\n";
        return 2;
    }
    const QDir dir(args.at(1));

    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(dir.path()).constData(), &fs) != 0) {
        out << "refused=cannot stat " << dir.path() << '\n';
        return 2;
    }
    const qint64 diskBytes = qint64(fs.f_blocks) * qint64(fs.f_frsize);
    out << "diskBytes=" << diskBytes << '\n';
    if (diskBytes > LargestDiskWeFill) {
        out << "refused=not a tiny disk\n";
        return 2;
    }

    const QString art = dir.filePath(QStringLiteral("art.cfg"));
    const QString filler = dir.filePath(QStringLiteral("filler"));

    // The settings as they stand before the save.
    const QByteArray oldBytes = pattern(700, 1);
    const platform::WriteResult first = platform::replaceFileAtomically(art, oldBytes);
    out << "oldSaved=" << int(first.ok) << '\n';

    // Fill the disk to the last byte.
    {
        QFile fill(filler);
        if (!fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            out << "refused=cannot create filler\n";
            return 2;
        }
        const QByteArray chunk(1024, 'x');
        qint64 total = 0;
        for (;;) {
            const qint64 n = fill.write(chunk);
            if (n > 0)
                total += n;
            if (n != chunk.size())
                break;
            if (total > LargestDiskWeFill) {
                out << "refused=the disk never filled up\n";
                return 2;
            }
        }
        out << "fillerBytes=" << total << '\n';
    }

    // A save that cannot fit: the old settings must still be there afterwards.
    const platform::WriteResult full = platform::replaceFileAtomically(art, pattern(64 * 1024, 2));
    out << "fullSaveFailed=" << int(!full.ok) << '\n';
    out << "fullSaveError=" << full.error << '\n';
    out << "oldFileIntact=" << int(readFile(art) == oldBytes) << '\n';
    out << "strayAfterFullSave=" << strayEntries(dir, {QStringLiteral("art.cfg"), QStringLiteral("filler")}) << '\n';

    // Room again: the next save goes through.
    QFile::remove(filler);
    const QByteArray newBytes = pattern(8 * 1024, 3);
    const platform::WriteResult fits = platform::replaceFileAtomically(art, newBytes);
    out << "fitSaveOk=" << int(fits.ok) << '\n';
    out << "fitSaveError=" << fits.error << '\n';
    out << "newFileIntact=" << int(readFile(art) == newBytes) << '\n';
    out << "strayAfterFitSave=" << strayEntries(dir, {QStringLiteral("art.cfg")}) << '\n';
    return 0;
}
