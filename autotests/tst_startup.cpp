// Starting and closing the main window: the settings files in the folder the bench
// was started from, the first state of every control, what choosing a relay
// changes, and the window's layout in the bench's design units.

#include "console/configfiles.h"
#include "console/frmabout.h"
#include "console/frmmain.h"
#include "console/relaycatalogue.h"
#include "platform/paths.h"
#include "platform/prompts.h"

#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace std::chrono_literals;

namespace {

// The splash closes at once and the port check never comes due while a test runs.
Timings quickStart()
{
    Timings t;
    t.splash = 0ms;
    t.portOpen = 1h;
    return t;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot open " + QFile::encodeName(path) + '>';
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray firstLine(const QByteArray &bytes)
{
    return bytes.left(bytes.indexOf("\r\n"));
}

// A fresh art.cfg, spelled out by hand.
QByteArray defaultArt()
{
    QByteArray bytes = "1\r\n";
    for (int row = 0; row < 25; ++row)
        bytes += "\"0001\"\r\n\"A\"\r\n\"B\"\r\n";
    return bytes;
}

QByteArray defaultArtc(const QString &startupFolder)
{
    return '"' + platform::defaultSpreadsheetPath().toLocal8Bit() + "\"\r\n\"" + startupFolder.toLocal8Bit()
           + "\"\r\n\"" + platform::defaultSaveFolder().toLocal8Bit() + "\"\r\n";
}

// An art.cfg a bench that has made reports for a while would hold: every row has
// moved on from the defaults.
QByteArray usedArt(const QByteArray &portLine)
{
    QByteArray bytes = portLine + "\r\n";
    for (int r = 1; r <= 25; ++r)
        bytes += "\"" + QByteArray::number(100 + r).rightJustified(4, '0') + "\"\r\n\"K\"\r\n\"" + char('A' + r)
                 + "\"\r\n";
    return bytes;
}

const QByteArray UsedArtc = "\"C:\\Tools\\scalc.exe\"\r\n\"E:\\Templates\\\"\r\n\"F:\\Reports\\\"\r\n";

// Makes a folder the current one for a while, as starting the bench from it would.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path)
        : m_previous(QDir::currentPath())
    {
        m_ok = QDir::setCurrent(path);
    }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }
    CurrentFolder(const CurrentFolder &) = delete;
    CurrentFolder &operator=(const CurrentFolder &) = delete;
    bool ok() const { return m_ok; }

private:
    QString m_previous;
    bool m_ok = false;
};

} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void shouldCreateBothFilesWithDefaultsWhenNeitherExists();
    void shouldResetBothFilesWhenTheSettingsCannotBeUsed_data();
    void shouldResetBothFilesWhenTheSettingsCannotBeUsed();
    void shouldKeepGoodSettingsAndLeaveTheirFilesUntouched();
    void shouldSelectTheStoredPort_data();
    void shouldSelectTheStoredPort();
    void shouldSelectNoPortForStoredZeroAndWriteZeroBack();
    void shouldWriteTheChosenPortBackOnUnload();
    void shouldSaveTheSettingsWhenTheWindowIsClosed();
    void shouldKeepUsingTheStartupFolderWhenTheCurrentFolderChanges();
    void shouldTellTheOperatorWhenTheSettingsCannotBeSaved_data();
    void shouldTellTheOperatorWhenTheSettingsCannotBeSaved();

    void shouldStartWithControlsInTheirStartupState();
    void shouldFillTheSelectorsAtStartup();
    void shouldClearSharedStateAtStartup();
    void shouldArmOnlyThePortCheckAtStartup();
    void shouldUseTheBenchTimerPeriodsByDefault();
    void shouldShowTheAboutBoxBeforeStartupGoesOn();

    void shouldFollowTheChosenRelay_data();
    void shouldFollowTheChosenRelay();
    void shouldSelectNoRelayWhenTheOperatorTypesIntoTheSelector();

    void shouldLayOutTheWindowInBenchUnits_data();
    void shouldLayOutTheWindowInBenchUnits();

private:
    // Creates the main window in the current folder and runs its start-up.
    std::unique_ptr<FrmMain> start(const Timings &timings = quickStart());
    QString folderFile(const QString &name) const { return QDir(m_folder).filePath(name); }

    std::unique_ptr<QTemporaryDir> m_temp;
    QString m_folder;  // the folder the bench is started from
    std::unique_ptr<CurrentFolder> m_current;
    std::unique_ptr<platform::RecordedPrompts> m_prompts;
};

