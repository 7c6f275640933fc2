// quillmark-history-shot: the picture of the results history in docs/, drawn
// offscreen. Sixty QN1 relays of a made-up batch over four days go into a fresh
// SQLite history; the window shows them with the trend of the front contacts'
// resistance and is saved as a PNG.
//
//   QT_QPA_PLATFORM=offscreen quillmark-history-shot docs/history.png [docs/history-import.png]
//
// The second picture is the import dialog, opened on a report folder of three files.
// --smoke draws both into a scratch folder, for the test suite.

#include "benchline.h"
#include "console/record/benchrecord.h"
#include "platform/prompts.h"
#include "reports/history/historystore.h"
#include "reports/history/historywindow.h"
#include "reports/history/recorditems.h"
#include "reports/reportfile.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QPushButton>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

// The same batch on every run: a small generator of its own, not the clock.
class Scatter
{
public:
    double next()  // 0..1
    {
        m_state = m_state * 1103515245u + 12345u;
        return double((m_state >> 8) & 0xFFFF) / 65535.0;
    }

private:
    quint32 m_state = 7;
};

QList<history::RelayEntry> batch()
{
    Scatter scatter;
    QList<history::RelayEntry> relays;
    const QDateTime start(QDate(2026, 11, 16), QTime(8, 5));
    for (int i = 0; i < 60; ++i) {
        BenchRecord r;
        r.StyleCode = 2;
        r.ContactVariant = 1;
        r.NOSequence = r.NCSequence = QStringLiteral("ABCDF");
        r.RelayID = QStringLiteral("%1/26KDB").arg(i + 1, 4, 10, QLatin1Char('0'));
        r.CoilResistance1 = float(1030 + 12 * (scatter.next() - 0.5));
        r.PickUpVoltage = float(16.2 + 0.6 * scatter.next());
        r.DropAwayVoltage = float(4.0 + 0.4 * scatter.next());
        // The front contacts wear in slowly over the batch.
        const double front = 24 + i * 0.08 + 6 * scatter.next(), back = 28 + 6 * scatter.next();
        const QStringList items{QStringLiteral("OK"), QStringLiteral("500"), QStringLiteral("50"), QStringLiteral("50"),
                                QStringLiteral("40"), QStringLiteral("OK"), {}, QStringLiteral("25"), QStringLiteral("26"),
                                QStringLiteral("27"), QStringLiteral("OK"), i == 41 ? QStringLiteral("Not OK") : QStringLiteral("OK"),
                                QString::number(front, 'f', 1), QString::number(back, 'f', 1)};
        r.ReportItems[1] = r.RelayID;
        for (int k = 0; k < items.size(); ++k)
            r.ReportItems[std::size_t(k + 2)] = items[k];
        history::RelayEntry e = history::entryFromRecord(r);
        e.recordedAt = start.addDays(i / 15).addSecs((i % 15) * 1500).toUTC();
        e.host = QStringLiteral("bench-1");
        e.reportFile = QStringLiteral("/home/bench/Reports/Test Report 7.csv");
        e.recordIndex = i;
        relays << e;
    }
    return relays;
}

} // namespace

int main(int argc, char *argv[])
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Draws the results history window over a made-up QN1 batch into OUT.png and, when named, the import dialog "
        "into IMPORT.png. Run it with QT_QPA_PLATFORM=offscreen."));
    parser.addPositionalArgument(QStringLiteral("OUT.png"), QStringLiteral("The history window."));
    parser.addPositionalArgument(QStringLiteral("IMPORT.png"), QStringLiteral("The import dialog."),
                                 QStringLiteral("[IMPORT.png]"));
    const QCommandLineOption smoke = benchline::smokeOption(QStringLiteral("both pictures in a scratch folder; a second"));
    parser.addOption(smoke);
    benchline::read(parser, argc, argv);
    QTemporaryDir folder;
    const QStringList pictures = parser.isSet(smoke) ? QStringList{folder.filePath(QStringLiteral("history.png")),
                                                                   folder.filePath(QStringLiteral("import.png"))}
                                                     : parser.positionalArguments();
    if (pictures.isEmpty() || pictures.size() > 2) {
        std::fprintf(stderr, "quillmark-history-shot: name one or two pictures (quillmark-history-shot --help)\n");
        return 2;
    }
    QApplication app(argc, argv);
    const platform::StartupFolder bench(folder.path());
    const history::Location location = history::Location::inFolder(bench);
    {
        history::Store store(location, QStringLiteral("shot-writer"));
        if (!store.add(batch())) {
            std::fprintf(stderr, "%s\n", qPrintable(store.error()));
            return 1;
        }
    }
    const QString reports = folder.filePath(QStringLiteral("Reports"));
    QDir().mkpath(reports);
    for (const char *name : {"Test Report 7.csv", "Test Report 8 QTA2 batch of November.csv", "CR_Values.csv"}) {
        QFile file(reports + QLatin1Char('/') + QLatin1String(name));
        (void)file.open(QIODevice::WriteOnly);
    }
    platform::DialogPrompts prompts;
    history::HistoryWindow window(location, prompts, bench);
    window.resize(1100, 760);
    window.setReportFolder(reports);
    window.show();
    window.cmbQuantity->setCurrentIndex(window.cmbQuantity->findData(QStringLiteral("contact_resistance_front")));
    int code = 1;
    QTimer::singleShot(500, &window, [&] {
        code = window.grab().save(pictures[0]) ? 0 : 1;
        if (pictures.size() == 1) {
            app.quit();
            return;
        }
        window.cmbStyle->setCurrentIndex(2);
        window.cmdImport->click();
        QTimer::singleShot(500, &window, [&] {
            auto *dialog = window.findChild<QFileDialog *>();
            code = dialog && dialog->grab().save(pictures[1]) ? code : 1;
            app.quit();
        });
    });
    app.exec();
    return code;
}
