#include "tests/procedures.h"

#include "tests/progress.h"

#include <QScopeGuard>
#include <QScopedValueRollback>

#include <exception>

Procedures::Procedures(BenchRecord &record, KitLink &link, BenchView &view, Progress &progress,
                       const platform::StartupFolder &startupFolder)
    : bench{record, link, view, progress, startupFolder, measuring}
    , contactResistanceResults(view, BenchView::List::ContactResistance)
    , contactDelayResults(view, BenchView::List::ContactDelay)
    , lateAnswers(bench)
    , coilResistance(bench)
    , pickUpDropAway(bench)
    , contactResistance(bench, contactRuns.ContactResTest, contactResistanceResults, lateAnswers)
    , sigEndurance(bench, contactRuns.ContactResTest, contactResistanceResults, lateAnswers)
    , contactDelay(bench, contactRuns.ContactDelayTest, contactDelayResults, lateAnswers)
    , contactSequence(bench, contactRuns.ContactSeqTest, lateAnswers)
    , autoTest(bench, coilResistance, pickUpDropAway, contactResistance, contactDelay)
{
    link.receiver.tellUnasked(&lateAnswers);
    link.waits.onFailure([this](std::exception_ptr failure) { failed(failure); });
}

// The runs still waiting end here, while the window they show in is still whole.
Procedures::~Procedures()
{
    bench.link.receiver.tellUnasked(nullptr);
    bench.link.waits.onFailure({});
    bench.link.waits.cancelAll();
}

void Procedures::launch(platform::Task procedure)
{
    bench.launch(std::move(procedure));
}

void Procedures::stop()
{
    halt(false);
}

void Procedures::halt(bool alwaysMakeSafe)
{
    KitLink &link = bench.link;
    if (link.waits.running()) {
        // Asked from inside a procedure: the Stop comes once it waits, never in the
        // middle of what it does.
        QMetaObject::invokeMethod(this, [this, alwaysMakeSafe] { halt(alwaysMakeSafe); }, Qt::QueuedConnection);
        return;
    }
    if (m_makingSafe)
        return;
    const bool measured = running();
    link.waits.cancelOnStop();
    if (!measured && !alwaysMakeSafe)
        return;

    link.log.note(QStringLiteral("Stop"));
    lateAnswers.forget();
    bench.progress.clear();
    link.poll.closeAll();
    link.waits.run(makeSafe(), platform::WaitStack::OnStop::Keep);
}

platform::Task Procedures::makeSafe()
{
    const QScopedValueRollback safing(m_makingSafe, true);
    bool completed = false;
    // Whatever ends the sequence, closing is told it is over.
    const auto over = qScopeGuard([this, &completed] {
        m_safeSequenceBroke = !completed;
        m_makingSafe = false;
        bench.view.lockPanel(false);
        bench.view.lockSig(false);
        emit madeSafe();
    });
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
    completed = true;
}

void Procedures::failed(std::exception_ptr failure)
{
    QString what = tr("an unknown fault");
    try {
        std::rethrow_exception(failure);
    } catch (const std::exception &e) {
        what = QString::fromLocal8Bit(e.what());
    } catch (...) {
    }
    bench.link.log.note(QStringLiteral("test ended on a fault: ") + what);
    bench.view.message(tr("Test stopped"),
                       tr("A test ended on a fault of the program (%1).\n\nThe kit is being made safe: coil supply, "
                          "second coil and current source off, set-points to zero. Check the relay's results before "
                          "you record them.")
                           .arg(what),
                       platform::PromptIcon::Critical);
    // The safe sequence itself failing is not run again: closing still goes on.
    if (!std::exchange(m_safeSequenceBroke, false))
        halt(true);
}
