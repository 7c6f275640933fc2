#pragma once

#include <chrono>

// The bench's timer periods. Tests run them scaled down; the bench uses the defaults.
struct Timings {
    std::chrono::milliseconds splash{2000};     // the about box at start-up
    std::chrono::milliseconds portOpen{1000};   // start-up to the port check
    std::chrono::milliseconds poll{250};        // live readings and armed tests
    std::chrono::milliseconds fixedWait{1000};  // the settle time after each command
    std::chrono::milliseconds portWatch{1000};  // a lost adapter looked for again
};
