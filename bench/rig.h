#pragma once

#include <QString>
#include <QStringList>

// The window side of a measurement: quillmark-bench started again as a child with
// --rig, in a folder whose art.cfg names the kit's port. It starts the way the
// quillmark executable does (same application set-up, same FrmMain with a real
// serial port, same splash) and watches it from outside: event filters on the
// window, on the voltage label and on the two timers, nothing inside the product.
//
// Its timeline: start-up and the port check; a stretch of polling while the kit's
// readings change on every answer; a row of fixed waits; one automatic test. It
// writes "phase live" and "phase quiet" as they begin (the kit varies its readings
// in between) and everything it noted at the end, one record a line, times on
// CLOCK_MONOTONIC in nanoseconds.
namespace rig {

struct Options {
    int relay = 0;          // catalogue index, the same relay as the kit's
    int liveSeconds = 20;   // polling with changing readings
    int holds = 10;         // fixed waits measured on their own
    bool monitor = false;   // the Bench Monitor open and tracing from the start
    int shiftHours = 0;     // instead of the timeline: the monitor fed a shift of frames, time compressed
    int speed = 1;          // the bench's timers this many times faster (a smoke run)
};

// Arguments the parent passes to start a child.
QStringList arguments(const Options &options);

// True when argv asks for the window side.
bool requested(int argc, char *argv[]);

int run(int &argc, char *argv[]);

} // namespace rig
