#include "linkdoubles.h"

#include "kitlink/kitlink.h"

#include <QTest>

// How the bench turns what arrives on the line into frames, and what each frame does.
class TestReceiveHandler : public QObject
{
    Q_OBJECT

    struct Rig : LinkRig {
        QStringList handled;  // "kind:frame" for every result frame handed on

        Rig()
        {
            port.setReceiveEvents(true);
            ResultHandlers &r = link.receiver.results;
            const auto record = [this](const char *kind) {
                return [this, kind](const QString &frame) { handled << QString::fromLatin1(kind) + ':' + frame; };
            };
            r.coilResistance1 = record("R");
            r.coilResistance2 = record("Q");
            r.pickUp = record("*");
            r.coil2PickUp = record("-");
            r.dropAway = record("%");
            r.pickUpCurrent = record(">");
            r.dropAwayCurrent = record("!");
            r.contactResistance = record("#");
            r.delay = record("&");
            r.sequence = record("seq");
        }
        // Each piece arrives, and the event loop turns once as it does between arrivals.
        void receive(const QList<QByteArray> &pieces)
        {
            for (const QByteArray &piece : pieces) {
                port.kitSends(piece);
                QCoreApplication::sendPostedEvents();
            }
        }
    };

private slots:
    void init() { bench() = BenchRecord{}; }

    void shouldHandOnEachResultFrameToItsOwner_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("owner");
        QTest::newRow("coil 1") << QByteArray("R=04512\r") << "R";
        QTest::newRow("coil 2") << QByteArray("Q=04800\r") << "Q";
        QTest::newRow("delay") << QByteArray("&123451\r") << "&";
        QTest::newRow("contact") << QByteArray("#00253\r") << "#";
        QTest::newRow("pick-up") << QByteArray("*V1650 I0312\r") << "*";
        QTest::newRow("coil-2 pick-up") << QByteArray("-V1650 I0312\r") << "-";
        QTest::newRow("drop-away") << QByteArray("%V0520 I0101\r") << "%";
        QTest::newRow("pick-up current") << QByteArray(">V0000 I0312\r") << ">";
        QTest::newRow("drop-away current") << QByteArray("!V0000 I0101\r") << "!";
        QTest::newRow("sequence") << QByteArray("!:ABCDEFGH:IJKLMNOP\r") << "seq";
        QTest::newRow("sequence with any first char") << QByteArray("x:ABCDEFGH:IJKLMNOP\r") << "seq";
    }

    void shouldHandOnEachResultFrameToItsOwner()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, owner);
        Rig rig;
        rig.receive({frame});
        QCOMPARE(rig.handled, QStringList{owner + ':' + QString::fromLatin1(frame)});
        QVERIFY(rig.fields.RxBuffer.isEmpty());
    }

    void shouldDiscardWhatIsNoFrame_data()
    {
        QTest::addColumn<QList<QByteArray>>("pieces");
        QTest::newRow("OK answer") << QList<QByteArray>{"OK\r"};
        QTest::newRow("known length, unknown mark") << QList<QByteArray>{"X=04512\r"};
        QTest::newRow("two frames in one piece") << QList<QByteArray>{"R=04512\rQ=04800\r"};
        QTest::newRow("stray text before a frame") << QList<QByteArray>{"zz", "R=04512\r"};
        QTest::newRow("frame cut short") << QList<QByteArray>{"R=045\r"};
        QTest::newRow("CR LF after a frame") << QList<QByteArray>{"#00253\r\n"};
        QTest::newRow("text without end, then a frame")
            << QList<QByteArray>{QByteArray(5000, 'x'), "R=04512\r"};
    }

    void shouldDiscardWhatIsNoFrame()
    {
        QFETCH(QList<QByteArray>, pieces);
        Rig rig;
        rig.receive(pieces);
        QVERIFY2(rig.handled.isEmpty(), qPrintable(rig.handled.join(',')));
        QCOMPARE(rig.view.liveUpdates, 0);
    }

    void shouldJoinPiecesIntoOneFrame()
    {
        Rig rig;
        rig.receive({"V:", "24", "00I", ":0512 F\r"});
        QCOMPARE(rig.view.liveUpdates, 1);
        QCOMPARE(rig.view.volts, QStringLiteral("24.0"));
        QCOMPARE(rig.view.milliamps, QStringLiteral("51.2"));
    }

    void shouldStartCleanAfterADiscardedText()
    {
        Rig rig;
        rig.receive({"garbage\r", "R=04512\r"});
        QCOMPARE(rig.handled, QStringList{"R:R=04512\r"});
    }

    void shouldKeepMemoryBoundedWhileTextArrivesWithoutCarriageReturns()
    {
        Rig rig;
        for (int i = 0; i < 1000; ++i)
            rig.receive({QByteArray(1024, 'x')});
        QVERIFY(rig.fields.RxBuffer.size() <= 21);
        rig.receive({"\r", "R=04512\r"});
        QCOMPARE(rig.handled, QStringList{"R:R=04512\r"});
    }

    void shouldShowLiveReadingsAndTheKitState_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QString>("volts");
        QTest::addColumn<QString>("milliamps");
        QTest::addColumn<QString>("state");
        QTest::addColumn<bool>("busy");
        QTest::newRow("free") << QByteArray("V:2400I:0512 F\r") << "24.0" << "51.2" << "F" << false;
        QTest::newRow("busy") << QByteArray("V:1234I:0275 B\r") << "12.3" << "27.5" << "B" << true;
        QTest::newRow("lower-case b is not busy") << QByteArray("V:0000I:0000 b\r") << "0.0" << "0.0" << "b"
                                                  << false;
        QTest::newRow("blank state is not busy") << QByteArray("V:0005I:0000  \r") << "0.1" << "0.0" << " "
                                                 << false;
        QTest::newRow("starts like a coil frame") << QByteArray("R=0900I:0010 F\r") << "9.0" << "1.0" << "F"
                                                  << false;
    }

    void shouldShowLiveReadingsAndTheKitState()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QString, volts);
        QFETCH(QString, milliamps);
        QFETCH(QString, state);
        QFETCH(bool, busy);
        Rig rig;
        rig.fields.KitBusy = !busy;

        rig.receive({frame});

        QCOMPARE(rig.view.volts, volts);
        QCOMPARE(rig.view.milliamps, milliamps);
        QCOMPARE(rig.view.busy, busy);
        QCOMPARE(rig.fields.KitState, state);
        QCOMPARE(rig.fields.KitBusy, busy);
        QVERIFY(rig.handled.isEmpty());
    }

    void shouldKeepFullPrecisionInTheRecordWhileShowingOneDecimal()
    {
        Rig rig;
        rig.receive({"V:1239I:0512 F\r"});
        QCOMPARE(bench().LiveVoltage, 12.39f);
        QCOMPARE(bench().LiveCurrent, 51.2f);
        QCOMPARE(rig.view.volts, QStringLiteral("12.4"));
    }

    void shouldHandleAFrameThatCompletesWhileAnotherIsBeingHandled()
    {
        Rig rig;
        // The drop-away handling waits (in the bench: a dialog) while frames keep coming.
        rig.link.receiver.results.dropAway = [&rig](const QString &) { rig.receive({"V:0520I:0101 F\r"}); };
        rig.receive({"%V0520 I0101\r"});
        QCOMPARE(rig.view.liveUpdates, 1);
        QVERIFY(rig.fields.RxBuffer.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestReceiveHandler)
#include "tst_receivehandler.moc"
