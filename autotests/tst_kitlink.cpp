#include "kitheard.h"
#include "linkdoubles.h"

#include "platform/dialogwait.h"

#include <QDialog>
#include <QFile>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The link to the kit on a scripted line: the waits of the one event loop, the poll
// tick, the receive handler and the kit check.
class TestKitLink : public QObject
{
    Q_OBJECT

    static Request request(const QString &name)
    {
        static const QHash<QString, Request> byName{
            {"CoilResRequest", Request::CoilResRequest},   {"Coil2ResRequest", Request::Coil2ResRequest},
            {"PickUpVRequest", Request::PickUpVRequest},   {"Coil2PickUpRequest", Request::Coil2PickUpRequest},
            {"DropAwayVRequest", Request::DropAwayVRequest}, {"PickUpIRequest", Request::PickUpIRequest},
            {"DropAwayIRequest", Request::DropAwayIRequest}};
        return byName.value(name);
    }

    // Record of what a procedure did, in the order it did it.
    static platform::Task procedure(LinkRig &rig, QStringList &trace, QString name, int waits)
    {
        for (int i = 0; i < waits; ++i)
            co_await rig.link.wait.hold();
        trace << name;
    }

private slots:
    // Waits that overlap share the ticks of tmrTout: a newer activation that waits
    // runs to its end before an older one resumes, however many waits it holds, and
    // two waits that end on one tick end together. Counted in the timer's own ticks;
    // how long a wait lasts and what it costs, quillmark-bench reports.
    void overlappingWaitsShareTheTicks_data()
    {
        QTest::addColumn<int>("olderWaits");
        QTest::addColumn<int>("newerWaits");      // 0: no newer activation
        QTest::addColumn<QList<int>>("doneByTick");  // activations ended after each tick
        QTest::addColumn<QStringList>("order");
        QTest::newRow("one wait, one tick") << 1 << 0 << QList<int>{1} << QStringList{"older"};
        QTest::newRow("three newer waits inside one") << 1 << 3 << QList<int>{0, 0, 2}
                                                      << QStringList{"newer", "older"};
        QTest::newRow("one newer wait inside three") << 3 << 1 << QList<int>{1, 1, 2}
                                                     << QStringList{"newer", "older"};
    }

    void overlappingWaitsShareTheTicks()
    {
        QFETCH(int, olderWaits);
        QFETCH(int, newerWaits);
        LinkRig rig;
        QStringList trace;
        QList<int> doneByTick;  // FixedWait handles each tick before this sees it
        QObject::connect(&rig.tmrTout, &QTimer::timeout, &rig.port, [&] { doneByTick << int(trace.size()); });
        rig.waits.run(procedure(rig, trace, "older", olderWaits));
        if (newerWaits > 0)
            rig.waits.run(procedure(rig, trace, "newer", newerWaits));
        QTRY_VERIFY(rig.waits.idle());
        QTEST(doneByTick, "doneByTick");
        QTEST(trace, "order");
        QCOMPARE(rig.link.wait.ticks(), int(doneByTick.size()));
        QVERIFY(!rig.tmrTout.isActive());
    }

    // A wait that starts part-way through an older one rides on the running tick: the
    // older procedure's settle time is not stretched by the newer one. Compared on the
    // timer itself (what is left of the tick before and after), not on a clock.
    void aNewerWaitDoesNotRestartTheRunningTick()
    {
        LinkRig rig(1000);
        QStringList trace;
        rig.waits.run(procedure(rig, trace, "older", 1));
        int leftBefore = -1, leftAfter = -1;
        QTimer::singleShot(100, Qt::PreciseTimer, &rig.port, [&] {
            QCOMPARE(rig.link.wait.waiters(), 1);
            leftBefore = rig.tmrTout.remainingTime();
            rig.waits.run(procedure(rig, trace, "newer", 1));
            leftAfter = rig.tmrTout.remainingTime();
        });
        QTRY_VERIFY_WITH_TIMEOUT(rig.waits.idle(), 10000);
        QVERIFY(leftBefore >= 0 && leftBefore < 1000);
        QVERIFY2(leftAfter <= leftBefore, qPrintable(QStringLiteral("%1 ms left of the tick before the newer wait, %2 ms after")
                                                         .arg(leftBefore).arg(leftAfter)));
        QCOMPARE(trace, (QStringList{"newer", "older"}));
        QCOMPARE(rig.link.wait.ticks(), 1);
    }

