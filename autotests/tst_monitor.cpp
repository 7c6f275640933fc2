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

#include <array>

namespace {

struct ScreenAt {
    const char *name;
    QRect geometry;
};
const std::array<ScreenAt, 3> Screens{{{"1280x1024", QRect(0, 0, 1280, 1024)},
                                       {"1024x768", QRect(1280, 0, 1024, 768)},
                                       {"1920x1080", QRect(2304, 0, 1920, 1080)}}};

} // namespace

// The Bench Monitor on the whole bench against the simulated kit: the trace it draws
// from the frames, the progress and time left of a run, and its Stop.
class TestMonitor : public QObject
{
    Q_OBJECT

    // The main window on the screen and the monitor opened beside it, as the
    // operator's Ctrl+M does.
    static BenchMonitor &openMonitor(FrmMain &w)
    {
        w.show();
        (void)QTest::qWaitForWindowExposed(&w);
        w.showBenchMonitor();
        (void)QTest::qWaitFor([&w] { return w.benchMonitor()->isVisible(); });
        return *w.benchMonitor();
    }

    // A bench whose kit is never checked, so the only frames are the test's own.
    struct QuietBench : BenchRig {
        explicit QuietBench(int relay = 0)
            : BenchRig(relay)
        {
            control<QTimer>(w(), "tmrPortOpen").stop();
            openMonitor(w()).setClock([this] { return clock; });
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
        openMonitor(w);
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
        QString procedureWhenEnded, timeLeftWhenEnded;
        QLabel &busy = control<QLabel>(w, "lblBusy(3)");
        connect(&control<QComboBox>(w, "cmbCR"), &QComboBox::editTextChanged, this, [&](const QString &text) {
            if (text != QLatin1String("Results"))
                return;
            QTimer::singleShot(0, this, [&] {  // the busy label goes with the result
                QVERIFY(busy.isHidden() && w.procedures().running());
                procedureWhenEnded = w.benchMonitor()->lblProcedure->text();
                timeLeftWhenEnded = w.benchMonitor()->lblTimeLeft->text();
            });
        });
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
        // The last the line says before the test ends is D4's, with the waits of the
        // whole run still ahead; then it says nothing.
        const auto lastCounted = std::find_if(seen.rbegin(), seen.rend(),
                                              [](const Seen &s) { return s.report.waitsLeft.has_value(); });
        QVERIFY(lastCounted != seen.rend());
        QCOMPARE(lastCounted->report.text, QStringLiteral("Contact resistance: D4, channel 16 of 16"));
        QCOMPARE(seen.last().report.text, QString());
        QCOMPARE(channels.size(), 16);
        QCOMPARE(channels.first(), QStringLiteral("Contact resistance: A1, channel 1 of 16"));
        QCOMPARE(channels.last(), QStringLiteral("Contact resistance: D4, channel 16 of 16"));
        QVERIFY(shownLeft.first().endsWith(" s left"));
        QCOMPARE(w.progress().report().text, QString());
        QCOMPARE(w.benchMonitor()->lblProcedure->text(), QStringLiteral("No test running"));
        // The line went with the test: once the busy label had gone, while the run
        // still switched the supply off.
        QVERIFY(!procedureWhenEnded.isEmpty());
        QCOMPARE(procedureWhenEnded, QStringLiteral("No test running"));
        QCOMPARE(timeLeftWhenEnded, QString());
    }

