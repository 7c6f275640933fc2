#include "linkdoubles.h"

#include <QDialog>
#include <QFile>
#include <QScopedValueRollback>
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
            co_await r.waits.closed(&d);
            t << "dialog";
        }(rig, open, dialog, trace));
        QVERIFY(trace.isEmpty());
        open = false;
        rig.waits.pump();
        QCOMPARE(trace, QStringList{"flag"});
        dialog.accept();
        QTRY_COMPARE(trace, (QStringList{"flag", "dialog"}));
    }

    // A Stop ends what a Stop may end; what it holds is released as it ends.
    void cancellingEndsProceduresWhereTheyStand()
    {
        LinkRig rig;
        bool held = false;
        QStringList trace;
        rig.waits.run([](LinkRig &r, bool &flag) -> platform::Task {
            const QScopedValueRollback holding(flag, true);
            co_await r.waits.until([] { return false; });
        }(rig, held));
        rig.waits.run(procedure(rig, trace, "kit check", 1), platform::WaitStack::OnStop::Keep);
        QVERIFY(held);
        QVERIFY(rig.waits.cancelOnStop());
        QVERIFY(!held);
        QTRY_COMPARE(trace, QStringList{"kit check"});
        QVERIFY(!rig.waits.cancelOnStop());
    }

    // armed: requests whose start the tick sends; open: requests already started.
    void pollTickSendsWhatTheRequestsAskFor_data()
    {
        QTest::addColumn<QStringList>("armed");
        QTest::addColumn<QStringList>("open");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("hold");
        QTest::addColumn<QStringList>("sent");
        const QStringList none;
        QTest::newRow("idle") << none << none << false << false << QStringList{"?D"};
        QTest::newRow("idle held") << none << none << false << true << none;
        QTest::newRow("busy without ramp still polls") << none << none << true << false << QStringList{"?D"};
        QTest::newRow("start all in order, hold or not")
            << QStringList{"DropAwayIRequest", "PickUpVRequest", "CoilResRequest", "DropAwayVRequest",
                           "Coil2PickUpRequest", "PickUpIRequest"}
            << none << false << true << QStringList{"@R", "@P", "@p", "@D", "^Y", "^Z"};
        QTest::newRow("pick-up busy") << none << QStringList{"PickUpVRequest"} << true << false << QStringList{"?D"};
        QTest::newRow("pick-up busy held") << none << QStringList{"PickUpVRequest"} << true << true << none;
        QTest::newRow("pick-up free, even held") << none << QStringList{"PickUpVRequest"} << false << true
                                                 << QStringList{"?P"};
        QTest::newRow("current ramp busy queries with &D")
            << none << QStringList{"PickUpIRequest"} << true << false << QStringList{"&D"};
        QTest::newRow("mixed ramps busy query with ?D")
            << none << QStringList{"PickUpIRequest", "PickUpVRequest"} << true << false << QStringList{"?D"};
        QTest::newRow("every ramp free, fixed order")
            << none
            << QStringList{"Coil2PickUpRequest", "DropAwayIRequest", "PickUpIRequest", "DropAwayVRequest",
                           "PickUpVRequest"}
            << false << false << QStringList{"?P", "?A", "*P", "*A", "?p"};
    }

    void pollTickSendsWhatTheRequestsAskFor()
    {
        QFETCH(QStringList, armed);
        QFETCH(QStringList, open);
        QFETCH(bool, busy);
        QFETCH(bool, hold);
        LinkRig rig;
        for (const QString &name : std::as_const(open))
            rig.link.poll.arm(request(name));
        if (!open.isEmpty()) {
            rig.tick();
            rig.port.written.clear();
        }
        for (const QString &name : std::as_const(armed))
            rig.link.poll.arm(request(name));
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
        rig.link.poll.arm(Request::CoilResRequest);
        rig.tick();
        QVERIFY(rig.link.poll.pollHold() && rig.link.poll.kitBusy());
        QCOMPARE(rig.record.CoilResistance1 + rig.record.CoilResistance2, 0.0f);

        // The second coil: coil 1 energised for two settle times first, and the ticks
        // that fall due meanwhile are skipped, not queued.
        rig.link.poll.close(Request::CoilResRequest);
        rig.link.poll.arm(Request::Coil2ResRequest);
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
        rig.link.poll.arm(Request::PickUpIRequest);
        rig.tick();
        rig.tick();
        QCOMPARE(rig.port.commands(), (QStringList{"^Y", "*P"}));
    }

    void receivedFramesGoToTheirOwners_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::addColumn<QStringList>("handled");
        const QStringList none;
        QTest::newRow("coil 1") << QList<QByteArray>{"R=04512\r"} << QStringList{"R:R=04512\r"};
        QTest::newRow("coil 2") << QList<QByteArray>{"Q=04800\r"} << QStringList{"Q:Q=04800\r"};
        QTest::newRow("delay") << QList<QByteArray>{"&123451\r"} << QStringList{"&:&123451\r"};
        QTest::newRow("contact") << QList<QByteArray>{"#00253\r"} << QStringList{"#:#00253\r"};
        QTest::newRow("pick-up in pieces") << QList<QByteArray>{"*V16", "50 I0312\r"} << QStringList{"*:*V1650 I0312\r"};
        QTest::newRow("coil-2 pick-up") << QList<QByteArray>{"-V1650 I0312\r"} << QStringList{"-:-V1650 I0312\r"};
        QTest::newRow("drop-away") << QList<QByteArray>{"%V0520 I0101\r"} << QStringList{"%:%V0520 I0101\r"};
        QTest::newRow("pick-up current") << QList<QByteArray>{">V0000 I0312\r"} << QStringList{">:>V0000 I0312\r"};
        QTest::newRow("drop-away current") << QList<QByteArray>{"!V0000 I0101\r"} << QStringList{"!:!V0000 I0101\r"};
        QTest::newRow("sequence, any first char")
            << QList<QByteArray>{"x:ABCDEFGH:IJKLMNOP\r"} << QStringList{"s:x:ABCDEFGH:IJKLMNOP\r"};
        QTest::newRow("OK answer") << QList<QByteArray>{"OK\r"} << none;
        QTest::newRow("known length, unknown mark") << QList<QByteArray>{"X=04512\r"} << none;
        QTest::newRow("two frames in one piece") << QList<QByteArray>{"R=04512\rQ=04800\r"} << none;
        QTest::newRow("frame cut short") << QList<QByteArray>{"R=045\r"} << none;
        QTest::newRow("CR LF after a frame") << QList<QByteArray>{"#00253\r\n"} << none;
        QTest::newRow("stray text spoils the next frame only")
            << QList<QByteArray>{"zz", "R=04512\r", "R=04513\r"} << QStringList{"R:R=04513\r"};
        QTest::newRow("a megabyte without CR, then a frame")
            << QList<QByteArray>(1024, QByteArray(1024, 'x')) + QList<QByteArray>{"\r", "R=04512\r"}
            << QStringList{"R:R=04512\r"};
    }

    void receivedFramesGoToTheirOwners()
    {
        QFETCH(QList<QByteArray>, pieces);
        LinkRig rig;
        rig.port.setReceiveEvents(true);
        QStringList handled;
        qsizetype longestBuffer = 0;
        ResultHandlers &r = rig.link.receiver.results;
        for (auto [handler, mark] : {std::pair{&r.coilResistance1, "R"}, {&r.coilResistance2, "Q"}, {&r.delay, "&"},
                                     {&r.contactResistance, "#"}, {&r.pickUp, "*"}, {&r.coil2PickUp, "-"},
                                     {&r.dropAway, "%"}, {&r.pickUpCurrent, ">"}, {&r.dropAwayCurrent, "!"},
                                     {&r.sequence, "s"}}) {
            *handler = [&handled, mark = QString::fromLatin1(mark)](QString frame) -> platform::Task {
                handled << mark + ':' + frame;
                co_return;
            };
        }
        for (const QByteArray &piece : std::as_const(pieces)) {
            rig.port.kitSends(piece);
            longestBuffer = std::max(longestBuffer, rig.link.receiver.pending().size());
        }
        QTEST(handled, "handled");
        QCOMPARE(rig.view.liveUpdates, 0);
        QVERIFY(longestBuffer <= 21);
    }

    void liveReadingsShowVoltageCurrentAndKitState_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("volts");
        QTest::addColumn<QString>("milliamps");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<bool>("free");
        QTest::newRow("free") << QByteArray("V:2400I:0512 F\r") << "24.0" << "51.2" << false << true;
        QTest::newRow("busy, one decimal of two") << QByteArray("V:1239I:0275 B\r") << "12.4" << "27.5" << true
                                                  << false;
        QTest::newRow("lower-case b: not busy, not free") << QByteArray("V:0000I:0000 b\r") << "0.0" << "0.0"
                                                          << false << false;
        QTest::newRow("starts like a coil frame") << QByteArray("R=0900I:0010 F\r") << "9.0" << "1.0" << false << true;
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
        QVERIFY(rig.prompts.messages.isEmpty() && !rig.tmrPortOpen.isActive());
        QCOMPARE(rig.tmrComm.isActive(), found);
        QCOMPARE(rig.link.poll.pollHold(), !found);
        // Switched off and at 0 V, with live queries from the first tick on.
        QTRY_VERIFY(!found || rig.port.commands().contains("@V0000"));
        QStringList sent = rig.port.commands();
        if (found)
            QVERIFY(sent.indexOf("?D") > 0 && sent.indexOf("?D") < sent.indexOf("@V0000"));
        sent.removeAll("?D");
        QCOMPARE(sent, (found ? QStringList{"?", "@A00", "@V0000"} : QStringList{"?"}));
    }

    // An adapter assigned to COM 3 by a link in the start-up folder, since unplugged;
    // then a line that fails while polling, reported once however often it fails.
    void portErrorsAreToldOnceAndNameTheDevice()
    {
        LinkRig rig;
        QTemporaryDir folder;
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/4"), folder.filePath(QStringLiteral("COM3"))));
        rig.link.portCheck.setPort(3, folder.path());
        rig.port.openError = QStringLiteral("No such file or directory");
        rig.tmrPortOpen.start(1000);
        rig.waits.run(rig.link.portCheck.tick());
        QCOMPARE(rig.view.statuses, QStringList{"Comm Port Error"});
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
        QCOMPARE(rig.prompts.messages[0].text, QStringLiteral("COM3 \u2192 /dev/pts/4: No such file or directory"));
        QVERIFY(!rig.tmrPortOpen.isActive() && !rig.tmrComm.isActive());

        LinkRig polling;
        polling.port.writeError = QStringLiteral("Input/output error");
        for (int tick = 0; tick < 20; ++tick)
            polling.tick();
        emit polling.port.failed(QStringLiteral("Resource error"));
        QCOMPARE(polling.prompts.messages.size(), 1);
        QCOMPARE(polling.prompts.messages[0].text, QStringLiteral("Input/output error"));
    }
};

QTEST_MAIN(TestKitLink)
#include "tst_kitlink.moc"
