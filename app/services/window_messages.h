// The main window's own messages, as offsets from WM_APP.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_APP_START = 1;      // start the start-up thread (again)
inline constexpr std::uint32_t WM_APP_QUIT = 2;       // store the placement and quit
inline constexpr std::uint32_t WM_APP_STATUS = 0x60;  // repaint the status band
