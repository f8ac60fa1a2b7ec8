#include "platform/files.h"

#include <windows.h>

namespace platform {

bool copyFileOverwrite(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::error_code& error) {
    if (CopyFileW(source.c_str(), target.c_str(), FALSE)) {
        error.clear();
        return true;
    }
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target, std::error_code& error) {
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error.clear();
        return true;
    }
    error = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

}  // namespace platform
