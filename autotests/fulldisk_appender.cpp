// Adds QL1 records to a report file on a disk with no room left, the way a bench
// PC with a full drive would, and reports what happened as key=value lines for
// tst_reportfile:   fulldisk_appender DIR
//
// DIR must be a tiny file system of its own (tst_reportfile mounts a 16 KiB tmpfs
// there in a private mount namespace); the helper refuses to fill anything larger.

#include "console/benchrecord.h"
#include "reports/reportfile.h"
#include "testfiles.h"

#include <QDir>
#include <QTextStream>

#include <sys/statvfs.h>

// A QL1 relay whose items are itemSize characters long; its record as it should be.
static QByteArray setRelay(int itemSize)
{
    bench().StyleCode = 4;
    for (int item = 1; item <= 30; ++item)
        bench().ReportItems[item] = QString(itemSize, QChar(u'a' + item % 26));
    return reports::formatRecord(bench());
}

int main(int argc, char **argv)
{
    QTextStream out(stdout);
    const QDir dir(QFile::decodeName(argc > 1 ? argv[1] : ""));
    struct statvfs fs {};
    if (::statvfs(QFile::encodeName(dir.path()).constData(), &fs) != 0 || fs.f_blocks * fs.f_frsize > 1024 * 1024)
        qFatal("refused: %s is not a tiny disk of its own", qPrintable(dir.path()));
    bench().SaveFolder = dir.path() + QLatin1Char('/');
    const QString name = QStringLiteral("Test Report 1.csv");
    const QByteArray first = setRelay(3);
    out << "firstOk=" << reports::appendReportRecord(name).ok << '\n';
    QFile fill(dir.filePath(QStringLiteral("filler")));
    fill.open(QIODevice::WriteOnly | QIODevice::Unbuffered);  // no filler: the disk has room, and it shows
    while (fill.write(QByteArray(1024, 'x')) == 1024 && fill.size() < 1024 * 1024)
        continue;  // until the disk is full

    // Larger than what is left of the file's last page, so part of it would fit.
    const QByteArray second = setRelay(200);
    const reports::AppendResult full = reports::appendReportRecord(name);
    out << "fullAppendFailed=" << !full.ok << "\nfullAppendNamesFile=" << full.error.contains(dir.filePath(name))
        << "\noldFileIntact=" << (readFile(dir.filePath(name)) == first)
        << "\nnewFileFailed=" << !reports::appendReportRecord(QStringLiteral("Test Report 2.csv")).ok << '\n';
    fill.remove();
    out << "roomAgainOk=" << reports::appendReportRecord(name).ok
        << "\nroomAgainIntact=" << (readFile(dir.filePath(name)) == first + second) << "\nentries="
        << dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).join(u',') << '\n';
}
