#include "platform/timer_resolution.h"

#include <windows.h>
#include <timeapi.h>

namespace platform {

bool raiseTimerResolution() { return timeBeginPeriod(1) == TIMERR_NOERROR; }
void restoreTimerResolution() { timeEndPeriod(1); }

}  // namespace platform
