// What other threads may do to the main window's controls.
#pragma once

#include "settings/parameters.h"

// Enables the parameter's control (EnableWindow), so that the user can use
// it. Any thread holding no lock (the update may wait for the window thread).
void gf_enableControl(WindowControl& control);
