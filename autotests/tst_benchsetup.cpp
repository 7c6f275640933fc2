#include "console/record/benchrecord.h"
#include "console/record/configfiles.h"
#include "reports/finalreport.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// tools/bench-setup: the demonstration folder it prepares, and the line its test run
// ends with. Its parts are read into bash and run on scratch folders; the test run
// itself runs against stand-ins for cmake, ctest and the fuzzers.
class TestBenchSetup : public QObject
{
    Q_OBJECT

    static QString script() { return QStringLiteral(QUILLMARK_SOURCE_DIR "/tools/bench-setup"); }

    static void writeProgram(const QString &path, const QByteArray &text)
    {
        writeFile(path, "#!/bin/sh\n" + text);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
    }

private slots:
    void preparedFolderMakesTheFinalReport_data()
    {
        QTest::addColumn<QByteArray>("artBefore");   // empty: none
        QTest::addColumn<QByteArray>("artcBefore");
        QTest::addColumn<bool>("realTemplate");       // a real QL1 template there already
        const QByteArray art = "3\r\n" + QByteArray("\"0042\"\r\n\"C\"\r\n\"D\"\r\n").repeated(25);
        QTest::newRow("a fresh checkout") << QByteArray() << QByteArray() << false;
        QTest::newRow("a bench that ran before") << art << QByteArray() << true;
        // The operator's own folders stay; the report goes where they say.
        QTest::newRow("folders chosen in Options") << art << QByteArray("\"/usr/bin/localc\"\r\n\"{run}/mine/\"\r\n"
                                                                         "\"{run}/mine/\"\r\n")
                                                   << false;
    }
    void preparedFolderMakesTheFinalReport()
    {
        QFETCH(QByteArray, artBefore);
        QFETCH(QByteArray, artcBefore);
        QFETCH(bool, realTemplate);
        QTemporaryDir scratch;
        const QString run = scratch.filePath(QStringLiteral("run"));
        QVERIFY(QDir().mkpath(run + QStringLiteral("/mine")));
        artcBefore.replace("{run}", QFile::encodeName(run));
        if (!artBefore.isEmpty())
            writeFile(run + QStringLiteral("/art.cfg"), artBefore);
        if (!artcBefore.isEmpty())
            writeFile(run + QStringLiteral("/artc.cfg"), artcBefore);
        const QString mine = run + QStringLiteral("/mine/Routine_Test_Format_QL1.xlsm");
        if (realTemplate) {
            QVERIFY(QDir().mkpath(run + QStringLiteral("/templates")));
            writeFile(run + QStringLiteral("/templates/Routine_Test_Format_QL1.xlsm"), "PK real");
        }
        writeFile(mine, "PK mine");  // a template in the operator's own folder

        QProcess bash;
        bash.start(QStringLiteral("bash"), {"-c", "source \"$1\" && prepare_run \"$2\"", "test", script(), run});
        QVERIFY(bash.waitForFinished(10000));
        QCOMPARE(bash.exitCode(), 0);

        const config::LoadResult found = config::load(run);
        QVERIFY(found.loaded);
        if (!artBefore.isEmpty())
            QCOMPARE(readFile(run + QStringLiteral("/art.cfg")), artBefore);
        if (!artcBefore.isEmpty())
            QCOMPARE(readFile(run + QStringLiteral("/artc.cfg")), artcBefore);
        BenchRecord record;
        record.TemplateFolder = found.loaded->folders.templateFolder;
        record.SaveFolder = found.loaded->folders.saveFolder;
        QVERIFY(record.TemplateFolder.endsWith(QLatin1Char('/')) && record.SaveFolder.endsWith(QLatin1Char('/')));
        writeFile(record.SaveFolder + QStringLiteral("Batch 1.csv"), " 24.0 \r\n");
        // Every style from the folder prepared; the QL1 template from the operator's own.
        const QList<qint16> styles = artcBefore.isEmpty() ? QList<qint16>{1, 2, 3, 4, 5, 6, 7} : QList<qint16>{4};
        for (const qint16 style : styles) {
            record.StyleCode = style;
            const reports::FinalReportResult made = reports::prepareFinalReport(record, QStringLiteral("Batch 1.csv"));
            QVERIFY2(made.ok, qPrintable(made.message));
            QVERIFY(QFile::exists(record.SaveFolder + reports::templateFileName(record.StyleCode)));
        }
        QCOMPARE(readFile(record.SaveFolder + QStringLiteral("RoutineTest.csv")), QByteArray(" 24.0 \r\n"));
        const QByteArray ql1 = readFile(record.SaveFolder + QStringLiteral("Routine_Test_Format_QL1.xlsm"));
        QCOMPARE(ql1, artcBefore.isEmpty() ? (realTemplate ? QByteArray("PK real") : ql1) : QByteArray("PK mine"));
        if (artcBefore.isEmpty() && !realTemplate)
            QVERIFY(ql1.contains("stand-in"));
    }

