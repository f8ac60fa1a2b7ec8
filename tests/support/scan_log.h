// The airport scan's log list as a test sees it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "foundation/file_helpers.h"

namespace testing_support {

inline void clearScanLog() {
    const std::lock_guard lock(g_scanLogMutex);
    g_scanLogLines.clear();
}

inline std::vector<std::string> scanLogLines() {
    const std::lock_guard lock(g_scanLogMutex);
    return g_scanLogLines;
}

}  // namespace testing_support
