#include "reports/history/historywindow.h"

#include "platform/numbertext.h"
#include "platform/prompts.h"
#include "reports/history/exporters.h"
#include "reports/history/journal.h"
#include "reports/history/recorditems.h"
#include "reports/history/reportimport.h"
#include "reports/history/routinepdf.h"
#include "reports/history/worker.h"
#include "reports/reportfile.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSplitter>
#include <QAbstractTableModel>
#include <QSysInfo>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <utility>

namespace history {

namespace {

constexpr int TrendPoints = 2000;  // the latest relays of the choice; enough to see a batch drift
const QDate AnyDate(2000, 1, 1);

QDateEdit *dateEdit(QWidget *parent)
{
    auto *edit = new QDateEdit(parent);
    edit->setCalendarPopup(true);
    edit->setMinimumDate(AnyDate);
    edit->setSpecialValueText(QObject::tr("any"));
    edit->setDate(AnyDate);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}

// 1, 2 or 5 times a power of ten: the round step that parts span into at most parts.
double roundStep(double span, int parts)
{
    const double least = span / parts;
    const double power = std::pow(10.0, std::floor(std::log10(least)));
    for (const double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= least)
            return factor * power;
    }
    return 10 * power;
}

// "Contact Resistance: Front [mOhms]": the frame's caption tells a front contact's
// resistance from its pressure.
QString quantityLabel(const Quantity &q)
{
    static const QRegularExpression clause(QStringLiteral("\\s*(\\(|Cl\\.).*$"));
    const QString frame = QString(q.group).remove(clause);
    QString label = frame.isEmpty() ? q.caption : frame + QStringLiteral(": ") + q.caption;
    if (!q.unit.isEmpty())
        label += QStringLiteral(" [%1]").arg(q.unit);
    return label;
}

} // namespace

Spread spreadOf(const QList<double> &values)
{
    Spread s;
    s.count = int(values.size());
    if (values.isEmpty())
        return s;
    double sum = 0;
    for (const double v : values)
        sum += v;
    s.mean = sum / s.count;
    if (s.count > 1) {
        double squares = 0;
        for (const double v : values)
            squares += (v - s.mean) * (v - s.mean);
        s.sigma = std::sqrt(squares / (s.count - 1));
    }
    return s;
}

// The relays as the table shows them, newest first, read a page at a time as the
// view scrolls down to them (canFetchMore / fetchMore), so the size of the
// history does not matter to the window. Each page is read on the window's thread
// for the history and added when it comes back; a page of an earlier filter is
// dropped.
class RelayTable : public QAbstractTableModel
{
    Q_OBJECT
public:
    RelayTable(Worker &worker, QObject *parent)
        : QAbstractTableModel(parent)
        , m_worker(worker)
    {
    }

    void show(const Filter &filter)
    {
        beginResetModel();
        m_filter = filter;
        m_rows.clear();
        m_more = true;
        m_fetching = false;
        ++m_shown;
        endResetModel();
        fetchMore({});
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 9; }
    bool canFetchMore(const QModelIndex &parent) const override { return !parent.isValid() && m_more && !m_fetching; }
    bool fetching() const { return m_fetching; }

