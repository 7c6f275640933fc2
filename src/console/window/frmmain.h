#pragma once

#include "console/record/benchrecord.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"
#include "kitlink/timings.h"
#include "platform/formlayout.h"
#include "platform/startupfolder.h"
#include "platform/waitstack.h"
#include "tests/benchview.h"

#include <QIcon>
#include <QPointer>

#include <array>
#include <memory>

class QAction;
class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QMessageBox;
class QPushButton;
class QTimer;
class BenchMonitor;
class BenchSettings;
class KitLink;
class Progress;
class Procedures;
class StatusLamp;
namespace history {
class HistoryWindow;
class Journal;
}

// The bench's one top-level window: it owns the link to the kit, the timers, the
// procedures and the waits they share, and it is where every test starts.
class FrmMain : public formlayout::Form, private LinkView, private BenchView
{
    Q_OBJECT
public:
    // record is the bench record of this run; prompts shows every message and file
    // dialog of the bench's windows; startupFolder holds the settings files and the
    // contact results; port is the line to the kit (without one the window opens a
    // serial adapter).
    FrmMain(BenchRecord &record, platform::Prompts &prompts, const platform::StartupFolder &startupFolder,
            const Timings &timings = {}, std::unique_ptr<KitPort> port = {}, QWidget *parent = nullptr);
    ~FrmMain() override;

    // The relay drawn at 16, 32, 48 and 128 pixels; every window of the bench wears it.
    static QIcon benchIcon();

    // Start-up: versions, the splash (none when its time is zero), selectors,
    // settings, then the port check is armed and loaded() follows.
    void formLoad();
    // Shut-down: the port choice and the settings go back to disk (once). When they
    // cannot, the operator is told and the box telling it is returned.
    QDialog *formUnload();
    // A stop signal (a logout, a service stop, Ctrl+C): closes as the close box does,
    // but no one is there to read a message before the program ends.
    void closeOnSignal();

    BenchRecord &record() { return m_record; }
    const platform::StartupFolder &startupFolder() const { return m_startupFolder; }
    KitLink &link() { return *m_link; }
    Procedures &procedures() { return *m_procedures; }

    // Every command and frame so far, following the traffic live (Ctrl+L).
    void showKitLog();
    // The serial adapters present, and which "COM n" each is bound to (Ctrl+D).
    void showAdapters();
    // The live trace, the running procedure and a Stop, in a window of its own (Ctrl+M).
    void showBenchMonitor();
    BenchMonitor *benchMonitor() const;
    // Every relay recorded from now on goes to the results history through journal
    // too: the report forms hand it their relays, the history window follows it.
    // Before the first report form opens.
    void setJournal(history::Journal &journal);
    // Every relay recorded, with filters, trends, export and printing (Ctrl+H).
    void showHistory();
    history::HistoryWindow *historyWindow() const;
    Progress &progress() { return *m_progress; }

signals:
    // Start-up is over: the window may be shown.
    void loaded();
    // The operator has selected the catalogue entry listIndex as the relay on test.
    void relaySelected(int listIndex);
    // The window has closed for good: the kit is safe and the settings saved. The
    // program ends here, whatever other windows are still open.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // The window's controls, named as the bench names them; tests find them by those names.
    QGroupBox *const FrameCPanel;
    QPushButton *const cmdCoilResistance;
    QPushButton *const cmdPickUp;
    QPushButton *const cmdDropAway;
    QPushButton *const cmdContactResistance;
    QPushButton *const cmdContactDelay;
    QPushButton *const cmdContactSequence;
    QPushButton *const cmdAuto;
    QPushButton *const cmdReport;
    QPushButton *const cmdSIG;
    QPushButton *const cmdOptions;
    QComboBox *const cmbCRChannel;
    QComboBox *const cmbCDChannel;
    QComboBox *const cmbCR;
    QComboBox *const cmbCD;
    QComboBox *const cmbPortNo;
    QComboBox *const cmbType;
    std::array<QLabel *, 6> lblBusy;
    std::array<QLabel *, 4> Label1;
    std::array<QLabel *, 2> lblVer;
    QLabel *const lblVoltage;
    QLabel *const lblCurrent;
    QLabel *const lblOhms;
    QLabel *const lblOhms2;
    QLabel *const lblPUV;
    QLabel *const lblDAV;
    QLabel *const lblContactResistance;
    QLabel *const lblContactDelay;
    QLabel *const lblContactSeq;
    QLabel *const lblCommStatus;
    StatusLamp *const shpStatus;

    QTimer *const tmrPortOpen;
    QTimer *const tmrComm;
    QTimer *const tmrTout;
    QTimer *const tmrPortWatch;

    // Outside the window's fixed layout: Escape and the right-click menu.
    QAction *const actStop;
    QAction *const actKitLog;
    QAction *const actBenchMonitor;
    QAction *const actHistory;
    QAction *const actAdapters;

    void showCommStatus(const QString &text) override;
    void showLiveReadings(const QString &volts, const QString &milliamps, bool busy) override;
    void tellPortError(const QString &title, const QString &text) override;

    // What the procedures show and read.
    int relayIndex() const override;
    int selectedChannel(List list) const override;
    void selectChannel(List list, int entry) override;
    void showBusy(Busy busy, bool shown) override;
    void lockPanel(bool locked) override;
    void lockSig(bool locked) override;
    void showResult(Result result, const QString &text) override;
    void hideResult(Result result) override;
    QString resultText(Result result) const override;
    void clearList(List list, const QString &text) override;
    void addToList(List list, const QString &line) override;
    void setListText(List list, const QString &text) override;
    QString listText(List list) const override;
    void enableReport() override;
    QDialog *message(const QString &title, const QString &text, platform::PromptIcon icon) override;
    QDialog *openDropAwayDialog() override;
    QLabel *resultLabel(Result result) const;
    QComboBox *resultList(List list) const;

    platform::Task load();
    void connectButtons();
    void cmdCoilResistance_Click();
    void cmdPickUp_Click();
    void cmdDropAway_Click();
    void cmdContactResistance_Click();
    void cmdContactDelay_Click();
    void cmdContactSequence_Click();
    void cmdAuto_Click();
    void cmdSIG_Click();
    void cmdReport_Click();
    void cmdOptions_Click();
    void cmbType_Click(int listIndex);
    void readConfiguration();
    void reportUnwritable(const QString &path, const QString &why);
    void showClosingNotice();
    void onMadeSafe();

    // Made before the link and the procedures, which use it; the destructor ends
    // the waiting procedures before anything they hold is gone.
    platform::WaitStack m_waits;
    BenchRecord &m_record;
    platform::Prompts &m_prompts;
    const platform::StartupFolder m_startupFolder;
    QPointer<QDialog> m_kitLogWindow;
    QPointer<QDialog> m_adapterWindow;
    Timings m_timings;
    std::unique_ptr<KitPort> m_port;
    std::unique_ptr<KitLink> m_link;
    std::unique_ptr<Progress> m_progress;
    std::unique_ptr<Procedures> m_procedures;
    QPointer<BenchMonitor> m_monitor;
    QPointer<history::HistoryWindow> m_history;
    QPointer<history::Journal> m_journal;
    std::unique_ptr<BenchSettings> m_settings;
    bool m_unloaded = false;

    // How far closing has got: the kit is made safe first when a procedure runs, the
    // operator reads why the settings could not be saved, then the window goes.
    enum class Closing { No, MakingSafe, Safe, Telling, Done };
    Closing m_closing = Closing::No;
    bool m_closedBySignal = false;
    QPointer<QMessageBox> m_closingNotice;
};
