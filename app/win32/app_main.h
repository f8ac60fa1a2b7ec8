// The program's main body on Windows.
#pragma once

#include <windows.h>

// Registers the window class, creates the main window, starts the start-up
// thread and runs the message loop; returns the quit message's code, or 0
// when a start step failed.
int lf_appMain(HINSTANCE instance);
