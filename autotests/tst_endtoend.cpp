#include "ptybench.h"

#include "console/configfiles.h"
#include "console/frmmain.h"
#include "kitlink/kitlink.h"
#include "platform/prompts.h"
#include "testfiles.h"
#include "tests/procedures.h"
#include "tests/frmdropaway.h"
#include "kitsim/relaymodel.h"
#include "kitlink/wireformat.h"
#include "console/relaycatalogue.h"

#include <QComboBox>
#include <QGroupBox>
#include <QRegularExpression>
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

    using Bench = pty::Bench;

    static Timings timings(int pollMs, int waitMs)
    {
        using std::chrono::milliseconds;
        return {milliseconds(0), milliseconds(20), milliseconds(pollMs), milliseconds(waitMs)};
    }

private slots:
    void init() { bench() = BenchRecord{}; }

    void shouldFindTheKitAndFollowItsLiveReadings()
    {
        Bench bench(0, {}, timings(50, 200));
        FrmMain &w = *bench.window;
        QCOMPARE(w.cmbPortNo->currentText(), QStringLiteral("COM 9"));

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
        Bench bench(0, {}, timings(50, 200));
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
        Bench bench(0, {}, timings(10, 50));
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
    // The automatic test of every catalogue entry, the operator completing the Drop
    // Away Test dialog at once: every channel the relay's contact layout uses is
    // measured and listed in channel order, and crval.csv holds exactly that list.
    void shouldRecordEveryUsedChannelInTheAutomaticTest_data()
    {
        QTest::addColumn<int>("relay");
        for (int relay = 0; relay < int(catalogue::entryTexts().size()); ++relay)
            QTest::newRow(qPrintable(catalogue::entryTexts().at(relay))) << relay;
    }

    void shouldRecordEveryUsedChannelInTheAutomaticTest()
    {
        QFETCH(int, relay);
        Bench rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        rig.completeEveryDropAwayDialog();

        w.cmdAuto->click();
        QVERIFY(pty::waitUntil([&] { return w.FrameCPanel->isEnabled() && !w.fields.ContactResTest
                                            && !w.fields.ContactDelayTest; }, 10000));

        QStringList expected;
        QByteArray expectedFile;
        for (int channel = 1; channel <= catalogue::ChannelCount; ++channel) {
            const QString name = w.cmbCRChannel->itemText(channel - 1);
            const auto contact = catalogue::Contact(bench().ContactLayout[relay][channel]);
            if (contact == catalogue::Contact::None) {
                expected << name + QStringLiteral(" - X");
            } else if (relay == catalogue::QL1 && contact == catalogue::Contact::Back) {
                // The run goes on while QL1's second coil is still switched on from its
                // pick-up step, and the 24 V of the contact run hold the relay up.
                QVERIFY(bench().ContactRes[channel] > 999);
                expected << name + QStringLiteral(" - OFF");
            } else {
                const Single reading = kitsim::madeContactTenthMilliohms(relay, channel) / 10.0f;
                QCOMPARE(bench().ContactRes[channel], reading);
                expected << name + QStringLiteral(" - ") + QString::number(double(reading), 'f', 1);
            }
            expectedFile += '"' + expected.constLast().toLatin1() + "\"\r\n";
        }
        QStringList listed;
        for (int i = 0; i < w.cmbCR->count(); ++i)
            listed << w.cmbCR->itemText(i);
        QCOMPARE(listed, expected);
        // A run whose D4 carries no contact ends without a reading, and writes no file.
        const bool d4Used = bench().ContactLayout[relay][catalogue::ChannelCount] != 0;
        const QString results = rig.folder.filePath(QStringLiteral("crval.csv"));
        QCOMPARE(QFile::exists(results), d4Used);
        if (d4Used)
            QCOMPARE(readFile(results), expectedFile);
        const bool timed = relay == catalogue::QNA1K || relay == catalogue::QSPA1;
        QCOMPARE(w.cmbCD->count(), timed ? catalogue::ChannelCount : 0);
        QVERIFY(rig.prompts.messages.isEmpty());
    }

    // The operator lowers the coil in the Drop Away Test dialog and watches the kit
    // follow: the dialog shows the live voltage, not the one it opened with.
    void shouldFollowTheLiveVoltageInTheDropAwayDialog()
    {
        Bench rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        Procedures &run = w.procedures();
        run.coilResistance.cmdCoilResistance_Click();
        QVERIFY(pty::waitUntil([&] { return w.FrameCPanel->isEnabled() && w.fields.KitState == "F"; }, 5000));

        float opened = 0;
        QString shownAfterPresses;
        int presses = 0;
        QElapsedTimer sincePresses;
        rig.operateDropAwayDialog([&](QWidget &dialog) {
            auto *frm = static_cast<FrmDropAway *>(&dialog);
            if (presses == 0)
                opened = frm->DropAwaySetpoint;
            if (presses < 5) {
                frm->cmdDecrease->click();
                if (++presses == 5)
                    sincePresses.start();
                return false;
            }
            // Long enough for the kit to answer a few live queries.
            if (sincePresses.elapsed() < 500)
                return false;
            shownAfterPresses = frm->lblVoltage->text();
            frm->cmdComplete->click();
            return true;
        });
        const qsizetype heardBefore = rig.heard().size();
        run.pickUpDropAway.cmdDropAway_Click();
        QVERIFY(pty::waitUntil([&] { return !shownAfterPresses.isEmpty() && w.FrameCPanel->isEnabled(); }, 10000));

        QVERIFY(opened > 1.0f);
        const QString lowered = QString::number(double(opened) - 0.5, 'f', 2);
        QCOMPARE(shownAfterPresses, lowered);
        QStringList setpoints;
        for (int i = 1; i <= 5; ++i)
            setpoints << wire::setVoltage(double(opened) - 0.1 * i);
        QStringList heardSetpoints = rig.heard().mid(heardBefore).filter(QRegularExpression("^@V"));
        QCOMPARE(heardSetpoints, setpoints);
        QCOMPARE(w.lblDAV->text(), QString::number(double(bench().DropAwayVoltage), 'f', 2) + '/' + lowered);
        // The main window followed too.
        QCOMPARE(w.lblVoltage->text(), QString::number(double(opened) - 0.5, 'f', 1));
    }

    // QL1's pick-up goes on through the second coil with three fixed waits inside the
    // handling of its first result; the live readings keep coming meanwhile.
    void shouldKeepTheLiveReadingsFlowingThroughTheSecondCoilStep()
    {
        Bench rig(catalogue::QL1);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        Procedures &run = w.procedures();
        run.coilResistance.cmdCoilResistance_Click();
        QVERIFY(pty::waitUntil([&] { return w.FrameCPanel->isEnabled() && w.fields.KitState == "F"; }, 5000));

        // Live frames received between the step's first command and the coil-2 ramp.
        int liveFrames = -1;
        connect(&w.link().log, &KitLog::appended, this, [&] {
            const KitLog::Entry &entry = w.link().log.latest();
            if (entry.direction == KitLog::Direction::Sent && entry.text == QLatin1String("@V0000<CR>")
                && w.lblPUV->isVisibleTo(&w) && liveFrames < 0)
                liveFrames = 0;
            else if (entry.direction == KitLog::Direction::Sent && entry.text == QLatin1String("@p<CR>"))
                disconnect(&w.link().log, &KitLog::appended, this, nullptr);
            else if (liveFrames >= 0 && entry.direction == KitLog::Direction::Received && entry.text.size() == 18)
                ++liveFrames;
        });
        run.pickUpDropAway.cmdPickUp_Click();
        QVERIFY(pty::waitUntil([&] { return w.FrameCPanel->isEnabled() && !w.fields.Coil2PickUpRequest; }, 10000));
        QVERIFY(w.lblDAV->isVisibleTo(&w));
        // Three waits of 100 ms at a 50 ms poll: about six live answers.
        QVERIFY2(liveFrames >= 3, qPrintable(QString::number(liveFrames)));
    }

    // The line goes while the check waits for the kit's answer: the error is final.
    void shouldKeepThePortErrorWhenTheLineFailsDuringTheCheck()
    {
        using std::chrono::milliseconds;
        Bench rig(0, {"silent"}, Timings{milliseconds(0), milliseconds(20), milliseconds(50), milliseconds(600)});
        QVERIFY(rig.window);
        // The kit is pulled the moment it hears "?", while the check waits for its answer.
        connect(&rig.kit, &QProcess::readyReadStandardOutput, this, [&rig] {
            if (rig.heard().contains(QStringLiteral("?")))
                rig.kit.kill();
        });
        QVERIFY(pty::waitUntil([&] { return rig.kit.state() == QProcess::NotRunning; }, 5000));
        pty::idle(1000);  // past the end of the check's wait

        QCOMPARE(rig.window->lblCommStatus->text(), QStringLiteral("Comm Port Error"));
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
        QVERIFY2(rig.prompts.messages[0].text.startsWith(QStringLiteral("COM9 \u2192 /dev/pts/")),
                 qPrintable(rig.prompts.messages[0].text));
        QVERIFY(!rig.window->tmrComm->isActive());
    }
};

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