void TestStartup::init()
{
    bench() = BenchRecord{};
    m_temp = std::make_unique<QTemporaryDir>();
    QVERIFY(m_temp->isValid());
    QVERIFY(QDir(m_temp->path()).mkdir(QStringLiteral("bench")));
    m_current = std::make_unique<CurrentFolder>(m_temp->filePath(QStringLiteral("bench")));
    QVERIFY(m_current->ok());
    m_folder = QDir::currentPath();  // as the bench itself will see it
    m_prompts = std::make_unique<platform::RecordedPrompts>();
}

void TestStartup::cleanup()
{
    m_prompts.reset();
    m_current.reset();
    m_temp.reset();
}

std::unique_ptr<FrmMain> TestStartup::start(const Timings &timings)
{
    auto window = std::make_unique<FrmMain>(timings);
    window->formLoad();
    return window;
}

void TestStartup::shouldCreateBothFilesWithDefaultsWhenNeitherExists()
{
    const auto w = start();

    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), defaultArt());
    QCOMPARE(readFile(folderFile(QStringLiteral("artc.cfg"))), defaultArtc(m_folder));
    QCOMPARE(w->cmbPortNo->currentIndex(), 0);
    QCOMPARE(w->cmbPortNo->currentText(), QStringLiteral("COM 1"));
    QCOMPARE(int(w->fields.PortNumber), 1);
    QCOMPARE(bench().RelayNumbering[7][1], QStringLiteral("0001"));
    QCOMPARE(bench().TemplateFolder, m_folder);
    QCOMPARE(bench().SaveFolder, platform::defaultSaveFolder());
    QCOMPARE(bench().ExcelPath, platform::defaultSpreadsheetPath());
    QVERIFY(m_prompts->messages.isEmpty());  // falling back is silent
}

void TestStartup::shouldResetBothFilesWhenTheSettingsCannotBeUsed_data()
{
    QTest::addColumn<QByteArray>("art");   // empty: no file
    QTest::addColumn<QByteArray>("artc");  // empty: no file

    QTest::newRow("artc.cfg missing") << usedArt("7") << QByteArray();
    QTest::newRow("art.cfg missing") << QByteArray() << UsedArtc;
    QTest::newRow("port 256") << usedArt("256") << UsedArtc;
    QTest::newRow("port -1") << usedArt("-1") << UsedArtc;
    QTest::newRow("port not a number") << usedArt("COM7") << UsedArtc;
    QTest::newRow("art.cfg ends early") << usedArt("7").left(200) << UsedArtc;
    QTest::newRow("artc.cfg ends early") << usedArt("7") << QByteArray("\"C:\\Tools\\scalc.exe\"\r\n");
}

void TestStartup::shouldResetBothFilesWhenTheSettingsCannotBeUsed()
{
    QFETCH(QByteArray, art);
    QFETCH(QByteArray, artc);
    if (!art.isEmpty())
        writeFile(folderFile(QStringLiteral("art.cfg")), art);
    if (!artc.isEmpty())
        writeFile(folderFile(QStringLiteral("artc.cfg")), artc);

    const auto w = start();

    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), defaultArt());
    QCOMPARE(readFile(folderFile(QStringLiteral("artc.cfg"))), defaultArtc(m_folder));
    QCOMPARE(w->cmbPortNo->currentText(), QStringLiteral("COM 1"));
    // Whatever was read before the failure is gone from memory too.
    QCOMPARE(bench().RelayNumbering[3][1], QStringLiteral("0001"));
    QCOMPARE(bench().RelayNumbering[3][3], QStringLiteral("B"));
    QCOMPARE(bench().SaveFolder, platform::defaultSaveFolder());
    QVERIFY(m_prompts->messages.isEmpty());

    // What is written back at the end is the defaults as well.
    w->formUnload();
    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), defaultArt());
    QCOMPARE(readFile(folderFile(QStringLiteral("artc.cfg"))), defaultArtc(m_folder));
}

