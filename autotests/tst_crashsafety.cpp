// The bench PC may lose power, or the program may be ended from the task manager,
// in the middle of any write. Whatever moment that happens at, the operator must
// find the settings, the report file and the final report's copies either as they
// were or as they were about to become, and the next start must work with them.
//
// crash_writer writes all of them in a loop and is killed with SIGKILL at random
// moments and in the middle of each kind of write, then started again in the same
// folder; after every kill the folder is checked against what the writer said it
// had begun and finished. The same is done on a tiny disk that fills up.

#include "crashround.h"

#include "console/configfiles.h"
#include "reports/finalreport.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <optional>

#ifdef Q_OS_LINUX
#include <sys/statvfs.h>
#endif

namespace {

// Kills of the writer on an ordinary disk: while it does every kind of write, and
// while it does only one kind (or two), for each of the five.
constexpr int EveryWriteKills = 150;
constexpr int KillsPerAimedWrite = 30;
constexpr int AimedWriteRows = 5;
constexpr int KillCount = EveryWriteKills + AimedWriteRows * KillsPerAimedWrite;
static_assert(KillCount >= 300, "a few hundred kills are needed for them to land inside every kind of write");

// Kills once the tiny disk is full: while the writer does everything, and while it
// only appends, where a kill must land between a part of the record going out and
// its being cut back. That takes a few dozen kills, so many more are made, and
// made quickly.
constexpr int FullDiskKills = 100;
constexpr int FullDiskAppendKills = 300;
constexpr int LongestAppendDelayMs = 10;
// Kills while the tiny disk fills up, at most; it fills within a few runs.
constexpr int MostKillsToFillTheDisk = 200;
constexpr int TinyDiskKiB = 64;

// A kill comes this long after the writer says it has started.
constexpr int ShortestRandomDelayMs = 1;
constexpr int LongestRandomDelayMs = 50;

// A template a few hundred KB long and a large file of a few MB, so that copying
// them takes long enough for kills to land inside the copy.
constexpr qsizetype TemplateBytes = 300 * 1024;
constexpr qsizetype LargeBytes = 2 * 1024 * 1024;
// On the tiny disk they must fit a few times over before it is full.
constexpr qsizetype TinyTemplateBytes = 8 * 1024;
constexpr qsizetype TinyLargeBytes = 12 * 1024;

constexpr int ProcessTimeoutMs = 30000;

const QString FillerName = QStringLiteral("filler");
const QString RoutineTestName = QStringLiteral("RoutineTest.csv");

QString templateName()
{
    return reports::templateFileName(crashround::StyleCode);
}

// The files that are replaced in one step, each through a temporary file of its own.
QStringList replacedFiles()
{
    return {QStringLiteral("art.cfg"), QStringLiteral("artc.cfg"), RoutineTestName, templateName(),
            crashround::largeCopyName()};
}

// The files a cut-off write may leave something beside, named after them: the
// replaced ones and the report file.
QStringList filesWithLeftovers()
{
    return replacedFiles() << crashround::reportFileName();
}

std::optional<QByteArray> readIfThere(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<cannot open " + QFile::encodeName(path) + '>');
    return file.readAll();
}

// Bytes that differ from any other seed's at almost every offset.
QByteArray noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(seed);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(generator.bounded(256));
    return bytes;
}