    // The test run ends with one line of everything, also when it stops half-way.
    void testRunEndsWithASummary_data()
    {
        QTest::addColumn<QString>("failingBuild");   // the cmake preset that fails to build
        QTest::addColumn<QString>("sanitizerSuite"); // "tests failed"
        QTest::addColumn<QString>("failingFuzzer");
        QTest::addColumn<bool>("passes");
        QTest::addColumn<QString>("summary");
        QTest::newRow("all well") << "" << "11 0" << "" << true
                                  << "plain suite 12/12 passed, sanitizer suite 11/11 passed, fuzzers 3/3 clean";
        QTest::newRow("a sanitizer finding") << "" << "11 1" << "" << false
                                             << "plain suite 12/12 passed, sanitizer suite 10/11 passed, fuzzers not run";
        QTest::newRow("a fuzzer crash") << "" << "11 0" << "config" << false
                                        << "plain suite 12/12 passed, sanitizer suite 11/11 passed, fuzzers 1/3 clean";
        QTest::newRow("the build broken") << "ci" << "11 0" << "" << false
                                          << "plain suite not run, sanitizer suite not run, fuzzers not run";
    }
    void testRunEndsWithASummary()
    {
        QFETCH(QString, failingBuild);
        QFETCH(QString, sanitizerSuite);
        QFETCH(QString, failingFuzzer);
        QFETCH(bool, passes);
        QFETCH(QString, summary);
        // A checkout of the script alone, with fuzzers and tools that only answer.
        QTemporaryDir checkout;
        const auto at = [&checkout](const QString &path) { return checkout.filePath(path); };
        QVERIFY(QDir().mkpath(at("tools")) && QDir().mkpath(at("bin")) && QDir().mkpath(at("build-fuzz/fuzz")));
        QVERIFY(QFile::copy(script(), at("tools/bench-setup")));
        for (const char *corpus : {"receive", "config", "number"})
            QVERIFY(QDir().mkpath(at(QStringLiteral("fuzz/corpus/") + QLatin1String(corpus))));
        for (const QString harness : {"receive", "config", "recordnumber"})
            writeProgram(at("build-fuzz/fuzz/fuzz_" + harness),
                         harness == failingFuzzer ? "echo crash; exit 1\n" : "echo 'Done 9 runs in 1 second(s)'\n");
        writeProgram(at("bin/dpkg-query"), "echo 'install ok installed'\n");
        writeProgram(at("bin/cmake"), "case \" $* \" in *\" --preset $FAILING_BUILD \"*) exit 1;; esac\n");
        writeProgram(at("bin/ctest"), "case \"$*\" in *asan*) set -- $SANITIZER_SUITE;; *) set -- 12 0;; esac\n"
                                      "echo \"$(( ($1 - $2) * 100 / $1 ))% tests passed, $2 tests failed out of $1\"\n"
                                      "[ \"$2\" -eq 0 ]\n");
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PATH", at("bin") + ':' + environment.value("PATH"));
        environment.insert("FAILING_BUILD", failingBuild.isEmpty() ? QStringLiteral("none") : failingBuild);
        environment.insert("SANITIZER_SUITE", sanitizerSuite);
        QProcess run;
        run.setProcessEnvironment(environment);
        run.start(QStringLiteral("bash"), {at("tools/bench-setup"), QStringLiteral("test")});
        QVERIFY(run.waitForFinished(30000));
        QCOMPARE(run.exitCode() == 0, passes);
        const QStringList lines = QString::fromUtf8(run.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        QVERIFY(!lines.isEmpty());
        const QRegularExpression last("^bench-setup test: " + QRegularExpression::escape(summary) + ", (\\d+ min )?\\d+ s$");
        QVERIFY2(last.match(lines.last()).hasMatch(), qPrintable(lines.last()));
    }
};

QTEST_GUILESS_MAIN(TestBenchSetup)
#include "tst_benchsetup.moc"
