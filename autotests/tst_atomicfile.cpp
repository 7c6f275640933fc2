// Saving a settings file in one step: the bench PC may lose power or run out of
// disk at any moment, and the operator must then find either the old settings or
// the new ones, never half a file.

#include "platform/atomicfile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open " + QFile::encodeName(path) + '>';
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

QByteArray settingsLike(int lines)
{
    QByteArray bytes = "1\r\n";
    for (int i = 1; i < lines; ++i)
        bytes += "\"" + QByteArray::number(i).rightJustified(4, '0') + "\"\r\n";
    return bytes;
}

} // namespace

class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldLeaveExactlyTheNewContent_data();
    void shouldLeaveExactlyTheNewContent();
    void shouldLeaveNoTemporaryFilesAfterManySaves();
    void shouldGiveTheFileTheModeOfAnOrdinaryNewFile();

    void shouldFailWithAReasonWhenTheFolderCannotTakeTheFile_data();
    void shouldFailWithAReasonWhenTheFolderCannotTakeTheFile();

    void shouldKeepTheOldFileWhenTheSaveDoesNotFitOnTheDisk();
    void shouldSaveAgainOnceTheDiskHasRoom();

private:
    // Runs fulldisk_writer once on a 16 KiB tmpfs of its own and keeps its report.
    void runOnTinyDisk();
    bool m_tinyDiskRun = false;
    QString m_noTinyDisk;              // why the tiny disk cannot be had here
    QString m_tinyDiskFailure;         // what went wrong running the helper
    QMap<QString, QString> m_tinyDisk; // the helper's key=value report
};

void TestAtomicFile::shouldLeaveExactlyTheNewContent_data()
{
    QTest::addColumn<bool>("existsBefore");
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");

    QTest::newRow("new file") << false << QByteArray() << settingsLike(76);
    QTest::newRow("shorter than before") << true << settingsLike(76) << QByteArray("0\r\n");
    QTest::newRow("longer than before") << true << QByteArray("0\r\n") << settingsLike(76);
    QTest::newRow("emptied") << true << settingsLike(3) << QByteArray();
    QTest::newRow("same again") << true << settingsLike(3) << settingsLike(3);
    QTest::newRow("binary bytes kept as they are") << true << settingsLike(3)
                                                   << QByteArray("\0\r\n\xff\x1a\"", 6);
    QTest::newRow("larger than a disk block") << true << settingsLike(3) << QByteArray(100000, 'q');
}

void TestAtomicFile::shouldLeaveExactlyTheNewContent()
{
    QFETCH(bool, existsBefore);
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("art.cfg"));
    if (existsBefore)
        writeFile(path, before);

    const platform::WriteResult result = platform::replaceFileAtomically(path, after);
    QVERIFY2(result.ok, qPrintable(result.error));
    QVERIFY(result.error.isEmpty());
    QCOMPARE(readFile(path), after);
    QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("art.cfg")});
}

void TestAtomicFile::shouldLeaveNoTemporaryFilesAfterManySaves()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString art = dir.filePath(QStringLiteral("art.cfg"));
    const QString artc = dir.filePath(QStringLiteral("artc.cfg"));
    for (int i = 0; i < 20; ++i) {
        QVERIFY(platform::replaceFileAtomically(art, settingsLike(1 + i)).ok);
        QVERIFY(platform::replaceFileAtomically(artc, QByteArray::number(i)).ok);
    }
    QCOMPARE(entries(dir.path()), QStringList({QStringLiteral("art.cfg"), QStringLiteral("artc.cfg")}));
    QCOMPARE(readFile(art), settingsLike(20));
    QCOMPARE(readFile(artc), QByteArray("19"));
}

void TestAtomicFile::shouldGiveTheFileTheModeOfAnOrdinaryNewFile()
{
#ifdef Q_OS_WIN
    QSKIP("file modes are a POSIX matter");
#else
    // Another account on the bench PC (a service reading the settings) must be able
    // to read the file just as if it had been written in place.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("art.cfg"));
    QVERIFY(platform::replaceFileAtomically(path, "1\r\n").ok);

    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
    QCOMPARE(st.st_mode & 0777, 0666 & ~mask);
#endif
}

void TestAtomicFile::shouldFailWithAReasonWhenTheFolderCannotTakeTheFile_data()
{
    QTest::addColumn<QString>("relativePath");  // inside a fresh temporary folder

    // The tests run as root, for whom permission bits stop nothing; these places
    // refuse a file whoever asks.
    QTest::newRow("folder does not exist") << QStringLiteral("gone/art.cfg");
    QTest::newRow("folder is a regular file") << QStringLiteral("plain/art.cfg");
    QTest::newRow("target is a folder") << QStringLiteral("art.cfg");
}