void TestStartup::shouldKeepGoodSettingsAndLeaveTheirFilesUntouched()
{
    writeFile(folderFile(QStringLiteral("art.cfg")), usedArt("7"));
    writeFile(folderFile(QStringLiteral("artc.cfg")), UsedArtc);

    const auto w = start();
    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), usedArt("7"));
    QCOMPARE(readFile(folderFile(QStringLiteral("artc.cfg"))), UsedArtc);
    QCOMPARE(w->cmbPortNo->currentText(), QStringLiteral("COM 7"));
    QCOMPARE(bench().RelayNumbering[1][1], QStringLiteral("0101"));
    QCOMPARE(bench().RelayNumbering[25][3], QStringLiteral("Z"));
    QCOMPARE(bench().ExcelPath, QStringLiteral("C:\\Tools\\scalc.exe"));
    QCOMPARE(bench().TemplateFolder, QStringLiteral("E:\\Templates\\"));
    QCOMPARE(bench().SaveFolder, QStringLiteral("F:\\Reports\\"));

    // A run that changes nothing writes the same bytes back, rows 8..25 included.
    w->formUnload();
    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), usedArt("7"));
    QCOMPARE(readFile(folderFile(QStringLiteral("artc.cfg"))), UsedArtc);
}

void TestStartup::shouldSelectTheStoredPort_data()
{
    QTest::addColumn<int>("port");
    QTest::newRow("COM 1") << 1;
    QTest::newRow("COM 12") << 12;
    QTest::newRow("COM 255") << 255;
}

void TestStartup::shouldSelectTheStoredPort()
{
    QFETCH(int, port);
    writeFile(folderFile(QStringLiteral("art.cfg")), usedArt(QByteArray::number(port)));
    writeFile(folderFile(QStringLiteral("artc.cfg")), UsedArtc);

    const auto w = start();
    QCOMPARE(w->cmbPortNo->currentIndex(), port - 1);
    QCOMPARE(w->cmbPortNo->currentText(), QStringLiteral("COM %1").arg(port));
    QCOMPARE(int(w->fields.PortNumber), port);
}

void TestStartup::shouldSelectNoPortForStoredZeroAndWriteZeroBack()
{
    writeFile(folderFile(QStringLiteral("art.cfg")), usedArt("0"));
    writeFile(folderFile(QStringLiteral("artc.cfg")), UsedArtc);

    const auto w = start();
    QCOMPARE(w->cmbPortNo->currentIndex(), -1);
    QCOMPARE(w->cmbPortNo->currentText(), QStringLiteral("Combo1"));
    QCOMPARE(w->cmbPortNo->count(), 255);
    QVERIFY(w->tmrPortOpen->isActive());  // start-up completes as usual
    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), usedArt("0"));  // no fallback

    w->formUnload();
    QCOMPARE(readFile(folderFile(QStringLiteral("art.cfg"))), usedArt("0"));
}

void TestStartup::shouldWriteTheChosenPortBackOnUnload()
{
    const auto w = start();  // no files: COM 1
    w->cmbPortNo->setCurrentIndex(11);
    bench().RelayNumbering[3][1] = QStringLiteral("0042");  // a report form moved the serial number on
    bench().SaveFolder = QStringLiteral("G:\\Out\\");       // the options dialog chose a folder
    w->formUnload();

    const QByteArray art = readFile(folderFile(QStringLiteral("art.cfg")));
    QCOMPARE(firstLine(art), QByteArray("12"));
    QByteArray expected = "12\r\n";
    for (int r = 1; r <= 25; ++r)
        expected += (r == 3 ? "\"0042\"\r\n" : "\"0001\"\r\n") + QByteArray("\"A\"\r\n\"B\"\r\n");
    QCOMPARE(art, expected);
    QVERIFY(readFile(folderFile(QStringLiteral("artc.cfg"))).endsWith("\"G:\\Out\\\"\r\n"));
}

void TestStartup::shouldSaveTheSettingsWhenTheWindowIsClosed()
{
    const auto w = start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->cmbPortNo->setCurrentIndex(4);

    QVERIFY(w->close());
    QCOMPARE(firstLine(readFile(folderFile(QStringLiteral("art.cfg")))), QByteArray("5"));
}

void TestStartup::shouldKeepUsingTheStartupFolderWhenTheCurrentFolderChanges()
{
    const auto w = start();
    QCOMPARE(w->fields.StartupFolder, m_folder);

    // A file dialog moved the current folder elsewhere during the run.
    QVERIFY(QDir(m_temp->path()).mkdir(QStringLiteral("elsewhere")));
    const QString elsewhere = m_temp->filePath(QStringLiteral("elsewhere"));
    QVERIFY(QDir::setCurrent(elsewhere));
    w->cmbPortNo->setCurrentIndex(2);
    w->formUnload();

    QCOMPARE(firstLine(readFile(folderFile(QStringLiteral("art.cfg")))), QByteArray("3"));
    QVERIFY(QDir(elsewhere).isEmpty());
}

