#include "kitlink/adapterwindow.h"

#include "platform/paths.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QThread>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace {

QString portText(int portNumber)
{
    return QStringLiteral("COM %1").arg(portNumber);
}

} // namespace

AdapterWindow::AdapterWindow(AdapterSource source, const platform::StartupFolder &startupFolder, int portNumber,
                             QWidget *parent)
    : QDialog(parent)
    , tblAdapters(new QTableWidget(0, 6, this))
    , cmbPort(new QComboBox(this))
    , lblBinding(new QLabel(this))
    , cmdBind(new QPushButton(tr("&Bind to the selected adapter"), this))
    , cmdRefresh(new QPushButton(tr("&Refresh"), this))
    , m_source(std::move(source))
    , m_startupFolder(startupFolder)
{
    setObjectName(QStringLiteral("frmAdapters"));
    setWindowTitle(tr("Serial Adapters"));
    resize(900, 320);

    tblAdapters->setObjectName(QStringLiteral("tblAdapters"));
    tblAdapters->setHorizontalHeaderLabels(
        {tr("Port"), tr("Bound as"), tr("Description"), tr("Manufacturer"), tr("Serial number"), tr("Stable path")});
    tblAdapters->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblAdapters->setSelectionMode(QAbstractItemView::SingleSelection);
    tblAdapters->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblAdapters->verticalHeader()->hide();
    tblAdapters->horizontalHeader()->setStretchLastSection(true);

    cmbPort->setObjectName(QStringLiteral("cmbPort"));
    for (int n = 1; n <= 255; ++n)
        cmbPort->addItem(portText(n));
    cmbPort->setCurrentIndex(portNumber >= 1 && portNumber <= 255 ? portNumber - 1 : 0);
    lblBinding->setObjectName(QStringLiteral("lblBinding"));
    lblBinding->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblBinding->setWordWrap(true);
    cmdBind->setObjectName(QStringLiteral("cmdBind"));
    cmdBind->setEnabled(false);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    auto *note = new QLabel(tr("Quillmark opens its port when it starts, and again when a lost adapter comes back: "
                               "a binding counts from then. A COM<n> link made by hand in %1 works as well.")
                                .arg(startupFolder.path()),
                            this);
    note->setWordWrap(true);

    auto *portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel(tr("Port:"), this));
    portRow->addWidget(cmbPort);
    portRow->addWidget(cmdBind);
    portRow->addStretch();
    portRow->addWidget(cmdRefresh);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(tblAdapters);
    layout->addLayout(portRow);
    layout->addWidget(lblBinding);
    layout->addWidget(note);
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(cmdRefresh, &QPushButton::clicked, this, &AdapterWindow::refresh);
    connect(cmdBind, &QPushButton::clicked, this, &AdapterWindow::bind);
    connect(cmbPort, &QComboBox::currentIndexChanged, this, &AdapterWindow::showBinding);
    connect(tblAdapters, &QTableWidget::itemSelectionChanged, this,
            [this] { cmdBind->setEnabled(!tblAdapters->selectedItems().isEmpty()); });
    showBinding();
    refresh();
}

// The listing reads the system's device folders: it may be slow, and the bench's
// thread belongs to the kit.
AdapterWindow::~AdapterWindow()
{
    if (m_listing)
        m_listing->wait();
}

int AdapterWindow::portNumber() const
{
    return cmbPort->currentIndex() + 1;
}

QList<AdapterWindow::Row> AdapterWindow::rowsOf(const AdapterSource &source, const QString &startupFolder)
{
    const QMap<int, QString> bound = platform::boundSerialPorts(startupFolder);
    QList<Row> rows;
    for (const SerialAdapter &adapter : source()) {
        Row row{adapter, {}};
        const QString device = QFileInfo(adapter.port).canonicalFilePath();
        for (auto link = bound.cbegin(); link != bound.cend(); ++link) {
            if (!device.isEmpty() && link.value() == device)
                row.boundAs << portText(link.key());
        }
        rows << row;
    }
    return rows;
}

void AdapterWindow::refresh()
{
    if (m_listing) {
        m_listAgain = true;  // a binding made meanwhile shows in the next list
        return;
    }
    cmdRefresh->setEnabled(false);
    auto rows = std::make_shared<QList<Row>>();
    m_listing = QThread::create([source = m_source, folder = m_startupFolder.path(), rows] {
        *rows = rowsOf(source, folder);
    });
    m_listing->setParent(this);
    connect(m_listing, &QThread::finished, this, [this, rows] {
        m_listing->deleteLater();
        m_listing = nullptr;
        cmdRefresh->setEnabled(true);
        fillTable(*rows);
        emit listed();
        if (std::exchange(m_listAgain, false))
            refresh();
    });
    m_listing->start();
}

void AdapterWindow::fillTable(const QList<Row> &rows)
{
    const QString selected = tblAdapters->currentRow() >= 0 && tblAdapters->currentRow() < m_rows.size()
                                 ? m_rows[tblAdapters->currentRow()].adapter.port
                                 : QString();
    m_rows = rows;
    tblAdapters->clearContents();
    tblAdapters->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const SerialAdapter &adapter = rows[r].adapter;
        const QStringList cells{adapter.port,         rows[r].boundAs.join(QStringLiteral(", ")), adapter.description,
                                adapter.manufacturer, adapter.serialNumber,
                                adapter.stablePath.isEmpty() ? tr("(none)") : adapter.stablePath};
        for (int c = 0; c < cells.size(); ++c)
            tblAdapters->setItem(r, c, new QTableWidgetItem(cells[c]));
        // The adapter picked before the list was read again, else the one the port is bound to.
        if (adapter.port == selected || (selected.isEmpty() && rows[r].boundAs.contains(cmbPort->currentText())))
            tblAdapters->selectRow(r);
    }
    tblAdapters->resizeColumnsToContents();
    showBinding();  // an adapter plugged back in may have a new device
}

void AdapterWindow::bind()
{
    const int row = tblAdapters->currentRow();
    if (row < 0 || row >= m_rows.size())
        return;
    const QString why = platform::bindSerialPort(portNumber(), m_startupFolder.path(), m_rows[row].adapter.bindingTarget());
    if (!why.isEmpty()) {
        lblBinding->setText(tr("Not bound: %1").arg(why));
        return;
    }
    showBinding();
    refresh();
}

void AdapterWindow::showBinding()
{
    const QString device = platform::serialDeviceForPort(portNumber(), m_startupFolder.path());
    const bool there = QFileInfo::exists(device);
    lblBinding->setText(tr("%1 opens %2%3")
                            .arg(cmbPort->currentText(), platform::serialPortName(portNumber(), device).section(
                                                              QStringLiteral(" \u2192 "), 1),
                                 there ? QString() : tr(", which is not there now")));
}
