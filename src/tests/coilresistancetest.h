#pragma once

#include "platform/waitstack.h"
#include "tests/progress.h"
#include "tests/testpanel.h"

#include <QString>

#include <optional>

// Coil resistance R1-R2, and R3-R4 for the QL1 relay's second coil. The button arms
// the request; the poll tick sends "@R"; the "R=" and "Q=" frames end it.
class CoilResistanceTest
{
public:
    explicit CoilResistanceTest(const TestPanel &panel);

    void start();
    platform::Task onCoil1Frame(QString frame);  // "R="
    platform::Task onCoil2Frame(QString frame);  // "Q="

private:
    const TestPanel &p;
    std::optional<Progress::Level> m_progress;  // from the button to the last result
};
