// The desktop shell's services the program uses: showing a folder in the
// file manager, and what decides whether an installer needs Administrator rights.
#pragma once

#include <filesystem>
#include <vector>

namespace platform {

// Windows: ShellExecuteW("open", folder, show normal); true when the shell
// reports success (a result above 32). POSIX: prints "[open] <folder>" on
// standard output (there is no file manager to show it) and returns true.
bool openFolder(const std::filesystem::path& folder);

// The folders whose contents only an Administrator may change: Windows'
// Program Files and Program Files (x86) (each left out when the shell does
// not know it); none on POSIX.
std::vector<std::filesystem::path> protectedProgramFolders();

// A file ".write_test.tmp" can be created in the folder (write access, no
// sharing, always created, deleted when closed) and one byte written to it.
bool canWriteInFolder(const std::filesystem::path& folder);

// The process runs with elevated rights (Windows: the token's elevation;
// POSIX: the effective user is root). False when that cannot be told.
bool processElevated();

}  // namespace platform