bool writeWhole(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// SOURCES for crash_writer: both generations of the template and of the large file.
bool makeSources(const QString &sources, qsizetype templateBytes, qsizetype largeBytes)
{
    for (int generation = 1; generation <= 2; ++generation) {
        const QString templates = crashround::templateFolder(sources, generation);
        if (!QDir().mkpath(templates)
            || !writeWhole(templates + templateName(), noise(templateBytes, 10 + generation))
            || !writeWhole(crashround::largeSource(sources, generation), noise(largeBytes, 20 + generation)))
            return false;
    }
    return true;
}

// Fills whatever room is left on the disk holding dir with one file.
bool fillUp(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    const QByteArray chunk(1024, 'x');
    for (qint64 total = 0; total <= 1024 * 1024; total += chunk.size()) {
        if (file.write(chunk) != chunk.size())
            return true;
    }
    return false;  // not a tiny disk after all
}

// What the folder holds: the generation of each file made from one (0: no file),
// and the whole records in the report file and in its copy (-1: no copy).
struct Holdings {
    int art = 0;
    int artc = 0;
    int templateCopy = 0;
    int largeCopy = 0;
    int records = 0;
    int routineRecords = -1;
};

// One line of the writer's progress.
struct Step {
    QByteArray event;  // begin, done, failed
    QByteArray what;   // art, artc, append, final, large
    int n = 0;
    int generation = 0;
    QString why;
};

std::optional<Step> parseStep(const QByteArray &line)
{
    const QList<QByteArray> tokens = line.split(' ');
    if (tokens.size() < 3)
        return std::nullopt;
    Step step;
    step.event = tokens[0];
    step.what = tokens[1];
    bool ok = false;
    step.n = tokens[2].toInt(&ok);
    int next = 3;
    if (step.what == "final") {
        if (tokens.size() < 4)
            return std::nullopt;
        step.generation = tokens[3].toInt();
        next = 4;
    } else {
        step.generation = step.n;
    }
    if (!ok || !QList<QByteArray>{"begin", "done", "failed"}.contains(step.event)
        || !QList<QByteArray>{"art", "artc", "append", "final", "large"}.contains(step.what))
        return std::nullopt;
    step.why = QString::fromUtf8(tokens.mid(next).join(' ')).trimmed();
    return step;
}

// What each kind of write was doing when the writer was killed.
struct KillStats {
    int kills = 0;
    QMap<QString, int> during;     // the write in progress, or "between writes"
    QMap<QString, int> cutOff;     // writes cut off inside: their leftover beside the file, by file
    int appendOnDiskNotTold = 0;   // the record was whole on disk, the writer killed before saying so
    QMap<QString, int> failures;   // writes the writer reported as failed, by kind

    void add(const KillStats &other)
    {
        kills += other.kills;
        appendOnDiskNotTold += other.appendOnDiskNotTold;
        for (auto it = other.during.cbegin(); it != other.during.cend(); ++it)
            during[it.key()] += it.value();
        for (auto it = other.cutOff.cbegin(); it != other.cutOff.cend(); ++it)
            cutOff[it.key()] += it.value();
        for (auto it = other.failures.cbegin(); it != other.failures.cend(); ++it)
            failures[it.key()] += it.value();
    }

    QString summary() const
    {
        QStringList parts;
        for (const char *what : {"art", "artc", "append", "final", "large", "between writes"})
            parts << QStringLiteral("%1 %2").arg(QLatin1String(what)).arg(during.value(QLatin1String(what)));
        QStringList cut;
        for (auto it = cutOff.cbegin(); it != cutOff.cend(); ++it)
            cut << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
        QString text = QStringLiteral("%1 kills; during: %2; cut off inside the write (a leftover beside the "
                                      "file): %3; record on disk but not yet reported: %4")
                           .arg(kills)
                           .arg(parts.join(QStringLiteral(", ")), cut.join(QStringLiteral(", ")))
                           .arg(appendOnDiskNotTold);
        if (!failures.isEmpty()) {
            QStringList failed;
            for (auto it = failures.cbegin(); it != failures.cend(); ++it)
                failed << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
            text += QStringLiteral("; failed writes reported: ") + failed.join(QStringLiteral(", "));
        }
        return text;
    }
};

// Runs crash_writer again and again in one folder and keeps track of what each
// file may hold: what the writer said it finished, or, for the write it was killed
// in, that write's outcome.
class KillRig
{
public:
    // writes: the writer's WRITES argument; empty for every kind of write.
    KillRig(QString sources, QString dir, QString writes)
        : m_sources(std::move(sources)), m_dir(std::move(dir)), m_writes(std::move(writes))
    {
        for (int generation = 1; generation <= 2; ++generation) {
            m_templates[generation] =
                readIfThere(crashround::templateFolder(m_sources, generation) + templateName()).value_or("?");
            m_large[generation] = readIfThere(crashround::largeSource(m_sources, generation)).value_or("?");
        }
    }

    void allowFiller() { m_fillerAllowed = true; }
    const KillStats &stats() const { return m_stats; }

    // Starts the writer, waits until it says it has started and then for delayMs,
    // kills it and checks the folder. Empty when all is well.
    QString killOnce(int delayMs)
    {
        QProcess writer;
        writer.start(QStringLiteral(QUILLMARK_CRASH_WRITER), arguments(0));
        if (!writer.waitForStarted(ProcessTimeoutMs))
            return QStringLiteral("crash_writer did not start: ") + writer.errorString();

        QByteArray out;
        const bool started = waitForLine(writer, out, "start ");
        if (started && delayMs > 0) {
            QEventLoop loop;
            QTimer::singleShot(delayMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
            QObject::connect(&writer, &QProcess::finished, &loop, &QEventLoop::quit);
            loop.exec();
        }
        const bool ranUntilKilled = writer.state() == QProcess::Running;
        writer.kill();
        writer.waitForFinished(ProcessTimeoutMs);
        out += writer.readAllStandardOutput();
        if (!started || !ranUntilKilled)
            return QStringLiteral("crash_writer stopped by itself (exit code %1) before it was killed:\n%2%3")
                .arg(writer.exitCode())
                .arg(QString::fromUtf8(out.right(2000)), QString::fromLocal8Bit(writer.readAllStandardError()));
        ++m_stats.kills;
        return afterRun(out, true);
    }

    // Runs the writer for a number of rounds to their end. With mustSucceed every
    // write must have been done; either way nothing may be left over.
    QString runToEnd(int rounds, bool mustSucceed)
    {
        QProcess writer;
        writer.start(QStringLiteral(QUILLMARK_CRASH_WRITER), arguments(rounds));
        if (!writer.waitForFinished(ProcessTimeoutMs) || writer.exitStatus() != QProcess::NormalExit) {
            writer.kill();
            writer.waitForFinished();
            return QStringLiteral("crash_writer did not finish its rounds");
        }
        const QByteArray out = writer.readAllStandardOutput();
        QString problem = afterRun(out, false);
        if (problem.isEmpty() && mustSucceed && writer.exitCode() != 0)
            problem = QStringLiteral("crash_writer failed on an ordinary disk:\n") + QString::fromUtf8(out);
        if (problem.isEmpty() && !m_leftovers.isEmpty())
            problem = QStringLiteral("files left over after a run that was not killed: ")
                      + QStringList(m_leftovers.values()).join(QStringLiteral(", "));
        m_lastRunOutput = out;
        return problem;
    }

    const QByteArray &lastRunOutput() const { return m_lastRunOutput; }

    // The operator deletes the final report's copies and the large copy.
    void removeCopies()
    {
        for (const QString &copy : {RoutineTestName, templateName(), crashround::largeCopyName()})
            QFile::remove(QDir(m_dir).filePath(copy));
        m_committed.routineRecords = -1;
        m_committed.templateCopy = 0;
        m_committed.largeCopy = 0;
    }

private:
    QStringList arguments(int rounds) const
    {
        QStringList args{m_sources, m_dir, QString::number(rounds)};
        if (!m_writes.isEmpty())
            args << m_writes;
        return args;
    }

    static bool hasLine(const QByteArray &out, const QByteArray &prefix)
    {
        return out.startsWith(prefix) || out.contains('\n' + prefix);
    }

    // Blocks on the writer's output until a line starts with prefix; false when the
    // writer ends or goes quiet first.
    static bool waitForLine(QProcess &writer, QByteArray &out, const QByteArray &prefix)
    {
        for (;;) {
            out += writer.readAllStandardOutput();
            if (hasLine(out, prefix))
                return true;
            if (!writer.waitForReadyRead(ProcessTimeoutMs))
                return false;
        }
    }

    QByteArray expectedReport(int records)
    {
        while (m_expectedRecords < records) {
            ++m_expectedRecords;
            for (int item = 1; item <= crashround::RecordLines; ++item)
                m_expected += crashround::reportItem(m_expectedRecords, item).toLatin1() + "\r\n";
            m_expectedEnds.append(m_expected.size());
        }
        return m_expected.left(records == 0 ? 0 : m_expectedEnds.at(records - 1));
    }

    // The whole records in a report file or its copy, or why it does not hold
    // whole records of this test.
    std::optional<int> recordsIn(const QByteArray &bytes, QString &problem, const QString &name)
    {
        const qsizetype lines = bytes.count('\n');
        if ((!bytes.isEmpty() && !bytes.endsWith("\r\n")) || lines % crashround::RecordLines != 0) {
            problem = QStringLiteral("%1 holds %2 lines, not whole records of %3; its last line is \"%4\"")
                          .arg(name)
                          .arg(lines)
                          .arg(crashround::RecordLines)
                          .arg(QString::fromLatin1(bytes.right(100)));
            return std::nullopt;
        }
        const int records = int(lines / crashround::RecordLines);
        const QByteArray expected = expectedReport(records);
        if (bytes != expected) {
            int record = 1;
            for (; record < records; ++record) {
                const qsizetype end = m_expectedEnds.at(record - 1);
                if (bytes.left(end) != expected.left(end))
                    break;
            }
            problem = QStringLiteral("%1 holds %2 records, but record %3 is not the one the writer appended")
                          .arg(name)
                          .arg(records)
                          .arg(record);
            return std::nullopt;
        }
        return records;
    }

    // Which generation of a file made from one of two sources; 0 when there is none.
    static std::optional<int> generationOf(const std::optional<QByteArray> &bytes,
                                           const std::array<QByteArray, 3> &sources, QString &problem,
                                           const QString &name)
    {
        if (!bytes)
            return 0;
        for (int generation = 1; generation <= 2; ++generation) {
            if (*bytes == sources[generation])
                return generation;
        }
        problem = QStringLiteral("%1 (%2 bytes) is neither version of its source").arg(name).arg(bytes->size());
        return std::nullopt;
    }

    std::optional<int> artGeneration(QString &problem)
    {
        const std::optional<QByteArray> bytes = readIfThere(config::artPath(m_dir));
        if (!bytes)
            return 0;
        const qsizetype lines = bytes->count("\r\n");
        const std::optional<config::PortAndNumbering> values = config::parseArt(*bytes);
        if (lines != config::ArtLineCount || !values) {
            problem = QStringLiteral("art.cfg is cut off or unreadable: %1 lines").arg(lines);
            return std::nullopt;
        }
        const int generation = values->portNumber;
        if (generation < 1 || generation > 2 || *bytes != config::formatArt(crashround::settings(generation))) {
            problem = QStringLiteral("art.cfg mixes the generations: port %1, first serial %2, last serial %3")
                          .arg(generation)
                          .arg(values->relayNumbering[1][1], values->relayNumbering[config::RelayRows][1]);
            return std::nullopt;
        }
        return generation;
    }

    std::optional<int> artcGeneration(QString &problem)
    {
        const std::optional<QByteArray> bytes = readIfThere(config::artcPath(m_dir));
        if (!bytes)
            return 0;
        const std::optional<config::Folders> values = config::parseArtc(*bytes);
        if (bytes->count("\r\n") != 3 || !values) {
            problem = QStringLiteral("artc.cfg is cut off or unreadable: \"%1\"").arg(QString::fromLocal8Bit(*bytes));
            return std::nullopt;
        }
        for (int generation = 1; generation <= 2; ++generation) {
            if (*bytes == config::formatArtc(crashround::folders(generation)))
                return generation;
        }
        problem = QStringLiteral("artc.cfg mixes the generations: \"%1\"").arg(QString::fromLocal8Bit(*bytes));
        return std::nullopt;
    }

    // Reads the folder; problem says what is not whole.
    Holdings observe(QString &problem)
    {
        Holdings now;
        const auto take = [](int &into, std::optional<int> value) {
            if (value)
                into = *value;
        };
        const QDir folder(m_dir);
        take(now.art, artGeneration(problem));
        take(now.artc, artcGeneration(problem));
        take(now.templateCopy,
             generationOf(readIfThere(folder.filePath(templateName())), m_templates, problem, templateName()));
        take(now.largeCopy, generationOf(readIfThere(folder.filePath(crashround::largeCopyName())), m_large,
                                         problem, crashround::largeCopyName()));
        if (const std::optional<QByteArray> report = readIfThere(folder.filePath(crashround::reportFileName())))
            take(now.records, recordsIn(*report, problem, crashround::reportFileName()));
        if (const std::optional<QByteArray> copy = readIfThere(folder.filePath(RoutineTestName)))
            take(now.routineRecords, recordsIn(*copy, problem, RoutineTestName));
        return now;
    }

    // Checks the names in the folder: the files themselves, and at most one
    // leftover per file (a name that starts with the file's name and a dot), from
    // the write the kill cut off; earlier ones must have been cleared away by the
    // runs since. Fills m_leftovers with the leftovers there are.
    QString checkNames()
    {
        QStringList known = filesWithLeftovers();
        if (m_fillerAllowed)
            known << FillerName;
        m_leftovers.clear();
        QMap<QString, int> perFile;
        QStringList unknown;
        const QStringList names =
            QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &name : names) {
            if (known.contains(name))
                continue;
            const QString of = leftoverOf(name);
            if (of.isEmpty()) {
                unknown << name;
            } else {
                ++perFile[of];
                m_leftovers.insert(name);
            }
        }
        if (!unknown.isEmpty())
            return QStringLiteral("unexpected files in the folder: ") + unknown.join(QStringLiteral(", "));
        for (auto it = perFile.cbegin(); it != perFile.cend(); ++it) {
            if (it.value() > 1)
                return QStringLiteral("%1 leftovers of %2 have piled up: %3")
                    .arg(it.value())
                    .arg(it.key(), QStringList(m_leftovers.values()).join(QStringLiteral(", ")));
        }
        return {};
    }

    // The file a leftover belongs to; empty for any other name.
    static QString leftoverOf(const QString &name)
    {
        QString longest;
        for (const QString &file : filesWithLeftovers()) {
            if (name.startsWith(file + QLatin1Char('.')) && file.size() > longest.size())
                longest = file;
        }
        return longest;
    }

    static void apply(Holdings &holdings, const Step &step, bool routineDone = true, bool templateDone = true)
    {
        if (step.what == "art")
            holdings.art = step.generation;
        else if (step.what == "artc")
            holdings.artc = step.generation;
        else if (step.what == "large")
            holdings.largeCopy = step.generation;
        else if (step.what == "append")
            holdings.records = step.n;
        else if (step.what == "final") {
            if (routineDone)
                holdings.routineRecords = step.n;
            if (templateDone)
                holdings.templateCopy = step.generation;
        }
    }

    // Follows the writer's lines, then checks the folder against them.
    QString afterRun(const QByteArray &out, bool killed)
    {
        const QSet<QString> leftoversBefore = m_leftovers;
        std::optional<Step> inProgress;
        for (const QByteArray &line : out.split('\n')) {
            if (line.isEmpty() || line.startsWith("start "))
                continue;
            const std::optional<Step> step = parseStep(line);
            if (!step)
                return QStringLiteral("crash_writer said something unexpected: ") + QString::fromUtf8(line);
            if (step->event == "begin") {
                if (inProgress)
                    return QStringLiteral("a write began before the last one ended: ") + QString::fromUtf8(line);
                inProgress = step;
                continue;
            }
            if (!inProgress || inProgress->what != step->what || inProgress->n != step->n)
                return QStringLiteral("an outcome without its write: ") + QString::fromUtf8(line);
            inProgress.reset();
            if (step->event == "done") {
                apply(m_committed, *step);
                continue;
            }
            // A failed write leaves the file as it was: that is checked below.
            ++m_stats.failures[QString::fromLatin1(step->what)];
            if (step->why.isEmpty())
                return QStringLiteral("a write failed without saying why: ") + QString::fromUtf8(line);
            if (step->what == "final") {
                const bool routineFailed = step->why.contains(QStringLiteral("copied to ") + RoutineTestName);
                const bool templateFailed = step->why.contains(QStringLiteral("template could not be copied"));
                if (!routineFailed && !templateFailed)
                    return QStringLiteral("the final report failed without naming a copy: ") + step->why;
                apply(m_committed, *step, !routineFailed, !templateFailed);
            }
        }
        if (inProgress && !killed)
            return QStringLiteral("a run to its end left a write unfinished");

        // The write the kill cut off may have put its file in place or not.
        Holdings ifDone = m_committed;
        if (inProgress)
            apply(ifDone, *inProgress);
        if (killed)
            ++m_stats.during[inProgress ? QString::fromLatin1(inProgress->what) : QStringLiteral("between writes")];

        QString problem;
        const Holdings now = observe(problem);
        if (!problem.isEmpty())
            return problem;
        const auto check = [&problem](const char *what, int found, int before, int after) {
            if (problem.isEmpty() && found != before && found != after)
                problem = QStringLiteral("%1 holds %2, but only %3 (before the write) or %4 (after it) may be there")
                              .arg(QLatin1String(what))
                              .arg(found)
                              .arg(before)
                              .arg(after);
        };
        check("art.cfg (generation)", now.art, m_committed.art, ifDone.art);
        check("artc.cfg (generation)", now.artc, m_committed.artc, ifDone.artc);
        check("the report file (records)", now.records, m_committed.records, ifDone.records);
        check("RoutineTest.csv (records)", now.routineRecords, m_committed.routineRecords, ifDone.routineRecords);
        check("the template copy (generation)", now.templateCopy, m_committed.templateCopy, ifDone.templateCopy);
        check("the large copy (generation)", now.largeCopy, m_committed.largeCopy, ifDone.largeCopy);
        if (!problem.isEmpty())
            return problem;
        if (inProgress && inProgress->what == "append" && now.records == ifDone.records)
            ++m_stats.appendOnDiskNotTold;
        m_committed = now;

        if (const QString names = checkNames(); !names.isEmpty())
            return names;
        for (const QString &name : std::as_const(m_leftovers)) {
            if (!leftoversBefore.contains(name))
                ++m_stats.cutOff[leftoverOf(name)];
        }
        return {};
    }

    QString m_sources;
    QString m_dir;
    QString m_writes;
    std::array<QByteArray, 3> m_templates;
    std::array<QByteArray, 3> m_large;
    bool m_fillerAllowed = false;

    Holdings m_committed;
    QSet<QString> m_leftovers;
    KillStats m_stats;
    QByteArray m_lastRunOutput;

    QByteArray m_expected;
    QList<qsizetype> m_expectedEnds;
    int m_expectedRecords = 0;
};

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled_data();
    void shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled();

    void shouldKeepTheOldFilesWhenTheDiskIsFull_data();
    void shouldKeepTheOldFilesWhenTheDiskIsFull();

private:
    QTemporaryDir m_sources;
    QRandomGenerator m_random;
    KillStats m_ordinaryDisk;
    KillStats m_fullDisk;
};

