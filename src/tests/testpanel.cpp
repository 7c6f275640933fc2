#include "tests/testpanel.h"

#include <QComboBox>
#include <QLabel>

void TestPanel::beginTest(Busy busy) const
{
    lblBusy[busy]->setVisible(true);
    FrameCPanel->setEnabled(false);
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