    void fetchMore(const QModelIndex &parent) override
    {
        if (parent.isValid() || !m_more || m_fetching)
            return;
        m_fetching = true;
        constexpr int Page = 256;
        struct Read {
            bool ok = false;
            QList<RelayEntry> rows;
            QString error;
        };
        auto read = std::make_shared<Read>();
        const quint64 shown = m_shown;
        const std::optional<RelayEntry> after = m_rows.isEmpty() ? std::nullopt : std::optional(m_rows.constLast());
        m_worker.post(
            [this, read, shown, filter = m_filter, after](Store *store, const Job &job) {
                if (job.cancelled() || shown != m_shown)
                    return;
                read->ok = store->page(filter, true, after ? &*after : nullptr, Page, &read->rows);
                read->error = store->error();
            },
            [this, read, shown] {
                if (shown != m_shown)
                    return;
                m_fetching = false;
                m_more = read->ok && read->rows.size() == Page;
                const bool first = m_rows.isEmpty();
                if (!read->rows.isEmpty()) {
                    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + read->rows.size() - 1));
                    m_rows.append(read->rows);
                    endInsertRows();
                }
                emit pageRead(first, read->ok ? QString() : read->error);
            });
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        static const QStringList headers{tr("Recorded"), tr("Relay ID"), tr("Style"),
                                         tr("Coil resistance (%1)").arg(unitOf(Role::CoilResistance)), tr("Pick-up"),
                                         tr("Drop-away"), tr("Front contact (%1)").arg(unitOf(Role::FrontContact)),
                                         tr("Back contact (%1)").arg(unitOf(Role::BackContact)), tr("Verdicts")};
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers.size())
            return headers[section];
        return QAbstractTableModel::headerData(section, orientation, role);
    }

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_rows.size())
            return {};
        if (role == Qt::TextAlignmentRole)
            return index.column() >= 3 && index.column() <= 7 ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                               : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        const RelayEntry &r = m_rows[index.row()];
        switch (index.column()) {
        case 0: return recordedText(r.recordedAt);
        case 1: return shownText(r.relayId, TextFieldChars);  // an older history may hold one of any length
        case 2:
            return reports::styleName(r.styleCode)
                   + (r.contactVariant == 1 ? QStringLiteral(" 8F-8B")
                      : r.contactVariant == 2 ? QStringLiteral(" 12F-4B")
                                              : QString());
        case 3: return number(r.coilResistance, 1);
        case 4: return withUnit(r.pickUp, r.pickUpUnit);
        case 5: return withUnit(r.dropAway, r.dropAwayUnit);
        case 6: return number(r.frontContact, 1);
        case 7: return number(r.backContact, 1);
        case 8:
            return r.verdictsFailed == 0 ? (r.verdictsTotal > 0 ? tr("OK") : QString())
                                         : tr("%1 of %2 Not OK").arg(r.verdictsFailed).arg(r.verdictsTotal);
        }
        return {};
    }

    qint64 idAt(int row) const { return m_rows.value(row).rowId; }

private:
    static QString number(const std::optional<double> &value, int decimals)
    {
        return value ? platform::fixedDecimals(*value, decimals) : QString();
    }

    static QString withUnit(const std::optional<double> &value, const QString &unit)
    {
        const QString n = number(value, unit == QLatin1String("V") ? 2 : 1);
        return n.isEmpty() ? n : n + QLatin1Char(' ') + unit;
    }

signals:
    void pageRead(bool first, const QString &error);

private:
    Worker &m_worker;
    Filter m_filter;
    QList<RelayEntry> m_rows;
    bool m_more = false;
    bool m_fetching = false;
    std::atomic<quint64> m_shown{0};  // the latest filter shown; the thread drops pages of an earlier one
};

