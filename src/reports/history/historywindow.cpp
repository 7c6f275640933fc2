#include "reports/history/historywindow.h"

#include "platform/numbertext.h"
#include "platform/prompts.h"
#include "reports/history/exporters.h"
#include "reports/history/journal.h"
#include "reports/history/recorditems.h"
#include "reports/history/reportimport.h"
#include "reports/history/routinepdf.h"
#include "reports/reportfile.h"

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
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
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QSplitter>
#include <QAbstractTableModel>
#include <QSysInfo>
#include <QTableView>
#include <QValueAxis>
#include <QVBoxLayout>

#include <cmath>

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
// history does not matter to the window.
class RelayTable : public QAbstractTableModel
{
public:
    RelayTable(Store &store, QObject *parent)
        : QAbstractTableModel(parent)
        , m_store(store)
    {
    }

    void show(const Filter &filter)
    {
        beginResetModel();
        m_filter = filter;
        m_rows.clear();
        m_more = true;
        endResetModel();
        fetchMore({});
    }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : 9; }
    bool canFetchMore(const QModelIndex &parent) const override { return !parent.isValid() && m_more; }

    void fetchMore(const QModelIndex &parent) override
    {
        if (parent.isValid() || !m_more)
            return;
        constexpr int Page = 256;
        QList<RelayEntry> page;
        const bool read = m_store.page(m_filter, true, m_rows.isEmpty() ? nullptr : &m_rows.constLast(), Page, &page);
        m_more = read && page.size() == Page;
        if (page.isEmpty())
            return;
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + page.size() - 1));
        m_rows.append(page);
        endInsertRows();
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
        case 1: return r.relayId;
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

    Store &m_store;
    Filter m_filter;
    QList<RelayEntry> m_rows;
    bool m_more = false;
};

HistoryWindow::HistoryWindow(const Location &location, Journal *journal, QWidget *parent)
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
    , m_store(location, QStringLiteral("quillmark-history-window-%1").arg(quintptr(this), 0, 16))
    , m_table(new RelayTable(m_store, this))
{
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
        platform::Prompts::current().openFile(this, tr("Import a report file"), importFolder(),
                                              QStringLiteral("csv"), [this](const platform::FileChoice &choice) {
                                                  if (!choice.fullPath.isEmpty())
                                                      importReport(choice.fullPath);
                                              });
    });
    // New relays show as the bench records them, unless the operator is working on a choice.
    if (journal) {
        connect(journal, &Journal::settled, this, [this](int pending) {
            if (pending == 0 && !tblRelays->selectionModel()->hasSelection())
                refresh();
        });
    }
    refresh();
}

HistoryWindow::~HistoryWindow() = default;

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

void HistoryWindow::refresh()
{
    cmdImport->setEnabled(cmbStyle->currentIndex() > 0);
    const Filter f = filter();
    int relays = 0;
    const bool counted = m_store.count(f, &relays);
    m_table->show(f);
    tblRelays->resizeColumnsToContents();  // over the rows loaded so far, not the whole history
    if (!counted) {
        lblStatus->setText(m_store.error());
        return;
    }
    lblStatus->setText(tr("%n relay(s)", nullptr, relays));
    fillQuantities();
    updateTrend();
}

void HistoryWindow::fillQuantities()
{
    QList<int> styles;
    m_store.styles(filter(), &styles);
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
    m_trend.clear();
    const QString name = cmbQuantity->currentData().toString();
    QList<std::pair<QDateTime, double>> values;
    if (!name.isEmpty() && !m_store.series(chosen(), name, &values, TrendPoints))
        lblStatus->setText(m_store.error());
    for (const auto &[at, value] : std::as_const(values))
        m_trend.append(value);
    drawTrend(cmbQuantity->currentText());
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

// The report folder, where the bench keeps its report files; the current folder
// while there is none.
QString HistoryWindow::importFolder() const
{
    return !m_reportFolder.isEmpty() && QFileInfo(m_reportFolder).isDir() ? m_reportFolder : QDir::currentPath();
}

void HistoryWindow::chooseFile(const QString &extension, bool (HistoryWindow::*then)(const QString &))
{
    platform::Prompts::current().saveFile(this, {}, QDir::currentPath(), extension,
                                          [this, then](const platform::FileChoice &choice) {
                                              if (!choice.fullPath.isEmpty())
                                                  (this->*then)(choice.fullPath);
                                          });
}

bool HistoryWindow::exportChosen(const QString &path)
{
    const ExportResult result = exportRelays(m_store, chosen(), path);
    lblStatus->setText(result.ok ? tr("%n relay(s) written to %1", nullptr, result.relays).arg(QDir::toNativeSeparators(path))
                                 : result.error);
    return result.ok;
}

bool HistoryWindow::printChosen(const QString &path)
{
    QList<RelayEntry> relays;
    QSet<QString> files;
    if (!m_store.forEach(chosen(), [&](const RelayEntry &e) {
            relays.append(e);
            files.insert(e.reportFile);
        })) {
        lblStatus->setText(m_store.error());
        return false;
    }
    const QString file = files.size() == 1 ? *files.begin()
                         : files.isEmpty() ? QString()
                                           : tr("%1 report files").arg(files.size());
    const PdfResult result = writeRoutinePdf(path, relays, {QSysInfo::machineHostName(), file});
    lblStatus->setText(result.ok ? tr("%n relay(s) printed to %1", nullptr, int(relays.size())).arg(QDir::toNativeSeparators(path))
                                 : tr("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), result.error));
    return result.ok;
}

bool HistoryWindow::importReport(const QString &path)
{
    const ImportResult result = importReportFile(m_store, path, cmbStyle->currentData().toInt());
    if (!result.ok) {
        lblStatus->setText(result.error);
        return false;
    }
    refresh();
    lblStatus->setText(tr("%1: %2 record(s), %3 new to the history")
                           .arg(QDir::toNativeSeparators(path))
                           .arg(result.records)
                           .arg(result.added));
    return true;
}

} // namespace history
