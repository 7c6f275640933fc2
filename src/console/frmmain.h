#pragma once

#include "console/benchrecord.h"
#include "kitlink/kitport.h"
#include "kitlink/linkview.h"
#include "kitlink/timings.h"

#include <QIcon>
#include <QPointer>

#include <memory>

#include "console/formlayout.h"

#include <array>

class QComboBox;
class QDialog;
class QGroupBox;
class QLabel;
class QPushButton;
class QTimer;
class KitLink;
class Procedures;
class StatusLamp;

// The bench's one top-level window: it owns the link to the kit, the timers and
// the fields the procedures share, and it is where every test starts.
class FrmMain : public formlayout::Form, private LinkView
{
    Q_OBJECT
public:
    // port is the line to the kit; without one the window opens a serial adapter.
    explicit FrmMain(const Timings &timings = {}, std::unique_ptr<KitPort> port = {}, QWidget *parent = nullptr);
    ~FrmMain() override;

    // The relay drawn at 16, 32, 48 and 128 pixels; every window of the bench wears it.
    static QIcon benchIcon();

    // Start-up: versions, splash, selectors, settings, then the port check is armed.
    void formLoad();
    // Shut-down: the port choice and the settings go back to disk.
    void formUnload();

    MainWindowFields fields;

    // The controls other parts of the bench work with.
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

    KitLink &link() { return *m_link; }
    Procedures &procedures() { return *m_procedures; }

    // Every command and frame so far, following the traffic live (Ctrl+L).
    void showKitLog();
    void cmdOptions_Click();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showCommStatus(const QString &text) override;
    void showLiveReadings(const QString &volts, const QString &milliamps, bool busy) override;
    QWidget *dialogParent() override { return this; }

    void cmbType_Click(int listIndex);
    void readConfiguration();
    void fallBackToDefaultConfiguration();
    void saveConfiguration();
    void selectStoredPort();
    void reportUnwritable(const QString &path, const QString &why);

    QPointer<QDialog> m_kitLogWindow;
    Timings m_timings;
    std::unique_ptr<KitPort> m_port;
    std::unique_ptr<KitLink> m_link;
    std::unique_ptr<Procedures> m_procedures;
    bool m_unloaded = false;
};
