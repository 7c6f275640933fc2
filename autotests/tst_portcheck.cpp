#include "linkdoubles.h"

#include "kitlink/kitlink.h"
#include "platform/prompts.h"

#include <QSignalSpy>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>

// The one kit check per start, and the fixed wait it is built on.
class TestPortCheck : public QObject
{
    Q_OBJECT

    struct Rig : LinkRig {
        platform::RecordedPrompts prompts;

        explicit Rig(int waitMs = 40)
            : LinkRig(waitMs)
        {
            tmrComm.setInterval(waitMs / 4);
            tmrPortOpen.setInterval(1000);
            tmrPortOpen.start();
            fields.PortNumber = 1;
            fields.PollHold = true;
        }
        QStringList commandsBut(const QString &skipped) const
        {
            QStringList list = port.commands();
            list.removeAll(skipped);
            return list;
        }
    };

private slots:
    void init() { bench() = BenchRecord{}; }

    void shouldGoActiveOnlyOnExactlyOkAndCarriageReturn_data()
    {
        QTest::addColumn<QList<QByteArray>>("answer");
        QTest::addColumn<bool>("found");
        QTest::newRow("OK") << QList<QByteArray>{"OK\r"} << true;
        QTest::newRow("OK in two pieces") << QList<QByteArray>{"O", "K\r"} << true;
        QTest::newRow("OK CR LF") << QList<QByteArray>{"OK\r\n"} << false;
        QTest::newRow("echo before OK") << QList<QByteArray>{"?\rOK\r"} << false;
        QTest::newRow("lower case") << QList<QByteArray>{"ok\r"} << false;
        QTest::newRow("silent") << QList<QByteArray>{} << false;
    }

    void shouldGoActiveOnlyOnExactlyOkAndCarriageReturn()
    {
        QFETCH(QList<QByteArray>, answer);
        QFETCH(bool, found);
        Rig rig;
        int delay = 5;
        for (const QByteArray &piece : answer)
            QTimer::singleShot(delay += 5, &rig.port, [&rig, piece] { rig.port.kitSends(piece); });

        rig.link.portCheck.tick();

        const QString last = found ? QStringLiteral("Comm Port Active") : QStringLiteral("Kit not found");
        QCOMPARE(rig.view.statuses, (QStringList{"Comm Port open", last}));
        QVERIFY(rig.prompts.messages.isEmpty());
        QVERIFY(!rig.tmrPortOpen.isActive());
        QCOMPARE(rig.tmrComm.isActive(), found);
        QCOMPARE(rig.fields.PollHold, !found);
        if (found) {
            QVERIFY(rig.fields.RxBuffer.isEmpty());
            QCOMPARE(rig.commandsBut("?D"), (QStringList{"?", "@A00", "@V0000"}));
        } else {
            QCOMPARE(rig.port.commands(), QStringList{"?"});
        }
    }

    void shouldPollFromTheFirstTickWhileSwitchingTheCoilOff()
    {
        Rig rig;
        rig.port.answers.insert("?\r", "OK\r");
        QObject::connect(&rig.tmrComm, &QTimer::timeout, &rig.link, [&rig] { rig.link.poll.tick(); });

        rig.link.portCheck.tick();

        const QStringList sent = rig.port.commands();
        QVERIFY2(sent.indexOf("?D") > sent.indexOf("?") && sent.indexOf("?D") < sent.indexOf("@V0000"),
                 qPrintable(sent.join(' ')));
        QVERIFY(!rig.fields.CoilEnergised);
    }

    void shouldReportAPortThatCannotBeOpened()
    {
        Rig rig;
        // An adapter assigned to COM 3 by a link in the start-up folder, since unplugged.
        QTemporaryDir folder;
        QVERIFY(QFile::link(QStringLiteral("/dev/pts/4"), folder.filePath(QStringLiteral("COM3"))));
        rig.fields.PortNumber = 3;
        rig.fields.StartupFolder = folder.path();
        rig.port.openError = QStringLiteral("No such file or directory");

        rig.link.portCheck.tick();

        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].title, QStringLiteral("Communication Port Error!"));
