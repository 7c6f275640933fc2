#pragma once

#include "platform/prompts.h"

#include <QString>

class QDialog;
class QWidget;

// What the procedures show on the main window and read off it, in the bench's own
// terms: which busy label, which result, which list. The main window implements it
// over its controls; a procedure holds no widget of its own.
class BenchView
{
public:
    // The busy labels lblBusy(0..5), one beside each test button.
    enum class Busy { CoilResistance, PickUp, DropAway, ContactResistance, ContactDelay, ContactSequence };
    // Where a result shows: lblOhms, lblOhms2, lblPUV, lblDAV, lblContactResistance,
    // lblContactDelay, lblContactSeq.
    enum class Result { CoilResistance1, CoilResistance2, PickUp, DropAway, ContactResistance, ContactDelay,
                        ContactSequence };
    // The results lists of the all-channel runs (cmbCR, cmbCD) and their channel
    // selectors (cmbCRChannel, cmbCDChannel).
    enum class List { ContactResistance, ContactDelay };

    virtual ~BenchView() = default;

    // The relay on the bench: its catalogue entry, -1 when the operator typed over
    // the selector. Read where a step needs it: the operator may change it meanwhile.
    virtual int relayIndex() const = 0;
    // The entry a channel selector shows: 0..15 a channel, 16 "ALL", -1 none.
    virtual int selectedChannel(List list) const = 0;
    virtual void selectChannel(List list, int entry) = 0;

    virtual void showBusy(Busy busy, bool shown) = 0;
    // The control panel, every test button in it.
    virtual void lockPanel(bool locked) = 0;
    // "SIG Endurance", which sits outside the panel.
    virtual void lockSig(bool locked) = 0;

    // The result shown, and its label made visible.
    virtual void showResult(Result result, const QString &text) = 0;
    virtual void hideResult(Result result) = 0;
    virtual QString resultText(Result result) const = 0;

    // A results list: emptied with text in its box; a line added, the box keeping
    // its text; the box's text.
    virtual void clearList(List list, const QString &text) = 0;
    virtual void addToList(List list, const QString &line) = 0;
    virtual void setListText(List list, const QString &text) = 0;
    virtual QString listText(List list) const = 0;

    // "Generate Report" usable again (the end of the automatic test).
    virtual void enableReport() = 0;

    // A message box that does not wait: the box while it is open, nullptr when none is.
    virtual QDialog *message(const QString &title, const QString &text, platform::PromptIcon icon) = 0;
    // The Drop Away Test dialog, open; the procedure waits until it is closed.
    virtual QDialog *openDropAwayDialog() = 0;
};
