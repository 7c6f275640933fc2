#include "console/window/frmmain.h"

#include "console/monitor/benchmonitor.h"
#include "console/record/benchsettings.h"
#include "console/window/frmabout.h"
#include "console/window/frmoptions.h"
#include "console/window/mainwindowlayout.h"
#include "console/record/relaycatalogue.h"
#include "platform/dialogwait.h"
#include "platform/handsoff.h"
#include "platform/statuslamp.h"
#include "kitlink/adapterwindow.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitlogwindow.h"
#include "kitlink/serialkitport.h"
#include "tests/frmdropaway.h"
#include "tests/procedures.h"
#include "tests/progress.h"
#include "tests/reportdispatch.h"
#include "platform/prompts.h"
#include "quillmark_version.h"
#include "reports/history/historywindow.h"
#include "reports/history/journal.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QMessageBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>

#include <cstdio>

using formlayout::px;

namespace {

const QString AppVersion = QStringLiteral(QUILLMARK_VERSION);
const QString AppUpdateDate = QStringLiteral(QUILLMARK_UPDATE_DATE);

QTimer *makeTimer(QObject *owner, const char *name, std::chrono::milliseconds interval, bool singleShot)
{
    auto *timer = new QTimer(owner);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    timer->setSingleShot(singleShot);
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

// The design text of an editable selector shows while no entry is selected.
void selectEntry(QComboBox *combo, int index, const QString &designText)
{
    combo->setCurrentIndex(index);
    if (index < 0)
        combo->setEditText(designText);
}

} // namespace

FrmMain::FrmMain(BenchRecord &record, platform::Prompts &prompts, const platform::StartupFolder &startupFolder,
                 const Timings &timings, std::unique_ptr<KitPort> port, QWidget *parent)
    : formlayout::Form(mainWindowControls(), parent)
    , FrameCPanel(control<QGroupBox>(QStringLiteral("FrameCPanel")))
    , cmdCoilResistance(control<QPushButton>(QStringLiteral("cmdCoilResistance")))
    , cmdPickUp(control<QPushButton>(QStringLiteral("cmdPickUp")))
    , cmdDropAway(control<QPushButton>(QStringLiteral("cmdDropAway")))
    , cmdContactResistance(control<QPushButton>(QStringLiteral("cmdContactResistance")))
    , cmdContactDelay(control<QPushButton>(QStringLiteral("cmdContactDelay")))
    , cmdContactSequence(control<QPushButton>(QStringLiteral("cmdContactSequence")))
    , cmdAuto(control<QPushButton>(QStringLiteral("cmdAuto")))
    , cmdReport(control<QPushButton>(QStringLiteral("cmdReport")))
    , cmdSIG(control<QPushButton>(QStringLiteral("cmdSIG")))
    , cmdOptions(control<QPushButton>(QStringLiteral("cmdOptions")))
    , cmbCRChannel(control<QComboBox>(QStringLiteral("cmbCRChannel")))
    , cmbCDChannel(control<QComboBox>(QStringLiteral("cmbCDChannel")))
    , cmbCR(control<QComboBox>(QStringLiteral("cmbCR")))
    , cmbCD(control<QComboBox>(QStringLiteral("cmbCD")))
    , cmbPortNo(control<QComboBox>(QStringLiteral("cmbPortNo")))
    , cmbType(control<QComboBox>(QStringLiteral("cmbType")))
    , lblVoltage(control<QLabel>(QStringLiteral("lblVoltage")))
    , lblCurrent(control<QLabel>(QStringLiteral("lblCurrent")))
    , lblOhms(control<QLabel>(QStringLiteral("lblOhms")))
    , lblOhms2(control<QLabel>(QStringLiteral("lblOhms2")))
    , lblPUV(control<QLabel>(QStringLiteral("lblPUV")))
    , lblDAV(control<QLabel>(QStringLiteral("lblDAV")))
    , lblContactResistance(control<QLabel>(QStringLiteral("lblContactResistance")))
    , lblContactDelay(control<QLabel>(QStringLiteral("lblContactDelay")))
    , lblContactSeq(control<QLabel>(QStringLiteral("lblContactSeq")))
    , lblCommStatus(control<QLabel>(QStringLiteral("lblCommStatus")))
    , shpStatus(control<StatusLamp>(QStringLiteral("shpStatus")))
    , tmrPortOpen(makeTimer(this, "tmrPortOpen", timings.portOpen, false))
    , tmrComm(makeTimer(this, "tmrComm", timings.poll, false))
    , tmrTout(makeTimer(this, "tmrTout", timings.fixedWait, true))
    , tmrPortWatch(makeTimer(this, "tmrPortWatch", timings.portWatch, false))
    , actStop(new QAction(tr("Stop"), this))
    , actKitLog(new QAction(tr("Kit log"), this))
    , actBenchMonitor(new QAction(tr("Bench Monitor"), this))
    , actHistory(new QAction(tr("Results history"), this))
    , actAdapters(new QAction(tr("Serial adapters"), this))
    , m_record(record)
    , m_prompts(prompts)
    , m_startupFolder(startupFolder)
    , m_timings(timings)
    , m_port(port ? std::move(port) : std::make_unique<SerialKitPort>())
    , m_link(std::make_unique<KitLink>(m_record, *m_port, static_cast<LinkView &>(*this),
                                       PortCheck::Timers{*tmrPortOpen, *tmrComm, *tmrTout, *tmrPortWatch}, m_waits))
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Quillmark ~ MORVAYNE TELLICOR TECHNOLOGIES PRIVATE LIMITED"));
    setWindowIcon(benchIcon());
    setFixedSize(px(12600), px(7785));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
    setAutoFillBackground(true);