HistoryWindow::HistoryWindow(const Location &location, platform::Prompts &prompts,
                             const platform::StartupFolder &startupFolder, Journal *journal, QWidget *parent,
                             std::chrono::milliseconds patience)
    : QWidget(parent, Qt::Window)
    , txtRelayId(new QLineEdit(this))
    , cmbStyle(new QComboBox(this))
    , dateFrom(dateEdit(this))
    , dateTo(dateEdit(this))
    , tblRelays(new QTableView(this))
    , cmbQuantity(new QComboBox(this))
    , chartView(new QChartView(this))
    , lblStatus(new QLabel(this))
    , lblTrend(new QLabel(this))
    , cmdExportCsv(new QPushButton(tr("Export CSV..."), this))
    , cmdExportJson(new QPushButton(tr("Export JSON..."), this))
    , cmdPrint(new QPushButton(tr("Print PDF..."), this))
    , cmdImport(new QPushButton(tr("Import report file..."), this))
    , barProgress(new QProgressBar(this))
    , cmdCancel(new QPushButton(tr("Cancel"), this))
    , m_browse(new Worker(QStringLiteral("history-window"), location, this))
    , m_task(new Worker(QStringLiteral("history-task"), location, this))
    , m_table(new RelayTable(*m_browse, this))
    , m_prompts(prompts)
    , m_startupFolder(startupFolder)
{
    for (Worker *worker : {m_browse, m_task}) {
        worker->setStatementTimeout(StatementTimeout);
        worker->setPatience(patience);
    }
    setObjectName(QStringLiteral("frmHistory"));
    setWindowTitle(tr("Results history - %1").arg(location.describe()));
    resize(1100, 760);

    txtRelayId->setObjectName(QStringLiteral("txtRelayId"));
    txtRelayId->setPlaceholderText(tr("part of the relay ID"));
    txtRelayId->setClearButtonEnabled(true);
    cmbStyle->addItem(tr("All styles"));
    for (int code = 1; code <= 7; ++code)
        cmbStyle->addItem(reports::styleName(code), code);
    tblRelays->setModel(m_table);
    tblRelays->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblRelays->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblRelays->setAlternatingRowColors(true);
    tblRelays->setWordWrap(false);
    tblRelays->verticalHeader()->hide();
    tblRelays->horizontalHeader()->setStretchLastSection(true);
    chartView->setRenderHint(QPainter::Antialiasing);
    chartView->setMinimumHeight(240);
    chartView->chart()->legend()->setAlignment(Qt::AlignBottom);
    cmdImport->setToolTip(tr("Choose the relay style of the file first"));
    cmdPrint->setToolTip(tr("The selected relays, or all that the filter finds"));
    barProgress->setObjectName(QStringLiteral("barProgress"));
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    barProgress->setMaximumWidth(220);
    barProgress->hide();
    cmdCancel->hide();

    auto *filters = new QHBoxLayout;
    filters->addWidget(new QLabel(tr("Relay ID:"), this));
    filters->addWidget(txtRelayId, 2);
    filters->addWidget(new QLabel(tr("Style:"), this));
    filters->addWidget(cmbStyle);
    filters->addWidget(new QLabel(tr("From:"), this));
    filters->addWidget(dateFrom);
    filters->addWidget(new QLabel(tr("To:"), this));
    filters->addWidget(dateTo);

    auto *trend = new QWidget(this);
    auto *trendRow = new QHBoxLayout;
    trendRow->addWidget(new QLabel(tr("Trend of:"), this));
    trendRow->addWidget(cmbQuantity, 1);
    trendRow->addWidget(lblTrend, 2);
    auto *trendColumn = new QVBoxLayout(trend);
    trendColumn->setContentsMargins(0, 0, 0, 0);
    trendColumn->addLayout(trendRow);
    trendColumn->addWidget(chartView, 1);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(tblRelays);
    split->addWidget(trend);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(lblStatus, 1);
    buttons->addWidget(barProgress);
    buttons->addWidget(cmdCancel);
    for (QPushButton *b : {cmdImport, cmdExportCsv, cmdExportJson, cmdPrint})
        buttons->addWidget(b);

    auto *column = new QVBoxLayout(this);
    column->addLayout(filters);
    column->addWidget(split, 1);
    column->addLayout(buttons);

    m_typing.setSingleShot(true);
    m_typing.setInterval(250);
    connect(&m_typing, &QTimer::timeout, this, &HistoryWindow::refresh);
    connect(txtRelayId, &QLineEdit::textChanged, &m_typing, qOverload<>(&QTimer::start));
    connect(cmbStyle, &QComboBox::currentIndexChanged, this, &HistoryWindow::refresh);
    connect(dateFrom, &QDateEdit::dateChanged, this, &HistoryWindow::refresh);
    connect(dateTo, &QDateEdit::dateChanged, this, &HistoryWindow::refresh);
    connect(tblRelays->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryWindow::updateTrend);
    connect(cmbQuantity, &QComboBox::currentIndexChanged, this, &HistoryWindow::updateTrend);
    connect(cmdExportCsv, &QPushButton::clicked, this, [this] { chooseFile(QStringLiteral("csv"), &HistoryWindow::exportChosen); });
    connect(cmdExportJson, &QPushButton::clicked, this, [this] { chooseFile(QStringLiteral("json"), &HistoryWindow::exportChosen); });
    connect(cmdPrint, &QPushButton::clicked, this, [this] { chooseFile(QStringLiteral("pdf"), &HistoryWindow::printChosen); });
    connect(cmdImport, &QPushButton::clicked, this, [this] {
        m_prompts.openFile(this, tr("Import a report file"), reportFolder(), QStringLiteral("csv"),
                           [this](const platform::FileChoice &choice) {
                               if (!choice.fullPath.isEmpty())
                                   importReport(choice.fullPath);
                           });
    });
    connect(cmdCancel, &QPushButton::clicked, m_task, &Worker::cancel);
    connect(m_task, &Worker::progressed, this, [this](qint64 done, qint64 total) {
        barProgress->setRange(0, total > 0 ? 1000 : 0);
        if (total > 0)
            barProgress->setValue(int(1000 * std::clamp<qint64>(done, 0, total) / total));
    });
    connect(m_table, &RelayTable::pageRead, this, [this](bool first, const QString &error) {
        if (first)
            tblRelays->resizeColumnsToContents();  // over the rows loaded so far, not the whole history
        if (!error.isEmpty())
            lblStatus->setText(error);
        checkSettled();
    });
    for (Worker *worker : {m_browse, m_task})
        connect(worker, &Worker::idle, this, &HistoryWindow::checkSettled);
    // New relays show as the bench records them, unless the operator is working on a choice.
    if (journal) {
        connect(journal, &Journal::settled, this, [this](int pending) {
            if (pending == 0 && !tblRelays->selectionModel()->hasSelection())
                refresh();
        });
    }
    refresh();
}

