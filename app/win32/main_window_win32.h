// The program's Win32 main window: its class, creation, window procedure,
// and the seams through which other threads reach it (posted messages, band
// repaints, control updates).
#pragma once

#include <windows.h>

#include <atomic>

#include "app/commands.h"

// The main window; null until it exists. Written by the main thread, read by every thread.
extern std::atomic<HWND> g_hMainWnd;
// The last window handle that reached the window procedure; main thread only.
extern HWND g_lastWindowSeen;

// Registers the main window's class under the name (the program's title).
bool lf_registerMainWindowClass(HINSTANCE instance, const wchar_t* className);
// Loads the stored position, creates the 880 x 516 window and shows it.
bool initInstance(HINSTANCE instance, const wchar_t* title);
LRESULT CALLBACK lf_WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What the window's commands work on: its controls and parameters.xml.
WindowContext& lf_windowContext();

// Installs the window as platform::WindowHost and ControlUpdates (and removes it).
void lf_installWindowSeams();
void lf_removeWindowSeams();