void TestStartup::shouldTellTheOperatorWhenTheSettingsCannotBeSaved_data()
{
    QTest::addColumn<bool>("replacedByFile");
    // Running as root, permission bits stop nothing; a folder that is gone does.
    QTest::newRow("start-up folder removed") << false;
    QTest::newRow("start-up folder replaced by a file") << true;
}

void TestStartup::shouldTellTheOperatorWhenTheSettingsCannotBeSaved()
{
    QFETCH(bool, replacedByFile);

    const auto w = start();
    QVERIFY(m_prompts->messages.isEmpty());

    QVERIFY(QDir(m_folder).removeRecursively());
    if (replacedByFile)
        writeFile(m_folder, "in the way");
    w->formUnload();

    QStringList texts;
    for (const auto &shown : m_prompts->messages)
        texts << shown.text;
    const QString all = texts.join(QLatin1Char('\n'));
    QVERIFY2(all.contains(QDir::toNativeSeparators(folderFile(QStringLiteral("art.cfg")))), qPrintable(all));
    QVERIFY2(all.contains(QStringLiteral("artc.cfg")), qPrintable(all));
    for (const auto &shown : m_prompts->messages)
        QVERIFY(!shown.title.isEmpty());
    if (replacedByFile)
        QCOMPARE(readFile(m_folder), QByteArray("in the way"));
}

void TestStartup::shouldStartWithControlsInTheirStartupState()
{
    const auto w = start();

    for (int i = 0; i < int(w->lblBusy.size()); ++i)
        QVERIFY2(w->lblBusy[i]->isHidden(), qPrintable(QStringLiteral("lblBusy(%1)").arg(i)));
    QVERIFY(w->lblPUV->isHidden());
    QVERIFY(w->lblDAV->isHidden());
    QVERIFY(w->cmdContactSequence->isHidden());
    QVERIFY(w->cmdReport->isEnabled());
    QVERIFY(w->FrameCPanel->isEnabled());

    QCOMPARE(w->cmbType->currentIndex(), 0);
    QVERIFY(w->cmdDropAway->isEnabled());
    QVERIFY(!w->cmdContactDelay->isEnabled());
    QCOMPARE(w->Label1[0]->text(), QStringLiteral("Pick-Up Voltage:"));
    QCOMPARE(w->Label1[1]->text(), QStringLiteral("Drop-Away Voltage:"));

    QCOMPARE(w->lblVer[0]->text(), QStringLiteral("Ver.3.11"));
    QCOMPARE(w->lblVer[1]->text(), QStringLiteral("16/04/2022"));

    // Still hidden, and still enabled, once the window is on screen.
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(!w->cmdContactSequence->isVisible());
    QVERIFY(!w->lblBusy[0]->isVisible());
    QVERIFY(w->cmdReport->isVisible());
}

void TestStartup::shouldFillTheSelectorsAtStartup()
{
    const auto w = start();

    QCOMPARE(w->cmbType->count(), catalogue::EntryCount);
    for (int i = 0; i < catalogue::EntryCount; ++i)
        QCOMPARE(w->cmbType->itemText(i), catalogue::entryTexts().at(i));

    QCOMPARE(w->cmbPortNo->count(), 255);
    QCOMPARE(w->cmbPortNo->itemText(0), QStringLiteral("COM 1"));
    QCOMPARE(w->cmbPortNo->itemText(8), QStringLiteral("COM 9"));
    QCOMPARE(w->cmbPortNo->itemText(9), QStringLiteral("COM 10"));
    QCOMPARE(w->cmbPortNo->itemText(254), QStringLiteral("COM 255"));

    for (QComboBox *channels : {w->cmbCRChannel, w->cmbCDChannel}) {
        QCOMPARE(channels->count(), 17);
        for (int i = 0; i < 17; ++i)
            QCOMPARE(channels->itemText(i), catalogue::channelSelectorTexts().at(i));
        QCOMPARE(channels->currentIndex(), 0);
        QCOMPARE(channels->currentText(), QStringLiteral("A1"));
    }
}

