#include "console/frmmain.h"

#include "console/configfiles.h"
#include "console/frmabout.h"
#include "console/frmoptions.h"
#include "console/mainwindowlayout.h"
#include "console/relaycatalogue.h"
#include "console/statuslamp.h"
#include "kitlink/kitlink.h"
#include "kitlink/kitlogwindow.h"
#include "kitlink/serialkitport.h"
#include "tests/procedures.h"
#include "tests/reportdispatch.h"
#include "platform/eventservice.h"
#include "platform/prompts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTimer>

using formlayout::px;

namespace {

const QString AppVersion = QStringLiteral("3.11");
const QString AppUpdateDate = QStringLiteral("16/04/2022");

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

QString keptCopyLine(const config::KeptCopy &kept)
{
    const QFileInfo copy(kept.path);
    const QString file = copy.completeBaseName();  // art.cfg.unreadable -> art.cfg
    const QString where = QDir::toNativeSeparators(kept.path);
    if (!kept.written.ok)
        return QStringLiteral("Quillmark: %1 is reset to the defaults, and no copy of it could be kept as %2: %3")
            .arg(file, where, kept.written.error);
    if (kept.unusable)
        return QStringLiteral("Quillmark: %1 could not be used and the settings are reset to the defaults; "
                              "what it held is kept in %2")
            .arg(file, where);
    return QStringLiteral("Quillmark: %1 is reset to the defaults along with the other settings file; "
                          "what it held is kept in %2")
        .arg(file, where);
}

} // namespace

FrmMain::FrmMain(const Timings &timings, std::unique_ptr<KitPort> port, QWidget *parent)
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
    , m_timings(timings)
    , m_port(port ? std::move(port) : std::make_unique<SerialKitPort>())
    , m_link(std::make_unique<KitLink>(fields, *m_port, static_cast<LinkView &>(*this),
                                       PortCheck::Timers{*tmrPortOpen, *tmrComm, *tmrTout}))
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

    m_procedures = std::make_unique<Procedures>(TestPanel{
        fields, m_link->commands, m_link->wait, this, FrameCPanel, lblBusy, Label1, cmbType, cmbCRChannel,
        cmbCDChannel, cmbCR, cmbCD, lblOhms, lblOhms2, lblPUV, lblDAV, lblContactResistance, lblContactDelay,
        lblContactSeq, cmdReport});
    m_procedures->connect(m_link->receiver.results);
    Procedures &run = *m_procedures;
    connect(cmdCoilResistance, &QPushButton::clicked, this, [&run] { run.coilResistance.cmdCoilResistance_Click(); });
    connect(cmdPickUp, &QPushButton::clicked, this, [&run] { run.pickUpDropAway.cmdPickUp_Click(); });
    connect(cmdDropAway, &QPushButton::clicked, this, [&run] { run.pickUpDropAway.cmdDropAway_Click(); });
    connect(cmdContactResistance, &QPushButton::clicked, this,
            [&run] { run.contactResistance.cmdContactResistance_Click(); });
    connect(cmdContactDelay, &QPushButton::clicked, this, [&run] { run.contactDelay.cmdContactDelay_Click(); });
    connect(cmdContactSequence, &QPushButton::clicked, this,
            [&run] { run.contactSequence.cmdContactSequence_Click(); });
    connect(cmdSIG, &QPushButton::clicked, this, [&run] { run.sigEndurance.cmdSIG_Click(); });
    connect(cmdAuto, &QPushButton::clicked, this, [&run] { run.autoTest.cmdAuto_Click(); });
    connect(cmdReport, &QPushButton::clicked, this,
            [this] { reportdispatch::cmdReport_Click(this, fields.StartupFolder, cmbType->currentIndex()); });

    connect(cmdOptions, &QPushButton::clicked, this, &FrmMain::cmdOptions_Click);

    auto *logShortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(logShortcut, &QShortcut::activated, this, &FrmMain::showKitLog);

    connect(cmbType, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            cmbType_Click(index);
    });
}

FrmMain::~FrmMain() = default;

QIcon FrmMain::benchIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48, 128})
        icon.addFile(QStringLiteral(":/icons/quillmark-%1.png").arg(size), QSize(size, size));
    return icon;
}

