#include "benchrig.h"

#include "console/record/relaycatalogue.h"
#include "kitlink/kitlog.h"
#include "kitlink/kitlogwindow.h"
#include "tests/frmdropaway.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>

#include <memory>

// The kit log as the engineer reads it: marks explained, the poll's own traffic
// hidden on request, and room for a whole automatic test.
class TestKitLog : public QObject
{
    Q_OBJECT

    // The log window's lines without their times: "> ?D<CR>".
    static QStringList shownLines(const KitLogWindow &window)
    {
        QStringList lines = window.txtLog->toPlainText().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (QString &line : lines)
            line = line.mid(14);  // "HH:mm:ss.zzz  "
        return lines;
    }

private slots:
    void liveReadingsAreHiddenOnRequest()
    {
        KitLog log;
        const auto traffic = [&log](const QList<std::pair<KitLog::Direction, QByteArray>> &entries) {
            for (const auto &[direction, bytes] : entries)
                log.append(direction, bytes);
        };
        using D = KitLog::Direction;
        traffic({{D::Sent, "?D\r"}, {D::Received, "V:2400I:0170 F\r"}, {D::Sent, "@R\r"}, {D::Sent, "&D\r"},
                 {D::Received, "V:0000I:1180 B\r"}, {D::Received, "R=03125\r"}, {D::Sent, "?P\r"}});
        log.note(QStringLiteral("Stop"));
        platform::RecordedPrompts prompts;
        QSettings(QStringLiteral("Quillmark"), QStringLiteral("Kit log")).clear();
        auto window = std::make_unique<KitLogWindow>(log, prompts);
        const QStringList all{">  ?D<CR>",  "<  V:2400I:0170 F<CR>", ">  @R<CR>",  ">  &D<CR>",
                              "<  V:0000I:1180 B<CR>", "<  R=03125<CR>", ">  ?P<CR>", "!  Stop"};
        QCOMPARE(shownLines(*window), all);
        QVERIFY(!window->txtLog->toPlainText().startsWith(QLatin1Char('\n')));

        window->chkHideLive->setChecked(true);
        const QStringList tests{">  @R<CR>", "<  R=03125<CR>", ">  ?P<CR>", "!  Stop"};
        QTRY_COMPARE(shownLines(*window), tests);
        // The kit's readings are told by their length (15 with the CR) whatever they
        // start with; a result frame and the presence query are not readings.
        traffic({{D::Sent, "?D\r"}, {D::Received, "*:1580 I0153\r"}, {D::Received, "xxxxxxxxxxxxxx\r"},
                 {D::Sent, "?\r"}});
        QCOMPARE(shownLines(*window), (tests + QStringList{"<  *:1580 I0153<CR>", ">  ?<CR>"}));

        // The next opening is as the engineer left the last, hidden or not.
        window = std::make_unique<KitLogWindow>(log, prompts);
        QVERIFY(window->chkHideLive->isChecked());
        QTRY_COMPARE(shownLines(*window), (tests + QStringList{"<  *:1580 I0153<CR>", ">  ?<CR>"}));
        window->chkHideLive->setChecked(false);
        window = std::make_unique<KitLogWindow>(log, prompts);
        QVERIFY(!window->chkHideLive->isChecked());
        QTRY_COMPARE(shownLines(*window).size(), all.size() + 4);
        // Every mark the lines carry is explained above them.
        for (const QChar mark : {QLatin1Char('>'), QLatin1Char('<'), QLatin1Char('!')})
            QVERIFY(window->lblLegend->text().contains(QString(mark) + QStringLiteral(" sent"))
                    || window->lblLegend->text().contains(QString(mark) + QStringLiteral(" received"))
                    || window->lblLegend->text().contains(QString(mark) + QStringLiteral(" noted")));
    }

    // QNA1K, the longest automatic test, with the operator five minutes at the Drop
    // Away Test dialog (1200 poll ticks): the log still holds the run from its first
    // command on.
    void wholeAutomaticTestStaysInTheLog()
    {
        using std::chrono::milliseconds;
        BenchRig rig(catalogue::QNA1K, Timings{milliseconds(0), milliseconds(5), milliseconds(5), milliseconds(20)},
                     0.02);
        QVERIFY(rig.waitUntilKitFree());
        FrmMain &w = rig.w();
        KitLog &log = w.link().log;
        int entries = 0;
        int liveWhileAtDialog = 0;
        connect(&log, &KitLog::appended, this, [&] {
            ++entries;
            auto *dialog = w.findChild<FrmDropAway *>();
            if (!dialog || !dialog->isVisible() || log.latest().text != QLatin1String("?D<CR>"))
                return;
            if (++liveWhileAtDialog == 1200)
                control<QPushButton>(*dialog, "cmdComplete").click();
        });
        control<QPushButton>(w, "cmdAuto").click();
        QVERIFY(rig.waitUntilIdle(200000));
        QCOMPARE(liveWhileAtDialog, 1200);
        QVERIFY2(entries <= log.capacity(), qPrintable(QString::number(entries)));
        QCOMPARE(log.entries().at(log.size() - entries).text, QStringLiteral("@V0000<CR>"));
        // The window shows all of it, filled in a few hundred lines a turn.
        KitLogWindow window(log, rig.prompts);
        QTRY_COMPARE(window.txtLog->blockCount(), log.size());
        QVERIFY(window.txtLog->toPlainText().endsWith(KitLog::formatLine(log.latest())));
    }
};

QTEST_MAIN(TestKitLog)
#include "tst_kitlog.moc"