    for (int i = 0; i < int(lblBusy.size()); ++i)
        lblBusy[i] = control<QLabel>(QStringLiteral("lblBusy(%1)").arg(i));
    for (int i = 0; i < int(Label1.size()); ++i)
        Label1[i] = control<QLabel>(QStringLiteral("Label1(%1)").arg(i));
    for (int i = 0; i < int(lblVer.size()); ++i)
        lblVer[i] = control<QLabel>(QStringLiteral("lblVer(%1)").arg(i));

    m_progress = std::make_unique<Progress>([this] { return m_link->wait.ticks(); });
    connect(tmrTout, &QTimer::timeout, m_progress.get(), &Progress::ticked);
    m_procedures = std::make_unique<Procedures>(m_record, *m_link, static_cast<BenchView &>(*this), *m_progress,
                                                m_startupFolder);
    // Queued: both come from inside a procedure's run, which closing would end.
    connect(m_procedures.get(), &Procedures::madeSafe, this, &FrmMain::onMadeSafe, Qt::QueuedConnection);
    connect(&m_link->commands, &KitCommands::lineFailure, this, &FrmMain::onMadeSafe, Qt::QueuedConnection);
    // A test the line failed under ends as Stop ends it; its safe sequence cannot
    // reach the kit, which the port error says. A kit that comes back is checked only
    // once nothing runs.
    connect(
        &m_link->commands, &KitCommands::lineFailure, this,
        [this] {
            if (m_procedures->running())
                m_procedures->stop();
        },
        Qt::QueuedConnection);
    m_link->portCheck.setTestRunning([this] { return m_procedures->running() || m_procedures->makingSafe(); });
    connectButtons();

    // Outside the fixed layout: the operator's Stop on Escape, and a right-click menu
    // that also lists the kit log.
    actStop->setObjectName(QStringLiteral("actStop"));
    actStop->setShortcut(QKeySequence(Qt::Key_Escape));
    connect(actStop, &QAction::triggered, this, [this] { m_procedures->stop(); });
    actKitLog->setObjectName(QStringLiteral("actKitLog"));
    actKitLog->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(actKitLog, &QAction::triggered, this, &FrmMain::showKitLog);
    actBenchMonitor->setObjectName(QStringLiteral("actBenchMonitor"));
    actBenchMonitor->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_M));
    connect(actBenchMonitor, &QAction::triggered, this, &FrmMain::showBenchMonitor);
    actHistory->setObjectName(QStringLiteral("actHistory"));
    actHistory->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    connect(actHistory, &QAction::triggered, this, &FrmMain::showHistory);
    actAdapters->setObjectName(QStringLiteral("actAdapters"));
    actAdapters->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    connect(actAdapters, &QAction::triggered, this, &FrmMain::showAdapters);
    addActions({actStop, actKitLog, actBenchMonitor, actHistory, actAdapters});
    setContextMenuPolicy(Qt::ActionsContextMenu);

    connect(cmbType, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        cmbType_Click(index);
        emit relaySelected(index);
    });
}