    void flagAndDialogWaitsEndWhenTheirConditionHolds()
    {
        LinkRig rig;
        bool open = true;
        QDialog dialog;
        QStringList trace;
        rig.waits.run([](LinkRig &r, bool &flag, QDialog &d, QStringList &t) -> platform::Task {
            co_await r.waits.until([&flag] { return !flag; });
            t << "flag";
            d.open();
            co_await platform::closed(r.waits, &d);
            t << "dialog";
        }(rig, open, dialog, trace));
        QVERIFY(trace.isEmpty());
        open = false;
        rig.waits.pump();
        QCOMPARE(trace, QStringList{"flag"});
        dialog.accept();
        QTRY_COMPARE(trace, (QStringList{"flag", "dialog"}));
    }

    // A procedure waiting for the kit's answer holds nobody back: an older wait ends
    // meanwhile. When the answer comes, the procedure goes on as the newest, and a
    // fixed wait it then holds keeps an older one waiting behind it, as the handling
    // of a frame always has.
    void aWaitForTheKitsAnswerHoldsNobodyBack()
    {
        LinkRig rig(40);
        QStringList trace;
        rig.waits.run(procedure(rig, trace, "older settles", 1));
        rig.waits.run([](LinkRig &r, QStringList &t) -> platform::Task {
            t << co_await r.link.poll.answerTo(Request::PickUpVRequest);
            co_await r.link.wait.hold();
            t << "answer handled";
        }(rig, trace));
        QTRY_COMPARE(trace, QStringList{"older settles"});
        QVERIFY(rig.link.poll.isOpen(Request::PickUpVRequest));

        rig.waits.run(procedure(rig, trace, "older waits again", 1));
        QVERIFY(rig.link.answers.deliver(answerOf(Request::PickUpVRequest), "*V1650 I0312\r"));
        rig.waits.pump();
        QVERIFY(!rig.link.poll.isOpen(Request::PickUpVRequest));
        QTRY_COMPARE(trace.size(), 4);
        QCOMPARE(trace, (QStringList{"older settles", "*V1650 I0312\r", "answer handled", "older waits again"}));
        QVERIFY(rig.waits.idle());
    }

    // A Stop ends what a Stop may end; what it holds is released as it ends, and a
    // procedure stopped where it waits for an answer has its request closed with it.
    void cancellingEndsProceduresWhereTheyStand()
    {
        LinkRig rig;
        bool held = false;
        QStringList trace;
        rig.waits.run([](LinkRig &r, bool &flag) -> platform::Task {
            const QScopedValueRollback holding(flag, true);
            co_await r.waits.until([] { return false; });
        }(rig, held));
        rig.ask(Request::DropAwayVRequest);
        rig.waits.run(procedure(rig, trace, "kit check", 1), platform::WaitStack::OnStop::Keep);
        QVERIFY(held && rig.link.poll.isOpen(Request::DropAwayVRequest));
        QVERIFY(rig.waits.cancelOnStop());
        QVERIFY(!held && !rig.link.poll.isOpen(Request::DropAwayVRequest));
        QVERIFY(!rig.link.answers.deliver(answerOf(Request::DropAwayVRequest), "%V0520 I0101\r"));
        QTRY_COMPARE(trace, QStringList{"kit check"});
        QVERIFY(!rig.waits.cancelOnStop());
    }

    // A call waits in its place, as an older activation does: the called procedure
    // waits for its answer holding nobody back, a newer one starts meanwhile, and
    // when the answer comes the called one goes on as the newest; the caller resumes
    // only once both have ended.
    void aCallWaitsInItsPlace()
    {
        LinkRig rig(30);
        QStringList trace;
        rig.waits.run([](LinkRig &r, QStringList &t) -> platform::Task {
            co_await r.waits.call([](LinkRig &rr, QStringList &tt) -> platform::Task {
                tt << co_await rr.link.poll.answerTo(Request::PickUpVRequest);
                co_await rr.link.wait.hold();
                tt << "answer handled";
            }(r, t));
            t << "caller goes on";
        }(rig, trace));
        rig.waits.run(procedure(rig, trace, "newer", 2));
        QVERIFY(rig.link.answers.deliver(answerOf(Request::PickUpVRequest), "*V1650 I0312\r"));
        rig.waits.pump();
        QTRY_VERIFY(rig.waits.idle());
        QCOMPARE(trace, (QStringList{"*V1650 I0312\r", "answer handled", "newer", "caller goes on"}));
    }

