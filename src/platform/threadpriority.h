#pragma once

namespace platform {

// Makes the calling thread give way to the bench's own thread whenever both want
// the processor: long history work (an export, a printout, an import) then costs
// the poll tick and the label nothing on a busy two-core PC, and still runs at full
// speed when the processor is free. Best effort; nothing happens where the system
// will not.
void giveWayToTheBench();

} // namespace platform
