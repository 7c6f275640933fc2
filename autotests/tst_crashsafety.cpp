// The bench PC may lose power, or the program may be ended from the task manager,
// at any moment of a write, and its disk may fill up. The operator must then find
// the settings, the report file and the final report's copies either as they were
// or as they were about to become, and the next start must work with them and
// clear away what the cut-off write left.
//
// crash_writer does one round of those writes and kills itself at a chosen point
// where a file changes. Every point is tried in turn, each time from the same
// folder, and after each kill the writer is started again to the end of a round.

#include "crashround.h"
#include "privatetmpfs.h"

#include "reports/finalreport.h"

#include <QDir>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// Room for every file and, beside the large copy, its temporary file; and room
// for all that many times over.
constexpr int TinyDiskKiB = 256;
constexpr int RoomyDiskKiB = 8192;
constexpr qint64 PageBytes = 4096;
// Two chunks of a copy, so that a kill lands between them.
constexpr qsizetype LargeBytes = 70 * 1024;

const QString Filler = QStringLiteral("filler");
const QString Routine = QStringLiteral("RoutineTest.csv");
const QString Template = reports::templateFileName(crashround::StyleCode);
const QString Note = crashround::ReportFile + QStringLiteral(".appending");
const QString CutRecord = QStringLiteral("a record cut off");

// The file each write changes.
const QList<std::pair<QString, QString>> Written{
    {QStringLiteral("art"), QStringLiteral("art.cfg")}, {QStringLiteral("artc"), QStringLiteral("artc.cfg")},
    {QStringLiteral("final"), Routine},                 {QStringLiteral("final"), Template},
    {QStringLiteral("append"), crashround::ReportFile}, {QStringLiteral("large"), crashround::LargeCopy}};

using Folder = QMap<QString, QByteArray>;

int wholeRecords(const QString &holding)
{
    return holding == QLatin1String("-") ? 0 : holding.chopped(holding.endsWith(QLatin1Char('+')) ? 1 : 0).toInt();
}

// One folder, on an ordinary disk or on a tiny one filled up to roomLeft pages,
// and the writer run in it again and again.
class Rig
{
public:
    Rig(QString dir, const QString &writes, int roomLeft)
        : m_dir(std::move(dir)), m_writes(writes.split(QLatin1Char(','))), m_roomLeft(roomLeft)
    {
        for (int generation = 1; generation <= 2; ++generation) {
            const auto source = [&](const QString &path, qsizetype size) {
                QDir().mkpath(QFileInfo(path).path());
                const QByteArray bytes(size + generation, char('0' + generation));
                QFile file(path);
                return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? bytes : QByteArray();
            };
            m_generations[Written[0].second] << config::formatArt(crashround::settings(generation));
            m_generations[Written[1].second] << config::formatArtc(crashround::folders(generation));
            m_generations[Template]
                << source(m_sources.filePath(QStringLiteral("templates%1/").arg(generation) + Template), 5000);
            m_generations[crashround::LargeCopy]
                << source(m_sources.filePath(QStringLiteral("large%1.bin").arg(generation)), LargeBytes);
        }
        for (int record = 1; record <= 10; ++record) {
            for (int item = 1; item <= crashround::RecordLines; ++item)
                m_reference += crashround::reportItem(record, item).toLatin1() + "\r\n";
        }
        m_recordBytes = m_reference.size() / 10;
    }

    QSet<QString> failed;     // the writes that said they failed
    QSet<QString> cutInside;  // files a kill left a leftover beside, and CutRecord
    int kills = 0;

    // Kills the writer at every point in turn, each time in the folder `from`. After
    // each kill that cut off an append, with more killsLeft, does the same from
    // there; otherwise starts the writer again to the end of a round, on the full
    // disk as it is and, once the operator has made room, again.
    QString sweep(const Folder &from, int killsLeft, int generation)
    {
        for (long killAt = 1;; ++killAt) {
            if (!restore(from) || (m_roomLeft >= 0 && !fillLeaving(m_dir, m_roomLeft * PageBytes)))
                return QStringLiteral(" cannot set the folder up");
            QString problem = run(generation, killAt, m_writes);
            const bool killed = m_killed;
            int again = 3 - generation;  // so that every file changes
            if (problem.isEmpty() && killed && killsLeft > 1 && QFile::exists(path(Note))) {
                problem = sweep(snapshot(), killsLeft - 1, again);
            } else if (problem.isEmpty()) {
                if (m_roomLeft >= 0) {
                    problem = run(again, 0, m_writes);
                    again = generation;
                    if (!QFile::remove(path(Filler)))
                        problem += QStringLiteral(" the filler is gone");
                }
                if (problem.isEmpty())
                    problem = run(again, 0, m_writes);
            }
            if (!problem.isEmpty())
                return QStringLiteral(" kill at %1, then%2").arg(killAt).arg(problem);
            if (!killed)
                return {};
        }
    }

