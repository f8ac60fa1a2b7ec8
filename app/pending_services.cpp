// NOT BUILT YET: the main window's controls. Enabling a control does nothing
// until the window creates its controls; the main window replaces this file.
#include "app/controls.h"

void gf_enableControl(WindowControl&) {}
