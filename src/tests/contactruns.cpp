#include "tests/contactruns.h"

#include "platform/dialogwait.h"
#include "tests/bench.h"

#include <QObject>

void endContactRun(const Bench &bench, bool &flag, std::optional<TestRun> &run, BenchView::Busy busy)
{
    flag = false;
    if (run) {
        run->end();
        run.reset();
    } else {
        TestRun::unasked(bench, busy).end();
    }
}

platform::Task refuseWithoutChannel(const Bench &bench, QString title, QString test)
{
    co_await platform::closed(bench.link.waits, bench.view.message(
        title,
        QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, then start the %1 "
                    "again.")
            .arg(test),
        platform::PromptIcon::Exclamation));
}