void TestAtomicFile::shouldFailWithAReasonWhenTheFolderCannotTakeTheFile()
{
    QFETCH(QString, relativePath);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeFile(dir.filePath(QStringLiteral("plain")), "not a folder");
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("art.cfg/kept")));
    const QStringList before = entries(dir.path());

    const platform::WriteResult result = platform::replaceFileAtomically(dir.filePath(relativePath), "1\r\n");
    QVERIFY(!result.ok);
    QVERIFY2(!result.error.trimmed().isEmpty(), "the operator is told why");

    QCOMPARE(entries(dir.path()), before);
    QCOMPARE(readFile(dir.filePath(QStringLiteral("plain"))), QByteArray("not a folder"));
    QVERIFY(QFileInfo(dir.filePath(QStringLiteral("art.cfg/kept"))).isDir());
}

void TestAtomicFile::runOnTinyDisk()
{
    if (m_tinyDiskRun)
        return;
    m_tinyDiskRun = true;

#ifndef Q_OS_LINUX
    m_noTinyDisk = QStringLiteral("a private tmpfs needs Linux mount namespaces");
#else
    const QString unshare = QStandardPaths::findExecutable(QStringLiteral("unshare"));
    if (unshare.isEmpty()) {
        m_noTinyDisk = QStringLiteral("unshare is not installed: cannot mount a tiny private tmpfs to fill");
        return;
    }

    QTemporaryDir mountPoint;
    if (!mountPoint.isValid()) {
        m_tinyDiskFailure = QStringLiteral("no temporary folder to mount on");
        return;
    }

    // The tmpfs lives in a private mount namespace and vanishes with the process.
    const QString mountTmpfs = QStringLiteral("mount -t tmpfs -o size=16k none \"$1\"");
    const auto run = [&](const QString &script, const QStringList &args) {
        auto process = std::make_unique<QProcess>();
        process->start(unshare, QStringList{QStringLiteral("--user"), QStringLiteral("--map-root-user"),
                                            QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                                            script, QStringLiteral("sh")}
                                    + args);
        if (!process->waitForFinished(10000)) {
            process->kill();
            process->waitForFinished();
        }
        return process;
    };

    const auto probe = run(mountTmpfs, {mountPoint.path()});
    if (probe->error() == QProcess::FailedToStart || probe->exitStatus() != QProcess::NormalExit
        || probe->exitCode() != 0) {
        m_noTinyDisk = QStringLiteral("unshare cannot mount a private tmpfs here (%1)")
                           .arg(QString::fromLocal8Bit(probe->readAllStandardError()).trimmed());
        return;
    }

    const auto helper = run(mountTmpfs + QStringLiteral(" && exec \"$2\" \"$1\""),
                            {mountPoint.path(), QStringLiteral(QUILLMARK_FULLDISK_WRITER)});
    const QString out = QString::fromLocal8Bit(helper->readAllStandardOutput());
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0)
            m_tinyDisk.insert(line.left(eq), line.mid(eq + 1));
    }
    if (helper->exitStatus() != QProcess::NormalExit || helper->exitCode() != 0)
        m_tinyDiskFailure = QStringLiteral("the full-disk helper failed:\n") + out
                            + QString::fromLocal8Bit(helper->readAllStandardError());
#endif
}

void TestAtomicFile::shouldKeepTheOldFileWhenTheSaveDoesNotFitOnTheDisk()
{
    runOnTinyDisk();
    if (!m_noTinyDisk.isEmpty())
        QSKIP(qPrintable(m_noTinyDisk));
    QVERIFY2(m_tinyDiskFailure.isEmpty(), qPrintable(m_tinyDiskFailure));
    const QMap<QString, QString> &report = m_tinyDisk;

    QCOMPARE(report.value(QStringLiteral("oldSaved")), QStringLiteral("1"));
    QVERIFY(report.value(QStringLiteral("fillerBytes")).toLongLong() > 0);
    QCOMPARE(report.value(QStringLiteral("fullSaveFailed")), QStringLiteral("1"));
    QVERIFY2(!report.value(QStringLiteral("fullSaveError")).isEmpty(), "the operator is told why");
    QCOMPARE(report.value(QStringLiteral("oldFileIntact")), QStringLiteral("1"));
    QCOMPARE(report.value(QStringLiteral("strayAfterFullSave")), QString());
}

void TestAtomicFile::shouldSaveAgainOnceTheDiskHasRoom()
{
    runOnTinyDisk();
    if (!m_noTinyDisk.isEmpty())
        QSKIP(qPrintable(m_noTinyDisk));
    QVERIFY2(m_tinyDiskFailure.isEmpty(), qPrintable(m_tinyDiskFailure));
    const QMap<QString, QString> &report = m_tinyDisk;

    QVERIFY2(report.value(QStringLiteral("fitSaveOk")) == QStringLiteral("1"),
             qPrintable(report.value(QStringLiteral("fitSaveError"))));
    QCOMPARE(report.value(QStringLiteral("newFileIntact")), QStringLiteral("1"));
    QCOMPARE(report.value(QStringLiteral("strayAfterFitSave")), QString());
}

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
