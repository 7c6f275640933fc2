#pragma once

#include "console/benchrecord.h"

#include <array>

class FixedWait;
class KitCommands;
class QComboBox;
class QLabel;
class QWidget;

// What a bench procedure works with: the main window's shared fields, the line to
// the kit, and the controls that show a test running and its results.
struct TestPanel {
    MainWindowFields &fields;
    KitCommands &kit;
    FixedWait &wait;
    QWidget *window;          // owner of the procedures' dialogs and message boxes

    QWidget *FrameCPanel;     // every test button; disabled while a test runs
    std::array<QLabel *, 6> lblBusy;
    std::array<QLabel *, 4> Label1;
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
