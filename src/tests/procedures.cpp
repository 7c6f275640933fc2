#include "tests/procedures.h"

#include "kitlink/kitlink.h"
#include "tests/progress.h"

#include <QLabel>

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

void Procedures::stop()
{
    KitLink &link = panel.link;
    const bool waiting = link.waits.cancelOnStop();
    bool requested = false;
    for (const Request request : {Request::CoilResRequest, Request::Coil2ResRequest, Request::PickUpVRequest,
                                  Request::Coil2PickUpRequest, Request::DropAwayVRequest, Request::PickUpIRequest,
                                  Request::DropAwayIRequest})
        requested = requested || link.poll.isOpen(request);
    const bool contactRun = contactRuns.ContactResTest || contactRuns.ContactDelayTest || contactRuns.ContactSeqTest;
    if (!waiting && !requested && !contactRun) {
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
    link.waits.run(makeSafe(), platform::WaitStack::OnStop::Keep);
}

platform::Task Procedures::makeSafe()
{
    Progress::Level progress = panel.progress.begin(QStringLiteral("Stop"));
    progress.step(QStringLiteral("making the kit safe"));
    progress.plan(5);
    panel.FrameCPanel->setEnabled(false);
    panel.cmdSIG->setEnabled(false);
    KitCommands &kit = panel.link.commands;
    co_await kit.CoilOFF();
    co_await kit.Coil2OFF();
    co_await kit.CoilCurrentOFF();
    co_await kit.ResetCoilVoltage();
    co_await kit.ResetCoilCurrent();
    panel.FrameCPanel->setEnabled(true);
    panel.cmdSIG->setEnabled(true);
}
