#include "support/explorer_windows.h"

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>

#include <cwchar>
#include <vector>
#endif

namespace testing_support {

#ifdef _WIN32
int endExplorersStartedHere() {
    std::vector<DWORD> children;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId() && _wcsicmp(entry.szExeFile, L"explorer.exe") == 0)
            children.push_back(entry.th32ProcessID);
    CloseHandle(snapshot);
    int ended = 0;
    for (const DWORD id : children) {
        const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
        if (process == nullptr) continue;
        if (TerminateProcess(process, 0)) {
            WaitForSingleObject(process, 10000);
            ++ended;
        }
        CloseHandle(process);
    }
    return ended;
}
#else
int endExplorersStartedHere() { return 0; }
#endif

}  // namespace testing_support
