// What both entries of the program (the Windows window and the headless
// host) do before and around their main body.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <filesystem>

#include "app/services/shell_services.h"

// The single-instance mutex: one backslash, the per-logon namespace.
inline constexpr const char* kSingleInstanceMutex = "Local\\$VLNT_P3D$";

// Claims the single instance (a second start returns -1 at once, writing
// nothing), opens the log (a failure is shown in a message box and returns 1),
// then returns the body's exit code.
int gf_runEntry(const std::function<int()>& body, const std::string& mutexName = kSingleInstanceMutex);

// The roaming AppData folder; logs "Could not find the AppData path" (marked)
// and returns an empty path when it is unknown.
std::filesystem::path gf_appDataPath();

// The main body's steps before the window that both hosts share: the
// production switch of the arguments and the program's AppData folder
// (created when missing; failures are logged and the start goes on).
void lf_prepareMainBody(const std::vector<std::string>& arguments);
// After the window exists: production mode as the switch asked, and the start-up thread started.
void lf_startMainBody();
