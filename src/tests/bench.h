#pragma once

#include "kitlink/kitlink.h"
#include "platform/startupfolder.h"

struct BenchRecord;
class BenchView;
class Measuring;
class Progress;

// What a bench procedure works with: the bench record, the link to the kit, the view
// its results show in, its progress for the Bench Monitor, the folder the bench was
// started in (crval.csv goes there), and the count of tests measuring.
struct Bench {
    BenchRecord &record;
    KitLink &link;
    BenchView &view;
    Progress &progress;
    const platform::StartupFolder &startupFolder;
    Measuring &measuring;

    // The kit may take a new test: the latest live readings said "F".
    bool kitFree() const { return link.receiver.kitFree(); }
    // A procedure of its own, as a button starts one.
    void launch(platform::Task procedure) const { link.waits.run(std::move(procedure)); }
    // co_await call(procedure): started as its button starts it, and waited for in
    // place until it hands back.
    platform::WaitStack::Call call(platform::Task procedure) const { return link.waits.call(std::move(procedure)); }
};