FrmMain::~FrmMain()
{
    m_waits.cancelAll();
    m_procedures.reset();  // the runs it holds end while the window they show in is whole
}

QIcon FrmMain::benchIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 128})
        icon.addFile(QStringLiteral(":/icons/quillmark-%1.png").arg(size), QSize(size, size));
    return icon;
}

void FrmMain::connectButtons()
{
    connect(cmdCoilResistance, &QPushButton::clicked, this, &FrmMain::cmdCoilResistance_Click);
    connect(cmdPickUp, &QPushButton::clicked, this, &FrmMain::cmdPickUp_Click);
    connect(cmdDropAway, &QPushButton::clicked, this, &FrmMain::cmdDropAway_Click);
    connect(cmdContactResistance, &QPushButton::clicked, this, &FrmMain::cmdContactResistance_Click);
    connect(cmdContactDelay, &QPushButton::clicked, this, &FrmMain::cmdContactDelay_Click);
    connect(cmdContactSequence, &QPushButton::clicked, this, &FrmMain::cmdContactSequence_Click);
    connect(cmdAuto, &QPushButton::clicked, this, &FrmMain::cmdAuto_Click);
    connect(cmdSIG, &QPushButton::clicked, this, &FrmMain::cmdSIG_Click);
    connect(cmdReport, &QPushButton::clicked, this, &FrmMain::cmdReport_Click);
    connect(cmdOptions, &QPushButton::clicked, this, &FrmMain::cmdOptions_Click);
}

void FrmMain::cmdCoilResistance_Click()
{
    m_procedures->launch(m_procedures->coilResistance.run());
}

void FrmMain::cmdPickUp_Click()
{
    m_procedures->launch(m_procedures->pickUpDropAway.pickUp());
}

void FrmMain::cmdDropAway_Click()
{
    m_procedures->launch(m_procedures->pickUpDropAway.dropAway());
}

void FrmMain::cmdContactResistance_Click()
{
    m_procedures->launch(m_procedures->contactResistance.run(cmbCRChannel->currentIndex()));
}

void FrmMain::cmdContactDelay_Click()
{
    m_procedures->launch(m_procedures->contactDelay.run(cmbCDChannel->currentIndex()));
}

void FrmMain::cmdContactSequence_Click()
{
    m_procedures->launch(m_procedures->contactSequence.run());
}

void FrmMain::cmdAuto_Click()
{
    m_procedures->launch(m_procedures->autoTest.run());
}

void FrmMain::cmdSIG_Click()
{
    m_procedures->launch(m_procedures->sigEndurance.run());
}

void FrmMain::cmdReport_Click()
{
    reportdispatch::generateReport({*this, m_record, m_prompts, m_startupFolder, m_journal}, cmbType->currentIndex());
}

void FrmMain::cmdOptions_Click()
{
    auto *options = new FrmOptions(m_record, m_prompts, this);
    options->setAttribute(Qt::WA_DeleteOnClose);
    options->open();
}

void FrmMain::formLoad()
{
    m_waits.run(load(), platform::WaitStack::OnStop::Keep);
}

platform::Task FrmMain::load()
{
    BenchRecord &record = m_record;
    record.AppVersion = AppVersion;
    record.AppUpdateDate = AppUpdateDate;
    lblVer[0]->setText(QStringLiteral("Ver.") + record.AppVersion);
    lblVer[1]->setText(record.AppUpdateDate);

    if (m_timings.splash.count() > 0) {
        FrmAbout about(record, m_timings.splash, this);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            about.move(screen->availableGeometry().center() - about.rect().center());
        about.open();
        co_await platform::closed(m_waits, &about);
    }

    {
        const QSignalBlocker quiet(cmbType);  // filling is not a selection
        cmbType->addItems(catalogue::entryTexts());
        cmbType->setCurrentIndex(-1);
    }
    cmbType->setCurrentIndex(0);  // raises cmbType_Click for entry 0

    {
        QStringList ports;
        for (int n = 1; n <= 255; ++n)
            ports << QStringLiteral("COM %1").arg(n);
        cmbPortNo->addItems(ports);
        selectEntry(cmbPortNo, -1, QStringLiteral("Combo1"));
    }

    for (QComboBox *channels : {cmbCRChannel, cmbCDChannel}) {
        channels->addItems(catalogue::channelSelectorTexts());
        channels->setCurrentIndex(0);
    }

    for (QLabel *busy : lblBusy)
        busy->setVisible(false);

    cmdReport->setEnabled(true);
    lblPUV->setVisible(false);
    lblDAV->setVisible(false);

    // The test state of a fresh start: nothing pending, no hold.
    m_link->poll.closeAll();

    record.StyleCode = 1;
    record.RelayID.clear();

    catalogue::buildContactLayout(record.ContactLayout);

    readConfiguration();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    emit loaded();
}