    // The current axis holds what the coil draws, to the top of three round steps:
    // fixed by the coil once it is measured, whatever the readings do on a ramp;
    // from the readings of the last two minutes before that.
    void currentAxisFitsTheCoil_data()
    {
        QTest::addColumn<int>("relay");
        QTest::addColumn<double>("ohms");
        QTest::addColumn<QByteArrayList>("frames");  // one after another, the axis drawn after each
        QTest::addColumn<double>("top");
        const auto row = [](const char *name, int relay, double ohms, const QByteArrayList &frames, double top) {
            QTest::newRow(name) << relay << ohms << frames << top;
        };
        row("coil off, not measured", 0, 0, {"V:0000I:0000 F\r"}, 3.0);
        row("17 mA, not measured", 0, 0, {"V:2400I:0170 F\r"}, 30.0);
        row("5.9 mA, no room left under 6", 0, 0, {"V:0300I:0059 F\r"}, 7.5);
        row("118 mA, not measured", 0, 0, {"V:0400I:1180 F\r"}, 150.0);
        row("QTA2 source at 500 mA, not measured", 0, 0, {"V:0200I:5000 B\r"}, 600.0);
        // 24 V over 890 ohms: 27.0 mA.
        row("QN1 coil of 890 ohms through a ramp", 2, 890,
            {"V:0000I:0000 B\r", "V:0500I:0056 B\r", "V:1400I:0157 B\r", "V:2400I:0270 F\r"}, 30.0);
        // 24 V over 660 ohms: 36.4 mA.
        row("QNA1K coil of 660 ohms, idle", 4, 660, {"V:0000I:0000 F\r"}, 60.0);
        row("QTA2 coil on the current source through a ramp", 7, 9,
            {"V:0000I:0000 B\r", "V:0040I:0400 B\r", "V:0106I:1180 F\r"}, 600.0);
        row("a reading above the coil's still fits", 2, 890, {"V:2400I:0410 F\r"}, 60.0);
    }
    void currentAxisFitsTheCoil()
    {
        QFETCH(int, relay);
        QFETCH(double, ohms);
        QFETCH(QByteArrayList, frames);
        QFETCH(double, top);
        QuietBench rig(relay);
        BenchMonitor &m = rig.monitor();
        rig.record.CoilResistance1 = float(ohms);
        rig.readings(0, 1, "V:2400I:4000 F\r");
        double at = 130;  // the 400 mA have left the two minutes
        QList<double> tops;
        for (const QByteArray &frame : std::as_const(frames)) {
            rig.readings(at, at + 1, frame);
            at += 2;
            m.cmdPause->click();
            m.cmdPause->click();  // resuming draws at once
            QCOMPARE(m.milliampsAxis()->min(), 0.0);
            tops << m.milliampsAxis()->max();
        }
        QCOMPARE(tops, QList<double>(frames.size(), top));
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
        QLabel *timeLeft = openMonitor(w).lblTimeLeft;
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

    // The monitor's place on the bench PC's screen and on a smaller and a larger one:
    // where it was left when that is still on a screen, otherwise beside the main
    // window, from its frame once that is on the screen. Never larger than the
    // screen, its Stop on it; over the main window only where the screen has no room
    // beside it (1024 x 768), and never over the Control Panel.
    void opensWhereItCanBeUsed_data()
    {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<bool>("mainShownFirst");
        QTest::addColumn<QRect>("remembered");
        QTest::addColumn<bool>("kept");
        for (const char *screen : {"1024x768", "1280x1024", "1920x1080"}) {
            for (const bool shown : {true, false}) {
                QTest::addRow("%s, %s", screen, shown ? "first time" : "main window not yet shown")
                    << QString::fromLatin1(screen) << shown << QRect() << false;
            }
        }
        QTest::newRow("left on the screen") << "1280x1024" << true << QRect(400, 500, 700, 400) << true;
        QTest::newRow("left beyond every screen") << "1280x1024" << true << QRect(5000, 200, 760, 480) << false;
        QTest::newRow("taller than every screen") << "1920x1080" << false << QRect(2304, 0, 760, 1100) << false;
    }
    void opensWhereItCanBeUsed()
    {
        QFETCH(QString, screen);
        QFETCH(bool, mainShownFirst);
        QFETCH(QRect, remembered);
        QFETCH(bool, kept);
        QSettings settings(QStringLiteral("Quillmark"), QStringLiteral("Bench Monitor"));
        settings.clear();
        if (remembered.isValid())
            settings.setValue(QStringLiteral("place"), remembered);
        settings.sync();
        const auto found = std::find_if(Screens.begin(), Screens.end(),
                                        [&screen](const ScreenAt &s) { return QLatin1String(s.name) == screen; });
        const QRect available = found->geometry;
        BenchRig rig;
        FrmMain &w = rig.w();
        w.move(available.center() - w.rect().center());  // centred, as the bench opens it
        if (mainShownFirst) {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
        }
        w.showBenchMonitor();
        BenchMonitor &m = *w.benchMonitor();
        if (!mainShownFirst) {
            QTest::qWait(50);
            QVERIFY(!m.isVisible());  // nothing to stand beside yet
            w.show();
        }
        QTRY_VERIFY(m.isVisible());
        QCOMPARE(w.screen()->availableGeometry(), available);

        const QRect monitor = m.frameGeometry();
        const QRect stop(m.cmdStop->mapToGlobal(QPoint()), m.cmdStop->size());
        const QRect panel(control<QWidget>(w, "FrameCPanel").mapToGlobal(QPoint()), control<QWidget>(w, "FrameCPanel").size());
        const QString seen = QStringLiteral("monitor %1,%2 %3x%4, main window %5,%6")
                                 .arg(monitor.x()).arg(monitor.y()).arg(monitor.width()).arg(monitor.height())
                                 .arg(w.frameGeometry().x()).arg(w.frameGeometry().y());
        QVERIFY2(available.contains(monitor), qPrintable(seen));
        QVERIFY2(available.contains(stop), qPrintable(seen));
        if (kept) {
            QCOMPARE(m.geometry(), remembered);
            return;
        }
        QVERIFY2(monitor.width() >= 440 && monitor.height() >= 200, qPrintable(seen));
        QVERIFY2(!monitor.intersects(panel), qPrintable(seen));
        if (screen != QLatin1String("1024x768"))  // the centred main window leaves some 110 rows above and below
            QVERIFY2(!monitor.intersects(w.frameGeometry()), qPrintable(seen));
    }

    // The arithmetic of the place, against places worked out by hand.
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
        // 1024 x 768: below the main window it would cover less of it, but the
        // bottom of the Control Panel; at the right edge it covers the readings.
        QTest::newRow("1024x768") << QRect(0, 0, 1024, 768) << QRect(92, 124, 840, 519)
                                  << QRect(584, 124, 440, 240);
        // 800 x 600: the smallest monitor is the whole screen's height at most.
        QTest::newRow("taller than the screen") << QRect(0, 0, 800, 200) << QRect(0, 0, 800, 150)
                                                << QRect(360, 0, 440, 200);
    }
    void placeOnOtherScreens()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, mainWindow);
        QFETCH(QRect, expected);
        const QRect panel = QRect(16, 16, 225, 433).translated(mainWindow.topLeft());
        QCOMPARE(monitorlayout::besideMainWindow(mainWindow, panel, {QSize(1000, 560), QSize(440, 240)}, screen),
                 expected);
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
    // Three screens side by side: a small one, the bench PC's and a wide one, on
    // which the monitor must find room beside the main window. The bench PC's is the
    // primary one, where the main window opens.
    QTemporaryFile screens;
    if (!screens.open())
        return 1;
    QStringList described;
    for (const ScreenAt &at : Screens)
        described << QStringLiteral(R"({"name": "%1", "x": %2, "y": %3, "width": %4, "height": %5,
                                       "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1})")
                         .arg(QLatin1String(at.name)).arg(at.geometry.x()).arg(at.geometry.y())
                         .arg(at.geometry.width()).arg(at.geometry.height());
    screens.write(QStringLiteral(R"({"screens": [%1]})").arg(described.join(QLatin1Char(','))).toUtf8());
    screens.flush();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
    QApplication app(argc, argv);
    TestMonitor test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_monitor.moc"
