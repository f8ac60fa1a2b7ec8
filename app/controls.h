// What other threads may do to the main window's controls.
#pragma once

#include "settings/parameters.h"

// Enables the parameter's control (EnableWindow), so that the user can use it.
void gf_enableControl(WindowControl& control);