void FrmMain::readConfiguration()
{
    m_settings = std::make_unique<BenchSettings>(m_startupFolder);
    const BenchSettings::Loaded loaded = m_settings->load();
    BenchRecord &record = m_record;
    const qint16 portNumber = loaded.values.portAndNumbering.portNumber;  // 1..255; 0 = none selected
    record.RelayNumbering = loaded.values.portAndNumbering.relayNumbering;
    record.ExcelPath = loaded.values.folders.excelPath;
    record.TemplateFolder = loaded.values.folders.templateFolder;
    record.SaveFolder = loaded.values.folders.saveFolder;
    for (const auto &[path, why] : loaded.unwritable)
        reportUnwritable(path, why);
    if (!loaded.notice.isEmpty())
        m_prompts.message(this, tr("Settings file left as it is"), loaded.notice, platform::PromptIcon::Exclamation);
    selectEntry(cmbPortNo, portNumber - 1, QStringLiteral("Combo1"));
    m_link->portCheck.setPort(portNumber, m_startupFolder);
    tmrPortOpen->start();
}

QDialog *FrmMain::formUnload()
{
    if (m_unloaded || !m_settings)
        return nullptr;
    m_unloaded = true;
    const auto portNumber = static_cast<qint16>(cmbPortNo->currentIndex() + 1);
    BenchMonitor::remember(m_monitor);
    const BenchRecord &record = m_record;
    const BenchSettings::Saved saved = m_settings->save(
        {{portNumber, record.RelayNumbering}, {record.ExcelPath, record.TemplateFolder, record.SaveFolder}});
    if (saved.ok)
        return nullptr;
    return m_prompts.message(this, tr("Settings not saved"), saved.text, platform::PromptIcon::Exclamation);
}

void FrmMain::reportUnwritable(const QString &path, const QString &why)
{
    m_prompts.message(
        this, tr("Settings not saved"),
        tr("Quillmark could not write its settings file\n%1\n\n%2\n\n"
           "The port choice, the relay serial numbers and the folders of this run are not saved.")
            .arg(QDir::toNativeSeparators(path), why),
        platform::PromptIcon::Exclamation);
}

void FrmMain::closeOnSignal()
{
    m_closedBySignal = true;
    close();
}

// The program ends in order, whoever closes the window: a procedure that runs is
// stopped and the kit made safe first (the safe sequence with its settle times, as a
// Stop does), then the settings go to disk, and the program ends even if other windows
// of the bench are still open. Nothing runs: nothing is sent. A Drop Away Test dialog
// left open is taken as Cancel first. A second close or stop signal while this goes
// on does not cut it short; a line that has failed does, as nothing can reach the
// kit any more.
void FrmMain::closeEvent(QCloseEvent *event)
{
    switch (m_closing) {
    case Closing::No:
        if (auto *dropAway = findChild<FrmDropAway *>(); dropAway && dropAway->isVisible())
            dropAway->reject();
        if (!m_link->commands.lineFailed() && (m_procedures->running() || m_procedures->makingSafe())) {
            m_closing = Closing::MakingSafe;
            showClosingNotice();
            if (!m_procedures->makingSafe())
                m_procedures->stop();
            event->ignore();
            return;
        }
        break;
    case Closing::MakingSafe:
    case Closing::Telling:
        if (m_closing == Closing::MakingSafe || !m_closedBySignal) {
            event->ignore();
            return;
        }
        break;  // a stop signal while the operator reads why the settings were not saved
    case Closing::Safe:
    case Closing::Done:
        break;
    }

    if (m_closing != Closing::Done) {
        if (QDialog *notSaved = formUnload(); notSaved && !m_closedBySignal) {
            // The operator reads what happened to the settings before the window goes.
            m_closing = Closing::Telling;
            platform::whenClosed(notSaved, this, [this] {
                m_closing = Closing::Done;
                close();
            });
            event->ignore();
            return;
        }
    }
    m_closing = Closing::Done;
    delete m_closingNotice;
    // Whatever still waits on the kit ends here, where it stands.
    m_waits.cancelAll();
    event->accept();
    emit closed();
}

