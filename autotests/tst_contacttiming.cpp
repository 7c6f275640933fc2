#include "benchrig.h"

#include "console/relaycatalogue.h"

#include <QGroupBox>
#include <QRegularExpression>

// Contact delay and contact sequence on the whole bench against the simulated kit.
class TestContactTiming : public QObject
{
    Q_OBJECT
    static constexpr int All = catalogue::ChannelCount;

    static Timings quick() { return {{}, std::chrono::milliseconds(5), std::chrono::milliseconds(10),
                                     std::chrono::milliseconds(5)}; }

private slots:
    void delayRunTimesTheChosenChannels_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<int>("waits");
        QTest::newRow("all sixteen, one second apart") << All << 17;
        QTest::newRow("C2 alone") << 6 << 2;
    }
    void delayRunTimesTheChosenChannels()
    {
        QFETCH(int, channel);
        BenchRig rig(catalogue::QNA1K, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        FrmMain &w = rig.w();
        int waits = 0;
        connect(w.tmrTout, &QTimer::timeout, w.tmrTout, [&waits] { ++waits; });
        w.cmbCDChannel->setCurrentIndex(channel);
        w.cmdContactDelay->click();

        QStringList expected{"@V2400"};
        for (int ch = 1; ch <= All; ++ch)
            expected << QString::asprintf("@H%02d", ch);
        QCOMPARE(rig.heard(), channel == All ? expected : QStringList({"@V2400", "@H07"}));
        QTEST(waits, "waits");
        const QString shown = channel == All ? w.cmbCD->itemText(0) : w.lblContactDelay->text();
        const QString name = w.cmbCDChannel->itemText(channel == All ? 0 : channel);
        QVERIFY2(QRegularExpression("^" + name + " - \\d+\\.\\d{3}$").match(shown).hasMatch(), qPrintable(shown));
        if (channel == All) {  // the QNA1K has no contact on D4: the kit gives up on it
            QVERIFY(w.cmbCD->count() == All && w.cmbCD->currentText() == "Results");
            QCOMPARE(w.cmbCD->itemText(All - 1), QStringLiteral("D4 - Timeout"));
            QCOMPARE(bench().ContactDelay[All], 1000.0f);
        }
        QVERIFY(w.FrameCPanel->isEnabled() && w.lblBusy[4]->isHidden() && !w.fields.ContactDelayTest);
    }

    void sequenceRunShowsBothStrings()
    {
        BenchRig rig(0, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        FrmMain &w = rig.w();
        rig.run().contactSequence.cmdContactSequence_Click();  // its button is never shown
        QCOMPARE(rig.heard(), (QStringList{"@V2400", "@K"}));
        QVERIFY(w.FrameCPanel->isEnabled() && w.lblBusy[5]->isHidden() && !w.fields.ContactSeqTest);

        w.link().receiver.dispatch("!,12345678,-4321---\r");
        QCOMPARE(w.lblContactSeq->text(), "NO Contact Seq: 12345678      NC Contact Seq: -4321---");
        QVERIFY(bench().NOSequence == "12345678" && bench().NCSequence == "-4321---");
    }
};

QTEST_MAIN(TestContactTiming)
#include "tst_contacttiming.moc"
