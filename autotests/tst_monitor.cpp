#include "benchrig.h"
#include "privatetmpfs.h"

#include "console/monitor/benchmonitor.h"
#include "console/monitor/monitorlayout.h"
#include "tests/frmdropaway.h"
#include "tests/progress.h"
#include "testfiles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QValueAxis>

// The Bench Monitor on the whole bench against the simulated kit: the trace it draws
// from the frames, the progress and time left of a run, and its Stop.
class TestMonitor : public QObject
{
    Q_OBJECT

    // A bench whose kit is never checked, so the only frames are the test's own.
    struct QuietBench : BenchRig {
        QuietBench()
        {
            control<QTimer>(w(), "tmrPortOpen").stop();
            w().showBenchMonitor();
            monitor().setClock([this] { return clock; });
        }
        BenchMonitor &monitor() { return *w().benchMonitor(); }
        void kitSends(const QByteArray &frame) { w().link().receiver.dispatch(QString::fromLatin1(frame)); }
        // Live readings of volts and milliamperes at the given seconds of the monitor's clock.
        void readings(double from, double to, const char *frame)
        {
            for (clock = from; clock <= to + 1e-9; clock += 0.25)
                kitSends(frame);
            clock = to;
        }
        double clock = 0;
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

        QSignalSpy exported(&m, &BenchMonitor::exported);
        const QString csv = rig.folder.filePath("trace.csv");
        m.exportCsv(csv);
        QVERIFY(exported.wait());
        QVERIFY2(exported.last().at(1).toBool(), qPrintable(exported.last().at(2).toString()));
        QStringList rows = QString::fromLatin1(readFile(csv)).split("\r\n");
        QCOMPARE(rows.takeFirst(), QStringLiteral("seconds,volts,milliamps,kit state"));
        QCOMPARE(rows.takeLast(), QString());
        for (QString &row : rows)
            row = row.section(',', 1);  // the time is the monitor's clock
        QCOMPARE(rows, (QStringList{"12.34,56.7,B", "12.40,57.0,B", "0.00,0.0,F"}));
        m.exportPng(rig.folder.filePath("trace.png"));
        QVERIFY(exported.wait());
        QVERIFY(exported.last().at(1).toBool());
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
        connect(&control<QTimer>(w, "tmrTout"), &QTimer::timeout, this,
                [&] { shownLeft << w.benchMonitor()->lblTimeLeft->text(); });
        const int ticksBefore = w.link().wait.ticks();
        control<QComboBox>(w, "cmbCRChannel").setCurrentIndex(16);
        control<QPushButton>(w, "cmdContactResistance").click();
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

    // The current axis fits what the coil draws, to the top of three round steps.
    void currentAxisFitsTheCoil_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<double>("top");
        QTest::newRow("coil off") << QByteArray("V:0000I:0000 F\r") << 3.0;
        QTest::newRow("QN1 coil, 17 mA") << QByteArray("V:2400I:0170 F\r") << 30.0;
        QTest::newRow("5.9 mA, no room left under 6") << QByteArray("V:0300I:0059 F\r") << 7.5;
        QTest::newRow("57 mA") << QByteArray("V:2400I:0570 F\r") << 60.0;
        QTest::newRow("118 mA") << QByteArray("V:0400I:1180 F\r") << 150.0;
        QTest::newRow("QTA2 source, 500 mA") << QByteArray("V:0200I:5000 B\r") << 600.0;
    }
    void currentAxisFitsTheCoil()
    {
        QFETCH(QByteArray, frame);
        QFETCH(double, top);
        QuietBench rig;
        BenchMonitor &m = rig.monitor();
        rig.readings(0, 1, "V:2400I:4000 F\r");
        rig.readings(130, 131, frame);  // the 400 mA have left the two minutes
        m.cmdPause->click();
        m.cmdPause->click();
        QCOMPARE(m.milliampsAxis()->min(), 0.0);
        QCOMPARE(m.milliampsAxis()->max(), top);
    }

    // A contact run holds the poll for half a minute: the curves stop where the
    // readings stopped and start again where they came back. The time axis counts
    // back from now, not from the last reading, in round steps, whenever the monitor
    // opened.
    void noLineAcrossATimeWithoutReadings()
    {
        QuietBench rig;
        BenchMonitor &m = rig.monitor();
        rig.readings(110, 112, "V:2400I:0170 F\r");
        rig.readings(147, 148, "V:0000I:0000 F\r");
        rig.clock = 148.5;
        m.cmdPause->click();
        m.cmdPause->click();  // resuming draws at once
        const QList<QList<QPointF>> lines = m.drawnLines(false);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(std::pair(lines[0].first().x(), lines[0].last().x()), std::pair(-38.5, -36.5));
        QCOMPARE(std::pair(lines[1].first().x(), lines[1].last().x()), std::pair(-1.5, -0.5));
        QCOMPARE(m.drawnLines(true).size(), 2);
        QCOMPARE(std::pair(m.timeAxis()->min(), m.timeAxis()->max()), std::pair(-120.0, 0.0));
        QCOMPARE(m.timeAxis()->tickCount(), 7);  // -120, -100 ... 0
    }

