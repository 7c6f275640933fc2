#include "benchrig.h"

#include "console/relaycatalogue.h"

#include <QGroupBox>

// Coil resistance on the whole bench against the simulated kit.
class TestCoilResistance : public QObject
{
    Q_OBJECT

private slots:
    void measuresEveryCoil_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QStringList>("commands");
        QTest::newRow("QNA1") << 0 << QStringList{"@R"};
        QTest::newRow("QL1: coil 1 pulsed, coil 2 measured and pulsed")
            << catalogue::QL1 << QStringList{"@R", "@V2400", "@A10", "@A00", "&R", "&A10", "&A00", "@V0000"};
    }
    void measuresEveryCoil()
    {
        QFETCH(int, relay);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        QTRY_VERIFY(rig.heard().contains("@V0000"));  // the port check has switched the supply off
        rig.forgetHeard();
        FrmMain &w = rig.w();
        bool busyThroughout = true;
        connect(&rig.kit(), &SimulatedKit::commandReceived, this, [&](const QString &command) {
            busyThroughout &= command == "?D" || (!w.lblBusy[0]->isHidden() && !w.FrameCPanel->isEnabled());
        });

        w.cmdCoilResistance->click();
        QTRY_VERIFY_WITH_TIMEOUT(w.lblBusy[0]->isHidden(), 3000);
        QTEST(rig.heard(), "commands");
        QVERIFY(busyThroughout && w.FrameCPanel->isEnabled());
        const auto log = rig.kit().commandLog();  // coil 2 on, then off, a full settle time each
        for (qsizetype i = 1; i < log.size(); ++i)
            QVERIFY(!log[i - 1].text.startsWith("&A") || log[i - 1].when.msecsTo(log[i].when) >= 15);
    }

    // Coil 1 reads up to 1200 ohms, coil 2 only up to 1000.
    void showsAReadingBeyondTheMeterAsError_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("shown");
        QTest::newRow("coil 1 at 1200.0") << "R=12000\r" << "lblOhms" << "ERROR";
        QTest::newRow("coil 1 at 1199.9") << "R=11999\r" << "lblOhms" << "1199.9";
        QTest::newRow("coil 1 at 1000.0") << "R=10000\r" << "lblOhms" << "1000.0";
        QTest::newRow("coil 2 at 1000.0") << "Q=10000\r" << "lblOhms2" << "ERROR";
    }
    void showsAReadingBeyondTheMeterAsError()
    {
        QFETCH(QString, frame);
        QFETCH(QString, label);
        BenchRig rig;
        rig.w().link().receiver.dispatch(frame);
        QTEST(rig.w().findChild<QLabel *>(label)->text(), "shown");
    }

    // Started again while the kit is still measuring: it must not be asked twice.
    void startsOnce()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        rig.kit().setFaults(KitFaults{.silent = true});
        rig.run().coilResistance.cmdCoilResistance_Click();
        QTRY_VERIFY(rig.heard().contains("@R"));
        rig.run().coilResistance.cmdCoilResistance_Click();
        QTest::qWait(50);
        QCOMPARE(rig.heard().count("@R"), 1);
    }
};

QTEST_MAIN(TestCoilResistance)
#include "tst_coilresistance.moc"
