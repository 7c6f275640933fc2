#include "tests/contactresistancetest.h"

#include "kitlink/fixedwait.h"
#include "kitlink/kitcommands.h"
#include "kitlink/wireformat.h"
#include "platform/atomicfile.h"
#include "platform/numbertext.h"
#include "platform/paths.h"
#include "platform/prompts.h"
#include "tests/resultlist.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QObject>

namespace {

constexpr int AllChannelsEntry = catalogue::ChannelCount;  // "ALL", after A1..D4
// Above this a contact is taken as not made: the meter reads the open circuit.
constexpr Single OpenContactMilliohms = 999;

const QString ResultsFileName = QStringLiteral("crval.csv");

QString milliohms(Single value)
{
    return platform::fixedDecimals(double(value), 1);
}

void refuse(const TestPanel &p, const QString &text)
{
    platform::Prompts::current().message(p.window, QObject::tr("Contact Resistance"), text,
                                         platform::PromptIcon::Exclamation);
}

} // namespace

ContactResistanceTest::ContactResistanceTest(const TestPanel &panel)
    : p(panel)
{
}

void ContactResistanceTest::cmdContactResistance_Click()
{
    MainWindowFields &f = p.fields;
    p.lblContactResistance->clear();
    if (!p.kitFree() || f.ContactResTest)
        return;

    // The relay and the channel are taken once: the coil drive of the whole run
    // follows the relay that was on the bench when it started.
    const int relay = p.relayIndex();
    const int selected = p.cmbCRChannel->currentIndex();
    if (relay < 0) {
        refuse(p, QObject::tr("No relay type is selected.\n\nChoose the relay on the bench under Relay Type, "
                              "then start the contact resistance test again."));
        return;
    }
    if (selected < 0) {
        refuse(p, QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, "
                              "then start the contact resistance test again."));
        return;
    }

    f.ContactResTest = true;
    p.beginTest(TestPanel::ContactResistanceBusy);
    f.PollHold = true;
    f.KitBusy = true;

    const bool qta2 = relay == catalogue::QTA2;
    const ContactLayoutTable &layout = bench().ContactLayout;
    p.kit.CoilOFF();
    p.kit.CoilCurrentOFF();
    // The QTA2 track relay is worked from the current source; the others from 24 V.
    if (qta2)
        p.kit.ResetCoilVoltage();
    else
        p.kit.SetCoilVoltage();

    if (selected == AllChannelsEntry) {
        f.AllChannels = true;
        p.cmbCR->clear();
        p.cmbCR->setEditText(QStringLiteral("Testing ..."));
        for (f.ChannelNo = 1; f.ChannelNo <= catalogue::ChannelCount; ++f.ChannelNo) {
            const auto contact = static_cast<catalogue::Contact>(layout[relay][f.ChannelNo]);
            if (contact == catalogue::Contact::Front || contact == catalogue::Contact::Back) {
                driveFor(relay, contact);
                measure(f.ChannelNo);
            } else if (contact == catalogue::Contact::None) {
                listResult(p.cmbCR, p.cmbCRChannel->itemText(f.ChannelNo - 1) + QStringLiteral(" - X"));
                // No reading will come for D4, so nothing else would end the run;
                // the results file keeps what the last complete run wrote.
                if (f.ChannelNo == catalogue::ChannelCount) {
                    p.cmbCR->setEditText(QStringLiteral("Results"));
                    endRun();
                }
            }
        }
        if (qta2) {
            p.kit.CoilCurrentOFF();
            p.kit.ResetCoilCurrent();
        } else {
            p.kit.CoilOFF();
            p.kit.ResetCoilVoltage();
        }
        return;
    }

    f.AllChannels = false;
    const int channel = selected + 1;
    const auto contact = static_cast<catalogue::Contact>(layout[relay][channel]);
    if (contact == catalogue::Contact::Front || contact == catalogue::Contact::Back) {
        driveFor(relay, contact);
        measure(channel);
    } else if (contact == catalogue::Contact::None) {
        p.lblContactResistance->setText(p.cmbCRChannel->itemText(selected) + QStringLiteral(" - X"));
        endRun();
    }
    p.kit.ResetCoilCurrent();
    p.kit.CoilCurrentOFF();
    p.kit.CoilOFF();
    p.kit.ResetCoilVoltage();
}

void ContactResistanceTest::driveFor(int relay, catalogue::Contact contact)
{
    const MainWindowFields &f = p.fields;
    const bool qta2 = relay == catalogue::QTA2;
    if (contact == catalogue::Contact::Front) {
        if (qta2 && !f.CurrentSourceOn) {
            p.kit.CoilCurrentON();
            p.kit.SetCoilCurrent();
        } else if (!qta2 && !f.CoilEnergised) {
            p.kit.CoilON();
        }
        return;
    }
    if (qta2 && f.CurrentSourceOn) {
        p.kit.ResetCoilCurrent();
        p.kit.CoilCurrentOFF();
    } else if (!qta2 && f.CoilEnergised) {
        p.kit.CoilOFF();
    }
}

void ContactResistanceTest::measure(int channel)
{
    p.kit.send(wire::contactResistance(channel));
    p.wait.hold();
    p.wait.hold();
}

void ContactResistanceTest::endRun()
{
    p.fields.ContactResTest = false;
    p.endTest(TestPanel::ContactResistanceBusy);
}

void ContactResistanceTest::onReadingFrame(const QString &frame)
{
    MainWindowFields &f = p.fields;
    // A reading nobody asked for (late, or from a kit left measuring) must not end
    // another test or land in the results.
    if (!f.ContactResTest)
        return;

    BenchRecord &record = bench();
    const Single reading = wire::decodeContactResistance(frame);
    record.ContactRes[0] = reading;

    if (!f.AllChannels) {
        p.lblContactResistance->setText(p.cmbCRChannel->itemText(p.cmbCRChannel->currentIndex())
                                        + QStringLiteral(" - ") + milliohms(reading));
        endRun();
        return;
    }

    const int channel = f.ChannelNo;
    if (channel >= 0 && channel < ResultSlots)
        record.ContactRes[std::size_t(channel)] = reading;
    const QString name = p.cmbCRChannel->itemText(channel - 1);
    listResult(p.cmbCR, name + (reading > OpenContactMilliohms ? QStringLiteral(" - OFF")
                                                               : QStringLiteral(" - ") + milliohms(reading)));
    if (channel == catalogue::ChannelCount) {
        p.cmbCR->setEditText(QStringLiteral("Results"));
        endRun();
        writeResultsFile();
    }
}

void ContactResistanceTest::writeResultsFile()
{
    QByteArray lines;
    for (int i = 0; i < catalogue::ChannelCount; ++i)
        lines += '"' + p.cmbCR->itemText(i).toLatin1() + "\"\r\n";

    const QString path = platform::inFolder(p.fields.StartupFolder, ResultsFileName);
    const platform::WriteResult written = platform::replaceFileAtomically(path, lines);
    if (written.ok)
        return;
    platform::Prompts::current().message(
        p.window, QObject::tr("Contact resistance results not saved"),
        QObject::tr("Quillmark could not write the contact resistance results file\n%1\n\n%2\n\n"
                    "The readings are still listed under Test Results, but Generate Report will not "
                    "have them until the file can be written.")
            .arg(QDir::toNativeSeparators(path), written.error),
        platform::PromptIcon::Exclamation);
}
