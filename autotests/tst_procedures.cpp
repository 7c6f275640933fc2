#include "benchrig.h"

#include "console/monitor/benchmonitor.h"
#include "console/record/relaycatalogue.h"
#include "kitsim/relaymodel.h"
#include "tests/frmdropaway.h"
#include "testfiles.h"

#include <QComboBox>
#include <QFile>
#include <QGuiApplication>
#include <QLocale>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>

using namespace catalogue;

// Every procedure of the bench against the simulated kit: what the kit hears, in
// order, and what the window shows and the bench record keeps afterwards.
class TestProcedures : public QObject
{
    Q_OBJECT

    static QString fixed(double value, int decimals) { return QString::number(value, 'f', decimals); }
    static QString reading(int relay, int channel)
    {
        return fixed(kitsim::madeContactTenthMilliohms(relay, channel) / 10.0, 1);
    }
    // " @G01 @G02 ...": the command of each channel from .. to, each after a blank.
    static QString channels(const char *command, int from, int to)
    {
        QString list;
        for (int channel = from; channel <= to; ++channel)
            list += QString::asprintf(" %s%02d", command, channel);
        return list;
    }

    // Presses the buttons of steps ("cmdCoilResistance cmdPickUp"), each once the one
    // before has ended; the kit's log starts with the last.
    static bool press(BenchRig &rig, const QString &steps, int channelEntry, int &waits)
    {
        if (channelEntry >= 0) {
            control<QComboBox>(rig.w(), "cmbCRChannel").setCurrentIndex(channelEntry);
            control<QComboBox>(rig.w(), "cmbCDChannel").setCurrentIndex(channelEntry);
        }
        const QStringList buttons = steps.split(' ');
        for (const QString &button : buttons) {
            if (button == buttons.constLast()) {
                rig.forgetHeard();
                waits = 0;
            }
            rig.w().findChild<QPushButton *>(button)->click();
            if (!rig.waitUntilIdle())
                return false;
        }
        return true;
    }

private slots:
    void procedureSendsItsCommandsAndShowsItsResult_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<int>("channelEntry");  // of both channel selectors; -1 leaves them
        QTest::addColumn<QStringList>("commands");
        QTest::addColumn<QStringList>("shown");  // "objectName=text"
        QTest::addColumn<int>("waits");          // fixed waits (tmrTout ticks) of the last step
        const auto &qna1 = kitsim::relayModel(0);
        const auto &ql1 = kitsim::relayModel(QL1);
        const auto &qta2 = kitsim::relayModel(QTA2);
        const QString reset = " ^Q0000 ^R0 @A00 @V0000";
        // commands parted by blanks, shown by '|'
        const auto row = [](const char *name, int relay, const char *steps, int channelEntry, const QString &commands,
                            const QString &shown, int waits) {
            QTest::newRow(name) << relay << QString::fromLatin1(steps) << channelEntry << commands.split(' ')
                                << shown.split('|') << waits;
        };
        row("coil", 0, "cmdCoilResistance", -1, "@R", "lblOhms=" + fixed(qna1.coilOhms, 1), 0);
        row("QL1 coil: coil 1 pulsed, coil 2 measured and pulsed", QL1, "cmdCoilResistance", -1,
            "@R @V2400 @A10 @A00 &R &A10 &A00 @V0000",
            "lblOhms=" + fixed(ql1.coilOhms, 1) + "|lblOhms2=" + fixed(ql1.coil2Ohms, 1), 7);
        row("pick-up", 0, "cmdCoilResistance cmdPickUp", -1, "@P ?P", "lblPUV=" + fixed(qna1.pickUpVolts, 2), 0);
        row("QL1 pick-up goes on through coil 2", QL1, "cmdCoilResistance cmdPickUp", -1, "@P ?P @V0000 @A00 &A10 @p ?p",
            "lblPUV=" + fixed(ql1.pickUpVolts, 2) + "|lblDAV=" + fixed(ql1.coil2PickUpVolts, 2), 3);
        row("QTA2 pick-up in milliamperes", QTA2, "cmdCoilResistance cmdPickUp", -1, "^Y *P",
            "lblPUV=" + fixed(std::round(kitsim::pickUpMilliamps(qta2)), 0), 0);
        row("QTA2 drop-away in milliamperes", QTA2, "cmdCoilResistance cmdDropAway", -1, "^Z *A",
            "lblDAV=" + fixed(std::round(kitsim::dropAwayMilliamps(qta2)), 0), 0);
        row("QTA2 front A1: current source", QTA2, "cmdContactResistance", 0, "@A00 ^R0 @V0000 ^R1 ^Q0500 @G01" + reset,
            "lblContactResistance=A1 - " + reading(QTA2, 1), 11);
        row("back A3: coil stays off", 0, "cmdContactResistance", 8, "@A00 ^R0 @V2400 @G09" + reset,
            "lblContactResistance=A3 - " + reading(0, 9), 9);
        row("all channels, coil on once", 0, "cmdContactResistance", 16,
            "@A00 ^R0 @V2400 @A10" + channels("@G", 1, 8) + " @A00" + channels("@G", 9, 16) + " @A00 @V0000",
            "cmbCR=Results", 39);
        row("delay of one channel", QSPA1, "cmdContactDelay", 10, "@V2400 @H11",
            "lblContactDelay=C3 - " + fixed(kitsim::transferMicros(QSPA1, 11) / 1000.0, 3), 2);
        row("delay of all channels, every one timed", QSPA1, "cmdContactDelay", 16, "@V2400" + channels("@H", 1, 16),
            "cmbCD=Results", 17);
        row("sequence", 0, "cmdContactSequence", -1, "@V2400 @K",
            "lblContactSeq=NO Contact Seq: " + kitsim::contactSequence(0, true)
                + "      NC Contact Seq: " + kitsim::contactSequence(0, false), 2);
        row("SIG endurance, whatever the layout", QNA1K, "cmdSIG", -1,
            "@V2400 @A10" + channels("@G", 1, 8) + " @V0000 @A00" + channels("@G", 9, 16) + " @A00", "cmbCR=Results", 37);
        row("automatic test, QTA2", QTA2, "cmdAuto", -1,
            "@V0000 @A00 @R ^Y *P ^Z *A @A00 ^R0 @V0000 ^R1 ^Q0500 @G01 @G04 ^Q0000 ^R0 @G12 ^R0 ^Q0000",
            "cmdReport=enabled", 21);
    }

    void procedureSendsItsCommandsAndShowsItsResult()
    {
        QFETCH(int, relay);
        QFETCH(QString, steps);
        QFETCH(int, channelEntry);
        QFETCH(QStringList, shown);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        control<QPushButton>(rig.w(), "cmdReport").setEnabled(false);
        int waits = 0;
        connect(&control<QTimer>(rig.w(), "tmrTout"), &QTimer::timeout, this, [&waits] { ++waits; });
        QVERIFY(press(rig, steps, channelEntry, waits));
        QTEST(rig.heard(), "commands");
        QTEST(waits, "waits");
        for (const QString &expected : std::as_const(shown)) {
            const QString name = expected.section('=', 0, 0), text = expected.section('=', 1);
            if (text == QLatin1String("enabled"))
                QVERIFY(rig.w().findChild<QWidget *>(name)->isEnabled());
            else if (auto *list = rig.w().findChild<QComboBox *>(name))
                QCOMPARE(list->currentText(), text);
            else
                QCOMPARE(rig.w().findChild<QLabel *>(name)->text(), text);
        }
        QVERIFY(rig.prompts.messages.isEmpty());
    }
    // The kit leaves the coil where the relay let go; the operator lowers it by
    // tenths and confirms, or cancels. The dialog opens inside the handling of the
    // kit's "%" answer and must still see the live voltage follow.
    void dropAwayIsConfirmedByHand_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("complete");
        QTest::newRow("Complete") << 5 << true;
        QTest::newRow("Cancel") << 2 << false;
        QTest::newRow("held at 0 V") << 63 << true;  // the relay lets go at 6.10 V
    }

    void dropAwayIsConfirmedByHand()
    {
        QFETCH(int, presses);
        QFETCH(bool, complete);
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        rig.record.CoilResistance1 = float(kitsim::relayModel(0).coilOhms);
        // Where the kit leaves the coil, and what each press asks of it from there.
        const double letGo = kitsim::relayModel(0).dropAwayVolts;
        QStringList setpoints;
        for (int press = 1; press <= presses; ++press)
            setpoints << QString::asprintf("@V%04ld", std::lround(std::max(0.0, letGo - 0.1 * press) * 100));
        const QString last = fixed(std::max(0.0, letGo - 0.1 * presses), 2);

        QString seen;
        bool pressed = false;
        QTimer operatorAtTheDialog;
        operatorAtTheDialog.callOnTimeout([&] {
            auto *dialog = w.findChild<FrmDropAway *>(QStringLiteral("frmDropAway"));
            if (!dialog || !dialog->isVisible())
                return;
            if (!std::exchange(pressed, true)) {
                rig.forgetHeard();
                for (int i = 0; i < presses; ++i)
                    control<QPushButton>(*dialog, "cmdDecrease").click();
            }
            seen = control<QLabel>(*dialog, "lblVoltage").text();
            if (rig.heard().size() == setpoints.size() && seen == last)
                control<QPushButton>(*dialog, complete ? "cmdComplete" : "cmdCancel").click();
        });
        operatorAtTheDialog.start(5);
        control<QPushButton>(w, "cmdDropAway").click();
        QTRY_VERIFY_WITH_TIMEOUT(control<QLabel>(w, "lblDAV").text().contains('/'), 10000);
        QCOMPARE(rig.heard(), setpoints);
        QCOMPARE(seen, last);
        QCOMPARE(control<QLabel>(w, "lblDAV").text(), fixed(letGo, 2) + '/' + (complete ? last : "0.00"));
    }

    // The kit answers the run's command with frame; the run shows it as the bench
    // reads it and keeps the value. preset: the coil resistance a ramp starts from.
    void resultFrameIsShownAndKept_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("channelEntry");
        QTest::addColumn<float>("preset");
        QTest::addColumn<QString>("answer");  // "command:frame", the kit's answer to command changed
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("kept");    // "value=field of the bench record", when the frame fills one
        const auto row = [](const char *name, int relay, const char *button, int entry, float preset,
                            const char *answer, const char *display, const char *shown, const char *kept) {
            QTest::newRow(name) << relay << QString::fromLatin1(button) << entry << preset << QString::fromLatin1(answer)
                                << QString::fromLatin1(display) << QString::fromLatin1(shown) << QString::fromLatin1(kept);
        };
        row("coil 1 reads to 1200 ohms", 0, "cmdCoilResistance", -1, 0, "@R:R=12000", "lblOhms", "ERROR",
            "1200=CoilResistance1");
        row("coil 1 just below", 0, "cmdCoilResistance", -1, 0, "@R:R=11999", "lblOhms", "1199.9",
            "1199.9=CoilResistance1");
        row("coil 2 reads to 1000 ohms", QL1, "cmdCoilResistance", -1, 0, "&R:Q=10000", "lblOhms2", "ERROR",
            "1000=CoilResistance2");
        row("pick-up that never moved", 0, "cmdPickUp", -1, 500, "?P:*:0000 I0000", "lblPUV", "Error",
            "0=PickUpVoltage");
        row("pick-up current gives volts across the coil", QTA2, "cmdPickUp", -1, 9, "*P:>V0000 I0120", "lblPUV",
            "120", "1.08=PickUpVoltage");
        row("all channels: 999.0 is a reading", 0, "cmdContactResistance", AllChannelsEntry, 0, "@G03:#09990",
            "cmbCR", "C1 - 999.0", "999=ContactRes3");
        row("all channels: above 999 is open", 0, "cmdContactResistance", AllChannelsEntry, 0, "@G03:#09995",
            "cmbCR", "C1 - OFF", "999.5=ContactRes3");
        row("one channel shows any value", 0, "cmdContactResistance", 2, 0, "@G03:#09995", "lblContactResistance",
            "C1 - 999.5", "999.5=ContactRes0");
        row("comma locale", 0, "cmdContactResistance", AllChannelsEntry, 0, "@G03:#00253", "cmbCR", "C1 - 25,3",
            "25.3=ContactRes3");
        row("delay with a high part", QSPA1, "cmdContactDelay", 2, 0, "@H03:&123451", "lblContactDelay",
            "C1 - 77.881", "77.881=ContactDelay0");
        row("delay timed out", QSPA1, "cmdContactDelay", AllChannelsEntry, 0, "@H03:&00000@", "cmbCD",
            "C1 - Timeout", "1000=ContactDelay3");
        row("sequence", 0, "cmdContactSequence", -1, 0, "@K:!:NNNNNNNN:CCCCCCCC", "lblContactSeq",
            "NO Contact Seq: NNNNNNNN      NC Contact Seq: CCCCCCCC", "");
        row("unreadable sequence still ends the run", 0, "cmdContactSequence", -1, 0, "@K:x:NNNNNNNN:CCCCCCCC",
            "lblContactSeq", "", "");
    }

    void resultFrameIsShownAndKept()
    {
        QFETCH(int, relay);
        QFETCH(QString, button);
        QFETCH(int, channelEntry);
        QFETCH(float, preset);
        QFETCH(QString, answer);
        QFETCH(QString, display);
        QFETCH(QString, kept);
        const auto restore = qScopeGuard([] { QLocale::setDefault(QLocale::system()); });
        if (QString(QTest::currentDataTag()) == "comma locale")
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        KitFaults faults;
        QVERIFY(addFault(QString("answer=" + answer), faults));
        rig.kit().setFaults(faults);
        if (preset > 0)
            rig.record.CoilResistance1 = preset;
        int waits = 0;
        QVERIFY(press(rig, button, channelEntry, waits));

        const auto *list = rig.w().findChild<QComboBox *>(display);
        QTEST(list ? list->itemText(2) : control<QLabel>(rig.w(), display).text(), "shown");
        if (list)
            QCOMPARE(list->currentText(), QStringLiteral("Results"));
        const QHash<QString, float> values{{"CoilResistance1", rig.record.CoilResistance1},
                                           {"CoilResistance2", rig.record.CoilResistance2},
                                           {"PickUpVoltage", rig.record.PickUpVoltage},
                                           {"ContactRes0", rig.record.ContactRes[0]},
                                           {"ContactRes3", rig.record.ContactRes[3]},
                                           {"ContactDelay0", rig.record.ContactDelay[0]},
                                           {"ContactDelay3", rig.record.ContactDelay[3]}};
        if (!kept.isEmpty())
            QCOMPARE(values.value(kept.section('=', 1), -1), kept.section('=', 0, 0).toFloat());
        QVERIFY(rig.kit().faults().answerChanges.isEmpty());  // the changed answer was the one taken
    }

    // A reading that comes after its run has ended is taken as the bench always has:
    // an all-channel run leaves its channel one past the last, so the reading is
    // listed as "ALL" and kept in the slot after D4; a delay likewise. After a run
    // that was stopped it is only noted: a Stop is final.
    void readingAfterItsRunIsStillTaken_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("thenStopped");  // a second run, stopped at its third channel
        QTest::addColumn<QString>("listed");
        QTest::addColumn<float>("kept");
        QTest::newRow("contact resistance") << 0 << "cmdContactResistance" << "#00253\r" << "cmbCR" << false
                                            << "ALL - 25.3" << 25.3f;
        QTest::newRow("contact delay") << int(QSPA1) << "cmdContactDelay" << "&123451\r" << "cmbCD" << false
                                       << "ALL - 77.881" << 77.881f;
        QTest::newRow("contact resistance after a stopped run")
            << 0 << "cmdContactResistance" << "#00253\r" << "cmbCR" << true << "" << 0.0f;
    }

    void readingAfterItsRunIsStillTaken()
    {
        QFETCH(int, relay);
        QFETCH(QString, button);
        QFETCH(QString, frame);
        QFETCH(QString, list);
        QFETCH(bool, thenStopped);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        int waits = 0;
        QVERIFY(press(rig, button, AllChannelsEntry, waits));
        const auto *results = rig.w().findChild<QComboBox *>(list);
        QCOMPARE(results->count(), ChannelCount);
        if (thenStopped) {
            connect(&rig.kit(), &SimulatedKit::commandReceived, this, [&rig](const QString &command) {
                if (command.endsWith("03"))
                    QTimer::singleShot(0, &rig.w(), [&rig] { control<QAction>(rig.w(), "actStop").trigger(); });
            });
            rig.w().findChild<QPushButton *>(button)->click();
            QVERIFY(rig.waitUntilIdle());
        }
        const int listedBefore = results->count();
        rig.w().link().receiver.dispatch(frame);
        QCOMPARE(results->count(), listedBefore + (thenStopped ? 0 : 1));
        QTEST(results->itemText(ChannelCount), "listed");
        QCOMPARE(results->currentText(), QStringLiteral("Results"));
        const auto &values = list == "cmbCR" ? rig.record.ContactRes : rig.record.ContactDelay;
        QTEST(values[ChannelCount + 1], "kept");
        QVERIFY(control<QGroupBox>(rig.w(), "FrameCPanel").isEnabled());
    }

    // The relay is read where each step uses it: an operator who changes the style
    // during a contact run has the rest of the run worked the new relay's way (here
    // the QTA2 track relay, from the current source).
    void styleChangedDuringARunIsFollowed()
    {
        BenchRig rig(0);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(AllChannelsEntry);
        connect(&rig.kit(), &SimulatedKit::commandReceived, this, [&w](const QString &command) {
            if (command == "@G01")
                control<QComboBox>(w, "cmbType").setCurrentIndex(QTA2);
        });
        rig.forgetHeard();
        control<QPushButton>(w, "cmdContactResistance").click();
        QVERIFY(rig.waitUntilIdle(20000));
        const QStringList heard = rig.heard();
        const qsizetype changed = heard.indexOf("@G01");
        QVERIFY(changed > 0);
        QCOMPARE(heard.mid(0, changed).filter(QRegularExpression("^\\^")), (QStringList{"^R0"}));
        QVERIFY2(heard.mid(changed).contains("^R1") && heard.mid(changed).contains("^Q0500"), qPrintable(heard.join(' ')));
        QCOMPARE(heard.mid(heard.size() - 2), (QStringList{"^R0", "^Q0000"}));
    }

    // The coil resistance measured decides whether a ramp may start, and how.
    void rampStartFollowsTheCoil_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<float>("ohms");
        QTest::addColumn<QString>("told");  // or the start command heard
        QTest::newRow("100 ohms: volts") << 0 << 100.0f << "@P";
        QTest::newRow("1200 ohms: volts") << 0 << 1200.0f << "@P";
        QTest::newRow("above 1200") << 0 << 1200.1f << "Coil Resistance too high or open!";
        QTest::newRow("not measured yet") << 0 << 0.0f << "Coil Resistance too low or short!";
        QTest::newRow("QTA2 9 ohms: milliamperes") << QTA2 << 9.0f << "^Y";
        QTest::newRow("QTA2 6 ohms") << QTA2 << 6.0f << "Coil Resistance too low or short!";
    }

    void rampStartFollowsTheCoil()
    {
        QFETCH(int, relay);
        QFETCH(float, ohms);
        QFETCH(QString, told);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        rig.forgetHeard();
        rig.record.CoilResistance1 = ohms;
        control<QPushButton>(rig.w(), "cmdPickUp").click();
        control<QPushButton>(rig.w(), "cmdPickUp").click();  // a second press while armed asks nothing more
        if (told.startsWith('@') || told.startsWith('^')) {
            QTRY_VERIFY(!rig.heard().isEmpty());
            QTest::qWait(50);
            QCOMPARE(rig.heard().first(), told);
            QCOMPARE(rig.heard().count(told), 1);
            QVERIFY(rig.prompts.messages.isEmpty());
            return;
        }
        QCOMPARE(rig.prompts.messages.size(), 2);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Coil Resistance error"));
        QCOMPARE(rig.prompts.messages[0].text, told);
        QCOMPARE(rig.prompts.messages[0].icon, platform::PromptIcon::Critical);
        QTest::qWait(50);
        QVERIFY(rig.heard().isEmpty());
    }
    // The operator's Stop: the procedure ends where it stands, the kit is left safe
    // once, and what was measured before stays. stopAt: the command the kit hears
    // (or "dialog") when the operator presses Escape, or the Bench Monitor's Stop.
    void stopLeavesTheKitSafe_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("stopAt");
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("fromMonitor");
        QTest::newRow("all-channel contact run") << 0 << "cmdContactResistance" << "@G03" << 1 << false;
        QTest::newRow("pressed twice, made safe once") << 0 << "cmdContactResistance" << "@G03" << 2 << false;
        QTest::newRow("from the Bench Monitor") << 0 << "cmdContactResistance" << "@G03" << 1 << true;
        QTest::newRow("QL1's second-coil step in the poll tick") << QL1 << "cmdCoilResistance" << "@A10" << 1 << false;
        QTest::newRow("automatic test at the Drop Away Test dialog") << 0 << "cmdAuto" << "dialog" << 1 << false;
        QTest::newRow("nothing running: nothing sent") << 0 << "" << "" << 1 << false;
    }

    void stopLeavesTheKitSafe()
    {
        QFETCH(int, relay);
        QFETCH(QString, button);
        QFETCH(QString, stopAt);
        QFETCH(int, presses);
        QFETCH(bool, fromMonitor);
        BenchRig rig(relay);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        if (fromMonitor)
            w.showBenchMonitor();
        QFile::remove(rig.folder.filePath("crval.csv"));
        const auto stop = [&w, presses, fromMonitor] {
            for (int i = 0; i < presses; ++i)
                fromMonitor ? w.benchMonitor()->cmdStop->click() : QTest::keyClick(&w, Qt::Key_Escape);
        };
        connect(&rig.kit(), &SimulatedKit::commandReceived, this, [&](const QString &command) {
            if (command == stopAt)
                QTimer::singleShot(0, &w, stop);
        });
        QTimer atTheDialog;
        atTheDialog.callOnTimeout([&] {
            if (stopAt == "dialog" && w.findChild<FrmDropAway *>() && w.findChild<FrmDropAway *>()->isVisible()) {
                atTheDialog.stop();
                control<QAction>(w, "actStop").trigger();  // the dialog has the keyboard; the menu entry still works
            }
        });
        atTheDialog.start(5);
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(16);
        rig.forgetHeard();
        if (button.isEmpty())
            stop();
        else
            w.findChild<QPushButton *>(button)->click();
        QVERIFY(rig.waitUntilIdle());
        QTest::qWait(100);  // a few poll periods: nothing but live queries afterwards

        const QStringList heard = rig.heard();
        const bool stopped = !button.isEmpty();
        QCOMPARE(w.link().log.formatted().contains("Stop"), stopped);
        QCOMPARE(heard.mid(heard.size() - (stopped ? SafeSequence.size() : 0)), stopped ? SafeSequence : QStringList{});
        if (stopped && stopAt == "dialog")
            QCOMPARE(heard.mid(heard.indexOf("?A") + 1, -1).count("&A00"), 1);
        else if (stopped)  // nothing between the command it stopped at and the safe sequence
            QCOMPARE(heard.mid(heard.indexOf(stopAt) + 1), SafeSequence);
        for (const Request request : {Request::CoilResRequest, Request::Coil2ResRequest, Request::DropAwayVRequest})
            QVERIFY(!w.link().poll.isOpen(request));
        QVERIFY(!w.procedures().contactRuns.ContactResTest.taken() && !w.link().poll.pollHold());
        QVERIFY(!w.findChild<FrmDropAway *>());
        // What was measured stays; the results file only comes from a run that ended.
        if (button == "cmdContactResistance") {
            const auto &cmbCR = control<QComboBox>(w, "cmbCR");
            QVERIFY(cmbCR.count() >= 2 && cmbCR.itemText(0).startsWith("A1 - "));
            QCOMPARE(cmbCR.currentText(), QStringLiteral("Results"));  // no longer "Testing ..."
        }
        if (button == "cmdAuto")
            QVERIFY(rig.record.CoilResistance1 > 0 && control<QLabel>(w, "lblPUV").isVisibleTo(&w));
        QVERIFY(!QFile::exists(rig.folder.filePath("crval.csv")));
    }
    // Closing the window in the middle of a run (the same as a stop signal): the run
    // is stopped and the kit made safe before the window goes, the settings are saved,
    // and everything the run held is released; the sanitizer build finds any leak.
    void closingTheWindowMakesTheKitSafeFirst()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.show();
        QFile::remove(rig.folder.filePath("art.cfg"));
        control<QComboBox>(w, "cmbPortNo").setCurrentIndex(2);
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(16);
        control<QPushButton>(w, "cmdContactResistance").click();
        QTRY_VERIFY(rig.heard().contains("@G03"));
        rig.forgetHeard();
        QSignalSpy closed(&w, &FrmMain::closed);
        QVERIFY(!w.close());  // not yet: the kit is still on
        QVERIFY(w.isVisible() && !QFile::exists(rig.folder.filePath("art.cfg")));
        QVERIFY(!w.close());  // a second close does not cut the safe sequence short
        QTRY_COMPARE(closed.size(), 1);
        QVERIFY(!w.isVisible() && w.link().waits.idle());
        QCOMPARE(rig.heard(), SafeSequence);
        QVERIFY(readFile(rig.folder.filePath("art.cfg")).startsWith("3\r\n"));
        QTest::qWait(100);
        QCOMPARE(rig.heard().size(), 5);
    }

    // A procedure that ends on a fault of the program (an exception; an answer asked
    // for that another run already waits for) ends where it stands: the operator is
    // told, the kit is made safe, and the bench goes on.
    void aProcedureEndingOnAFaultMakesTheKitSafe_data()
    {
        QTest::addColumn<bool>("askTwice");
        QTest::newRow("an exception") << false;
        QTest::newRow("an answer asked for twice") << true;
    }

    void aProcedureEndingOnAFaultMakesTheKitSafe()
    {
        QFETCH(bool, askTwice);
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        Procedures &procedures = rig.w().procedures();
        rig.forgetHeard();
        procedures.launch([](const Bench &bench, bool twice) -> platform::Task {
            bench.link.commands.send(QStringLiteral("@A10"));
            co_await bench.link.wait.hold();
            AwaitedAnswers::Pending first(bench.link.answers, bench.link.waits, wire::FrameKind::ContactRes);
            if (!twice)
                throw std::runtime_error("a fault of the program");
            AwaitedAnswers::Pending second(bench.link.answers, bench.link.waits, wire::FrameKind::ContactRes);
            co_await second;
        }(procedures.bench, askTwice));
        QVERIFY(rig.waitUntilIdle());
        QCOMPARE(rig.heard(), QStringList{"@A10"} + SafeSequence);
        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Test stopped"));
        QVERIFY(rig.w().link().log.formatted().contains("test ended on a fault"));
        QVERIFY(!rig.w().link().answers.anyOpen());
        rig.forgetHeard();
        control<QPushButton>(rig.w(), "cmdCoilResistance").click();
        QVERIFY(rig.waitUntilIdle());
        QCOMPARE(rig.heard(), QStringList{"@R"});
    }

    // A Stop asked for from inside a procedure comes once the procedure waits, never
    // in the middle of what it does: the safe sequence is the last the kit hears.
    void aStopFromInsideAProcedureComesWhenItWaits()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        rig.forgetHeard();
        w.procedures().launch([](FrmMain &window) -> platform::Task {
            TestRun test(window.procedures().bench, BenchView::Busy::CoilResistance, QString());
            control<QAction>(window, "actStop").trigger();
            window.link().commands.send(QStringLiteral("@A10"));
            co_await window.link().wait.hold();
            window.link().commands.send(QStringLiteral("&A10"));
        }(w));
        QVERIFY(rig.waitUntilIdle());
        QCOMPARE(rig.heard(), QStringList{"@A10"} + SafeSequence);
        QVERIFY(!rig.kit().outputs().coil1On && !rig.kit().outputs().coil2On);
    }

    // The Drop Away Test dialog has the operator's hands, but not the main window's
    // close box (which a modal dialog would swallow): closing there is taken as
    // Cancel, then the close, with the kit made safe first.
    void closingAtTheDropAwayDialogIsCancelThenClose()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.show();
        rig.record.CoilResistance1 = float(kitsim::relayModel(0).coilOhms);
        control<QPushButton>(w, "cmdDropAway").click();
        QTRY_VERIFY(w.findChild<FrmDropAway *>() && w.findChild<FrmDropAway *>()->isVisible());
        QCOMPARE(QGuiApplication::modalWindow(), nullptr);  // nothing blocks the close box
        rig.forgetHeard();
        QTest::mouseClick(&control<QPushButton>(w, "cmdCoilResistance"), Qt::LeftButton);
        QTest::qWait(50);
        QCOMPARE(rig.heard(), QStringList{});  // the click went nowhere

        QSignalSpy closed(&w, &FrmMain::closed);
        QVERIFY(!w.close());
        QVERIFY(!w.findChild<FrmDropAway *>() || !w.findChild<FrmDropAway *>()->isVisible());
        QTRY_COMPARE(closed.size(), 1);
        QCOMPARE(rig.heard(), SafeSequence);
        QCOMPARE(rig.record.ManualDropAwayVoltage, 0.0f);
    }

    // Closed during the kit check at start-up: nothing runs, so the window goes at
    // once, and the check it cut short does not go on to poll a kit nobody watches.
    void closingDuringTheKitCheckEndsIt()
    {
        using std::chrono::milliseconds;
        BenchRig rig(0, {milliseconds(0), milliseconds(5), milliseconds(10), milliseconds(1000)});
        FrmMain &w = rig.w();
        w.show();
        QTRY_VERIFY(!w.link().waits.idle());  // the check waits a whole second for the kit's "OK"
        QVERIFY(w.close());
        QVERIFY(w.link().waits.idle());
        rig.forgetHeard();
        QTest::qWait(1500);  // longer than the check's wait
        QCOMPARE(rig.heard(), QStringList{});
    }
};

QTEST_MAIN(TestProcedures)
#include "tst_procedures.moc"
