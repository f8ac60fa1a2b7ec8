// File operations whose standard-library form misbehaves on one platform.
#pragma once

#include <filesystem>
#include <system_error>

namespace platform {

// Copies a file over an existing target. (libstdc++'s copy_file refuses to
// overwrite on Windows, where it cannot tell two files apart.)
bool copyFileOverwrite(const std::filesystem::path& source, const std::filesystem::path& target,
                       std::error_code& error);

// Renames source over target, replacing it in one step (the target is either
// the old or the new file, never a mix).
bool replaceFile(const std::filesystem::path& source, const std::filesystem::path& target, std::error_code& error);

// The 8.3 short form of an existing file's path (GetShortPathNameW), or an
// empty path when the file system keeps none (always on POSIX).
std::filesystem::path shortPathName(const std::filesystem::path& path);

}  // namespace platform
