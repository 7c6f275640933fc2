#include "tests/procedures.h"

#include "tests/progress.h"

#include <QScopedValueRollback>

Procedures::Procedures(const Bench &benchParts)
    : bench(benchParts)
    , contactResistanceResults(bench.view, BenchView::List::ContactResistance)
    , contactDelayResults(bench.view, BenchView::List::ContactDelay)
    , coilResistance(bench)
    , pickUpDropAway(bench)
    , contactResistance(bench, contactRuns, contactResistanceResults)
    , sigEndurance(bench, contactRuns, contactResistanceResults)
    , contactDelay(bench, contactRuns, contactDelayResults)
    , contactSequence(bench, contactRuns)
    , autoTest(bench, *this)
{
    bench.link.receiver.handOverTo(*this);
}

// The runs a reading would have ended end here, while the window they show in is
// still whole.
Procedures::~Procedures()
{
    contactRuns.stopped();
}

void Procedures::launch(platform::Task procedure)
{
    bench.launch(std::move(procedure));
}

void Procedures::handleResultFrame(wire::FrameKind kind, const QString &frame)
{
    using Busy = BenchView::Busy;
    switch (kind) {
    case wire::FrameKind::ContactRes: contactResistance.takeReading(frame); break;
    case wire::FrameKind::Delay: contactDelay.takeDelay(frame); break;
    case wire::FrameKind::Sequence: contactSequence.takeSequence(frame); break;
    case wire::FrameKind::CoilResistance1:
        launch(coilResistance.onCoil1(frame, TestRun::unasked(bench, Busy::CoilResistance)));
        break;
    case wire::FrameKind::CoilResistance2:
        launch(coilResistance.onCoil2(frame, TestRun::unasked(bench, Busy::CoilResistance)));
        break;
    case wire::FrameKind::PickUp: launch(pickUpDropAway.onPickUp(frame, TestRun::unasked(bench, Busy::PickUp))); break;
    case wire::FrameKind::Coil2PickUp:
        pickUpDropAway.onCoil2PickUp(frame, TestRun::unasked(bench, Busy::PickUp));
        break;
    case wire::FrameKind::DropAway:
        launch(pickUpDropAway.onDropAway(frame, TestRun::unasked(bench, Busy::DropAway)));
        break;
    case wire::FrameKind::PickUpCurrent:
        pickUpDropAway.onPickUpCurrent(frame, TestRun::unasked(bench, Busy::PickUp));
        break;
    case wire::FrameKind::DropAwayCurrent:
        pickUpDropAway.onDropAwayCurrent(frame, TestRun::unasked(bench, Busy::DropAway));
        break;
    case wire::FrameKind::LiveReadings:
    case wire::FrameKind::Ok:
    case wire::FrameKind::Unknown: break;
    }
}

bool Procedures::running() const
{
    const KitLink &link = bench.link;
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
    KitLink &link = bench.link;
    const bool wasRunning = running();
    link.waits.cancelOnStop();
    if (!wasRunning) {
        link.waits.pump();
        return;
    }

    link.log.note(QStringLiteral("Stop"));
    bench.progress.clear();
    link.poll.closeAll();
    contactRuns.stopped();
    for (const auto busy : {BenchView::Busy::CoilResistance, BenchView::Busy::PickUp, BenchView::Busy::DropAway,
                            BenchView::Busy::ContactResistance, BenchView::Busy::ContactDelay,
                            BenchView::Busy::ContactSequence})
        bench.view.showBusy(busy, false);
    // A list that was filling says what it holds now, not that it is still filling.
    for (const auto list : {BenchView::List::ContactResistance, BenchView::List::ContactDelay}) {
        if (bench.view.listText(list) == QLatin1String("Testing ..."))
            bench.view.setListText(list, QStringLiteral("Results"));
    }
    link.waits.run(makeSafe(), platform::WaitStack::OnStop::Keep);
}

platform::Task Procedures::makeSafe()
{
    const QScopedValueRollback safing(m_makingSafe, true);
    Progress::Level progress = bench.progress.begin(QStringLiteral("Stop"));
    progress.step(QStringLiteral("making the kit safe"));
    progress.plan(5);
    bench.view.lockPanel(true);
    bench.view.lockSig(true);
    KitCommands &kit = bench.link.commands;
    // A line that has failed takes no more commands: waiting out their settle times
    // would only keep the operator (or a closing program) waiting for nothing.
    for (platform::Task (KitCommands::*safeState)() :
         {&KitCommands::CoilOFF, &KitCommands::Coil2OFF, &KitCommands::CoilCurrentOFF, &KitCommands::ResetCoilVoltage,
          &KitCommands::ResetCoilCurrent}) {
        if (kit.lineFailed())
            break;
        co_await (kit.*safeState)();
    }
    bench.view.lockPanel(false);
    bench.view.lockSig(false);
    m_makingSafe = false;
    emit madeSafe();
}
