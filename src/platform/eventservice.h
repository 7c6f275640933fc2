#pragma once

#include <functional>

namespace platform {

// Handles the events that are due and, when there are none, sleeps until the next
// one arrives (a timer tick, serial data, a click). Never spins: an idle bench must
// cost next to no CPU while a procedure waits on the kit.
void serviceEventsOnce();

// Services events until done() holds. done() is checked before each pass, so a
// condition that already holds returns at once.
void serviceEventsUntil(const std::function<bool()> &done);

// How many waits are in progress on the stack; more than one when waits nest.
int waitsInProgress();

// Ends the program at once, for a window closed while a procedure still waits on
// the kit: those waits can be endless (a result that never comes), and the bench's
// files are already written and synced by then. Nothing on the stack is unwound.
[[noreturn]] void endProgramNow();

} // namespace platform
