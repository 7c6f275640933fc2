#pragma once

#include <QtGlobal>

#include <array>

struct BenchRecord;
class KitLink;
class Progress;
class QComboBox;
class QLabel;
class QString;
class QWidget;

// What a bench procedure works with: the bench record, the link to the kit, and the
// controls of the main window that show a test running and its results.
struct TestPanel {
    BenchRecord &record;
    KitLink &link;
    Progress &progress;            // how far the running procedure has got, for the Bench Monitor
    const QString &StartupFolder;  // the main window's: where crval.csv goes
    QWidget *window;          // owner of the procedures' dialogs and message boxes

    QWidget *FrameCPanel;     // every test button; disabled while a test runs
    std::array<QLabel *, 6> lblBusy;
    QComboBox *cmbType;
    QComboBox *cmbCRChannel;
    QComboBox *cmbCDChannel;
    QComboBox *cmbCR;
    QComboBox *cmbCD;
    QLabel *lblOhms;
    QLabel *lblOhms2;
    QLabel *lblPUV;
    QLabel *lblDAV;
    QLabel *lblContactResistance;
    QLabel *lblContactDelay;
    QLabel *lblContactSeq;
    QWidget *cmdReport;       // "Generate Report", enabled again at the end of the automatic test
    QWidget *cmdSIG;          // "SIG Endurance", outside the panel

    // Busy label of the test beside it.
    enum Busy { CoilResistanceBusy = 0, PickUpBusy = 1, DropAwayBusy = 2, ContactResistanceBusy = 3,
                ContactDelayBusy = 4, ContactSequenceBusy = 5 };

    // A test starts: its busy label shows and the control panel locks.
    void beginTest(Busy busy) const;
    // A test ends: busy label hidden, live polling resumes, the panel unlocks.
    void endTest(Busy busy) const;

    // The catalogue entry of the relay on test; -1 when the operator typed over it.
    int relayIndex() const;
    // The kit is free and may take a new test.
    bool kitFree() const;
};

// What the contact procedures share: which run is in progress, whether it covers
// all sixteen channels, and the channel it measures now. A reading is filed under
// the channel named here when it arrives.
struct ContactRuns {
    bool ContactResTest = false;   // contact resistance, or the SIG endurance sweep
    bool ContactDelayTest = false;
    bool ContactSeqTest = false;
    bool AllChannels = false;
    qint16 ChannelNo = 0;          // 1..16; 17 once an all-channel loop has run to its end
};