// Whatever is under way is called off; a statement the history does not answer is
// cut, so closing never waits on a server.
HistoryWindow::~HistoryWindow()
{
    delete m_task;
    delete m_browse;
}

void HistoryWindow::closeEvent(QCloseEvent *event)
{
    m_task->cancel();
    m_browse->cancel();
    QWidget::closeEvent(event);
}

bool HistoryWindow::busy() const
{
    return m_browse->busy() || m_task->busy() || m_table->fetching();
}

void HistoryWindow::checkSettled()
{
    if (!m_browse->busy() && !m_table->fetching())
        emit settled();
}

Filter HistoryWindow::filter() const
{
    Filter f;
    f.relayIdText = txtRelayId->text().trimmed();
    f.styleCode = cmbStyle->currentData().toInt();
    if (dateFrom->date() > AnyDate)
        f.from = dateFrom->date();
    if (dateTo->date() > AnyDate)
        f.to = dateTo->date();
    return f;
}

Filter HistoryWindow::chosen() const
{
    Filter f = filter();
    for (const QModelIndex &row : tblRelays->selectionModel()->selectedRows())
        f.ids << m_table->idAt(row.row());
    return f;
}

// What an earlier filter asked for is of no use any more: it is called off, and a
// statement still waiting on the history is cut soon after.
void HistoryWindow::refresh()
{
    cmdImport->setEnabled(cmbStyle->currentIndex() > 0 && !m_task->busy());
    m_browse->cancel();
    const Filter f = filter();
    m_table->show(f);
    lblStatus->setText(tr("Reading the results history..."));
    struct Found {
        bool ok = false;
        int relays = 0;
        QList<int> styles;
        QString error;
    };
    auto found = std::make_shared<Found>();
    const quint64 refresh = ++m_refreshes;
    m_browse->post(
        [this, f, found, refresh](Store *store, const Job &job) {
            if (job.cancelled() || refresh != m_refreshes)
                return;
            found->ok = store->count(f, &found->relays) && store->styles(f, &found->styles);
            found->error = store->error();
        },
        [this, found, refresh] {
            if (refresh != m_refreshes)
                return;
            // The outcome of an export or an import told since is not written over.
            const bool told = m_taskToldAt >= refresh;
            if (!found->ok) {
                if (!told)
                    lblStatus->setText(found->error);
            } else {
                if (!told)
                    lblStatus->setText(tr("%n relay(s)", nullptr, found->relays));
                fillQuantities(found->styles);
                updateTrend();
            }
            if (m_afterRefresh)
                std::exchange(m_afterRefresh, {})();
        });
}

void HistoryWindow::fillQuantities(const QList<int> &styles)
{
    const QString current = cmbQuantity->currentData().toString();
    QSignalBlocker quiet(cmbQuantity);
    cmbQuantity->clear();
    for (const Quantity &q : quantitiesOf(styles))
        cmbQuantity->addItem(quantityLabel(q), q.name);
    const int keep = cmbQuantity->findData(current.isEmpty() ? QStringLiteral("coil_resistance") : current);
    cmbQuantity->setCurrentIndex(std::max(keep, 0));
}

void HistoryWindow::updateTrend()
{
    const QString name = cmbQuantity->currentData().toString();
    const QString caption = cmbQuantity->currentText();
    const quint64 trend = ++m_trends;
    if (name.isEmpty()) {
        m_trend.clear();
        drawTrend(caption);
        return;
    }
    struct Series {
        bool ok = false;
        QList<std::pair<QDateTime, double>> values;
        QString error;
    };
    auto series = std::make_shared<Series>();
    m_browse->post(
        [this, f = chosen(), name, series, trend](Store *store, const Job &job) {
            if (job.cancelled() || trend != m_trends)
                return;
            series->ok = store->series(f, name, &series->values, TrendPoints);
            series->error = store->error();
        },
        [this, series, caption, trend] {
            if (trend != m_trends)
                return;
            if (!series->ok)
                lblStatus->setText(series->error);
            m_trend.clear();
            for (const auto &[at, value] : std::as_const(series->values))
                m_trend.append(value);
            drawTrend(caption);
        });
}

