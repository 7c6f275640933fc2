// One bench of two that record at the same time into one results history: appends
// count relays of QL1 to "Batch.csv" in its folder, each going on to the history as
// the report form sends it, and exits once the history holds them all.
//
//   history_appender URL FOLDER COUNT

#include "console/record/benchrecord.h"
#include "reports/history/journal.h"
#include "reports/reportfile.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    std::optional<history::Location> location = args.size() == 4 ? history::Location::parse(args[1]) : std::nullopt;
    if (!location) {
        std::fprintf(stderr, "usage: history_appender URL FOLDER COUNT\n");
        return 2;
    }
    const QString folder = args[2] + QLatin1Char('/');
    history::Journal journal(*location, folder + QStringLiteral("history.pending"));
    QObject::connect(&journal, &history::Journal::settled, &app, [&journal] {
        if (journal.pending() == 0)
            QCoreApplication::quit();
    });

    BenchRecord record;
    record.StyleCode = 4;
    record.SaveFolder = folder;
    for (int i = 0; i < args[3].toInt(); ++i) {
        record.RelayID = record.ReportItems[1] = QStringLiteral("%1/%2").arg(i, 4, 10, QLatin1Char('0')).arg(QDir(folder).dirName());
        record.ReportItems[2] = QString::number(1000 + i % 50);
        const reports::AppendResult appended = reports::appendReportRecord(record, QStringLiteral("Batch.csv"));
        if (!appended.ok) {
            std::fprintf(stderr, "%s\n", qPrintable(appended.error));
            return 1;
        }
        journal.recordAppended(record, folder + QStringLiteral("Batch.csv"), appended.recordIndex);
    }
    return app.exec();
}
