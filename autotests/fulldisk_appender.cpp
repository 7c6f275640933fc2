// Adds QL1 records to a report file on a disk with no room left, the way a bench
// PC with a full drive would, and reports what happened as key=value lines for
// tst_reportfile:   fulldisk_appender DIR
//
// DIR must be a tiny file system of its own (tst_reportfile mounts a 16 KiB tmpfs
// there in a private mount namespace); the helper refuses to fill anything larger.

#include "console/benchrecord.h"
#include "reports/reportfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTextStream>

#include <sys/statvfs.h>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A QL1 relay whose items are itemSize characters long; its record as it should be.
QByteArray setRelay(const char *id, int itemSize)
{
    bench().StyleCode = 4;
    for (int item = 1; item <= 30; ++item)
        bench().ReportItems[item] = QString(itemSize, QChar(u'a' + item % 26));
    bench().ReportItems[1] = QString::fromLatin1(id);
    return reports::formatRecord(bench());
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    const QDir dir(app.arguments().value(1));
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(dir.path()).constData(), &fs) != 0 || fs.f_blocks * fs.f_frsize > 1024 * 1024) {
        out << "refused=not a tiny disk\n";
        return 2;
    }
    bench().SaveFolder = dir.path() + QLatin1Char('/');
    const QString name = QStringLiteral("Test Report 1.csv");
    const auto append = [&](const QString &fileName) { return reports::appendReportRecord(fileName); };

    const QByteArray first = setRelay("0001/22DAB", 3);
    out << "firstOk=" << append(name).ok << '\n';
    QFile fill(dir.filePath(QStringLiteral("filler")));
    if (!fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return 2;
    while (fill.write(QByteArray(1024, 'x')) == 1024 && fill.size() < 1024 * 1024) {
    }
    fill.close();

    // Larger than what is left of the file's last page, so part of it would fit.
    const QByteArray second = setRelay("0002/22DAB", 200);
    const reports::AppendResult full = append(name);
    out << "fullAppendFailed=" << !full.ok << '\n';
    out << "fullAppendNamesFile=" << full.error.contains(dir.filePath(name)) << '\n';
    out << "oldFileIntact=" << (readFile(dir.filePath(name)) == first) << '\n';
    out << "newFileFailed=" << !append(QStringLiteral("Test Report 2.csv")).ok << '\n';

    fill.remove();
    out << "roomAgainOk=" << append(name).ok << '\n';
    out << "roomAgainIntact=" << (readFile(dir.filePath(name)) == first + second) << '\n';
    out << "entries=" << dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u',') << '\n';
    return 0;
}
