#include "console/configfiles.h"
#include "console/frmmain.h"
#include "kitlink/kitlink.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The bench against the simulated kit on a pseudo-terminal: the real serial port,
// the real window, the real settings files.
class TestEndToEnd : public QObject
{
    Q_OBJECT

    static constexpr int Port = 7;

    struct Bench {
        QTemporaryDir folder;
        QProcess kit;
        QString previousFolder = QDir::currentPath();
        platform::RecordedPrompts prompts;
        std::unique_ptr<FrmMain> window;

        explicit Bench(const Timings &timings)
        {
            QDir::setCurrent(folder.path());
            config::PortAndNumbering stored = config::defaultPortAndNumbering();
            stored.portNumber = Port;
            (void)config::saveArt(folder.path(), stored);
            (void)config::saveArtc(folder.path(), config::defaultFolders(folder.path()));

            kit.setProgram(QStringLiteral(KITSIM_PROGRAM));
            kit.setArguments({"--folder", folder.path(), "--port", QString::number(Port), "--time-scale", "0.05"});
            kit.start();
            // The link exists once the kit says so on its error channel.
            QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(folder.filePath(QStringLiteral("COM%1").arg(Port))).isSymLink(),
                                     5000);
            window = std::make_unique<FrmMain>(timings);
            window->formLoad();
        }
        ~Bench()
        {
            window.reset();
            kit.terminate();
            kit.waitForFinished(3000);
            QDir::setCurrent(previousFolder);
        }
        // Commands the kit heard, in order.
        QStringList heard()
        {
            m_heard += QString::fromLatin1(kit.readAllStandardOutput());
            QStringList commands;
            for (const QString &line : m_heard.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
                commands << line.section(QLatin1Char(' '), 1);
            return commands;
        }

    private:
        QString m_heard;
    };

private slots:
    void init() { bench() = BenchRecord{}; }

    void shouldFindTheKitAndFollowItsLiveReadings()
    {
        Bench bench({std::chrono::milliseconds(0), std::chrono::milliseconds(20), std::chrono::milliseconds(50),
                     std::chrono::milliseconds(200)});
        FrmMain &w = *bench.window;
        QCOMPARE(w.cmbPortNo->currentText(), QStringLiteral("COM 7"));

        QTRY_COMPARE_WITH_TIMEOUT(w.lblCommStatus->text(), QStringLiteral("Comm Port Active"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.lblVoltage->text(), QStringLiteral("0.0"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.fields.KitState, QStringLiteral("F"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(bench.heard().count(QStringLiteral("?D")) >= 5, 5000);

        const QStringList heard = bench.heard();
        QCOMPARE(heard.first(), QStringLiteral("?"));
        const qsizetype coilOff = heard.indexOf(QStringLiteral("@A00"));
        const qsizetype voltageOff = heard.indexOf(QStringLiteral("@V0000"));
        QVERIFY2(coilOff > 0 && voltageOff > coilOff, qPrintable(heard.join(' ')));
        QVERIFY2(heard.indexOf(QStringLiteral("?D")) < voltageOff, qPrintable(heard.join(' ')));
        QVERIFY(bench.prompts.messages.isEmpty());

        // The coil supply switched on at the kit shows on the bench.
        w.link().commands.SetCoilVoltage();
        w.link().commands.CoilON();
        QTRY_COMPARE_WITH_TIMEOUT(w.lblVoltage->text(), QStringLiteral("24.0"), 5000);
        QVERIFY(w.lblCurrent->text().toDouble() > 10.0);
    }

    void shouldReportOnceWhenTheKitGoesAwayWhilePolling()
    {
        Bench bench({std::chrono::milliseconds(0), std::chrono::milliseconds(20), std::chrono::milliseconds(50),
                     std::chrono::milliseconds(200)});
        FrmMain &w = *bench.window;
        QTRY_COMPARE_WITH_TIMEOUT(w.lblCommStatus->text(), QStringLiteral("Comm Port Active"), 5000);
        QTRY_COMPARE_WITH_TIMEOUT(w.fields.KitState, QStringLiteral("F"), 5000);

        bench.kit.kill();
        bench.kit.waitForFinished(3000);

        QTRY_COMPARE_WITH_TIMEOUT(w.lblCommStatus->text(), QStringLiteral("Comm Port Error"), 5000);
        QTest::qWait(500);  // polling goes on; nothing more may be reported
        QCOMPARE(bench.prompts.messages.size(), 1);
        QCOMPARE(bench.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
    }

    // Thousands of questions and answers at full speed: the line must never stall.
    void shouldKeepAnsweringThroughALongPollingRun()
    {
        Bench bench({std::chrono::milliseconds(0), std::chrono::milliseconds(20), std::chrono::milliseconds(10),
                     std::chrono::milliseconds(50)});
        FrmMain &w = *bench.window;
        QTRY_COMPARE_WITH_TIMEOUT(w.lblCommStatus->text(), QStringLiteral("Comm Port Active"), 5000);

        int queries = 0;
        int frames = 0;
        QElapsedTimer sinceLast;
        qint64 longestGap = 0;
        sinceLast.start();
        connect(&w.link().log, &KitLog::appended, this, [&] {
            if (w.link().log.latest().direction == KitLog::Direction::Sent) {
                ++queries;
                return;
            }
            ++frames;
            longestGap = std::max(longestGap, sinceLast.restart());
        });
        QTest::qWait(10000);
        const QString figures = QStringLiteral("%1 queries, %2 frames, longest gap %3 ms")
                                    .arg(queries).arg(frames).arg(longestGap);
        qInfo("%s", qPrintable(figures));
        QVERIFY2(queries > 500, qPrintable(figures));
        QVERIFY2(frames > queries * 9 / 10, qPrintable(figures));
        QVERIFY2(longestGap < 500, qPrintable(figures));
        QVERIFY(bench.prompts.messages.isEmpty());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
