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

}  // namespace platform
