#pragma once

#include "platform/startupfolder.h"
#include "reports/history/historystore.h"
#include "reports/history/job.h"

#include <QTimer>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
namespace platform {
class Prompts;
}

namespace history {

class Journal;
class RelayTable;
class Worker;

// The mean and the sample standard deviation of a quantity over relays.
struct Spread {
    double mean = 0;
    double sigma = 0;
    int count = 0;
};
Spread spreadOf(const QList<double> &values);

// The results history on screen: the relays found by relay ID, style and dates,
// loaded a screenful at a time; the trend of one quantity over the chosen relays
// with its mean and the band of three standard deviations either side; export and
// printing of the chosen relays, and import of older report files.
//
// Everything that reads or writes the history runs on the window's two threads of
// its own, each with its own connection: one for what the window shows, one for
// the long work (export, printing, import), which shows its progress and can be
// cancelled. Closing the window calls off what is under way.
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // A PostgreSQL server ends a statement of the window after this long.
    static constexpr std::chrono::milliseconds StatementTimeout{5000};
    // A history that does not answer for this long is given up for now: the
    // statement is cut and the operator told.
    static constexpr std::chrono::milliseconds Patience{8000};

    // journal, when given, brings each new relay in as the bench records it. The file
    // dialogs open in startupFolder while there is no report folder.
    HistoryWindow(const Location &location, platform::Prompts &prompts, const platform::StartupFolder &startupFolder,
                  Journal *journal = nullptr, QWidget *parent = nullptr, std::chrono::milliseconds patience = Patience);
    ~HistoryWindow() override;

    QLineEdit *const txtRelayId;
    QComboBox *const cmbStyle;  // "All styles", then the styles by code
    QDateEdit *const dateFrom;  // "any" at its lowest date
    QDateEdit *const dateTo;
    QTableView *const tblRelays;
    QComboBox *const cmbQuantity;
    QChartView *const chartView;
    QLabel *const lblStatus;
    QLabel *const lblTrend;
    QPushButton *const cmdExportCsv;
    QPushButton *const cmdExportJson;
    QPushButton *const cmdPrint;
    QPushButton *const cmdImport;
    QProgressBar *const barProgress;  // shown while an export, a printout or an import runs
    QPushButton *const cmdCancel;

    // The relays the filter finds.
    Filter filter() const;
    // The selected relays, or all the filter finds when none is selected.
    Filter chosen() const;
    // The trend as drawn: the quantity's values in time order, and their spread.
    QList<double> trendValues() const { return m_trend; }
    Spread trendSpread() const { return spreadOf(m_trend); }

    // Where the import and export dialogs open: the bench's report folder, when there is one.
    void setReportFolder(const QString &folder) { m_reportFolder = folder; }
    QString reportFolder() const;

    // What the buttons do once a file is chosen: start the work and return at once;
    // false when other long work still runs. taskFinished tells the end, lblStatus
    // the outcome.
    bool exportChosen(const QString &path);
    bool printChosen(const QString &path);
    bool importReport(const QString &path);

    // Something handed to the window's threads has not come back yet.
    bool busy() const;

public slots:
    void refresh();
    void updateTrend();

signals:
    void taskFinished(bool ok);
    // What the window shows is read to the end: rows, count and trend.
    void settled();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void chooseFile(const QString &extension, bool (HistoryWindow::*then)(const QString &));
    bool startTask(const QString &doing, std::function<void(Store *store, const Job &job)> work,
                   std::function<bool()> then);
    void showTaskRunning(bool running);
    void fillQuantities(const QList<int> &styles);
    void drawTrend(const QString &caption);
    void checkSettled();

    Worker *const m_browse;  // what the window shows
    Worker *const m_task;    // export, printing, import
    RelayTable *m_table;
    QTimer m_typing;  // the filter follows typing once it pauses
    QList<double> m_trend;
    platform::Prompts &m_prompts;
    const platform::StartupFolder m_startupFolder;
    QString m_reportFolder;
    std::atomic<quint64> m_refreshes{0};  // the latest refresh; an earlier one's answers are dropped
    std::atomic<quint64> m_trends{0};
    std::function<void()> m_afterRefresh;
    quint64 m_taskToldAt = 0;  // the latest refresh when long work last told its outcome
};

} // namespace history
