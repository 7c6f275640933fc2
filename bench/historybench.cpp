// quillmark-history-bench: what the results history costs on this machine. Imports
// a report file of 10,000 relays into a fresh history, fills it up to 100,000
// relays, and opens the history window over them: from the window's construction
// to its first painted rows, lazy loading included (the rows are read on the
// window's thread for the history). Prints one table and exits with 1 when a target
// is missed. What these cost the bench's own thread meanwhile is measured by
// quillmark-history-pty-bench. --smoke does the same with a hundredth of the relays.
//
//   quillmark-history-bench [--history URL] [--smoke]   (default: a fresh SQLite file)

#include "benchline.h"
#include "console/record/benchrecord.h"
#include "platform/prompts.h"
#include "reports/history/exporters.h"
#include "reports/history/historystore.h"
#include "reports/history/historywindow.h"
#include "reports/history/reportimport.h"
#include "reports/reportfile.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QLocale>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// A QN1 batch of count relays: the long record, every relay with its own readings.
QByteArray batch(int first, int count)
{
    QByteArray out;
    BenchRecord r;
    r.StyleCode = 2;
    r.NOSequence = r.NCSequence = QStringLiteral("ABCDE");
    const QStringList items{QStringLiteral("OK"), QStringLiteral("500"), QStringLiteral("50"), QStringLiteral("50"),
                            QStringLiteral("40"), QStringLiteral("OK"), {}, QStringLiteral("25"), QStringLiteral("26"),
                            QStringLiteral("27"), QStringLiteral("OK"), QStringLiteral("OK")};
    for (int i = 0; i < count; ++i) {
        const int serial = first + i;
        r.RelayID = r.ReportItems[1] = QStringLiteral("%1/22DAB").arg(serial, 5, 10, QLatin1Char('0'));
        r.CoilResistance1 = 1000.0f + float(serial % 97) / 4;
        r.PickUpVoltage = 16.0f + float(serial % 13) / 20;
        r.DropAwayVoltage = 4.0f + float(serial % 11) / 20;
        for (int c = 1; c <= 16; ++c)
            r.ContactRes[std::size_t(c)] = float((serial + c) % 30);
        for (int k = 0; k < items.size(); ++k)
            r.ReportItems[std::size_t(k + 2)] = items[k];
        r.ReportItems[14] = QString::number(r.ContactRes[8], 'f', 1);
        r.ReportItems[15] = QString::number(r.ContactRes[16], 'f', 1);
        out += reports::formatRecord(r);
    }
    return out;
}

struct Row {
    QString measure;
    double figure;
    const char *unit;
    double target;  // 0: none
    QString how;
};

// Waits on the event loop for the table's first painted rows: the rows come from
// the window's thread for the history, after the window itself first painted.
class FirstPaint : public QObject
{
public:
    explicit FirstPaint(const QAbstractItemModel *rows)
        : m_rows(rows)
    {
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !painted && m_rows->rowCount() > 0) {
            painted = true;
            loop.quit();
        }
        return false;
    }
    bool painted = false;
    QEventLoop loop;

private:
    const QAbstractItemModel *m_rows;
};

