// Executes the main window's display list with GDI.
#pragma once

#include <windows.h>

#include "app/display_list.h"

// Draws the list into an off-screen bitmap of the canvas size and copies it
// to the device context at (0, 0) in one step, so repaints do not flicker.
void lf_paintDisplayList(HDC target, const DisplayList& list);