void HistoryWindow::drawTrend(const QString &caption)
{
    QChart *chart = chartView->chart();
    chart->removeAllSeries();
    for (QAbstractAxis *axis : chart->axes())
        chart->removeAxis(axis), delete axis;
    const Spread s = trendSpread();
    if (s.count == 0) {
        lblTrend->setText(tr("no values"));
        return;
    }
    lblTrend->setText(tr("mean %1, 3 sigma %2, %3 relay(s)%4")
                          .arg(QString::number(s.mean, 'g', 6), QString::number(3 * s.sigma, 'g', 4))
                          .arg(s.count)
                          .arg(s.count == TrendPoints ? tr(", the latest") : QString()));

    auto *values = new QLineSeries;
    values->setName(caption);
    auto *mean = new QLineSeries;
    mean->setName(tr("mean"));
    // The band's edges are not the chart's: they go with the band, which owns them.
    auto *band = new QAreaSeries;
    auto *upper = new QLineSeries(band), *lower = new QLineSeries(band);
    band->setUpperSeries(upper);
    band->setLowerSeries(lower);
    double low = s.mean - 3 * s.sigma, high = s.mean + 3 * s.sigma;
    for (int i = 0; i < s.count; ++i) {
        values->append(i + 1, m_trend[i]);
        low = std::min(low, m_trend[i]);
        high = std::max(high, m_trend[i]);
    }
    for (const int x : {1, std::max(s.count, 2)}) {
        mean->append(x, s.mean);
        upper->append(x, s.mean + 3 * s.sigma);
        lower->append(x, s.mean - 3 * s.sigma);
    }
    band->setName(tr("mean \u00b1 3\u03c3"));
    const QColor amber(240, 170, 0);
    band->setColor(QColor(amber.red(), amber.green(), amber.blue(), 80));  // the values stay seen through it
    band->setBorderColor(amber);
    values->setPen(QPen(QColor(0, 90, 170), 2));  // apart from the band's amber, whatever the chart's theme
    QPen dashed(QColor(200, 110, 0));
    dashed.setStyle(Qt::DashLine);
    mean->setPen(dashed);
    chart->addSeries(band);
    chart->addSeries(mean);
    chart->addSeries(values);
    // The band's swatch in full colour: the area's own see-through fill would show
    // next to white in the legend.
    for (QLegendMarker *marker : chart->legend()->markers(band)) {
        marker->setBrush(amber);
        marker->setPen(QPen(amber.darker(130)));
    }

    // Relays are counted in whole numbers; values get round steps.
    auto *x = new QValueAxis, *y = new QValueAxis;
    x->setTitleText(tr("relay, oldest first"));
    x->setLabelFormat(QStringLiteral("%d"));
    x->setRange(1, std::max(s.count, 2));
    x->setTickType(QValueAxis::TicksDynamic);
    x->setTickAnchor(0);
    x->setTickInterval(std::max(1.0, roundStep(std::max(s.count, 2) - 1, 8)));
    const double span = high > low ? high - low : std::max(1.0, std::abs(high) * 0.1);
    const double step = roundStep(span, 6);
    const double bottom = std::floor(low / step) * step;
    y->setRange(bottom, std::max(std::ceil(high / step) * step, bottom + step));
    y->setTickType(QValueAxis::TicksDynamic);
    y->setTickAnchor(0);
    y->setTickInterval(step);
    y->setLabelFormat(QStringLiteral("%.%1f").arg(step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9))));
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries *series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
}

// The report folder, where the bench keeps its report files; the start-up folder
// while there is none.
QString HistoryWindow::reportFolder() const
{
    return !m_reportFolder.isEmpty() && QFileInfo(m_reportFolder).isDir() ? m_reportFolder : m_startupFolder.path();
}