// Waits on the event loop until the window has read what it shows.
void waitUntilSettled(history::HistoryWindow &window)
{
    if (!window.busy())
        return;
    QEventLoop loop;
    QObject::connect(&window, &history::HistoryWindow::settled, &loop, [&] {
        if (!window.busy())
            loop.quit();
    });
    loop.exec();
}

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Imports a report file of 10,000 QN1 relays into a fresh results history, fills it up to 100,000 and opens "
        "the history window over them; prints one table and exits with 1 when a target is missed. Takes about a "
        "minute."));
    const QCommandLineOption url(QStringLiteral("history"), QStringLiteral("An empty history to fill (default: a fresh SQLite file)"),
                                 QStringLiteral("URL"));
    const QCommandLineOption smoke = benchline::smokeOption(QStringLiteral("100 relays a batch, 1,000 in the history"));
    parser.addOptions({url, smoke});
    benchline::read(parser, argc, argv);
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const bool smokeRun = parser.isSet(smoke);
    const int batchRelays = smokeRun ? 100 : 10000;
    const int historyRelays = batchRelays * 10;
    const QString batchCount = QLocale(QLocale::English).toString(batchRelays);
    const QString historyCount = QLocale(QLocale::English).toString(historyRelays);

    QTemporaryDir scratch;
    const std::optional<history::Location> location = history::Location::parse(
        parser.isSet(url) ? parser.value(url) : QStringLiteral("sqlite:") + scratch.filePath(QStringLiteral("history.sqlite")));
    if (!location) {
        std::fprintf(stderr, "quillmark-history-bench: not a history address\n");
        return 2;
    }
    history::Store store(*location, QStringLiteral("bench"));
    QList<Row> rows;
    QElapsedTimer clock;

    // One batch of 10,000 relays, then the same file again, which adds nothing.
    for (int b = 0; b < historyRelays / batchRelays; ++b) {
        const QString file = scratch.filePath(QStringLiteral("batch %1.csv").arg(b));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(batch(b * batchRelays, batchRelays)) < 0)
            return 2;
        out.close();
        clock.start();
        const history::ImportResult imported = history::importReportFile(store, file, 2);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        if (!imported.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(imported.error));
            return 2;
        }
        if (b == 0) {
            rows.append({QStringLiteral("import of %1 QN1 records").arg(batchCount), seconds, "s", 5,
                         QStringLiteral("%1 relays, %2 new, one report file of %3 MB")
                             .arg(imported.records)
                             .arg(imported.added)
                             .arg(double(QFileInfo(file).size()) / 1e6, 0, 'f', 1)});
            clock.start();
            const history::ImportResult again = history::importReportFile(store, file, 2);
            rows.append({QStringLiteral("the same file imported again"), double(clock.nsecsElapsed()) / 1e9, "s", 0,
                         QStringLiteral("%1 new").arg(again.added)});
        }
    }
    store.close();

    // The window over 100,000 relays: construction, the first screenful read on
    // the window's thread and painted; then the count and the trend of the latest
    // 2000 as they come in after it.
    clock.start();
    platform::DialogPrompts prompts;
    history::HistoryWindow window(*location, prompts, platform::StartupFolder(scratch.path()));
    FirstPaint firstPaint(window.tblRelays->model());
    window.tblRelays->viewport()->installEventFilter(&firstPaint);
    window.show();
    if (!firstPaint.painted)
        firstPaint.loop.exec();
    const double openMs = double(clock.nsecsElapsed()) / 1e6;
    waitUntilSettled(window);
    const double settledMs = double(clock.nsecsElapsed()) / 1e6;
    rows.append({QStringLiteral("history window over %1 relays").arg(historyCount), openMs, "ms", 300,
                 QStringLiteral("construction to first painted rows; %1 rows loaded; count and trend of %2 in at %3 ms")
                     .arg(window.tblRelays->model()->rowCount())
                     .arg(window.trendValues().size())
                     .arg(settledMs, 0, 'f', 1)});

    clock.start();
    {
        const QSignalBlocker typing(window.txtRelayId);  // one refresh, not a second one when the typing pauses
        window.txtRelayId->setText(QStringLiteral("77/"));
    }
    window.refresh();
    waitUntilSettled(window);
    rows.append({QStringLiteral("filter by relay ID text"), double(clock.nsecsElapsed()) / 1e6, "ms", 0,
                 QStringLiteral("%1 rows, count and trend").arg(window.tblRelays->model()->rowCount())});

    history::Store exporter(*location, QStringLiteral("bench-export"));
    clock.start();
    const history::ExportResult exported = history::exportRelays(exporter, {}, scratch.filePath(QStringLiteral("all.csv")));
    rows.append({QStringLiteral("CSV export of %1 relays").arg(historyCount), double(clock.nsecsElapsed()) / 1e9, "s", 0,
                 QStringLiteral("%1 relays, %2 MB")
                     .arg(exported.relays)
                     .arg(double(QFileInfo(scratch.filePath(QStringLiteral("all.csv"))).size()) / 1e6, 0, 'f', 1)});

    bool missed = false;
    std::printf("history: %s\n\n", qPrintable(location->describe()));
    std::printf("| %-36s | %10s | %-9s | %-6s | how\n", "measure", "figure", "target", "result");
    std::printf("|%s|%s|%s|%s|----\n", QByteArray(38, '-').constData(), QByteArray(12, '-').constData(),
                QByteArray(11, '-').constData(), QByteArray(8, '-').constData());
    for (const Row &row : rows) {
        const bool met = row.target <= 0 || row.figure < row.target;
        missed = missed || !met;
        const QString target = row.target > 0 ? QStringLiteral("< %1 %2").arg(row.target).arg(QLatin1String(row.unit)) : QStringLiteral("-");
        std::printf("| %-36s | %7.2f %-2s | %-9s | %-6s | %s\n", qPrintable(row.measure), row.figure, row.unit,
                    qPrintable(target), row.target > 0 && !smokeRun ? (met ? "met" : "MISSED") : "-", qPrintable(row.how));
    }
    if (smokeRun) {
        // Every relay written reached the history and came back out of it.
        const bool ran = exported.ok && exported.relays == historyRelays;
        std::printf("\nsmoke run: %s\n", ran ? "every part ran" : "the export did not give every relay back");
        return ran ? 0 : 1;
    }
    return missed ? 1 : 0;
}
