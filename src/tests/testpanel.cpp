#include "tests/testpanel.h"

#include "kitlink/kitcommands.h"

#include <QComboBox>
#include <QLabel>

void TestPanel::beginTest(Busy busy) const
{
    lblBusy[busy]->setVisible(true);
    FrameCPanel->setEnabled(false);
    // A test armed for the poll cycle starts as soon as the line is quiet rather than
    // on the next tick: the automatic test arms one right after another's result, so
    // waiting for the tick cost it a quarter of a second each time.
    if (fields.StartPending)
        kit.startArmedTest();
}

void TestPanel::endTest(Busy busy) const
{
    lblBusy[busy]->setVisible(false);
    fields.PollHold = false;
    FrameCPanel->setEnabled(true);
}

int TestPanel::relayIndex() const
{
    return cmbType->currentIndex();
}

bool TestPanel::kitFree() const
{
    return fields.KitState == QLatin1String("F");
}