    // An exception that escapes a procedure ends it (and what awaited it), and is
    // reported; the stack goes on. A Stop asked for from inside a running procedure
    // ends it only once it waits: what it does up to then, it does, and nothing after.
    void faultsAndStopsFromInsideEndProceduresCleanly()
    {
        LinkRig rig;
        QStringList trace;
        QStringList failures;
        rig.waits.onFailure([&failures](std::exception_ptr failure) {
            try {
                std::rethrow_exception(failure);
            } catch (const std::exception &e) {
                failures << QString::fromLatin1(e.what());
            }
        });
        rig.waits.run([](LinkRig &r, QStringList &t) -> platform::Task {
            co_await [](LinkRig &rr) -> platform::Task {
                co_await rr.link.wait.hold();
                throw std::runtime_error("fault");
            }(r);
            t << "after the fault";
        }(rig, trace));
        QTRY_COMPARE(failures, QStringList{"fault"});
        QVERIFY(rig.waits.idle() && trace.isEmpty());

        rig.waits.run([](LinkRig &r, QStringList &t) -> platform::Task {
            co_await r.link.wait.hold();
            r.waits.cancelOnStop();
            t << "up to its wait";
            co_await r.link.wait.hold();
            t << "after its wait";
        }(rig, trace));
        QTRY_VERIFY(rig.waits.idle());
        QTest::qWait(50);
        QCOMPARE(trace, QStringList{"up to its wait"});
        // What a stopped procedure lets go of as it ends may let another go on: the
        // pump it asks for is not lost.
        bool released = false;
        rig.waits.run([](LinkRig &r, bool &flag) -> platform::Task {
            const auto release = qScopeGuard([&r, &flag] {
                flag = true;
                r.waits.pump();
            });
            co_await r.waits.until([] { return false; });
        }(rig, released));
        rig.waits.run([](LinkRig &r, bool &flag, QStringList &t) -> platform::Task {
            co_await r.waits.until([&flag] { return flag; });
            t << "released";
        }(rig, released, trace), platform::WaitStack::OnStop::Keep);
        QVERIFY(rig.waits.cancelOnStop());
        QCOMPARE(trace.constLast(), QStringLiteral("released"));

        // A wait asked for where no procedure runs is a fault of its own, not a hang.
        QVERIFY_THROWS_EXCEPTION(platform::WaitOutsideProcedure,
                                 rig.waits.until([] { return false; }).await_suspend(std::noop_coroutine()));
    }

    // armed: requests whose start the tick sends; open: requests already started.
    void pollTickSendsWhatTheRequestsAskFor_data()
    {
        QTest::addColumn<QStringList>("armed");
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QStringList>("sent");
        // Names and commands parted by blanks.
        const auto row = [](const char *name, const char *armed, const char *open, bool busy, bool hold,
                            const char *sent) {
            const auto words = [](const char *text) { return QString::fromLatin1(text).split(' ', Qt::SkipEmptyParts); };
            QTest::newRow(name) << words(armed) << words(open) << busy << hold << words(sent);
        };
        row("idle", "", "", false, false, "?D");
        row("idle held", "", "", false, true, "");
        row("busy without ramp still polls", "", "", true, false, "?D");
        row("start all in order, hold or not",
            "DropAwayIRequest PickUpVRequest CoilResRequest DropAwayVRequest Coil2PickUpRequest PickUpIRequest", "",
            false, true, "@R @P @p @D ^Y ^Z");
        row("pick-up busy", "", "PickUpVRequest", true, false, "?D");
        row("pick-up busy held", "", "PickUpVRequest", true, true, "");
        row("pick-up free, even held", "", "PickUpVRequest", false, true, "?P");
        row("current ramp busy queries with &D", "", "PickUpIRequest", true, false, "&D");
        row("mixed ramps busy query with ?D", "", "PickUpIRequest PickUpVRequest", true, false, "?D");
        row("every ramp free, fixed order", "",
            "Coil2PickUpRequest DropAwayIRequest PickUpIRequest DropAwayVRequest PickUpVRequest", false, false,
            "?P ?A *P *A ?p");
    }