void FrmMain::formLoad()
{
    BenchRecord &record = bench();

    record.AppVersion = AppVersion;
    record.AppUpdateDate = AppUpdateDate;
    lblVer[0]->setText(QStringLiteral("Ver.") + record.AppVersion);
    lblVer[1]->setText(record.AppUpdateDate);

    {
        FrmAbout about(m_timings.splash, this);
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            about.move(screen->availableGeometry().center() - about.rect().center());
        about.exec();
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

    fields = MainWindowFields{};

    record.StyleCode = 1;
    record.RelayID.clear();

    catalogue::buildContactLayout(record.ContactLayout);

    fields.StartupFolder = QDir::currentPath();

    readConfiguration();

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void FrmMain::readConfiguration()
{
    const config::LoadResult found = config::load(fields.StartupFolder);
    const std::optional<config::Loaded> &loaded = found.loaded;
    if (!loaded) {
        // The reset stays silent on screen, as the bench always was; what it
        // overwrites is kept beside it, and the one who looks at the terminal or
        // the service log learns where.
        for (const config::KeptCopy &kept : config::keepBeforeReset(fields.StartupFolder, found))
            qWarning().noquote() << keptCopyLine(kept);
        fallBackToDefaultConfiguration();
        return;
    }
    BenchRecord &record = bench();
    fields.PortNumber = loaded->portAndNumbering.portNumber;
    record.RelayNumbering = loaded->portAndNumbering.relayNumbering;
    record.ExcelPath = loaded->folders.excelPath;
    record.TemplateFolder = loaded->folders.templateFolder;
    record.SaveFolder = loaded->folders.saveFolder;
    selectStoredPort();
}

void FrmMain::fallBackToDefaultConfiguration()
{
    BenchRecord &record = bench();
    const config::PortAndNumbering defaults = config::defaultPortAndNumbering();
    fields.PortNumber = defaults.portNumber;
    record.RelayNumbering = defaults.relayNumbering;
    if (const auto written = config::saveArt(fields.StartupFolder, defaults); !written.ok)
        reportUnwritable(config::artPath(fields.StartupFolder), written.error);

    const config::Folders folders = config::defaultFolders(fields.StartupFolder);
    record.ExcelPath = folders.excelPath;
    record.TemplateFolder = folders.templateFolder;
    record.SaveFolder = folders.saveFolder;
    if (const auto written = config::saveArtc(fields.StartupFolder, folders); !written.ok)
        reportUnwritable(config::artcPath(fields.StartupFolder), written.error);

    selectStoredPort();
}

void FrmMain::selectStoredPort()
{
    selectEntry(cmbPortNo, fields.PortNumber - 1, QStringLiteral("Combo1"));
    tmrPortOpen->start();
}

void FrmMain::formUnload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    fields.PortNumber = static_cast<Integer>(cmbPortNo->currentIndex() + 1);
    saveConfiguration();
}

void FrmMain::saveConfiguration()
{
    const BenchRecord &record = bench();
    const config::PortAndNumbering portAndNumbering{fields.PortNumber, record.RelayNumbering};
    if (const auto written = config::saveArt(fields.StartupFolder, portAndNumbering); !written.ok)
        reportUnwritable(config::artPath(fields.StartupFolder), written.error);
    const config::Folders folders{record.ExcelPath, record.TemplateFolder, record.SaveFolder};
    if (const auto written = config::saveArtc(fields.StartupFolder, folders); !written.ok)
        reportUnwritable(config::artcPath(fields.StartupFolder), written.error);
}

void FrmMain::reportUnwritable(const QString &path, const QString &why)
{
    platform::Prompts::current().message(
        this, tr("Settings not saved"),
        tr("Quillmark could not write its settings file\n%1\n\n%2\n\n"
           "The port choice, the relay serial numbers and the folders of this run are not saved.")
            .arg(QDir::toNativeSeparators(path), why),
        platform::PromptIcon::Exclamation);
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    formUnload();
    event->accept();
    // Closing the window ends the program, also in the middle of a test whose
    // waits would otherwise keep an invisible program running.
    if (platform::waitsInProgress() > 0)
        platform::endProgramNow();
}

void FrmMain::cmdOptions_Click()
{
    FrmOptions options(this);
    options.exec();
}

void FrmMain::showKitLog()
{
    if (!m_kitLogWindow) {
        m_kitLogWindow = new KitLogWindow(m_link->log, bench().SaveFolder, this);
        m_kitLogWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_kitLogWindow->show();
    m_kitLogWindow->raise();
    m_kitLogWindow->activateWindow();
}

void FrmMain::showCommStatus(const QString &text)
{
    lblCommStatus->setText(text);
}

void FrmMain::showLiveReadings(const QString &volts, const QString &milliamps, bool busy)
{
    lblVoltage->setText(volts);
    lblCurrent->setText(milliamps);
    shpStatus->setColor(busy ? QColor(255, 255, 128) : QColor(0, 255, 0));
}

void FrmMain::cmbType_Click(int listIndex)
{
    bench().CoilResistance1 = 0;
    const catalogue::SelectionRules rules = catalogue::selectionRules(listIndex);
    cmdDropAway->setEnabled(rules.dropAwayEnabled);
    cmdContactDelay->setEnabled(rules.contactDelayEnabled);
    Label1[0]->setText(rules.pickUpCaption);
    Label1[1]->setText(rules.dropAwayCaption);
}
