#include "platform/files.h"

#include <windows.h>

#include <string>

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
    // While another thread replaces the same target, or a reader (a virus
    // scanner, an editor) has it open, Windows refuses for a moment: try again
    // for about half a second before giving up.
    DWORD code = 0;
    for (DWORD pause = 1;; pause *= 2) {
        if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error.clear();
            return true;
        }
        code = GetLastError();
        const bool busy = code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
        if (!busy || pause > 256) break;
        Sleep(pause);
    }
    error = std::error_code(static_cast<int>(code), std::system_category());
    return false;
}

std::filesystem::path shortPathName(const std::filesystem::path& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) return {};
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), shortPath.data(), size);
    if (length == 0 || length >= size) return {};
    shortPath.resize(length);
    return std::filesystem::path(shortPath);
}

}  // namespace platform