    void pollTickSendsWhatTheRequestsAskFor()
    {
        QFETCH(QStringList, armed);
        QFETCH(QStringList, open);
        QFETCH(bool, busy);
        QFETCH(bool, hold);
        LinkRig rig;
        for (const QString &name : std::as_const(open))
            rig.ask(request(name));
        if (!open.isEmpty()) {
            rig.tick();
            rig.port.written.clear();
        }
        for (const QString &name : std::as_const(armed))
            rig.ask(request(name));
        rig.link.poll.setKitBusy(busy);
        rig.link.poll.setPollHold(hold);
        rig.tick();
        QTEST(rig.port.commands(), "sent");
    }

    void coilMeasurementsHoldThePollAndClearTheReadings()
    {
        LinkRig rig(8);
        rig.record.CoilResistance1 = 512;
        rig.record.CoilResistance2 = 480;
        rig.ask(Request::CoilResRequest);
        rig.tick();
        QVERIFY(rig.link.poll.pollHold() && rig.link.poll.kitBusy());
        QCOMPARE(rig.record.CoilResistance1 + rig.record.CoilResistance2, 0.0f);

        // The second coil: coil 1 energised for two settle times first, and the ticks
        // that fall due meanwhile are skipped, not queued.
        QVERIFY(rig.link.answers.deliver(answerOf(Request::CoilResRequest), "R=04512\r"));
        rig.waits.pump();
        QCOMPARE(rig.answers, QStringList{"R=04512\r"});
        rig.ask(Request::Coil2ResRequest);
        rig.port.written.clear();
        rig.tmrComm.start();
        QTRY_VERIFY(rig.port.commands().contains("&R"));
        rig.tmrComm.stop();
        QCOMPARE(rig.port.commands(), (QStringList{"@V2400", "@A10", "@A00", "&R"}));
        QVERIFY(!rig.link.commands.coilEnergised());
    }

    // The current ramps leave the kit's busy state alone, so the first tick after
    // the start asks for the result at once.
    void currentRampIsAskedForOnTheNextTick()
    {
        LinkRig rig;
        rig.ask(Request::PickUpIRequest);
        rig.tick();
        rig.tick();
        QCOMPARE(rig.port.commands(), (QStringList{"^Y", "*P"}));
    }

    // asked: requests a procedure waits on; its answer goes to it, and every other
    // result frame is an answer nobody asked for.
    void receivedFramesGoToTheirOwners_data()
    {
        QTest::addColumn<QString>("asked");
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QStringList>("handled");
        QTest::addColumn<QStringList>("answered");
        // pieces: as they reach the port, parted by '|'.
        const auto row = [](const char *name, const char *asked, const QByteArray &pieces, const QStringList &handled,
                            const QStringList &answered = {}) {
            QTest::newRow(name) << QString::fromLatin1(asked) << pieces.split('|') << handled << answered;
        };
        row("coil 1", "", "R=04512\r", {"R:R=04512\r"});
        row("coil 1 to the test that asked", "CoilResRequest", "R=04512\r", {}, {"R=04512\r"});
        row("coil 2, while coil 1 is asked", "CoilResRequest", "Q=04800\r", {"Q:Q=04800\r"});
        row("delay", "", "&123451\r", {"&:&123451\r"});
        row("contact", "", "#00253\r", {"#:#00253\r"});
        row("pick-up in pieces", "", "*V16|50 I0312\r", {"*:*V1650 I0312\r"});
        row("pick-up in pieces to the test that asked", "PickUpVRequest", "*V16|50 I0312\r", {}, {"*V1650 I0312\r"});
        row("coil-2 pick-up", "Coil2PickUpRequest", "-V1650 I0312\r", {}, {"-V1650 I0312\r"});
        row("drop-away", "DropAwayVRequest", "%V0520 I0101\r", {}, {"%V0520 I0101\r"});
        row("pick-up current", "PickUpIRequest", ">V0000 I0312\r", {}, {">V0000 I0312\r"});
        row("drop-away current", "DropAwayIRequest", "!V0000 I0101\r", {}, {"!V0000 I0101\r"});
        row("drop-away current unasked", "", "!V0000 I0101\r", {"!:!V0000 I0101\r"});
        row("sequence, any first char", "", "x:ABCDEFGH:IJKLMNOP\r", {"s:x:ABCDEFGH:IJKLMNOP\r"});
        row("OK answer", "", "OK\r", {});
        row("known length, unknown mark", "", "X=04512\r", {});
        row("two frames in one piece", "CoilResRequest", "R=04512\rQ=04800\r", {});
        row("frame cut short", "", "R=045\r", {});
        row("CR LF after a frame", "", "#00253\r\n", {});
        row("stray text spoils the next frame only", "", "zz|R=04512\r|R=04513\r", {"R:R=04513\r"});
        row("noise past the longest frame spoils the next frame too", "", QByteArray(30, 'x') + "|R=04512\r|R=04513\r",
            {"R:R=04513\r"});
        row("a megabyte without CR, then a frame", "", (QByteArray(1024, 'x') + '|').repeated(1024) + "\r|R=04512\r",
            {"R:R=04512\r"});
    }

