// Writes the bench's files over and over until it is killed, for tst_crashsafety:
//
//   crash_writer SOURCES DIR [ROUNDS [WRITES]]
//
// DIR is both the start-up folder (art.cfg, artc.cfg) and the report folder. Each
// round saves art.cfg and artc.cfg (art, artc), appends one QL1 record to the
// report file (append), makes the final report's two copies, RoutineTest.csv and
// the template from SOURCES/templates<generation>/ (final), and copies
// SOURCES/large<generation>.bin into DIR (large); see crashround.h. WRITES, a
// comma-separated list of those names, limits the rounds to them, so that kills
// can be aimed at one kind of write. Generations 1 and 2 alternate from round to
// round, starting with the one the round's first file does not hold, so every run
// replaces what the run before left. With ROUNDS 0 or left out it never stops;
// otherwise it exits after that many rounds, 0 when every write succeeded and 1
// otherwise.
//
// Progress goes to stdout one line at a time, each written straight to the pipe so
// that a kill loses none of the lines before it:
//
//   start <pid>
//   begin <what> <n> [<generation>]
//   done <what> <n> [<generation>]
//   failed <what> <n> [<generation>] <why, on one line>
//
// what is art, artc or large with n the generation; append with n the number of
// the record being added; final with n the records in the report file as it is
// copied, followed by the template's generation.

#include "crashround.h"

#include "console/benchrecord.h"
#include "platform/atomicfile.h"
#include "reports/finalreport.h"
#include "reports/reportfile.h"

#include <QCoreApplication>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <unistd.h>

namespace {

void say(const QByteArray &text)
{
    const QByteArray line = text + '\n';
    const char *data = line.constData();
    qsizetype left = line.size();
    while (left > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, data, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        data += n;
        left -= n;
    }
}

QByteArray oneLine(QString text)
{
    text.replace(QLatin1Char('\n'), QStringLiteral(" | "));
    return text.toUtf8();
}

std::optional<QByteArray> readWhole(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

// The generation the file that a round writes first holds now, 0 when it holds
// neither (or there is no such file).
int generationOnDisk(const QString &sources, const QString &dir, const QStringList &writes)
{
    const auto matching = [](const std::optional<QByteArray> &bytes, const auto &generationBytes) {
        for (int generation = 1; bytes && generation <= 2; ++generation) {
            if (*bytes == generationBytes(generation))
                return generation;
        }
        return 0;
    };
    const QString copies = dir + QLatin1Char('/');
    if (writes.contains(QLatin1String("art")))
        return matching(readWhole(config::artPath(dir)),
                        [](int g) { return config::formatArt(crashround::settings(g)); });
    if (writes.contains(QLatin1String("artc")))
        return matching(readWhole(config::artcPath(dir)),
                        [](int g) { return config::formatArtc(crashround::folders(g)); });
    if (writes.contains(QLatin1String("final"))) {
        const QString name = reports::templateFileName(crashround::StyleCode);
        return matching(readWhole(copies + name), [&](int g) {
            return readWhole(crashround::templateFolder(sources, g) + name).value_or(QByteArray());
        });
    }
    if (writes.contains(QLatin1String("large")))
        return matching(readWhole(copies + crashround::largeCopyName()), [&](int g) {
            return readWhole(crashround::largeSource(sources, g)).value_or(QByteArray());
        });
    return 0;
}

// Whole records in the report file. What is left of a record a kill cut off does
// not count: the next append takes it out.
int recordsOnDisk(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return int(file.readAll().count('\n') / crashround::RecordLines);
}

void setRecord(int record)
{
    bench().StyleCode = crashround::StyleCode;
    for (int item = 1; item <= crashround::RecordLines; ++item)
        bench().ReportItems[item] = crashround::reportItem(record, item);
}

class Writer
{
public:
    Writer(QString sources, QString dir, QStringList writes)
        : m_sources(std::move(sources)), m_dir(std::move(dir)), m_writes(std::move(writes))
    {
        bench().SaveFolder = m_dir + QLatin1Char('/');
        m_generation = generationOnDisk(m_sources, m_dir, m_writes) == 1 ? 2 : 1;
        m_records = recordsOnDisk(bench().SaveFolder + crashround::reportFileName());
    }

    void round()
    {
        const QByteArray g = QByteArray::number(m_generation);
        if (does("art"))
            step("art " + g, [&] { return config::saveArt(m_dir, crashround::settings(m_generation)); });
        if (does("artc"))
            step("artc " + g, [&] { return config::saveArtc(m_dir, crashround::folders(m_generation)); });

        if (does("append")) {
            const QByteArray next = "append " + QByteArray::number(m_records + 1);
            setRecord(m_records + 1);
            say("begin " + next);
            const reports::AppendResult appended = reports::appendReportRecord(crashround::reportFileName());
            if (appended.ok)
                ++m_records;
            report(next, appended.ok, appended.error);
        }

        if (does("final")) {
            const QByteArray copies = "final " + QByteArray::number(m_records) + ' ' + g;
            bench().TemplateFolder = crashround::templateFolder(m_sources, m_generation);
            say("begin " + copies);
            const reports::FinalReportResult copied = reports::prepareFinalReport(crashround::reportFileName());
            report(copies, copied.ok, copied.message);
        }

        if (does("large")) {
            step("large " + g, [&] {
                return platform::copyFileAtomically(crashround::largeSource(m_sources, m_generation),
                                                    bench().SaveFolder + crashround::largeCopyName());
            });
        }

        m_generation = 3 - m_generation;
    }

    bool anyFailed() const { return m_failed; }

private:
    bool does(const char *what) const { return m_writes.contains(QLatin1String(what)); }

    // One write of a file: announced before it starts, its outcome after.
    template <typename Write>
    void step(const QByteArray &what, Write write)
    {
        say("begin " + what);
        const platform::WriteResult result = write();
        report(what, result.ok, result.error);
    }

    void report(const QByteArray &what, bool ok, const QString &why)
    {
        if (ok) {
            say("done " + what);
        } else {
            m_failed = true;
            say("failed " + what + ' ' + oneLine(why));
        }
    }

    QString m_sources;
    QString m_dir;
    QStringList m_writes;
    int m_generation = 1;
    int m_records = 0;
    bool m_failed = false;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QStringList everyWrite{QStringLiteral("art"), QStringLiteral("artc"), QStringLiteral("append"),
                                 QStringLiteral("final"), QStringLiteral("large")};
    const QStringList writes = args.size() > 4 ? args.at(4).split(QLatin1Char(',')) : everyWrite;
    if (args.size() < 3 || args.size() > 5 || writes.isEmpty()
        || std::any_of(writes.cbegin(), writes.cend(), [&](const QString &w) { return !everyWrite.contains(w); })) {
        say("usage: crash_writer SOURCES DIR [ROUNDS [WRITES]]");
        return 2;
    }
    const int rounds = args.value(3, QStringLiteral("0")).toInt();

    Writer writer(args.at(1), args.at(2), writes);
    say("start " + QByteArray::number(QCoreApplication::applicationPid()));
    for (int round = 0; rounds == 0 || round < rounds; ++round)
        writer.round();
    return writer.anyFailed() ? 1 : 0;
}
