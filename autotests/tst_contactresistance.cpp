#include "benchrig.h"

#include "console/relaycatalogue.h"
#include "platform/atomicfile.h"

#include <QFile>
#include <QGroupBox>
#include <QLocale>
#include <QRegularExpression>
#include <QScopeGuard>

// Contact resistance and the endurance sweep on the whole bench against the simulated kit.
class TestContactResistance : public QObject
{
    Q_OBJECT
    static constexpr int All = catalogue::ChannelCount;
    static Timings quick() { return {{}, std::chrono::milliseconds(5), std::chrono::milliseconds(10),
                                     std::chrono::milliseconds(5)}; }
    // A made contact reads some tens of milliohms; an open one reads over range.
    static bool made(const QString &shown, const QString &channel)
    {
        const auto m = QRegularExpression("^" + channel + " - (\\d+\\.\\d)$").match(shown);
        return m.hasMatch() && m.captured(1).toDouble() > 0 && m.captured(1).toDouble() < 100;
    }

private slots:
    void oneChannelDrivesTheCoilBeforeMeasuring_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QStringList>("commands");
        const QStringList reset{"^Q0000", "^R0", "@A00", "@V0000"};
        QTest::newRow("QTA2 front A1") << catalogue::QTA2 << 0
                                       << QStringList{"@A00", "^R0", "@V0000", "^R1", "^Q0500", "@G01"} + reset;
        QTest::newRow("QNA1 back A3") << 0 << 8 << QStringList{"@A00", "^R0", "@V2400", "@G09"} + reset;
    }
    void oneChannelDrivesTheCoilBeforeMeasuring()
    {
        QFETCH(int, relay);
        QFETCH(int, channel);
        BenchRig rig(relay, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        rig.w().cmbCRChannel->setCurrentIndex(channel);
        rig.w().cmdContactResistance->click();
        QTEST(rig.heard(), "commands");
        QVERIFY(made(rig.w().lblContactResistance->text(), rig.w().cmbCRChannel->currentText()));
        QVERIFY(rig.w().FrameCPanel->isEnabled() && !rig.w().fields.ContactResTest);
    }

    void allChannelRunListsAndFilesEveryChannel_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<int>("energised");  // the coil is switched on only when it was off
        QTest::addColumn<bool>("blocked");   // a folder stands where crval.csv goes
        QTest::newRow("QNA1 8F-8B") << 0 << 1 << false;
        QTest::newRow("QNA1 12F-4B") << 1 << 3 << false;
        QTest::newRow("QNA1K, no contact on D4: file left alone") << catalogue::QNA1K << 2 << false;
        QTest::newRow("results file cannot be written") << 0 << 1 << true;
    }
    void allChannelRunListsAndFilesEveryChannel()
    {
        QFETCH(int, relay);
        QFETCH(bool, blocked);
        BenchRig rig(relay, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        FrmMain &w = rig.w();
        QFile crval(rig.folder.filePath("crval.csv"));
        QVERIFY(blocked ? QDir(rig.folder.path()).mkdir("crval.csv")
                        : platform::replaceFileAtomically(crval.fileName(), "earlier run\r\n").ok);
        w.cmbCRChannel->setCurrentIndex(All);
        w.cmdContactResistance->click();

        QTEST(int(rig.heard().count("@A10")), "energised");
        QVERIFY(w.cmbCR->count() == All && w.cmbCR->currentText() == "Results");
        QByteArray lines;
        for (int ch = 1; ch <= All; ++ch) {
            const QString name = w.cmbCRChannel->itemText(ch - 1), shown = w.cmbCR->itemText(ch - 1);
            if (bench().ContactLayout[relay][ch] == 0)
                QCOMPARE(shown, name + " - X");
            else
                QVERIFY2(made(shown, name) && shown.endsWith(QString::number(double(bench().ContactRes[ch]), 'f', 1)),
                         qPrintable(shown));
            lines += '"' + shown.toLatin1() + "\"\r\n";
        }
        QVERIFY(w.FrameCPanel->isEnabled() && !w.fields.ContactResTest);
        QCOMPARE(rig.prompts.messages.size(), blocked ? 1 : 0);
        if (blocked)
            QVERIFY(rig.prompts.messages[0].text.contains(QDir::toNativeSeparators(crval.fileName())));
        else
            QCOMPARE(crval.open(QIODevice::ReadOnly) ? crval.readAll() : QByteArray(),
                     relay == catalogue::QNA1K ? QByteArray("earlier run\r\n") : lines);
    }

    // comma: on a PC whose decimal separator is ",", which crval.csv takes from the list.
    void readingIsListedOrShown_data()
    {
        QTest::addColumn<bool>("allChannels");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<bool>("comma");
        QTest::addColumn<QString>("shown");
        QTest::newRow("all, 999.0 still a reading") << true << "#09990\r" << false << "C1 - 999.0";
        QTest::newRow("all, 999.5 is open") << true << "#09995\r" << false << "C1 - OFF";
        QTest::newRow("one channel shows any value") << false << "#09995\r" << false << "C1 - 999.5";
        QTest::newRow("all, comma") << true << "#00253\r" << true << "C1 - 25,3";
    }
    void readingIsListedOrShown()
    {
        QFETCH(bool, allChannels);
        QFETCH(QString, frame);
        QFETCH(bool, comma);
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        if (comma)
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        BenchRig rig;
        FrmMain &w = rig.w();
        w.cmbCRChannel->setCurrentIndex(2);
        w.fields.ContactResTest = true;
        w.fields.AllChannels = allChannels;
        w.fields.ChannelNo = 3;
        w.link().receiver.dispatch(frame);
        QTEST(allChannels ? w.cmbCR->itemText(0) : w.lblContactResistance->text(), "shown");
        QCOMPARE(bench().ContactRes[3], allChannels ? bench().ContactRes[0] : 0.0f);
    }

    // No relay to read the contact layout for; or the sweep pressed while a contact
    // run holds the contact readings.
    void startIsRefused_data()
    {
        QTest::addColumn<bool>("sweep");
        QTest::newRow("no relay selected: told so") << false;
        QTest::newRow("sweep during a contact run: nothing") << true;
    }
    void startIsRefused()
    {
        QFETCH(bool, sweep);
        BenchRig rig(0, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        rig.w().cmbType->setCurrentIndex(sweep ? 0 : -1);
        rig.w().fields.ContactResTest = sweep;
        rig.w().lblContactResistance->setText("earlier");
        sweep ? rig.w().cmdSIG->click() : rig.run().contactResistance.cmdContactResistance_Click();
        QTest::qWait(20);
        QVERIFY(rig.heard().isEmpty() && rig.w().lblContactResistance->text().isEmpty());
        QCOMPARE(rig.prompts.messages.size(), sweep ? 0 : 1);
        QCOMPARE(rig.w().fields.ContactResTest, sweep);
    }

    // Coil on for A1..D2 and off for A3..D4 whatever the relay: a QNA1K reads its
    // back contacts A2, D2 and the empty A4..D4 open, and lists no channel as empty.
    void sweepMeasuresEveryChannel()
    {
        BenchRig rig(catalogue::QNA1K, quick());
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        int waits = 0;
        connect(rig.w().tmrTout, &QTimer::timeout, rig.w().tmrTout, [&waits] { ++waits; });
        rig.w().cmdSIG->click();
        QStringList expected{"@V2400", "@A10"};
        for (int ch = 1; ch <= All; ++ch)
            expected << QString::asprintf("@G%02d", ch) << (ch == 8 ? QStringList{"@V0000", "@A00"} : QStringList{});
        QCOMPARE(rig.heard(), expected << "@A00");
        QCOMPARE(waits, 37);
        QStringList listed;
        for (int i = 0; i < rig.w().cmbCR->count(); ++i)
            listed << rig.w().cmbCR->itemText(i);
        QCOMPARE(listed.size(), All);
        QCOMPARE(listed.filter(" - OFF"), QStringList({"A2 - OFF", "D2 - OFF", "A4 - OFF", "B4 - OFF", "C4 - OFF",
                                                       "D4 - OFF"}));
        QCOMPARE(listed.filter(QRegularExpression(" - \\d+\\.\\d$")).size(), All - 6);
        QVERIFY(rig.w().FrameCPanel->isEnabled() && QFile::exists(rig.folder.filePath("crval.csv")));
    }
};

QTEST_MAIN(TestContactResistance)
#include "tst_contactresistance.moc"