void TestCrashSafety::initTestCase()
{
    QVERIFY(m_sources.isValid());
    QVERIFY(makeSources(m_sources.path(), TemplateBytes, LargeBytes));
    const quint32 seed = QRandomGenerator::global()->generate();
    m_random.seed(seed);
    qInfo("kill moments drawn with seed %u", seed);
}

void TestCrashSafety::cleanupTestCase()
{
    qInfo("ordinary disk: %s", qPrintable(m_ordinaryDisk.summary()));
    qInfo("full disk: %s", qPrintable(m_fullDisk.summary()));
}

void TestCrashSafety::shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled_data()
{
    QTest::addColumn<QString>("writes");  // what the writer does in a round; empty: everything
    QTest::addColumn<int>("kills");

    QTest::newRow("every write") << QString() << EveryWriteKills;
    // Runs of one kind of write, so that the kills land inside that kind.
    QTest::newRow("saving art.cfg") << QStringLiteral("art") << KillsPerAimedWrite;
    QTest::newRow("saving artc.cfg") << QStringLiteral("artc") << KillsPerAimedWrite;
    QTest::newRow("appending a record") << QStringLiteral("append") << KillsPerAimedWrite;
    QTest::newRow("appending and copying for the final report") << QStringLiteral("append,final")
                                                                  << KillsPerAimedWrite;
    QTest::newRow("copying a large file") << QStringLiteral("large") << KillsPerAimedWrite;
}