    // While the Drop Away Test dialog waits for the operator, the monitor says so.
    void waitForTheOperatorIsNamed()
    {
        BenchRig rig;
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        w.showBenchMonitor();
        QLabel *timeLeft = w.benchMonitor()->lblTimeLeft;
        control<QPushButton>(w, "cmdCoilResistance").click();
        QVERIFY(rig.waitUntilIdle());
        control<QPushButton>(w, "cmdDropAway").click();
        QTRY_COMPARE(timeLeft->text(), QStringLiteral("time left unknown: waiting on the kit"));
        FrmDropAway *dialog = nullptr;
        QTRY_VERIFY((dialog = w.findChild<FrmDropAway *>()) && dialog->isVisible());
        QTRY_COMPARE(timeLeft->text(), QStringLiteral("time left unknown: waiting for the operator"));
        control<QPushButton>(*dialog, "cmdComplete").click();
        QVERIFY(rig.waitUntilIdle());
        QTRY_COMPARE(timeLeft->text(), QString());
    }

    // Export on a full disk: the cause is named, the file there before is kept.
    void exportOnAFullDiskKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("name");
        QTest::newRow("CSV") << QStringLiteral("cmdExportCsv") << QStringLiteral("trace.csv");
        QTest::newRow("PNG") << QStringLiteral("cmdExportPng") << QStringLiteral("trace.png");
    }
    void exportOnAFullDiskKeepsTheOldFile()
    {
        QFETCH(QString, button);
        QFETCH(QString, name);
        const PrivateTmpfs disk(8);  // two pages: the old file's and one more
        if (disk.path().isEmpty())
            QSKIP(qPrintable(disk.why()));
        QuietBench rig;
        BenchMonitor &m = rig.monitor();
        rig.readings(0, 120, "V:2400I:0170 F\r");  // two minutes: far more than a page of CSV
        const QString path = disk.path() + QLatin1Char('/') + name;
        const QByteArray before = "the export of yesterday\n";
        writeFile(path, before);
        rig.prompts.fileAnswers << path;
        QSignalSpy exported(&m, &BenchMonitor::exported);
        m.findChild<QPushButton *>(button)->click();
        QVERIFY(exported.wait());
        QCOMPARE(exported.last().at(1).toBool(), false);
        QVERIFY2(exported.last().at(2).toString().contains("No space left on device"),
                 qPrintable(exported.last().at(2).toString()));
        QCOMPARE(readFile(path), before);
        QCOMPARE(QDir(disk.path()).entryList(QDir::Files), QStringList{name});  // no half file beside it
        QCOMPARE(rig.prompts.messages.size(), 1);
        QVERIFY(rig.prompts.messages.front().text.contains("No space left on device"));
    }

    // The monitor's place: where it was left when that is still on the screen,
    // otherwise beside the main window on the bench's 1280 x 1024 screen.
    void opensBesideTheMainWindow_data()
    {
        QTest::addColumn<QRect>("remembered");
        QTest::addColumn<bool>("kept");
        QTest::newRow("first time") << QRect() << false;
        QTest::newRow("left on the screen") << QRect(400, 500, 700, 400) << true;
        QTest::newRow("left on a larger screen") << QRect(1500, 200, 760, 480) << false;
        QTest::newRow("taller than this screen") << QRect(0, 0, 760, 1100) << false;
    }
    void opensBesideTheMainWindow()
    {
        QFETCH(QRect, remembered);
        QFETCH(bool, kept);
        QSettings settings(QStringLiteral("Quillmark"), QStringLiteral("Bench Monitor"));
        settings.clear();
        if (remembered.isValid())
            settings.setValue(QStringLiteral("place"), remembered);
        settings.sync();
        BenchRig rig;
        FrmMain &w = rig.w();
        w.show();
        w.showBenchMonitor();
        const QRect monitor = w.benchMonitor()->frameGeometry();
        const QRect screen = w.screen()->availableGeometry();
        QCOMPARE(screen, QRect(0, 0, 1280, 1024));
        QVERIFY2(screen.contains(monitor), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(monitor.x()).arg(monitor.y())
                                                          .arg(monitor.width()).arg(monitor.height())));
        if (kept) {
            QCOMPARE(w.benchMonitor()->geometry(), remembered);
        } else {
            QVERIFY(!monitor.intersects(w.frameGeometry()));
            QVERIFY(monitor.width() >= 440 && monitor.height() >= 200);
        }
    }

    // The arithmetic of the place on other screens, against places worked out by hand.
    void placeOnOtherScreens_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("mainWindow");
        QTest::addColumn<QRect>("expected");
        // 1280 x 1024, main window centred: room only above and below it, 252 and
        // 253 rows.
        QTest::newRow("1280x1024") << QRect(0, 0, 1280, 1024) << QRect(220, 252, 840, 519)
                                   << QRect(220, 771, 1000, 253);
        // 1920 x 1080 with a 40-row panel: right of it, as tall as wanted.
        QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1040) << QRect(540, 261, 840, 519)
                                   << QRect(1380, 261, 540, 560);
        // Main window at the right edge: left of it, lined up with its top.
        QTest::newRow("main window right") << QRect(0, 0, 1920, 1080) << QRect(1080, 100, 840, 519)
                                           << QRect(80, 100, 1000, 560);
        // 1366 x 768: no side has room; the smallest monitor where it covers least,
        // 177 columns of the main window's right side.
        QTest::newRow("1366x768") << QRect(0, 0, 1366, 768) << QRect(263, 124, 840, 519)
                                  << QRect(926, 124, 440, 240);
    }
    void placeOnOtherScreens()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, mainWindow);
        QFETCH(QRect, expected);
        QCOMPARE(monitorlayout::besideMainWindow(mainWindow, {QSize(1000, 560), QSize(440, 240)}, screen), expected);
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

int main(int argc, char *argv[])
{
    // The bench PC's screen, 1280 x 1024, on which the monitor must find room
    // beside the main window.
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    screens.write(R"({"screens": [{"name": "bench", "x": 0, "y": 0, "width": 1280, "height": 1024,
                      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    TestMonitor test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_monitor.moc"