    QString path(const QString &name) const { return QDir(m_dir).filePath(name); }

    QStringList names() const
    {
        return QDir(m_dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    Folder snapshot() const
    {
        Folder folder;
        for (const QString &name : names()) {
            QFile file(path(name));
            if (name != Filler && file.open(QIODevice::ReadOnly))
                folder[name] = file.readAll();
        }
        return folder;
    }

    bool restore(const Folder &folder) const
    {
        for (const QString &name : names())
            QFile::remove(path(name));
        for (auto it = folder.cbegin(); it != folder.cend(); ++it) {
            QFile file(path(it.key()));
            if (!file.open(QIODevice::WriteOnly) || file.write(it.value()) != it.value().size())
                return false;
        }
        return true;
    }

    // What a file holds, in a word: "-" when it is not there; for the report file and
    // its copy the number of whole records, with "+" when part of the next follows;
    // for the others the generation; "bad" for anything else.
    QString holding(const QString &name) const
    {
        QFile file(path(name));
        if (!file.exists())
            return QStringLiteral("-");
        const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("?");
        if (name == crashround::ReportFile || name == Routine) {
            if (!m_reference.startsWith(bytes))
                return QStringLiteral("bad");
            return QString::number(bytes.size() / m_recordBytes) + (bytes.size() % m_recordBytes ? "+" : "");
        }
        const qsizetype generation = m_generations.value(name).indexOf(bytes) + 1;
        return generation > 0 ? QString::number(generation) : QStringLiteral("bad");
    }

    // Runs a round of the writer, killed at point killAt (0: never), and checks the
    // folder after it against the folder before it. Empty when all is well.
    QString run(int generation, long killAt, const QStringList &writes)
    {
        QMap<QString, QString> before;
        for (const auto &[write, file] : Written)
            before[file] = holding(file);
        const bool diskFull = QFile::exists(path(Filler));
        QProcess writer;
        writer.start(QStringLiteral(QUILLMARK_CRASH_WRITER), {m_dir, m_sources.path(), QString::number(generation),
                                                              writes.join(QLatin1Char(',')), QString::number(killAt)});
        if (!writer.waitForFinished(30000))
            return QStringLiteral(" the writer hung");
        QString problem;
        const QByteArray said = writer.readAllStandardOutput();
        m_killed = writer.exitStatus() == QProcess::CrashExit && said.endsWith("killed\n");
        kills += m_killed;
        if (!m_killed && writer.exitCode() != (said.contains("failed ") ? 1 : 0))
            problem = QStringLiteral(" the writer stopped: ") + QString::fromLocal8Bit(writer.readAllStandardError());
        for (const QByteArray &line : said.split('\n')) {
            const QList<QByteArray> words = line.simplified().split(' ');
            if (diskFull && words.size() > 2 && words[0] == "failed")
                failed << QString::fromLatin1(words[1]);
            else if (!line.isEmpty() && line != "killed")
                problem += QStringLiteral(" the writer said: ") + QString::fromUtf8(line);
        }

        const int records = wholeRecords(before[crashround::ReportFile]);
        const bool noted = QFile::exists(path(Note));
        for (const auto &[write, file] : Written) {
            const QString now = holding(file);
            QStringList allowed{before[file]};
            if (writes.contains(write)) {
                const QString target = file == Routine                  ? QString::number(records)
                                       : file == crashround::ReportFile ? QString::number(records + 1)
                                                                        : QString::number(generation);
                const bool writeFailed = said.contains("failed " + write.toLatin1() + ' ');
                if (!m_killed && !writeFailed)
                    allowed = {target};
                else if (m_killed || write == QLatin1String("final"))  // either copy may have failed
                    allowed << target;
                if (file == crashround::ReportFile && m_killed) {
                    allowed << QString::number(records);  // a new file, made empty
                    if (noted)  // the next start takes the cut-off record out
                        allowed << QString::number(records) + QLatin1Char('+');
                } else if (file == crashround::ReportFile && writeFailed) {
                    allowed = {before[file] == QLatin1String("-") ? before[file] : QString::number(records)};
                }
            }
            if (file == crashround::ReportFile && !noted)  // nothing would ever take a cut-off record out
                allowed.removeIf([](const QString &holding) { return holding.endsWith(QLatin1Char('+')); });
            allowed.removeDuplicates();
            if (!allowed.contains(now))
                problem += QStringLiteral(" %1 holds %2 where only %3 may be;").arg(file, now, allowed.join(" or "));
            if (m_killed && now.endsWith(QLatin1Char('+')))
                cutInside << CutRecord;
        }
        for (const QString &name : names()) {
            const auto of = std::find_if(Written.cbegin(), Written.cend(),
                                         [&name](const auto &w) { return name.startsWith(w.second + '.'); });
            if (m_killed && of != Written.cend())
                cutInside << of->second;
            else if (name != Filler && !before.contains(name))
                problem += QStringLiteral(" %1 is left in the folder;").arg(name);
        }
        return problem;
    }

private:
    QString m_dir;
    QStringList m_writes;
    int m_roomLeft;
    QTemporaryDir m_sources;
    QMap<QString, QByteArrayList> m_generations;  // the bytes of generation 1, 2
    QByteArray m_reference;                        // records 1, 2, ... of the report file
    qsizetype m_recordBytes = 0;
    bool m_killed = false;  // by the last run, at its kill point
};

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private slots:
    void shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled_data();
    void shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled();
};

void TestCrashSafety::shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled_data()
{
    QTest::addColumn<int>("roomLeft");    // pages left on a full tiny disk; -1: a disk with room
    QTest::addColumn<QString>("made");    // rounds of writes, ';' between them, that made the folder
    QTest::addColumn<QString>("writes");  // the round that is killed
    QTest::addColumn<int>("kills");       // in a row, the later ones while a cut-off append is taken out
    QTest::addColumn<QString>("refused"); // writes the full disk must refuse
    const QString every = QStringLiteral("art,artc,final,append,large");
    const QString fresh = QStringLiteral("art,artc,append,large");  // no report file to copy yet
    const QString made = fresh + QStringLiteral(";final");
    QTest::newRow("every write") << -1 << made << every << 2 << QString();
    QTest::newRow("every write into an empty folder") << -1 << QString() << fresh << 1 << QString();
    QTest::newRow("full disk") << 0 << made << every << 1 << every;
    QTest::newRow("full disk, an empty folder") << 0 << QString() << fresh << 1 << fresh;
    QTest::newRow("full disk but a page") << 1 << made << every << 1 << QStringLiteral("final,append,large");
}

void TestCrashSafety::shouldLeaveOldOrNewFilesWhereverTheWriterIsKilled()
{
    QFETCH(int, roomLeft);
    QFETCH(QString, made);
    QFETCH(QString, writes);
    QFETCH(int, kills);
    QFETCH(QString, refused);
    // A roomy tmpfs stands in for the ordinary disk where it can, to spare that disk
    // the syncs of every save: they take far longer than anything tested here.
    QTemporaryDir ordinary;
    const PrivateTmpfs disk(roomLeft < 0 ? RoomyDiskKiB : TinyDiskKiB);
    if (disk.path().isEmpty() && roomLeft >= 0)
        QSKIP(qPrintable(disk.why()));
    Rig rig(disk.path().isEmpty() ? ordinary.path() : disk.path(), writes, roomLeft);
    for (const QString &round : made.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString problem = rig.run(1, 0, round.split(QLatin1Char(',')));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }
    const QString problem = rig.sweep(rig.snapshot(), kills, 2);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    qInfo("%d kills", rig.kills);

    // The kills landed inside every write, and the full disk refused what it must.
    for (const auto &[write, file] : Written) {
        if (writes.split(QLatin1Char(',')).contains(write))
            QVERIFY2(rig.cutInside.contains(file),
                     qPrintable(QStringLiteral("no kill landed inside a write of ") + file));
    }
    if (roomLeft != 0 && writes.contains(QLatin1String("append")))
        QVERIFY2(rig.cutInside.contains(CutRecord), "no kill cut a record off");
    for (const QString &write : refused.split(QLatin1Char(','), Qt::SkipEmptyParts))
        QVERIFY2(rig.failed.contains(write), qPrintable(write + QStringLiteral(" was never refused on the full disk")));
}

QTEST_GUILESS_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"