// In the report folder, named for what goes out: "Relays QN1 2026-05-20.csv".
void HistoryWindow::chooseFile(const QString &extension, bool (HistoryWindow::*then)(const QString &))
{
    const QString style = cmbStyle->currentIndex() > 0 ? cmbStyle->currentText() + QLatin1Char(' ') : QString();
    const QString suggested =
        QStringLiteral("Relays %1%2.%3").arg(style, QDate::currentDate().toString(Qt::ISODate), extension);
    m_prompts.saveFile(this, {}, QDir(reportFolder()).filePath(suggested), extension,
                       [this, then](const platform::FileChoice &choice) {
                           if (!choice.fullPath.isEmpty())
                               (this->*then)(choice.fullPath);
                       });
}

bool HistoryWindow::startTask(const QString &doing, std::function<void(Store *store, const Job &job)> work,
                              std::function<bool()> then)
{
    if (m_task->busy()) {
        lblStatus->setText(tr("Wait for the work under way to end, or cancel it"));
        return false;
    }
    showTaskRunning(true);
    lblStatus->setText(doing);
    m_task->post(std::move(work), [this, then = std::move(then)] {
        showTaskRunning(false);
        m_taskToldAt = m_refreshes;
        emit taskFinished(then());
    });
    return true;
}

void HistoryWindow::showTaskRunning(bool running)
{
    barProgress->setRange(0, 0);
    barProgress->setVisible(running);
    cmdCancel->setVisible(running);
    for (QPushButton *b : {cmdExportCsv, cmdExportJson, cmdPrint})
        b->setEnabled(!running);
    cmdImport->setEnabled(!running && cmbStyle->currentIndex() > 0);
}

bool HistoryWindow::exportChosen(const QString &path)
{
    auto result = std::make_shared<ExportResult>();
    return startTask(
        tr("Writing %1...").arg(QDir::toNativeSeparators(path)),
        [f = chosen(), path, result](Store *store, const Job &job) { *result = exportRelays(*store, f, path, job); },
        [this, path, result] {
            lblStatus->setText(result->ok ? tr("%n relay(s) written to %1", nullptr, result->relays)
                                                .arg(QDir::toNativeSeparators(path))
                                          : result->error);
            return result->ok;
        });
}

bool HistoryWindow::printChosen(const QString &path)
{
    struct Printed {
        PdfResult pdf;
        int relays = 0;
        QString error;  // the history could not be read
    };
    auto printed = std::make_shared<Printed>();
    return startTask(
        tr("Printing to %1...").arg(QDir::toNativeSeparators(path)),
        [f = chosen(), path, printed](Store *store, const Job &job) {
            int files = 0;
            QString onlyFile;
            if (!store->count(f, &printed->relays) || !store->reportFiles(f, &files, &onlyFile)) {
                printed->error = store->error();
                return;
            }
            const QString file = files == 1 ? onlyFile
                                 : files == 0 ? QString()
                                              : tr("%1 report files").arg(files);
            // Read twice, a page at a time, instead of held whole.
            const RelaySource relays{printed->relays,
                                     [store, f](const std::function<bool(const RelayEntry &)> &visit, QString *error) {
                                         if (store->forEachWhile(f, visit))
                                             return true;
                                         *error = store->error();
                                         return false;
                                     }};
            printed->pdf = writeRoutinePdf(path, relays, {QSysInfo::machineHostName(), file}, job);
        },
        [this, path, printed] {
            const QString where = QDir::toNativeSeparators(path);
            const PdfResult &pdf = printed->pdf;
            lblStatus->setText(!printed->error.isEmpty() ? printed->error
                               : pdf.ok ? tr("%n relay(s) printed to %1", nullptr, printed->relays).arg(where)
                               : pdf.cancelled ? tr("The printout to %1 was called off; the file was left as it was").arg(where)
                                               : tr("%1 cannot be written: %2").arg(where, pdf.error));
            return pdf.ok;
        });
}

bool HistoryWindow::importReport(const QString &path)
{
    auto result = std::make_shared<ImportResult>();
    return startTask(
        tr("Importing %1...").arg(QDir::toNativeSeparators(path)),
        [path, style = cmbStyle->currentData().toInt(), result](Store *store, const Job &job) {
            *result = importReportFile(*store, path, style, job);
        },
        [this, path, result] {
            if (!result->ok) {
                lblStatus->setText(result->error);
                return false;
            }
            const QString told = tr("%1: %2 record(s), %3 new to the history")
                                     .arg(QDir::toNativeSeparators(path))
                                     .arg(result->records)
                                     .arg(result->added);
            m_afterRefresh = [this, told] { lblStatus->setText(told); };
            refresh();
            lblStatus->setText(told);
            return true;
        });
}

} // namespace history

#include "historywindow.moc"
