#include "platform/shell.h"

#include <windows.h>
#include <shellapi.h>

#include "platform/win32/known_folder.h"

namespace platform {

bool openFolder(const std::filesystem::path& folder) {
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", folder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

std::vector<std::filesystem::path> protectedProgramFolders() {
    std::vector<std::filesystem::path> folders;
    for (const GUID* id : {&FOLDERID_ProgramFiles, &FOLDERID_ProgramFilesX86})
        if (auto folder = knownFolderPath(*id); !folder.empty()) folders.push_back(folder);
    return folders;
}

bool canWriteInFolder(const std::filesystem::path& folder) {
    const std::filesystem::path path = folder / L".write_test.tmp";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const char byte = 0;
    DWORD written = 0;
    const bool ok = WriteFile(file, &byte, 1, &written, nullptr) && written == 1;
    CloseHandle(file);
    return ok;
}

bool processElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof(elevation), &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

}  // namespace platform
