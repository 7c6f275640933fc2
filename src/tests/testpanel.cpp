#include "tests/testpanel.h"

#include "kitlink/kitlink.h"

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
    link.poll.setPollHold(false);
    FrameCPanel->setEnabled(true);
}

int TestPanel::relayIndex() const
{
    return cmbType->currentIndex();
}

bool TestPanel::kitFree() const
{
    return link.receiver.kitFree();
}