void TestCrashSafety::shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled()
{
    QFETCH(QString, writes);
    QFETCH(int, kills);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    KillRig rig(m_sources.path(), dir.path(), writes);
    for (int kill = 1; kill <= kills; ++kill) {
        const int delay = m_random.bounded(ShortestRandomDelayMs, LongestRandomDelayMs + 1);
        const QString problem = rig.killOnce(delay);
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("after kill %1 (%2 ms): %3").arg(kill).arg(delay).arg(problem)));
    }
    // The next start finds everything in order, and its writes clear away what the
    // kills cut off.
    const QString problem = rig.runToEnd(2, true);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));

    qInfo("%s", qPrintable(rig.stats().summary()));
    m_ordinaryDisk.add(rig.stats());
}

void TestCrashSafety::shouldKeepTheOldFilesWhenTheDiskIsFull_data()
{
    QTest::addColumn<QString>("writes");
    QTest::addColumn<int>("kills");
    QTest::addColumn<int>("longestDelayMs");
    QTest::addColumn<QByteArray>("doneOnceThereIsRoom");  // a write that succeeds once the filler is gone

    QTest::newRow("every write") << QString() << FullDiskKills << LongestRandomDelayMs << QByteArray("done art ");
    // An append that does not fit leaves part of the record in the file until it is
    // cut back, and kills must not find it there. The report file itself fills this
    // disk, so no append fits even once the filler is gone.
    QTest::newRow("appends only") << QStringLiteral("append") << FullDiskAppendKills << LongestAppendDelayMs
                                  << QByteArray();
}

