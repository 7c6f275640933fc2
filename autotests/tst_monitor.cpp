#include "benchrig.h"

#include "console/monitor/benchmonitor.h"
#include "tests/progress.h"
#include "testfiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

// The Bench Monitor on the whole bench against the simulated kit: the trace it draws
// from the frames, the progress and time left of a run, and its Stop.
class TestMonitor : public QObject
{
    Q_OBJECT

    // A bench whose kit is never checked, so the only frames are the test's own.
    struct QuietBench : BenchRig {
        QuietBench()
        {
            w().tmrPortOpen->stop();
            w().showBenchMonitor();
        }
        BenchMonitor &monitor() { return *w().benchMonitor(); }
        void kitSends(const QByteArray &frame) { w().link().receiver.dispatch(QString::fromLatin1(frame)); }
    };

    static QList<double> ys(const QList<QPointF> &points)
    {
        QList<double> values;
        for (const QPointF &p : points)
            values << std::round(p.y() * 100) / 100;
        return values;
    }

private slots:
    void liveFramesAreDrawnAndExported()
    {
        QuietBench rig;
        BenchMonitor &m = rig.monitor();
        for (const QByteArray frame : {"V:1234I:0567 B\r", "V:1240I:0570 B\r"})
            rig.kitSends(frame);
        // Paused, the trace goes on filling but nothing is drawn until it resumes.
        QTRY_COMPARE(ys(m.drawnPoints(false)), (QList<double>{12.34, 12.40}));
        m.cmdPause->click();
        rig.kitSends("V:0000I:0000 F\r");
        QTest::qWait(600);  // a drawing tick and more
        QCOMPARE(ys(m.drawnPoints(false)), (QList<double>{12.34, 12.40}));
        m.cmdPause->click();
        QCOMPARE(ys(m.drawnPoints(false)), (QList<double>{12.34, 12.40, 0}));
        QCOMPARE(ys(m.drawnPoints(true)), (QList<double>{56.7, 57.0, 0}));
        // A result where it arrived, in volts or in milliamperes.
        rig.kitSends("*:1580 I0153\r");
        rig.kitSends(">V0000 I0118\r");
        QTRY_COMPARE(ys(m.drawnMarkers()), (QList<double>{15.80, 118}));
        QCOMPARE(m.trace().markers().back().label, QStringLiteral("pick-up 118 mA"));

        QString why;
        const QString csv = rig.folder.filePath("trace.csv");
        QVERIFY2(m.exportCsv(csv, why), qPrintable(why));
        QStringList rows = QString::fromLatin1(readFile(csv)).split("\r\n");
        QCOMPARE(rows.takeFirst(), QStringLiteral("seconds,volts,milliamps,kit state"));
        QCOMPARE(rows.takeLast(), QString());
        for (QString &row : rows)
            row = row.section(',', 1);  // the time is the monitor's clock
        QCOMPARE(rows, (QStringList{"12.34,56.7,B", "12.40,57.0,B", "0.00,0.0,F"}));
        QVERIFY(m.exportPng(rig.folder.filePath("trace.png"), why));
        QVERIFY(QImage(rig.folder.filePath("trace.png")).width() > 100);
    }

    // An all-channel contact run of 39 fixed waits: the monitor names each channel
    // as the run reaches it, and the waits it says are left are the waits that are.
    void contactRunProgressAndTimeLeft()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.showBenchMonitor();
        struct Seen {
            Progress::Report report;
            int ticks;
        };
        QList<Seen> seen;
        connect(&w.progress(), &Progress::changed, this,
                [&] { seen.append({w.progress().report(), w.link().wait.ticks()}); });
        QStringList shownLeft;
        connect(w.tmrTout, &QTimer::timeout, this, [&] { shownLeft << w.benchMonitor()->lblTimeLeft->text(); });
        const int ticksBefore = w.link().wait.ticks();
        w.cmbCRChannel->setCurrentIndex(16);
        w.cmdContactResistance->click();
        QVERIFY(rig.waitUntilIdle());
        const int ticksAfter = w.link().wait.ticks();
        QCOMPARE(ticksAfter - ticksBefore, 39);

        QStringList channels;
        for (const Seen &s : std::as_const(seen)) {
            if (s.report.text.contains("channel") && !channels.contains(s.report.text))
                channels << s.report.text;
            if (s.report.waitsLeft)
                QVERIFY2(std::abs(*s.report.waitsLeft - (ticksAfter - s.ticks)) <= 1,
                         qPrintable(QStringLiteral("%1: %2 left, %3 to go")
                                        .arg(s.report.text).arg(*s.report.waitsLeft).arg(ticksAfter - s.ticks)));
        }
        const auto lastCounted = std::find_if(seen.rbegin(), seen.rend(),
                                              [](const Seen &s) { return s.report.waitsLeft.has_value(); });
        QVERIFY(lastCounted != seen.rend() && *lastCounted->report.waitsLeft <= 1);  // the time left falls to zero
        QCOMPARE(lastCounted->report.done, 16);
        QCOMPARE(channels.size(), 16);
        QCOMPARE(channels.first(), QStringLiteral("Contact resistance: A1, channel 1 of 16"));
        QCOMPARE(channels.last(), QStringLiteral("Contact resistance: D4, channel 16 of 16"));
        QVERIFY(shownLeft.first().endsWith(" s left"));
        QCOMPARE(w.progress().report().text, QString());
        QCOMPARE(w.benchMonitor()->lblProcedure->text(), QStringLiteral("No test running"));
    }

    void stopFromTheMonitor()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.showBenchMonitor();
        connect(&rig.kit(), &SimulatedKit::commandReceived, this, [&](const QString &command) {
            if (command == "@G03")
                w.benchMonitor()->cmdStop->click();
        });
        w.cmbCRChannel->setCurrentIndex(16);
        rig.forgetHeard();
        w.cmdContactResistance->click();
        QVERIFY(rig.waitUntilIdle());
        const QStringList heard = rig.heard();
        QCOMPARE(heard.mid(heard.indexOf("@G03") + 1), (QStringList{"@A00", "&A00", "^R0", "@V0000", "^Q0000"}));
        QVERIFY(w.FrameCPanel->isEnabled() && !w.lblBusy[3]->isVisibleTo(&w));
    }
    // Open or not, and where: kept for the next start in the user's settings.
    void monitorIsRememberedForTheNextStart()
    {
        {
            QuietBench rig;
            rig.monitor().setGeometry(120, 80, 640, 420);
            rig.w().close();
        }
        QVERIFY(BenchMonitor::wasOpen());
        {
            QuietBench rig;
            QCOMPARE(rig.monitor().geometry(), QRect(120, 80, 640, 420));
            rig.monitor().close();
            rig.w().close();
        }
        QVERIFY(!BenchMonitor::wasOpen());
    }
};

QTEST_MAIN(TestMonitor)
#include "tst_monitor.moc"
