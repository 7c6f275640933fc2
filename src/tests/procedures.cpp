#include "tests/procedures.h"

#include "kitlink/kitlink.h"
#include "tests/progress.h"

#include <QComboBox>
#include <QLabel>
#include <QScopedValueRollback>

#include <functional>

Procedures::Procedures(const TestPanel &testPanel)
    : panel(testPanel)
    , coilResistance(panel)
    , pickUpDropAway(panel)
    , contactResistance(panel, contactRuns)
    , sigEndurance(panel, contactRuns)
    , contactDelay(panel, contactRuns)
    , contactSequence(panel, contactRuns)
    , autoTest(panel, *this)
{
}

void Procedures::connect(ResultHandlers &results)
{
    results.coilResistance1 = std::bind_front(&CoilResistanceTest::onCoil1Frame, &coilResistance);
    results.coilResistance2 = std::bind_front(&CoilResistanceTest::onCoil2Frame, &coilResistance);
    results.pickUp = std::bind_front(&PickUpDropAwayTest::onPickUpFrame, &pickUpDropAway);
    results.coil2PickUp = std::bind_front(&PickUpDropAwayTest::onCoil2PickUpFrame, &pickUpDropAway);
    results.dropAway = std::bind_front(&PickUpDropAwayTest::onDropAwayFrame, &pickUpDropAway);
    results.pickUpCurrent = std::bind_front(&PickUpDropAwayTest::onPickUpCurrentFrame, &pickUpDropAway);
    results.dropAwayCurrent = std::bind_front(&PickUpDropAwayTest::onDropAwayCurrentFrame, &pickUpDropAway);
    results.contactResistance = std::bind_front(&ContactResistanceTest::onReadingFrame, &contactResistance);
    results.delay = std::bind_front(&ContactDelayTest::onDelayFrame, &contactDelay);
    results.sequence = std::bind_front(&ContactSequenceTest::onSequenceFrame, &contactSequence);
}

void Procedures::launch(platform::Task procedure)
{
    panel.link.waits.run(std::move(procedure));
}

bool Procedures::running() const
{
    const KitLink &link = panel.link;
    bool requested = false;
    for (const Request request : {Request::CoilResRequest, Request::Coil2ResRequest, Request::PickUpVRequest,
                                  Request::Coil2PickUpRequest, Request::DropAwayVRequest, Request::PickUpIRequest,
                                  Request::DropAwayIRequest})
        requested = requested || link.poll.isOpen(request);
    const bool contactRun = contactRuns.ContactResTest || contactRuns.ContactDelayTest || contactRuns.ContactSeqTest;
    return requested || contactRun || link.waits.stoppable();
}

void Procedures::stop()
{
    KitLink &link = panel.link;
    const bool wasRunning = running();
    link.waits.cancelOnStop();
    if (!wasRunning) {
        link.waits.pump();
        return;
    }

    link.log.note(QStringLiteral("Stop"));
    panel.progress.clear();
    link.poll.closeAll();
    contactRuns.ContactResTest = false;
    contactRuns.ContactDelayTest = false;
    contactRuns.ContactSeqTest = false;
    for (QLabel *busy : panel.lblBusy)
        busy->setVisible(false);
    // A list that was filling says what it holds now, not that it is still filling.
    for (QComboBox *results : {panel.cmbCR, panel.cmbCD}) {
        if (results->currentText() == QLatin1String("Testing ..."))
            results->setEditText(QStringLiteral("Results"));
    }
    link.waits.run(makeSafe(), platform::WaitStack::OnStop::Keep);
}

platform::Task Procedures::makeSafe()
{
    const QScopedValueRollback safing(m_makingSafe, true);
    Progress::Level progress = panel.progress.begin(QStringLiteral("Stop"));
    progress.step(QStringLiteral("making the kit safe"));
    progress.plan(5);
    panel.FrameCPanel->setEnabled(false);
    panel.cmdSIG->setEnabled(false);
    KitCommands &kit = panel.link.commands;
    // A line that has failed takes no more commands: waiting out their settle times
    // would only keep the operator (or a closing program) waiting for nothing.
    for (platform::Task (KitCommands::*safeState)() :
         {&KitCommands::CoilOFF, &KitCommands::Coil2OFF, &KitCommands::CoilCurrentOFF, &KitCommands::ResetCoilVoltage,
          &KitCommands::ResetCoilCurrent}) {
        if (kit.lineFailed())
            break;
        co_await (kit.*safeState)();
    }
    panel.FrameCPanel->setEnabled(true);
    panel.cmdSIG->setEnabled(true);
    m_makingSafe = false;
    emit madeSafe();
}