void TestCrashSafety::shouldKeepTheOldFilesWhenTheDiskIsFull()
{
    QFETCH(QString, writes);
    QFETCH(int, kills);
    QFETCH(int, longestDelayMs);
    QFETCH(QByteArray, doneOnceThereIsRoom);
#ifndef Q_OS_LINUX
    QSKIP("a private tmpfs needs Linux mount namespaces");
#else
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty())
        QSKIP("unshare is not installed: cannot mount a tiny private tmpfs to fill");

    QTemporaryDir top;
    QVERIFY(top.isValid());
    const QString mountPoint = top.filePath(QStringLiteral("disk"));
    const QString sources = top.filePath(QStringLiteral("sources"));
    QVERIFY(QDir().mkpath(mountPoint));
    QVERIFY(makeSources(sources, TinyTemplateBytes, TinyLargeBytes));

    // The tmpfs lives in a private mount namespace for as long as the holder runs;
    // the writer and the checks reach it through the holder's root.
    QProcess holder;
    holder.start(unshare, {QStringLiteral("--user"), QStringLiteral("--map-root-user"), QStringLiteral("--mount"),
                           QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("mount -t tmpfs -o size=%1k none \"$1\" && echo mounted && exec cat")
                               .arg(TinyDiskKiB),
                           QStringLiteral("sh"), mountPoint});
    QVERIFY2(holder.waitForStarted(ProcessTimeoutMs), qPrintable(holder.errorString()));
    const auto stopHolder = qScopeGuard([&holder] {
        holder.closeWriteChannel();
        if (!holder.waitForFinished(ProcessTimeoutMs)) {
            holder.kill();
            holder.waitForFinished();
        }
    });
    QByteArray said;
    while (!said.contains("mounted\n") && holder.waitForReadyRead(ProcessTimeoutMs))
        said += holder.readAllStandardOutput();
    QVERIFY2(said.contains("mounted\n"),
             qPrintable(QStringLiteral("cannot mount a private tmpfs: ")
                        + QString::fromLocal8Bit(holder.readAllStandardError())));
    const QString dir = QStringLiteral("/proc/%1/root%2").arg(holder.processId()).arg(mountPoint);

    // Never fill a real disk: the folder must be the tiny tmpfs.
    struct statvfs fs {};
    QCOMPARE(::statvfs(QFile::encodeName(dir).constData(), &fs), 0);
    QCOMPARE(qint64(fs.f_blocks) * qint64(fs.f_frsize), qint64(TinyDiskKiB) * 1024);

    KillRig rig(sources, dir, writes);
    rig.allowFiller();

    // The report file (and its copy) grow with every round until the disk is full.
    for (int kill = 1; rig.stats().failures.value(QStringLiteral("append")) == 0; ++kill) {
        QVERIFY2(kill <= MostKillsToFillTheDisk, "the tiny disk never filled up");
        const int delay = m_random.bounded(ShortestRandomDelayMs, longestDelayMs + 1);
        const QString problem = rig.killOnce(delay);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("filling, kill %1: %2").arg(kill).arg(problem)));
    }

    // Not a page left: every save that needs one fails, and must keep its old file.
    const QString filler = QDir(dir).filePath(FillerName);
    const KillStats beforeFull = rig.stats();
    for (int kill = 1; kill <= kills; ++kill) {
        QVERIFY(fillUp(filler));
        const int delay = m_random.bounded(ShortestRandomDelayMs, longestDelayMs + 1);
        const QString problem = rig.killOnce(delay);
        QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("disk full, kill %1: %2").arg(kill).arg(problem)));
    }
    const QStringList written = writes.isEmpty() ? QStringList{QStringLiteral("art"), QStringLiteral("artc"),
                                                               QStringLiteral("append"), QStringLiteral("final"),
                                                               QStringLiteral("large")}
                                                 : writes.split(QLatin1Char(','));
    for (const QString &what : written) {
        QVERIFY2(rig.stats().failures.value(what) > beforeFull.failures.value(what),
                 qPrintable(what + QStringLiteral(" never reported a failure on the full disk")));
    }

    // The operator makes room: the next run writes again, and nothing the kills cut
    // off is left taking up the disk.
    QVERIFY(QFile::remove(filler));
    rig.removeCopies();
    const QString problem = rig.runToEnd(1, false);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    if (!doneOnceThereIsRoom.isEmpty())
        QVERIFY2(rig.lastRunOutput().contains('\n' + doneOnceThereIsRoom), rig.lastRunOutput().constData());

    qInfo("%s", qPrintable(rig.stats().summary()));
    m_fullDisk.add(rig.stats());
#endif
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
