#include "tests/contactruns.h"

#include "tests/bench.h"

#include <QObject>

platform::Task refuseWithoutChannel(const Bench &bench, QString title, QString test)
{
    co_await bench.link.waits.closed(bench.view.message(
        title,
        QObject::tr("No contact channel is selected.\n\nChoose a channel from A1 to D4, or ALL, then start the %1 "
                    "again.")
            .arg(test),
        platform::PromptIcon::Exclamation));
}
