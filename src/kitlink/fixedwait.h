#pragma once

#include "console/benchrecord.h"

class QTimer;

// The bench's settle time: one tick of tmrTout while the window keeps handling
// ticks, frames and clicks. One flag and one timer serve every wait, so waits
// nest: a wait started inside another shares its tick, and the outer wait never
// ends before the inner one.
class FixedWait
{
public:
    FixedWait(MainWindowFields &fields, QTimer &tmrTout);

    void hold();
    // The tmrTout tick.
    void tick();

private:
    MainWindowFields &f;
    QTimer &m_timer;
};
