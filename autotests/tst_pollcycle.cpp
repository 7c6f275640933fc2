#include "linkdoubles.h"

#include "kitlink/kitlink.h"

#include <QTest>

// What one poll tick puts on the line, for every combination of flags the bench
// procedures leave behind.
class TestPollCycle : public QObject
{
    Q_OBJECT

    using Rig = LinkRig;

private slots:
    void init() { bench() = BenchRecord{}; }

    void shouldSendTheCommandsTheFlagsAskFor_data()
    {
        QTest::addColumn<QStringList>("flags");
        QTest::addColumn<QStringList>("sent");

        const QStringList none;
        QTest::newRow("idle") << none << QStringList{"?D"};
        QTest::newRow("idle held") << QStringList{"PollHold"} << none;
        QTest::newRow("start without request") << QStringList{"StartPending"} << none;
        QTest::newRow("start coil resistance") << QStringList{"StartPending", "CoilResRequest"}
                                               << QStringList{"@R"};
        QTest::newRow("start pick-up") << QStringList{"StartPending", "PickUpVRequest"} << QStringList{"@P"};
        QTest::newRow("start coil-2 pick-up") << QStringList{"StartPending", "Coil2PickUpRequest"}
                                              << QStringList{"@p"};
        QTest::newRow("start drop-away") << QStringList{"StartPending", "DropAwayVRequest"} << QStringList{"@D"};
        QTest::newRow("start current ramps")
            << QStringList{"StartPending", "PickUpIRequest", "DropAwayIRequest"} << QStringList{"^Y", "^Z"};
        QTest::newRow("start all in order")
            << QStringList{"StartPending", "DropAwayIRequest", "PickUpVRequest", "CoilResRequest", "DropAwayVRequest"}
            << QStringList{"@R", "@P", "@D", "^Z"};
        QTest::newRow("start ignores hold") << QStringList{"StartPending", "PollHold", "PickUpVRequest"}
                                            << QStringList{"@P"};
        QTest::newRow("pick-up busy") << QStringList{"PickUpVRequest", "KitBusy"} << QStringList{"?D"};
        QTest::newRow("pick-up busy held") << QStringList{"PickUpVRequest", "KitBusy", "PollHold"} << none;
        QTest::newRow("pick-up free") << QStringList{"PickUpVRequest"} << QStringList{"?P"};
        QTest::newRow("pick-up free even when held") << QStringList{"PickUpVRequest", "PollHold"}
                                                     << QStringList{"?P"};
        QTest::newRow("current ramp busy queries with &D") << QStringList{"PickUpIRequest", "KitBusy"}
                                                           << QStringList{"&D"};
        QTest::newRow("mixed ramps busy query with ?D")
            << QStringList{"PickUpIRequest", "PickUpVRequest", "KitBusy"} << QStringList{"?D"};
        QTest::newRow("coil-2 ramp busy queries with ?D") << QStringList{"Coil2PickUpRequest", "KitBusy"}
                                                          << QStringList{"?D"};
        QTest::newRow("every ramp free, fixed order")
            << QStringList{"Coil2PickUpRequest", "DropAwayIRequest", "PickUpIRequest", "DropAwayVRequest",
                           "PickUpVRequest"}
            << QStringList{"?P", "?A", "*P", "*A", "?p"};
        QTest::newRow("busy without ramp still polls") << QStringList{"KitBusy"} << QStringList{"?D"};
    }

    void shouldSendTheCommandsTheFlagsAskFor()
    {
        QFETCH(QStringList, flags);
        QFETCH(QStringList, sent);
        Rig rig;
        for (const QString &flag : flags)
            *flagNamed(rig.fields, flag) = true;

        rig.link.poll.tick();

        QCOMPARE(rig.port.commands(), sent);
        QVERIFY(!rig.fields.StartPending);
    }

    void shouldHoldLivePollingAndClearResistancesWhenCoilMeasurementStarts()
    {
        Rig rig;
        bench().CoilResistance1 = 512;
        bench().CoilResistance2 = 480;
        rig.fields.StartPending = rig.fields.CoilResRequest = true;

        rig.link.poll.tick();

        QVERIFY(rig.fields.PollHold);
        QVERIFY(rig.fields.KitBusy);
        QCOMPARE(bench().CoilResistance1, 0.0f);
        QCOMPARE(bench().CoilResistance2, 0.0f);
    }

    void shouldLeaveKitBusyAloneForCurrentRamps()
    {
        Rig rig;
        rig.fields.StartPending = rig.fields.PickUpIRequest = true;
        rig.link.poll.tick();
        QVERIFY(!rig.fields.KitBusy);
        // So the first query-phase tick asks for the result at once.
        rig.link.poll.tick();
        QCOMPARE(rig.port.commands(), (QStringList{"^Y", "*P"}));
    }

    void shouldEnergiseCoilOneBeforeMeasuringTheSecondCoil()
    {
        Rig rig;
        rig.fields.StartPending = rig.fields.Coil2ResRequest = true;

        rig.link.poll.tick();

        QCOMPARE(rig.port.commands(), (QStringList{"@V2400", "@A10", "@A00", "&R"}));
        QVERIFY(rig.fields.PollHold);
        QVERIFY(rig.fields.KitBusy);
        QVERIFY(!rig.fields.CoilEnergised);
    }

    void shouldSkipTicksThatFallDueDuringTheSecondCoilStep()
    {
        Rig rig;
        rig.tmrComm.setInterval(2);
        QObject::connect(&rig.tmrComm, &QTimer::timeout, &rig.link, [&rig] {
            // A tick during the second-coil step would put "?D" or a second "@V2400" on the line.
            rig.link.poll.tick();
        });
        rig.fields.StartPending = rig.fields.Coil2ResRequest = true;
        rig.tmrComm.start();

        rig.link.poll.tick();
        rig.tmrComm.stop();

        QCOMPARE(rig.port.commands(), (QStringList{"@V2400", "@A10", "@A00", "&R"}));
    }

private:
    static bool *flagNamed(MainWindowFields &f, const QString &name)
    {
        const QHash<QString, bool *> flags = {
            {"StartPending", &f.StartPending},
            {"CoilResRequest", &f.CoilResRequest},
            {"Coil2ResRequest", &f.Coil2ResRequest},
            {"PickUpVRequest", &f.PickUpVRequest},
            {"Coil2PickUpRequest", &f.Coil2PickUpRequest},
            {"DropAwayVRequest", &f.DropAwayVRequest},
            {"PickUpIRequest", &f.PickUpIRequest},
            {"DropAwayIRequest", &f.DropAwayIRequest},
            {"PollHold", &f.PollHold},
            {"KitBusy", &f.KitBusy},
        };
        Q_ASSERT(flags.contains(name));
        return flags.value(name);
    }
};

QTEST_GUILESS_MAIN(TestPollCycle)
#include "tst_pollcycle.moc"