void TestStartup::shouldClearSharedStateAtStartup()
{
    // Left over from an earlier window of the same process.
    bench().StyleCode = 5;
    bench().RelayID = QStringLiteral("QN1/0007/AB");
    bench().CoilResistance1 = 480;

    auto w = std::make_unique<FrmMain>(quickStart());
    w->fields.RxBuffer = QStringLiteral("*12.5");
    w->fields.KitBusy = true;
    w->fields.StartPending = true;
    w->fields.ContactResTest = true;
    w->fields.PickUpVRequest = true;
    w->formLoad();

    QCOMPARE(int(bench().StyleCode), 1);
    QVERIFY(bench().RelayID.isEmpty());
    QCOMPARE(bench().CoilResistance1, Single(0));  // choosing entry 0 clears it
    QCOMPARE(bench().AppVersion, QStringLiteral("3.11"));
    QCOMPARE(bench().AppUpdateDate, QStringLiteral("16/04/2022"));
    QCOMPARE(int(bench().ContactLayout[7][12]), 2);  // the contact layout is built
    QCOMPARE(int(bench().ContactLayout[0][1]), 1);

    QVERIFY(w->fields.RxBuffer.isEmpty());
    QVERIFY(!w->fields.KitBusy);
    QVERIFY(!w->fields.StartPending);
    QVERIFY(!w->fields.ContactResTest);
    QVERIFY(!w->fields.PickUpVRequest);
    QCOMPARE(w->fields.StartupFolder, m_folder);
}

void TestStartup::shouldArmOnlyThePortCheckAtStartup()
{
    const Timings timings = quickStart();
    const auto w = start(timings);

    QVERIFY(w->tmrPortOpen->isActive());
    QCOMPARE(std::chrono::milliseconds(w->tmrPortOpen->intervalAsDuration()), timings.portOpen);
    QVERIFY(!w->tmrComm->isActive());
    QVERIFY(!w->tmrTout->isActive());
    QCOMPARE(w->tmrComm->interval(), 250);
    QCOMPARE(w->tmrTout->interval(), 1000);
}

void TestStartup::shouldUseTheBenchTimerPeriodsByDefault()
{
    const FrmMain w;  // the periods are set when the window is made, before start-up

    QCOMPARE(w.tmrPortOpen->interval(), 1000);
    QCOMPARE(w.tmrComm->interval(), 250);
    QCOMPARE(w.tmrTout->interval(), 1000);
    QVERIFY(w.tmrTout->isSingleShot());  // the fixed wait is one tick
    QVERIFY(!w.tmrComm->isSingleShot());  // the poll cycle keeps ticking
    QVERIFY(!w.tmrPortOpen->isActive());
    QVERIFY(!w.tmrComm->isActive());
    QVERIFY(!w.tmrTout->isActive());
}

void TestStartup::shouldShowTheAboutBoxBeforeStartupGoesOn()
{
    Timings timings = quickStart();
    timings.splash = 150ms;
    auto w = std::make_unique<FrmMain>(timings);

    // Look at the about box while start-up is held up by it.
    QString version;
    QString date;
    int relaysWhileShown = -1;
    QTimer look;
    look.setInterval(10);
    connect(&look, &QTimer::timeout, this, [&] {
        const auto *about = w->findChild<FrmAbout *>();
        if (!about || !about->isVisible())
            return;
        version = about->findChild<QLabel *>(QStringLiteral("lblVer"))->text();
        date = about->findChild<QLabel *>(QStringLiteral("lblVerDate"))->text();
        relaysWhileShown = w->cmbType->count();
        look.stop();
    });
    look.start();

    QElapsedTimer clock;
    clock.start();
    w->formLoad();
    look.stop();

    QVERIFY(clock.elapsed() >= 140);  // a coarse timer may fire a little early
    QCOMPARE(version, QStringLiteral("Ver.3.11       Morvayne Tellicor Technologies Pvt. Ltd."));
    QCOMPARE(date, QStringLiteral("update: 16/04/2022"));
    QCOMPARE(relaysWhileShown, 0);  // the selectors are filled only after it has gone
    QVERIFY(!w->findChild<FrmAbout *>());
}

void TestStartup::shouldFollowTheChosenRelay_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<bool>("dropAway");
    QTest::addColumn<bool>("contactDelay");
    QTest::addColumn<bool>("currents");

    QTest::newRow("QL1 has no drop-away") << 0 << 5 << false << false << false;
    QTest::newRow("QTA2 reads currents") << 0 << 7 << true << false << true;
    QTest::newRow("QNA1K has a contact delay") << 0 << 4 << true << true << false;
    QTest::newRow("QSPA1 after QL1") << 5 << 8 << true << true << false;
    QTest::newRow("QECX61 after QTA2 reads voltages") << 7 << 6 << true << false << false;
    QTest::newRow("QNA1 after QSPA1") << 8 << 0 << true << false << false;
    QTest::newRow("QN1 12F-4B after QNA1K") << 4 << 3 << true << false << false;
}