void FrmMain::showClosingNotice()
{
    const QString text = tr("Making the kit safe before Quillmark closes: coil supply, second coil and current "
                            "source off, set-points to zero, each with its settle time.");
    std::fprintf(stderr, "quillmark: %s\n", qPrintable(text));
    m_closingNotice = new QMessageBox(QMessageBox::Information, tr("Quillmark is closing"), text,
                                      QMessageBox::NoButton, this);
    m_closingNotice->setObjectName(QStringLiteral("closingNotice"));
    m_closingNotice->setWindowModality(Qt::NonModal);
    m_closingNotice->show();
}

void FrmMain::onMadeSafe()
{
    if (m_closing != Closing::MakingSafe)
        return;
    m_closing = Closing::Safe;
    close();
}

void FrmMain::showKitLog()
{
    if (!m_kitLogWindow) {
        m_kitLogWindow = new KitLogWindow(m_link->log, m_prompts, m_record.SaveFolder, this);
        m_kitLogWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_kitLogWindow->show();
    m_kitLogWindow->raise();
    m_kitLogWindow->activateWindow();
}

void FrmMain::showAdapters()
{
    if (!m_adapterWindow) {
        m_adapterWindow = new AdapterWindow(presentAdapters, m_startupFolder, cmbPortNo->currentIndex() + 1, this);
        m_adapterWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_adapterWindow->show();
    m_adapterWindow->raise();
    m_adapterWindow->activateWindow();
}

BenchMonitor *FrmMain::benchMonitor() const
{
    return m_monitor;
}

void FrmMain::showBenchMonitor()
{
    if (!m_monitor) {
        const auto coil = [this] {
            return monitorlayout::Coil{double(m_record.CoilResistance1), relayIndex() == catalogue::QTA2};
        };
        const auto controlPanel = [this] { return QRect(FrameCPanel->mapToGlobal(QPoint()), FrameCPanel->size()); };
        m_monitor = new BenchMonitor({*m_link, *m_progress, *tmrTout, *tmrComm, [this] { m_procedures->stop(); },
                                      m_prompts, coil, controlPanel},
                                     this);
    }
    m_monitor->open();
}

history::HistoryWindow *FrmMain::historyWindow() const
{
    return m_history;
}

void FrmMain::setJournal(history::Journal &journal)
{
    m_journal = &journal;
}

// The history the bench records into; a run without a journal looks in the
// start-up folder's own.
void FrmMain::showHistory()
{
    if (!m_history) {
        const history::Location location =
            m_journal ? m_journal->location() : history::Location::inFolder(m_startupFolder);
        m_history = new history::HistoryWindow(location, m_prompts, m_startupFolder, m_journal, this);
        m_history->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_history->setReportFolder(m_record.SaveFolder);
    m_history->show();
    m_history->raise();
    m_history->activateWindow();
}

void FrmMain::showCommStatus(const QString &text)
{
    lblCommStatus->setText(text);
}

void FrmMain::tellPortError(const QString &title, const QString &text)
{
    // A test under way when the line failed is stopped a moment later, but nothing
    // reaches the kit any more: what it was switching stays as it is.
    const bool testCutOff = m_link->commands.lineFailed() && m_procedures->running();
    m_prompts.message(this, title,
                      testCutOff ? text + QStringLiteral("\n\n")
                                       + tr("A test was running: it has been stopped, but the kit could not be made "
                                            "safe. Until it is checked at the kit, take its outputs as unknown: the "
                                            "coil supply, second coil and current source may still be on.")
                                 : text,
                      platform::PromptIcon::Exclamation);
}

void FrmMain::showLiveReadings(const QString &volts, const QString &milliamps, bool busy)
{
    lblVoltage->setText(volts);
    lblCurrent->setText(milliamps);
    shpStatus->setColor(busy ? QColor(255, 255, 128) : QColor(0, 255, 0));
}

void FrmMain::cmbType_Click(int listIndex)
{
    m_record.CoilResistance1 = 0;
    const catalogue::SelectionRules rules = catalogue::selectionRules(listIndex);
    cmdDropAway->setEnabled(rules.dropAwayEnabled);
    cmdContactDelay->setEnabled(rules.contactDelayEnabled);
    Label1[0]->setText(rules.pickUpCaption);
    Label1[1]->setText(rules.dropAwayCaption);
}

int FrmMain::relayIndex() const
{
    return cmbType->currentIndex();
}

int FrmMain::selectedChannel(List list) const
{
    return (list == List::ContactResistance ? cmbCRChannel : cmbCDChannel)->currentIndex();
}

void FrmMain::selectChannel(List list, int entry)
{
    (list == List::ContactResistance ? cmbCRChannel : cmbCDChannel)->setCurrentIndex(entry);
}

void FrmMain::showBusy(Busy busy, bool shown)
{
    QLabel *label = lblBusy[std::size_t(busy)];
    const bool ended = !shown && !label->isHidden();
    label->setVisible(shown);
    if (ended)  // the operator takes the test as over, whatever settle times it still waits out
        m_progress->testEnded();
}

void FrmMain::lockPanel(bool locked)
{
    FrameCPanel->setEnabled(!locked);
}

void FrmMain::lockSig(bool locked)
{
    cmdSIG->setEnabled(!locked);
}

QLabel *FrmMain::resultLabel(Result result) const
{
    switch (result) {
    case Result::CoilResistance1: return lblOhms;
    case Result::CoilResistance2: return lblOhms2;
    case Result::PickUp: return lblPUV;
    case Result::DropAway: return lblDAV;
    case Result::ContactResistance: return lblContactResistance;
    case Result::ContactDelay: return lblContactDelay;
    case Result::ContactSequence: return lblContactSeq;
    }
    return lblContactSeq;
}

void FrmMain::showResult(Result result, const QString &text)
{
    QLabel *label = resultLabel(result);
    label->setText(text);
    label->setVisible(true);
}

void FrmMain::hideResult(Result result)
{
    resultLabel(result)->setVisible(false);
}

QString FrmMain::resultText(Result result) const
{
    return resultLabel(result)->text();
}

QComboBox *FrmMain::resultList(List list) const
{
    return list == List::ContactResistance ? cmbCR : cmbCD;
}

void FrmMain::clearList(List list, const QString &text)
{
    QComboBox *combo = resultList(list);
    combo->clear();
    combo->setEditText(text);
}

// The box keeps what it shows: while a run fills the list it goes on saying
// "Testing ...", although an editable list left to itself would show the first line
// as soon as it has one.
void FrmMain::addToList(List list, const QString &line)
{
    QComboBox *combo = resultList(list);
    const int shownIndex = combo->currentIndex();
    const QString shownText = combo->currentText();
    combo->addItem(line);
    if (combo->currentIndex() != shownIndex) {
        combo->setCurrentIndex(shownIndex);
        combo->setEditText(shownText);
    }
}

void FrmMain::setListText(List list, const QString &text)
{
    resultList(list)->setEditText(text);
}

QString FrmMain::listText(List list) const
{
    return resultList(list)->currentText();
}

void FrmMain::enableReport()
{
    cmdReport->setEnabled(true);
}

QDialog *FrmMain::message(const QString &title, const QString &text, platform::PromptIcon icon)
{
    return m_prompts.message(this, title, text, icon);
}

// The dialog has the operator's hands, as a modal one would, but the main window's
// close box still works: closing the bench there is taken as Cancel, then the close.
QDialog *FrmMain::openDropAwayDialog()
{
    auto *dialog = new FrmDropAway(m_link->commands, m_record, this);
    new platform::HandsOff(*this, dialog);
    dialog->show();
    return dialog;
}
