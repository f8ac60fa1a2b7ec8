// What the painting reads, copied from the program's state at one moment on
// the window thread: counters and flags that other threads write (atomics),
// texts copied under their locks, and the enabled state of three controls.
#pragma once

#include "app/control_host.h"
#include "app/display_list.h"

PaintState lf_capturePaintState(ControlHost& controls);
