// The resolution of the system's sleep timer, raised while the run loop ticks.
#pragma once

namespace platform {

// Asks for a 1 ms timer resolution (timeBeginPeriod(1) on Windows); true when
// it was granted and must be handed back with restoreTimerResolution. POSIX
// sleeps are already that fine: false, nothing to hand back.
bool raiseTimerResolution();
void restoreTimerResolution();

}  // namespace platform