void TestStartup::shouldFollowTheChosenRelay()
{
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(bool, dropAway);
    QFETCH(bool, contactDelay);
    QFETCH(bool, currents);

    const auto w = start();
    w->cmbType->setCurrentIndex(before);

    // Results of the relay tested before.
    bench().CoilResistance1 = 312.5f;
    bench().CoilResistance2 = 298.0f;
    bench().PickUpVoltage = 14.2f;
    bench().ContactRes[3] = 21.0f;
    bench().StyleCode = 3;
    w->lblPUV->setText(QStringLiteral("14.2"));

    w->cmbType->setCurrentIndex(after);

    QCOMPARE(w->cmdDropAway->isEnabled(), dropAway);
    QCOMPARE(w->cmdContactDelay->isEnabled(), contactDelay);
    QCOMPARE(w->Label1[0]->text(), currents ? QStringLiteral("Pick-Up Current:") : QStringLiteral("Pick-Up Voltage:"));
    QCOMPARE(w->Label1[1]->text(),
             currents ? QStringLiteral("Drop-Away Current:") : QStringLiteral("Drop-Away Voltage:"));

    // Pick-up and drop-away wait for the new relay's coil to be measured...
    QCOMPARE(bench().CoilResistance1, Single(0));
    // ...and nothing else is forgotten.
    QCOMPARE(bench().CoilResistance2, 298.0f);
    QCOMPARE(bench().PickUpVoltage, 14.2f);
    QCOMPARE(bench().ContactRes[3], 21.0f);
    QCOMPARE(int(bench().StyleCode), 3);
    QCOMPARE(w->lblPUV->text(), QStringLiteral("14.2"));
}

void TestStartup::shouldSelectNoRelayWhenTheOperatorTypesIntoTheSelector()
{
    const auto w = start();
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    w->cmbType->setCurrentIndex(4);
    bench().CoilResistance1 = 312.5f;

    // Typed text names no catalogue entry, so no report form may open for it.
    w->cmbType->lineEdit()->selectAll();
    QTest::keyClicks(w->cmbType->lineEdit(), QStringLiteral("my relay"));

    QCOMPARE(w->cmbType->currentText(), QStringLiteral("my relay"));
    QCOMPARE(bench().CoilResistance1, 312.5f);  // typing is not choosing
    QCOMPARE(w->cmbType->currentIndex(), -1);
}

void TestStartup::shouldLayOutTheWindowInBenchUnits_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");  // pixels: twips / 15

    QTest::newRow("cmdReport") << "cmdReport" << "frmMain" << QRect(32, 464, 137, 49);
    QTest::newRow("cmdOptions") << "cmdOptions" << "frmMain" << QRect(584, 464, 105, 33);
    QTest::newRow("FrameCPanel") << "FrameCPanel" << "frmMain" << QRect(16, 16, 225, 433);
    QTest::newRow("lblBusy(3)") << "lblBusy(3)" << "FrameCPanel" << QRect(160, 200, 57, 20);
    QTest::newRow("cmdContactDelay") << "cmdContactDelay" << "FrameCPanel" << QRect(16, 232, 137, 57);
    QTest::newRow("Frame4") << "Frame4" << "Frame3" << QRect(16, 24, 137, 73);
    QTest::newRow("lblVoltage") << "lblVoltage" << "Frame4" << QRect(8, 24, 121, 41);
    QTest::newRow("shpStatus") << "shpStatus" << "Frame3" << QRect(24, 120, 33, 9);
    QTest::newRow("lblPUV") << "lblPUV" << "Frame7" << QRect(136, 24, 105, 25);
    QTest::newRow("cmbPortNo") << "cmbPortNo" << "Frame2" << QRect(120, 24, 98, 23);
    QTest::newRow("cmbType") << "cmbType" << "Frame6" << QRect(16, 48, 305, 23);
    QTest::newRow("lblVer(1)") << "lblVer(1)" << "frmMain" << QRect(720, 488, 97, 17);
}

void TestStartup::shouldLayOutTheWindowInBenchUnits()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);

    const auto w = start();
    QCOMPARE(w->size(), QSize(840, 519));
    QCOMPARE(w->windowTitle(), QStringLiteral("Quillmark ~ MORVAYNE TELLICOR TECHNOLOGIES PRIVATE LIMITED"));

    const QWidget *control = w->findChild<QWidget *>(name);
    QVERIFY(control);
    QVERIFY(control->parentWidget());
    QCOMPARE(control->parentWidget()->objectName(), container);
    QCOMPARE(control->geometry(), geometry);
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