    void receivedFramesGoToTheirOwners()
    {
        QFETCH(QString, asked);
        QFETCH(QList<QByteArray>, pieces);
        LinkRig rig;
        rig.port.setReceiveEvents(true);
        RecordingUnasked results;
        rig.link.receiver.tellUnasked(&results);
        if (!asked.isEmpty())
            rig.ask(request(asked));
        qsizetype longestBuffer = 0;
        for (const QByteArray &piece : std::as_const(pieces)) {
            rig.port.kitSends(piece);
            longestBuffer = std::max(longestBuffer, rig.link.receiver.pending().size());
        }
        QTEST(results.handled, "handled");
        QTEST(rig.answers, "answered");
        // Each answer nobody asked for is noted in the kit log, and only those.
        QCOMPARE(rig.link.log.formatted().count("answer nobody asked for: "), results.handled.size());
        QCOMPARE(rig.link.poll.isOpen(request(asked.isEmpty() ? "CoilResRequest" : asked)), rig.answers.isEmpty() && !asked.isEmpty());
        QVERIFY(rig.view.liveUpdates == 0 && rig.view.portErrors.isEmpty());  // nothing told the operator
        QVERIFY(longestBuffer <= 21);
    }

    void liveReadingsShowVoltageCurrentAndKitState_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("volts");
        QTest::addColumn<QString>("milliamps");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("free");
        const auto row = [](const char *name, const QByteArray &frame, const char *volts, const char *milliamps,
                            bool busy, bool free) {
            QTest::newRow(name) << frame << QString::fromLatin1(volts) << QString::fromLatin1(milliamps) << busy << free;
        };
        row("free", "V:2400I:0512 F\r", "24.0", "51.2", false, true);
        row("busy, one decimal of two", "V:1239I:0275 B\r", "12.4", "27.5", true, false);
        row("lower-case b: not busy, not free", "V:0000I:0000 b\r", "0.0", "0.0", false, false);
        row("starts like a coil frame", "R=0900I:0010 F\r", "9.0", "1.0", false, true);
    }

    void liveReadingsShowVoltageCurrentAndKitState()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, busy);
        LinkRig rig;
        rig.port.setReceiveEvents(true);
        rig.link.poll.setKitBusy(!busy);
        rig.port.kitSends(frame.left(7));
        rig.port.kitSends(frame.mid(7));
        QCOMPARE(rig.view.liveUpdates, 1);
        QTEST(rig.view.volts, "volts");
        QTEST(rig.view.milliamps, "milliamps");
        QCOMPARE(rig.view.busy, busy);
        QCOMPARE(rig.link.poll.kitBusy(), busy);
        QTEST(rig.link.receiver.kitFree(), "free");
        QCOMPARE(rig.record.LiveVoltage, frame.mid(2, 4).toFloat() / 100);
    }

    void kitCheckGoesActiveOnlyOnExactlyOkAndCarriageReturn_data()
    {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("escape");  // the operator's Stop while the check waits
        QTest::newRow("OK") << QList<QByteArray>{"OK\r"} << true << false;
        QTest::newRow("OK in two pieces") << QList<QByteArray>{"O", "K\r"} << true << false;
        QTest::newRow("OK CR LF") << QList<QByteArray>{"OK\r\n"} << false << false;
        QTest::newRow("echo before OK") << QList<QByteArray>{"?\rOK\r"} << false << false;
        QTest::newRow("silent") << QList<QByteArray>{} << false << false;
        QTest::newRow("OK, Escape during the wait") << QList<QByteArray>{"OK\r"} << true << true;
    }

    void kitCheckGoesActiveOnlyOnExactlyOkAndCarriageReturn()
    {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, found);
        QFETCH(bool, escape);
        LinkRig rig(40);
        rig.link.poll.setPollHold(true);
        int delay = 5;
        for (const QByteArray &piece : std::as_const(answer))
            QTimer::singleShot(delay += 5, &rig.port, [&rig, piece] { rig.port.kitSends(piece); });
        if (escape)
            QTimer::singleShot(20, &rig.port, [&rig] { QVERIFY(!rig.waits.cancelOnStop()); });
        rig.tmrPortOpen.start(1);  // the check starts from its timer, as at start-up
        QTRY_COMPARE(rig.view.statuses.size(), 2);
        QCOMPARE(rig.view.statuses.last(), found ? QStringLiteral("Comm Port Active") : QStringLiteral("Kit not found"));
        QVERIFY(rig.view.portErrors.isEmpty() && !rig.tmrPortOpen.isActive());
        QCOMPARE(rig.tmrComm.isActive(), found);
        QCOMPARE(rig.link.poll.pollHold(), !found);
        // Switched off and at 0 V, with live queries from the first tick on.
        QTRY_VERIFY(!found || rig.port.commands().contains("@V0000"));
        const QStringList sent = rig.port.commands();
        if (found)
            QVERIFY(sent.indexOf("?D") > 0 && sent.indexOf("?D") < sent.indexOf("@V0000"));
        QCOMPARE(withoutPolls(sent), (found ? QStringList{"?", "@A00", "@V0000"} : QStringList{"?"}));
    }

    // An adapter assigned to COM 3 by a link in the start-up folder, since unplugged;
    // then a line that fails while polling, reported once however often it fails.
    void portErrorsAreToldOnceAndNameTheDevice()
    {
        LinkRig rig;
        QTemporaryDir folder;
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/4"), folder.filePath(QStringLiteral("COM3"))));
        rig.link.portCheck.setPort(3, platform::StartupFolder(folder.path()));
        rig.port.openError = QStringLiteral("No such file or directory");
        rig.tmrPortOpen.start(1000);
        rig.waits.run(rig.link.portCheck.tick());
        QCOMPARE(rig.view.statuses, QStringList{"Comm Port Error"});
        QCOMPARE(rig.view.portErrors,
                 QStringList{QStringLiteral("Communication Port Error!|COM3 \u2192 /dev/pts/4: No such file or directory")});
        QVERIFY(!rig.tmrPortOpen.isActive() && !rig.tmrComm.isActive());

        LinkRig polling;
        polling.port.writeError = QStringLiteral("Input/output error");
        for (int tick = 0; tick < 20; ++tick)
            polling.tick();
        emit polling.port.failed(QStringLiteral("Resource error"));
        QCOMPARE(polling.view.portErrors, QStringList{QStringLiteral("Communication Port Error!|Input/output error")});
    }

    // A line lost while polling: the device behind COM 3 is looked for on each tick
    // of the watch, and only once it is there and no test runs does the check of
    // start-up run on it again, and nothing else.
    void lostLineIsCheckedAgainOnceBackAndNoTestRuns()
    {
        LinkRig rig;
        QTemporaryDir folder;
        const QString device = folder.filePath(QStringLiteral("ttyUSB0"));
        QVERIFY(QFile::link(device, folder.filePath(QStringLiteral("COM3"))));
        rig.link.portCheck.setPort(3, platform::StartupFolder(folder.path()));
        bool testRunning = false;
        rig.link.portCheck.setTestRunning([&testRunning] { return testRunning; });
        rig.port.answers.insert(QStringLiteral("?\r"), "OK\r");
        emit rig.port.failed(QStringLiteral("Resource error"));
        QSignalSpy looks(&rig.tmrPortWatch, &QTimer::timeout);
        for (const bool deviceThere : {false, true}) {  // away; back, with a test running
            testRunning = deviceThere;
            QVERIFY(!deviceThere || QFile(device).open(QIODevice::WriteOnly));
            looks.clear();
            QTRY_VERIFY(looks.size() >= 5);
            QVERIFY(rig.port.openedDevice.isEmpty() && rig.port.written.isEmpty());
        }
        testRunning = false;
        QTRY_VERIFY(rig.port.commands().contains("@V0000"));
        QCOMPARE(rig.view.statuses, (QStringList{"Comm Port Error", "Comm Port open", "Comm Port Active"}));
        QCOMPARE(withoutPolls(rig.port.commands()), (QStringList{"?", "@A00", "@V0000"}));
        QVERIFY(!rig.tmrPortWatch.isActive() && rig.tmrComm.isActive());
    }
};

QTEST_MAIN(TestKitLink)

#include "tst_kitlink.moc"
