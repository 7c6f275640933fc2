// Does one round of the bench's writes for tst_crashsafety, and can kill itself at
// any moment a file changes, the way a power cut or the task manager would:
//
//   crash_writer DIR SOURCES GENERATION WRITES [KILL_AT]
//
// DIR is both the start-up folder and the report folder. WRITES names, comma-
// separated, what the round does, in this order: art and artc save the settings
// files of GENERATION (1 or 2); final makes the final report's copies, the
// template taken from SOURCES/templates<GENERATION>/; append adds the next QL1
// record to the report file; large copies SOURCES/large<GENERATION>.bin into DIR.
// Each write that fails prints "failed <write> <why>", a notice of the report file
// "notice <text>"; the exit code is 0 when every write was done, 1 otherwise.
//
// The kill points are counted while the round runs: just before each write to a
// file and again with half of it written, and just before each rename, cut and
// removal. The C library's calls are stood in for below, so the points are found
// in the bench's own code and in Qt's alike. At point KILL_AT (1, 2, ...) the
// writer prints "killed" and kills itself with SIGKILL.

#include "crashround.h"

#include "platform/atomicfile.h"
#include "reports/finalreport.h"
#include "reports/reportfile.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long killAt = 0;
long points = 0;
bool armed = false;

// Says so first, after all that was said before, so that the test tells this kill
// from a crash.
void point()
{
    if (armed && ++points == killAt) {
        std::fputs("killed\n", stdout);
        std::fflush(stdout);
        std::raise(SIGKILL);
    }
}

template <typename Function>
Function next(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

// The one place each kind of bench write is called from here.
reports::AppendResult appendRecord(const QString &dir, int record)
{
    BenchRecord relay;
    relay.StyleCode = crashround::StyleCode;
    relay.SaveFolder = dir + QLatin1Char('/');
    for (int item = 1; item <= crashround::RecordLines; ++item)
        relay.ReportItems[item] = crashround::reportItem(record, item);
    return reports::appendReportRecord(relay, crashround::ReportFile);
}

reports::FinalReportResult makeFinalReport(const QString &dir, const QString &templates)
{
    BenchRecord relay;
    relay.StyleCode = crashround::StyleCode;
    relay.SaveFolder = dir + QLatin1Char('/');
    relay.TemplateFolder = templates + QLatin1Char('/');
    return reports::prepareFinalReport(relay, crashround::ReportFile);
}

// Whole records in the report file; what is left of a cut-off one does not count.
int recordsIn(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count('\n') / crashround::RecordLines) : 0;
}

// Kill points of a write of size bytes to the file fd: just before it, and with
// half of it done. Writes to pipes and the terminal do not count.
template <typename WriteHalf>
void pointsOfWrite(int fd, size_t size, WriteHalf writeHalf)
{
    struct stat st {};
    if (!armed || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return;
    point();
    if (size > 1) {
        if (points + 1 == killAt)
            writeHalf(size / 2);
        point();
    }
}

} // namespace

extern "C" ssize_t write(int fd, const void *data, size_t size)
{
    static const auto real = next<decltype(&write)>("write");
    pointsOfWrite(fd, size, [&](size_t half) { real(fd, data, half); });
    return real(fd, data, size);
}

// Qt copies a file this way.
extern "C" ssize_t sendfile(int to, int from, off_t *offset, size_t size) noexcept
{
    static const auto real = next<decltype(&sendfile)>("sendfile");
    pointsOfWrite(to, size, [&](size_t half) { real(to, from, offset, half); });
    return real(to, from, offset, size);
}

extern "C" int ftruncate(int fd, off_t length) noexcept
{
    return point(), next<decltype(&ftruncate)>("ftruncate")(fd, length);
}

extern "C" int rename(const char *from, const char *to) noexcept
{
    return point(), next<decltype(&rename)>("rename")(from, to);
}

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags) noexcept
{
    return point(), next<decltype(&renameat2)>("renameat2")(fromDir, from, toDir, to, flags);
}

extern "C" int unlink(const char *path) noexcept
{
    return point(), next<decltype(&unlink)>("unlink")(path);
}

extern "C" int unlinkat(int dir, const char *path, int flags) noexcept
{
    return point(), next<decltype(&unlinkat)>("unlinkat")(dir, path, flags);
}

int main(int argc, char **argv)
{
    if (argc < 5 || argc > 6) {
        std::fputs("usage: crash_writer DIR SOURCES GENERATION WRITES [KILL_AT]\n", stderr);
        return 2;
    }
    const QString dir = QFile::decodeName(argv[1]);
    const QDir sources(QFile::decodeName(argv[2]));
    const int generation = std::atoi(argv[3]);
    const QStringList writes = QString::fromLatin1(argv[4]).split(QLatin1Char(','));
    killAt = argc > 5 ? std::atol(argv[5]) : 0;

    bool allDone = true;
    const auto outcome = [&](const char *write, bool ok, QString why) {
        if (!ok) {
            allDone = false;
            std::printf("failed %s %s\n", write, qPrintable(why.replace(QLatin1Char('\n'), QLatin1Char(' '))));
        }
    };
    armed = true;
    if (writes.contains(QLatin1String("art"))) {
        const platform::WriteResult saved = config::saveArt(dir, crashround::settings(generation));
        outcome("art", saved.ok, saved.error);
    }
    if (writes.contains(QLatin1String("artc"))) {
        const platform::WriteResult saved = config::saveArtc(dir, crashround::folders(generation));
        outcome("artc", saved.ok, saved.error);
    }
    if (writes.contains(QLatin1String("final"))) {
        const reports::FinalReportResult made =
            makeFinalReport(dir, sources.filePath(QStringLiteral("templates%1").arg(generation)));
        outcome("final", made.ok, made.message);
    }
    if (writes.contains(QLatin1String("append"))) {
        const int record = recordsIn(QDir(dir).filePath(crashround::ReportFile)) + 1;
        const reports::AppendResult added = appendRecord(dir, record);
        outcome("append", added.ok, added.error);
        if (!added.notice.isEmpty())  // a note that does not match: no kill can leave one
            std::printf("notice %s\n", qPrintable(added.notice));
    }
    if (writes.contains(QLatin1String("large"))) {
        const platform::WriteResult copied = platform::copyFileAtomically(
            sources.filePath(QStringLiteral("large%1.bin").arg(generation)), QDir(dir).filePath(crashround::LargeCopy));
        outcome("large", copied.ok, copied.error);
    }
    armed = false;
    return allDone ? 0 : 1;
}
