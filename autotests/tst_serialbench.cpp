#include "ptybench.h"

#include "console/monitor/benchmonitor.h"
#include "console/record/relaycatalogue.h"
#include "kitsim/relaymodel.h"
#include "testfiles.h"
#include "tests/procedures.h"

#include <QRegularExpression>
#include <QSignalSpy>

using namespace catalogue;

// The real window and serial port against quillmark-kitsim on a pseudo-terminal: a
// healthy kit, and a kit told to misbehave (silent, answering wrongly, splitting and
// merging frames, losing results, gone).
class TestSerialBench : public QObject
{
    Q_OBJECT

    static QString entryName(int channel) { return channelSelectorTexts().at(channel - 1); }
    static QStringList listed(const QComboBox &list)
    {
        QStringList items;
        for (int i = 0; i < list.count(); ++i)
            items << list.itemText(i);
        return items;
    }

    // Lets n ticks of the window's poll timer go by: that many poll periods, however
    // slowly a loaded machine runs them.
    static bool pollTicks(FrmMain &w, int n)
    {
        QSignalSpy ticks(&control<QTimer>(w, "tmrComm"), &QTimer::timeout);
        return QTest::qWaitFor([&] { return ticks.size() >= n; }, 60000);
    }

    // What the operator sees of a test that waits for the kit: the panel locked and
    // the test's busy label (lblBusy(waiting)) up. Then Stop, from the menu entry or by Escape: the
    // panel comes back, no busy label stays, and the kit hears the safe sequence.
    static void stopGetsTheBenchBackFromAWait(PtyBench &rig, int waiting, bool byEscape)
    {
        FrmMain &w = *rig.window;
        QVERIFY(!control<QGroupBox>(w, "FrameCPanel").isEnabled());
        const QList<QLabel *> busyLabels = controlArray<QLabel>(w, "lblBusy", 6);
        for (int busy = 0; busy < busyLabels.size(); ++busy)
            QCOMPARE(busyLabels[busy]->isVisibleTo(&w), busy == waiting);
        const qsizetype heardAtStop = rig.heard().size();
        if (byEscape) {
            w.show();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTest::keyClick(&w, Qt::Key_Escape);
        } else {
            control<QAction>(w, "actStop").trigger();
        }
        QVERIFY(rig.waitUntilIdle());
        for (const QLabel *busy : busyLabels)
            QVERIFY(!busy->isVisibleTo(&w));
        QTRY_COMPARE(withoutPolls(rig.heard().mid(heardAtStop)), SafeSequence);
    }

private slots:
    void healthyKitIsFoundAndFollowed()
    {
        PtyBench rig(0, {}, PtyBench::fastTimings(10, 50));
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        QVERIFY(rig.prompts.messages.isEmpty());

        // Hundreds of questions and answers at full speed: every poll tick asks, and
        // the answers keep up; the line never stalls.
        int queries = 0;
        int frames = 0;
        connect(&w.link().log, &KitLog::appended, this,
                [&] { ++(w.link().log.latest().direction == KitLog::Direction::Sent ? queries : frames); });
        const int ticks = 200;
        QVERIFY(pollTicks(w, ticks));
        QVERIFY2(queries >= ticks - 1, qPrintable(QString::number(queries)));
        const int asked = queries;
        QTRY_VERIFY2(frames > asked * 9 / 10, qPrintable(QStringLiteral("%1 %2").arg(asked).arg(frames)));

        // The coil supply switched on at the kit shows on the bench.
        w.link().commands.send("@V2400");
        w.link().commands.send("@A10");
        QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(w, "lblVoltage").text(), QStringLiteral("24.0"), 5000);
        QVERIFY(control<QLabel>(w, "lblCurrent").text().toDouble() > 10.0);
    }

    // The kit is pulled while the check waits for its answer: one message naming the
    // port, and "Comm Port Error" for good.
    void lostLineDuringTheKitCheckIsReportedOnce()
    {
        PtyBench rig(0, {"silent"}, PtyBench::fastTimings(50, 600));
        QVERIFY(rig.window);
        connect(&rig.kit, &QProcess::readyReadStandardOutput, this, [&rig] {
            if (rig.heard().contains(QStringLiteral("?")))
                rig.killKit();
        });
        const auto &lblCommStatus = control<QLabel>(*rig.window, "lblCommStatus");
        QTRY_COMPARE_WITH_TIMEOUT(lblCommStatus.text(), QStringLiteral("Comm Port Error"), 5000);
        // Past the end of the check's wait, and twenty looks for a kit that stays away.
        QSignalSpy looks(&control<QTimer>(*rig.window, "tmrPortWatch"), &QTimer::timeout);
        QVERIFY(QTest::qWaitFor([&] { return rig.window->link().waits.idle() && looks.size() >= 20; }, 20000));
        QCOMPARE(lblCommStatus.text(), QStringLiteral("Comm Port Error"));
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
        QVERIFY2(rig.prompts.messages[0].text.startsWith(QStringLiteral("COM9 \u2192 /dev/pts/")),
                 qPrintable(rig.prompts.messages[0].text));
        QVERIFY(!control<QTimer>(*rig.window, "tmrComm").isActive());  // nothing polls a line that is gone
    }

    // The kit's cable pulled and plugged back in, with the bench idle or in the middle
    // of a contact run: "Comm Port Error" and one message naming the port (which, when
    // a test ran, says the test is stopped and the kit's outputs unknown), nothing
    // polled nor sent while the line is away, not even by a Stop, and once it is back
    // the check of start-up and nothing else, then "Comm Port Active" and live
    // readings again. The kit log notes the loss and the return.
    void kitThatComesBackIsCheckedAgain_data()
    {
        QTest::addColumn<bool>("testRunning");
        QTest::newRow("bench idle") << false;
        QTest::newRow("during a contact run") << true;
    }

    void kitThatComesBackIsCheckedAgain()
    {
        QFETCH(bool, testRunning);
        PtyBench rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        const auto &lblCommStatus = control<QLabel>(w, "lblCommStatus");
        if (testRunning) {
            control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(ChannelCount);
            control<QPushButton>(w, "cmdContactResistance").click();
            QTRY_VERIFY_WITH_TIMEOUT(rig.heard().contains("@G03"), 5000);
        }
        QVERIFY(rig.cable("unplug"));
        QTRY_COMPARE_WITH_TIMEOUT(lblCommStatus.text(), QStringLiteral("Comm Port Error"), 5000);
        QVERIFY(rig.waitUntilIdle(5000));  // a run the loss cut off has ended as Stop ends it
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
        QVERIFY2(rig.prompts.messages[0].text.startsWith(QStringLiteral("COM9 \u2192 /dev/pts/")),
                 qPrintable(rig.prompts.messages[0].text));
        const QString outputsUnknown = QStringLiteral(
            "\n\nA test was running: it has been stopped, but the kit could not be made safe. Until it is checked at "
            "the kit, take its outputs as unknown: the coil supply, second coil and current source may still be on.");
        QCOMPARE(rig.prompts.messages[0].text.endsWith(outputsUnknown), testRunning);
        QVERIFY(!control<QTimer>(w, "tmrComm").isActive());
        QCOMPARE(control<QComboBox>(w, "cmbCR").count() >= 2, testRunning);  // the readings taken stay
        const int logged = w.link().log.size();
        control<QAction>(w, "actStop").trigger();  // nothing left to stop, nothing written
        control<QPushButton>(w, "cmdCoilResistance").click();  // no test starts on a line that is away
        QVERIFY(!w.procedures().running() && control<QGroupBox>(w, "FrameCPanel").isEnabled());
        QCOMPARE(w.link().log.size(), logged);

        QSignalSpy looks(&control<QTimer>(w, "tmrPortWatch"), &QTimer::timeout);
        QVERIFY(QTest::qWaitFor([&] { return looks.size() >= 10; }, 10000));
        QCOMPARE(lblCommStatus.text(), QStringLiteral("Comm Port Error"));
        const qsizetype heardBefore = rig.heard().size();
        QVERIFY(rig.cable("plug"));
        QTRY_COMPARE_WITH_TIMEOUT(lblCommStatus.text(), QStringLiteral("Comm Port Active"), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(w.link().receiver.kitFree() && w.link().waits.idle(), 5000);
        QTRY_VERIFY(rig.heard().mid(heardBefore).contains("@V0000"));
        QCOMPARE(withoutPolls(rig.heard().mid(heardBefore)), (QStringList{"?", "@A00", "@V0000"}));
        QCOMPARE(rig.prompts.messages.size(), 1);

        // The kit log from the loss to the return: nothing goes out but the check's "?".
        QStringList lossToReturn;
        for (const KitLog::Entry &entry : w.link().log.entries()) {
            static const QStringList kinds{"sent ", "got ", "note "};  // in the order of KitLog::Direction
            if (!lossToReturn.isEmpty() || entry.text.startsWith(QLatin1String("line failed: ")))
                lossToReturn << kinds.at(int(entry.direction)) + entry.text.section(QLatin1Char(' '), 0, 0);
        }
        QStringList expected{"note line", "note opened", "sent ?<CR>", "got OK<CR>", "note kit", "sent @A00<CR>"};
        if (testRunning)
            expected.insert(1, "note Stop");
        QCOMPARE(lossToReturn.mid(0, expected.size()), expected);
    }

    // All channels of relay 0 (every channel wired), through a line that sends frames
    // in pairs: a pair is one text of no frame's length, so no reading comes. The kit
    // has no time-out: the run goes through its channels, switches the supply off, and
    // then waits for good, and shows it. Stop (Escape) gets the bench back from there.
    void contactRunThroughMergedFramesWaitsUntilStopped()
    {
        PtyBench rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        QVERIFY(rig.turnKit(QStringLiteral("merge")));
        QVERIFY(pollTicks(w, 3));  // frames the kit sent before the fault was in force are handled first
        const auto &cmbCR = control<QComboBox>(w, "cmbCR");
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(ChannelCount);
        control<QPushButton>(w, "cmdContactResistance").click();
        QTRY_VERIFY_WITH_TIMEOUT(rig.heard().contains("@G16"), 10000);
        // The last channel asked for, the supply switched off, and no reading listed.
        // (The kit tells what it heard a little after it heard it.)
        QTRY_COMPARE(withoutPolls(rig.heard().mid(rig.heard().indexOf("@G16"))),
                     (QStringList{"@G16", "@A00", "@V0000"}));
        const QStringList heard = rig.heard();
        QCOMPARE(cmbCR.count(), 0);
        QCOMPARE(cmbCR.currentText(), QStringLiteral("Testing ..."));
        QVERIFY(w.procedures().contactRuns.ContactResTest.taken() && w.link().poll.pollHold());
        // It asks for nothing more, not even live readings, and a second start is refused.
        w.procedures().launch(w.procedures().contactResistance.run(catalogue::AllChannelsEntry));
        QVERIFY(pollTicks(w, 20));
        QCOMPARE(rig.heard().size(), heard.size());

        stopGetsTheBenchBackFromAWait(rig, 3, true);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!w.procedures().contactRuns.ContactResTest.taken() && !w.link().poll.pollHold());
        QTRY_VERIFY(rig.heard().mid(heard.size()).contains("?D"));  // polling again
    }

    // One result answer lost on the line: the coil resistance is asked for once, so
    // its test waits for good, until Stop; the pick-up result is asked on every tick.
    void lostResultAsEachTestIsBuilt_data()
    {
        QTest::addColumn<bool>("coil");
        QTest::newRow("coil resistance waits") << true;
        QTest::newRow("pick-up asks again") << false;
    }

    void lostResultAsEachTestIsBuilt()
    {
        QFETCH(bool, coil);
        PtyBench rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        control<QPushButton>(w, "cmdCoilResistance").click();
        QVERIFY(rig.waitUntilIdle());
        const QString ohms = control<QLabel>(w, "lblOhms").text();
        QCOMPARE(ohms, QString::number(kitsim::relayModel(0).coilOhms, 'f', 1));
        QVERIFY(rig.turnKit(QStringLiteral("drop-result")));
        const qsizetype heardBefore = rig.heard().size();
        control<QPushButton>(w, coil ? "cmdCoilResistance" : "cmdPickUp").click();
        const QString asked = coil ? QStringLiteral("@R") : QStringLiteral("?P");
        if (!coil) {
            QVERIFY(rig.waitUntilIdle());
            QCOMPARE(rig.heard().mid(heardBefore).count(asked), 2);  // the first answer was lost
            QCOMPARE(control<QLabel>(w, "lblPUV").text(), QString::number(kitsim::relayModel(0).pickUpVolts, 'f', 2));
            return;
        }
        // Twenty poll periods: the kit has no time-out, and nothing is asked again.
        QVERIFY(pollTicks(w, 20));
        // Live queries sent before the press may be told by the kit after it.
        const QStringList heard = rig.heard();
        QCOMPARE(withoutPolls(heard.mid(heardBefore)).join(u' '), asked);
        QCOMPARE(heard.mid(heard.lastIndexOf(asked) + 1).join(u' '), QString());
        QVERIFY(w.link().poll.isOpen(Request::CoilResRequest) && w.link().poll.pollHold());
        QCOMPARE(rig.record.CoilResistance1, 0.0f);
        QCOMPARE(control<QLabel>(w, "lblOhms").text(), ohms);

        stopGetsTheBenchBackFromAWait(rig, 0, false);
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!w.link().poll.isOpen(Request::CoilResRequest) && !w.link().poll.pollHold());
        QCOMPARE(control<QLabel>(w, "lblOhms").text(), ohms);
    }

    // The automatic test of every catalogue entry, the operator looking at the Drop
    // Away Test dialog for a while: every channel the relay's contact layout uses is
    // measured and listed in order, and crval.csv holds exactly that list.
    void automaticTestRecordsEveryUsedChannel_data()
    {
        QTest::addColumn<int>("relay");
        for (int relay = 0; relay < EntryCount; ++relay)
            QTest::newRow(qPrintable(entryTexts().at(relay))) << relay;
    }

    void automaticTestRecordsEveryUsedChannel()
    {
        QFETCH(int, relay);
        PtyBench rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        const DialogCount operatorAtTheDialog(w);
        control<QPushButton>(w, "cmdReport").setEnabled(false);
        control<QPushButton>(w, "cmdAuto").click();
        // A liveness bound, not a speed: a loaded machine takes several times longer.
        QVERIFY(QTest::qWaitFor([&] { return control<QPushButton>(w, "cmdReport").isEnabled(); }, 120000));
        QVERIFY(rig.waitUntilIdle());

        QStringList expected;
        QByteArray expectedFile;
        for (int channel = 1; channel <= ChannelCount; ++channel) {
            const auto contact = Contact(rig.record.ContactLayout[relay][channel]);
            const float made = kitsim::madeContactTenthMilliohms(relay, channel) / 10.0f;
            if (contact == Contact::None) {
                expected << entryName(channel) + " - X";
            } else if (relay == QL1 && contact == Contact::Back) {
                // The run goes on while QL1's second coil is still switched on from its
                // pick-up step, and the 24 V of the contact run hold the relay up.
                QVERIFY(rig.record.ContactRes[channel] > 999);
                expected << entryName(channel) + " - OFF";
            } else {
                QCOMPARE(rig.record.ContactRes[channel], made);
                expected << entryName(channel) + " - " + QString::number(double(made), 'f', 1);
            }
            expectedFile += '"' + expected.constLast().toLatin1() + "\"\r\n";
        }
        QCOMPARE(listed(control<QComboBox>(w, "cmbCR")), expected);
        // A run whose D4 carries no contact ends without a reading, and writes no file.
        const QString results = rig.folder.filePath(QStringLiteral("crval.csv"));
        QCOMPARE(readFile(results), rig.record.ContactLayout[relay][ChannelCount] != 0
                                        ? expectedFile : "<cannot open " + QFile::encodeName(results) + '>');
        QCOMPARE(control<QComboBox>(w, "cmbCD").count(), relay == QNA1K || relay == QSPA1 ? ChannelCount : 0);
        QVERIFY(rig.prompts.messages.isEmpty());
    }

    // QL1's pick-up keeps the live readings coming through the three waits of its
    // second-coil step.
    void liveReadingsFlowWhileQl1SecondCoilStepWaits()
    {
        PtyBench rig(QL1);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        control<QPushButton>(w, "cmdCoilResistance").click();
        QVERIFY(rig.waitUntilIdle());
        int liveQueries = -1;  // while the second-coil step waits
        int liveFrames = 0;
        connect(&w.link().log, &KitLog::appended, this, [&] {
            const KitLog::Entry &entry = w.link().log.latest();
            if (entry.text == QLatin1String("@V0000<CR>") && liveQueries < 0)
                liveQueries = 0;
            else if (entry.text == QLatin1String("@p<CR>"))
                disconnect(&w.link().log, &KitLog::appended, this, nullptr);
            else if (liveQueries >= 0 && entry.text == QLatin1String("?D<CR>"))
                ++liveQueries;
            else if (liveQueries >= 0 && entry.direction == KitLog::Direction::Received && entry.text.size() == 18)
                ++liveFrames;
        });
        control<QPushButton>(w, "cmdPickUp").click();
        QVERIFY(rig.waitUntilIdle());
        QVERIFY(control<QLabel>(w, "lblDAV").isVisibleTo(&w));
        // Each of the three waits is two poll periods long, so it holds a poll tick at
        // least, which asks; and the answers are handled meanwhile.
        QVERIFY2(liveQueries >= 3 && liveFrames >= 1, qPrintable(QStringLiteral("%1 %2").arg(liveQueries).arg(liveFrames)));
    }

    // The kit goes quiet while the bench polls: the monitor says so and counts the
    // seconds, the main window's status stays as it is, and the trace shows the gap
    // once the kit answers again.
    void kitSilenceIsShownInTheMonitor()
    {
        PtyBench rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = *rig.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.showBenchMonitor();  // beside the main window once that is on the screen
        BenchMonitor &monitor = *w.benchMonitor();
        QTRY_VERIFY(monitor.isVisible());
        QVERIFY(rig.turnKit(QStringLiteral("silent")));
        const QRegularExpression counting(QStringLiteral("^No answer from the kit for (\\d+) s$"));
        QTRY_VERIFY_WITH_TIMEOUT(counting.match(monitor.lblSilence->text()).hasMatch(), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(counting.match(monitor.lblSilence->text()).captured(1).toInt() >= 2, 3000);
        QCOMPARE(control<QLabel>(w, "lblCommStatus").text(), QStringLiteral("Comm Port Active"));
        QVERIFY(rig.turnKit(QStringLiteral("healthy")));
        QTRY_COMPARE_WITH_TIMEOUT(monitor.lblSilence->text(), QString(), 3000);
        QCOMPARE(monitor.trace().gaps().size(), std::size_t(1));
        QVERIFY(monitor.trace().gaps().front().to - monitor.trace().gaps().front().from >= 2);
    }
};

QTEST_MAIN(TestSerialBench)
#include "tst_serialbench.moc"
