#include "benchrig.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

// The automatic run of one relay against the simulated kit.
class TestAutoTest : public QObject
{
    Q_OBJECT

    // Closes every Drop Away Test dialog that opens, as an operator pressing Complete.
    static void completeDropAwayDialogs(QObject *context)
    {
        auto *timer = new QTimer(context);
        QObject::connect(timer, &QTimer::timeout, context, [] {
            if (QWidget *modal = QApplication::activeModalWidget()) {
                if (auto *complete = modal->findChild<QPushButton *>(QStringLiteral("cmdComplete")))
                    complete->click();
            }
        });
        timer->start(20);
    }

    static QStringList starts(const QStringList &heard)
    {
        QStringList picked;
        for (const QString &c : heard) {
            if (c == "@R" || c == "&R" || c == "@P" || c == "@p" || c == "@D" || c == "^Y" || c == "^Z"
                || c.startsWith("@G") || c.startsWith("@H"))
                picked << c.left(2);
        }
        picked.removeDuplicates();
        return picked;
    }

private slots:
    void shouldRunTheStyleSequence_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QStringList>("started");
        QTest::newRow("QNA1 8F-8B") << 0 << QStringList{"@R", "@P", "@D", "@G"};
        QTest::newRow("QN1 12F-4B has no delay run") << 3 << QStringList{"@R", "@P", "@D", "@G"};
        QTest::newRow("QNA1K adds the delay run") << 4 << QStringList{"@R", "@P", "@D", "@G", "@H"};
        QTest::newRow("QL1 has no drop-away run") << 5 << QStringList{"@R", "&R", "@P", "@p", "@G"};
        QTest::newRow("QTA2 runs in current mode") << 7 << QStringList{"@R", "^Y", "^Z", "@G"};
        QTest::newRow("QSPA1 adds the delay run") << 8 << QStringList{"@R", "@P", "@D", "@G", "@H"};
    }

    void shouldRunTheStyleSequence()
    {
        QFETCH(int, relay);
        QFETCH(QStringList, started);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        completeDropAwayDialogs(rig.window.get());
        rig.w().cmdReport->setEnabled(false);
        rig.w().cmbCDChannel->setCurrentIndex(3);
        rig.forgetHeard();

        rig.run().autoTest.cmdAuto_Click();

        const QStringList heard = rig.heard();
        QCOMPARE(heard.mid(0, 2), (QStringList{"@V0000", "@A00"}));
        QCOMPARE(starts(heard), started);
        QVERIFY(rig.w().cmdReport->isEnabled());
        QVERIFY(bench().CoilResistance1 > 0);
        QVERIFY2(bench().PickUpVoltage > 0 && bench().DropAwayVoltage > 0, "a ramp was asked too early");
        if (!started.contains("@H"))
            QCOMPARE(rig.w().cmbCDChannel->currentIndex(), 3);
        QCOMPARE(rig.w().cmbCRChannel->currentText(), QStringLiteral("ALL"));
        QVERIFY(rig.prompts.messages.isEmpty());
    }

    void shouldDoNothingWhileTheKitIsBusy()
    {
        BenchRig rig(0);
        QVERIFY(rig.waitUntilKitFree());
        bench().CoilResistance1 = 950;
        rig.w().fields.KitState = QStringLiteral("B");
        rig.w().link().receiver.results = {};  // no frame may end anything either
        rig.forgetHeard();

        rig.run().autoTest.cmdAuto_Click();
        QTest::qWait(50);

        QCOMPARE(bench().CoilResistance1, 0.0f);
        QCOMPARE(rig.heard(), QStringList{});
    }

    // The pick-up button picks the voltage test for the coil it finds; the run waits for
    // the current test it expected, which never started, and goes straight on.
    void shouldNotHangWhenAQta2EntryHasAVoltageCoil()
    {
        BenchRig rig(7);  // a QTA2 relay ...
        QVERIFY(rig.waitUntilKitFree());
        rig.kit().setRelay(0);  // ... but the kit has a 1030-ohm coil on it
        rig.forgetHeard();

        rig.run().autoTest.cmdAuto_Click();

        const QStringList heard = rig.heard();
        QVERIFY2(heard.contains("@P"), qPrintable(heard.join(' ')));
        QVERIFY(!heard.contains("^Y"));
        QVERIFY(rig.w().cmdReport->isEnabled());
    }
};

QTEST_MAIN(TestAutoTest)
#include "tst_autotest.moc"
