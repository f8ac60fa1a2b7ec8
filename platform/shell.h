// The desktop's file explorer and the rights of the running process.
#pragma once

#include <filesystem>

namespace platform {

// Opens the folder in the file explorer. Windows: ShellExecuteW "open" with
// normal show; true when the shell's result is above 32. POSIX, where the
// program has no desktop of its own: the line "open folder: <folder>" on
// standard output; true when the folder exists.
bool openFolderInShell(const std::filesystem::path& folder);

// Creates the file for writing (temporary, removed again when closed) and
// writes one byte to it; false when either fails. Windows: CreateFileW with
// no sharing, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY and
// FILE_FLAG_DELETE_ON_CLOSE.
bool tryWriteTestFile(const std::filesystem::path& file);

// Windows: the process token reports elevation (TokenElevation); false when
// the token cannot be opened or read. POSIX: the effective user is root.
bool isProcessElevated();

}  // namespace platform
