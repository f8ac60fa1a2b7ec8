// The horizontal bands of the main window's client area that other threads
// ask to repaint.
#pragma once

#include "platform/window_host.h"

inline constexpr platform::Band kWholeWindowBand{0, 0, 880, 516};
inline constexpr platform::Band kIndicatorsBand{0, 28, 880, 112};
inline constexpr platform::Band kControlsBand{0, 112, 880, 392};
inline constexpr platform::Band kStatisticsBand{0, 392, 880, 448};
inline constexpr platform::Band kStatusBand{0, 448, 880, 476};
