#pragma once

#include "kitlink/kitlink.h"
#include "platform/startupfolder.h"

struct BenchRecord;
class BenchView;
class Progress;

// What a bench procedure works with: the bench record, the link to the kit, the view
// its results show in, its progress for the Bench Monitor, and the folder the bench
// was started in (crval.csv goes there).
struct Bench {
    BenchRecord &record;
    KitLink &link;
    BenchView &view;
    Progress &progress;
    const platform::StartupFolder &startupFolder;

    // The kit may take a new test: the latest live readings said "F".
    bool kitFree() const { return link.receiver.kitFree(); }
    void launch(platform::Task procedure) const { link.waits.run(std::move(procedure)); }
};
