#include "tests/sigendurancetest.h"

#include "console/relaycatalogue.h"
#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"

#include <QComboBox>
#include <QLabel>

namespace {

constexpr int EnergisedHalf = 8;  // channels 1..8 with the coil on, 9..16 with it off

} // namespace

SigEnduranceTest::SigEnduranceTest(const TestPanel &panel)
    : p(panel)
{
}

void SigEnduranceTest::cmdSIG_Click()
{
    MainWindowFields &f = p.fields;
    p.lblContactResistance->clear();
    // The sweep's readings go through the contact resistance run's handling, so
    // the two share one run flag and never run together.
    if (!p.kitFree() || f.ContactResTest)
        return;

    f.ContactResTest = true;
    p.beginTest(TestPanel::ContactResistanceBusy);
    f.PollHold = true;
    f.KitBusy = true;
    f.AllChannels = true;
    p.cmbCR->clear();
    p.cmbCR->setEditText(QStringLiteral("Testing ..."));

    // The coil is switched by hand here, not through the supply switches, so the
    // bench's idea of the coil state (CoilEnergised) is left as it was.
    const auto sendAndHold = [this](const QString &command) {
        p.kit.send(command);
        p.wait.hold();
    };
    const auto measure = [this](int channel) {
        p.kit.send(wire::contactResistance(channel));
        p.wait.hold();
        p.wait.hold();
    };

    sendAndHold(wire::setVoltage(24.0));
    sendAndHold(QString::fromLatin1(wire::cmd::CoilOn));
    for (f.ChannelNo = 1; f.ChannelNo <= EnergisedHalf; ++f.ChannelNo)
        measure(f.ChannelNo);
    sendAndHold(wire::setVoltage(0.0));
    sendAndHold(QString::fromLatin1(wire::cmd::CoilOff));
    for (f.ChannelNo = EnergisedHalf + 1; f.ChannelNo <= catalogue::ChannelCount; ++f.ChannelNo)
        measure(f.ChannelNo);
    sendAndHold(QString::fromLatin1(wire::cmd::CoilOff));
}
