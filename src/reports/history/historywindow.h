#pragma once

#include "reports/history/historystore.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QChartView;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace history {

class Journal;
class RelayTable;

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
class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    // journal, when given, brings each new relay in as the bench records it.
    HistoryWindow(const Location &location, Journal *journal = nullptr, QWidget *parent = nullptr);
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

    // The relays the filter finds.
    Filter filter() const;
    // The selected relays, or all the filter finds when none is selected.
    Filter chosen() const;
    // The trend as drawn: the quantity's values in time order, and their spread.
    QList<double> trendValues() const { return m_trend; }
    Spread trendSpread() const { return spreadOf(m_trend); }

    // Where the import dialog opens: the bench's report folder.
    void setReportFolder(const QString &folder) { m_reportFolder = folder; }
    QString importFolder() const;

    // What the buttons do once a file is chosen; false with the reason in lblStatus.
    bool exportChosen(const QString &path);
    bool printChosen(const QString &path);
    bool importReport(const QString &path);

public slots:
    void refresh();
    void updateTrend();

private:
    void chooseFile(const QString &extension, bool (HistoryWindow::*then)(const QString &));
    void fillQuantities();
    void drawTrend(const QString &caption);

    Store m_store;
    RelayTable *m_table;
    QTimer m_typing;  // the filter follows typing once it pauses
    QList<double> m_trend;
    QString m_reportFolder;
};

} // namespace history
