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

} // namespace platform
