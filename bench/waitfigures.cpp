#include "waitfigures.h"

#include "clock.h"
#include "kitlink/fixedwait.h"
#include "platform/waitstack.h"

#include <QEventLoop>
#include <QObject>
#include <QTimer>

using benchclock::monotonicNs;
using benchclock::ms;
using benchclock::processCpuNs;

namespace waitfigures {

namespace {

// tmrTout as the main window sets it up, and the link's one fixed wait on it.
struct WaitRig {
    QTimer tmrTout;
    platform::WaitStack waits;
    FixedWait wait{tmrTout, waits};
    QEventLoop loop;
    std::vector<qint64> tickNs;

    explicit WaitRig(int periodMs)
    {
        tmrTout.setSingleShot(true);
        tmrTout.setTimerType(Qt::PreciseTimer);
        tmrTout.setInterval(periodMs);
        QObject::connect(&tmrTout, &QTimer::timeout, &loop, [this] {
            tickNs.push_back(monotonicNs());
            wait.tick();
            if (waits.idle())
                loop.quit();
        });
    }
    ~WaitRig() { waits.cancelAll(); }
};

platform::Task holding(FixedWait &wait, int times)
{
    for (int i = 0; i < times; ++i)
        co_await wait.hold();
}

} // namespace

Figures measure(int rounds)
{
    Figures figures;
    for (int round = 0; round < rounds; ++round) {
        WaitRig rig(1000);
        const qint64 cpuFrom = processCpuNs();
        const qint64 from = monotonicNs();
        rig.waits.run(holding(rig.wait, 1));
        rig.loop.exec();
        figures.waitMs.push_back(ms(monotonicNs() - from));
        figures.waitCpuMs.push_back(ms(processCpuNs() - cpuFrom));
    }
    for (int round = 0; round < rounds; ++round) {
        WaitRig rig(NestedPeriodMs);
        const qint64 from = monotonicNs();
        rig.waits.run(holding(rig.wait, 1));
        QTimer::singleShot(NewerStartsMs, &rig.loop, [&rig] { rig.waits.run(holding(rig.wait, 3)); });
        rig.loop.exec();
        figures.newerFirstMs.push_back(ms(rig.tickNs.front() - from));
    }
    return figures;
}

} // namespace waitfigures