#ifdef Q_OS_WIN
        QCOMPARE(rig.prompts.messages[0].text, QStringLiteral("COM3: No such file or directory"));
#else
        QCOMPARE(rig.prompts.messages[0].text, QStringLiteral("COM3 \u2192 /dev/pts/4: No such file or directory"));
#endif
        QCOMPARE(rig.prompts.messages[0].icon, platform::PromptIcon::Exclamation);
        QCOMPARE(rig.view.statuses, QStringList{"Comm Port Error"});
        QVERIFY(!rig.tmrPortOpen.isActive());
        QVERIFY(!rig.tmrComm.isActive());
    }

    void shouldOpenTheDeviceOfTheStoredPortNumber()
    {
        Rig rig;
        rig.fields.PortNumber = 3;
        rig.fields.StartupFolder = QStringLiteral("/nowhere");
        rig.link.portCheck.tick();
#ifdef Q_OS_WIN
        QCOMPARE(rig.port.openedDevice, QStringLiteral("COM3"));
#else
        QCOMPARE(rig.port.openedDevice, QStringLiteral("/dev/ttyS2"));
#endif
    }

    void shouldKeepPollingWhenTheLineFailsWhileSwitchingTheCoilOff()
    {
        Rig rig;
        rig.port.answers.insert("?\r", "OK\r");
        QObject::connect(&rig.link.commands, &KitCommands::lineFailure, &rig.port, [] {});
        // The adapter goes away just after the kit said OK.
        QTimer::singleShot(45, &rig.port, [&rig] { rig.port.writeError = QStringLiteral("Input/output error"); });

        rig.link.portCheck.tick();

        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.view.statuses.last(), QStringLiteral("Comm Port Error"));
        QVERIFY(rig.tmrComm.isActive());
    }

    void shouldReportALostLineOnceHoweverOftenItFails()
    {
        Rig rig;
        rig.port.writeError = QStringLiteral("Input/output error");
        rig.fields.PollHold = false;
        for (int tick = 0; tick < 20; ++tick)
            rig.link.poll.tick();
        emit rig.port.failed(QStringLiteral("Resource error"));

        QCOMPARE(rig.prompts.messages.size(), 1);
        QCOMPARE(rig.prompts.messages[0].text, QStringLiteral("Input/output error"));
        QCOMPARE(rig.view.statuses, QStringList{"Comm Port Error"});
    }

    void shouldNotEndAnOuterWaitBeforeAnInnerOne()
    {
        Rig rig(60);
        QElapsedTimer clock;
        bool innerDone = false;
        bool innerDoneWhenOuterEnded = false;
        QTimer::singleShot(20, &rig.port, [&] {
            rig.link.wait.hold();
            innerDone = true;
        });
        clock.start();
        rig.link.wait.hold();
        innerDoneWhenOuterEnded = innerDone;
        QVERIFY(innerDoneWhenOuterEnded);
        QVERIFY(clock.elapsed() >= 55);
    }

    // Timing is the point here, so the wait runs at its real length.
    void shouldWaitOneSecondWithoutUsingTheProcessor()
    {
        Rig rig(1000);
        const double cpuBefore = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        rig.link.wait.hold();
        const qint64 elapsed = clock.elapsed();
        const double cpu = cpuSeconds() - cpuBefore;
        QVERIFY2(elapsed >= 995 && elapsed < 1100, qPrintable(QString::number(elapsed)));
        QVERIFY2(cpu < 0.05, qPrintable(QStringLiteral("%1 s of CPU in a 1 s wait").arg(cpu)));
    }

private:
    static double cpuSeconds()
    {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
               + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
};

QTEST_GUILESS_MAIN(TestPortCheck)
#include "tst_portcheck.moc"
