#include "platform/timer_resolution.h"

namespace platform {

bool raiseTimerResolution() { return false; }
void restoreTimerResolution() {}

}  // namespace platform
