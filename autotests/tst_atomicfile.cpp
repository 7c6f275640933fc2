// Saving a settings file in one step: the bench PC may lose power or run out of
// disk at any moment, and the operator must then find either the old settings or
// the new ones, never half a file (tst_crashsafety kills and fills up the disk).

#include "platform/atomicfile.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/file.h>
#include <sys/stat.h>
#endif

static QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class TestAtomicFile : public QObject
{
    Q_OBJECT

private slots:
    void shouldLeaveExactlyTheNewContentAndNothingElse_data()
    {
        QTest::addColumn<QByteArray>("before");  // empty: no file yet
        QTest::addColumn<QByteArray>("after");
        const QByteArray settings = "1\r\n" + QByteArray("\"0001\"\r\n").repeated(75);
        QTest::newRow("new file") << QByteArray() << settings;
        QTest::newRow("shorter than before") << settings << QByteArray("0\r\n");
        QTest::newRow("emptied") << settings << QByteArray();
        QTest::newRow("binary, past a disk block") << settings << QByteArray("\0\r\n\xff\x1a\"", 6).repeated(20000);
    }

    void shouldLeaveExactlyTheNewContentAndNothingElse()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("art.cfg"));
        if (!before.isEmpty())
            writeFile(path, before);
        for (int run = 0; run < 3; ++run) {  // every run of the bench saves again
            const platform::WriteResult result = platform::replaceFileAtomically(path, after);
            QVERIFY2(result.ok && result.error.isEmpty(), qPrintable(result.error));
        }
        QCOMPARE(readFile(path), after);
        QCOMPARE(entries(dir.path()), QStringList{QStringLiteral("art.cfg")});
    }

    void shouldGiveTheFileTheModeOfAnOrdinaryNewFile()
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

    void shouldRemoveOnlyWhatCutOffSavesLeft_data()
    {
        // A save cut off by a crash leaves "<file>.XXXXXX.saving" behind; the next
        // save of that file removes it, unless a save still running holds it locked.
        QTest::addColumn<QString>("target");   // the file saved
        QTest::addColumn<QString>("present");  // a file already in the folder
        QTest::addColumn<bool>("locked");      // present is held by a save still running
        QTest::addColumn<bool>("kept");
        const QString art = QStringLiteral("art.cfg");
        const QString routine = QStringLiteral("RoutineTest.csv");
        QTest::newRow("left by a cut-off save") << art << QStringLiteral("art.cfg.Ab12Cd.saving") << false << false;
        QTest::newRow("left by a cut-off copy") << routine << QStringLiteral("RoutineTest.csv.x0Y9zZ.saving") << false
                                                << false;
        QTest::newRow("of a save still running") << art << QStringLiteral("art.cfg.Ab12Cd.saving") << true << true;
        QTest::newRow("of another file") << art << QStringLiteral("artc.cfg.Ab12Cd.saving") << false << true;
        QTest::newRow("the operator's backup") << art << QStringLiteral("art.cfg.backup") << false << true;
        QTest::newRow("the operator's dated copy") << art << QStringLiteral("art.cfg.2024-05.saving") << false << true;
    }

    void shouldRemoveOnlyWhatCutOffSavesLeft()
    {
#ifdef Q_OS_WIN
        QSKIP("the clean-up belongs to the POSIX saves");
#else
        QFETCH(QString, target);
        QFETCH(QString, present);
        QFETCH(bool, locked);
        QFETCH(bool, kept);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath(present), "half a file");
        QFile holder(dir.filePath(present));
        if (locked) {
            QVERIFY(holder.open(QIODevice::ReadOnly));
            QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);
        }
        const QString source = dir.filePath(QStringLiteral("source"));
        writeFile(source, "1\r\n");

        const platform::WriteResult result = target == QLatin1String("art.cfg")
                                                 ? platform::replaceFileAtomically(dir.filePath(target), "1\r\n")
                                                 : platform::copyFileAtomically(source, dir.filePath(target));
        QVERIFY2(result.ok, qPrintable(result.error));
        QStringList expected{target, QStringLiteral("source")};
        if (kept)
            expected << present;
        expected.sort();
        QCOMPARE(entries(dir.path()), expected);
        if (kept)
            QCOMPARE(readFile(dir.filePath(present)), QByteArray("half a file"));
#endif
    }

    void shouldFailWithAReasonWhenTheFolderCannotTakeTheFile_data()
    {
        // The tests run as root, for whom permission bits stop nothing; these places
        // refuse a file whoever asks.
        QTest::addColumn<QString>("relativePath");  // inside a fresh temporary folder
        QTest::newRow("folder does not exist") << QStringLiteral("gone/art.cfg");
        QTest::newRow("folder is a regular file") << QStringLiteral("plain/art.cfg");
        QTest::newRow("target is a folder") << QStringLiteral("art.cfg");
    }

    void shouldFailWithAReasonWhenTheFolderCannotTakeTheFile()
    {
        QFETCH(QString, relativePath);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        writeFile(dir.filePath(QStringLiteral("plain")), "not a folder");
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("art.cfg/kept")));

        const platform::WriteResult result = platform::replaceFileAtomically(dir.filePath(relativePath), "1\r\n");
        QVERIFY2(!result.ok && !result.error.trimmed().isEmpty(), "the save fails, and the operator is told why");
        QCOMPARE(entries(dir.path()), (QStringList{QStringLiteral("art.cfg"), QStringLiteral("plain")}));
        QCOMPARE(readFile(dir.filePath(QStringLiteral("plain"))), QByteArray("not a folder"));
    }
};

QTEST_GUILESS_MAIN(TestAtomicFile)
#include "tst_atomicfile.moc"
