// proc_sample: follows one Windows process by its image name and prints, once
// per interval, its working set, private bytes, threads (Toolhelp) and open
// handles, for long runs of the program under Wine (natively the soak reads
// /proc instead). Runs until the stop file appears or the time is up.
//
//   proc_sample <image name> <interval ms> <seconds> [<stop file>]
//
// Output (CSV on stdout): unix,pid,working_set_kb,private_kb,threads,handles;
// a line with pid 0 and empty values while no such process runs.
#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "tools/proc_sample/wide_text.h"

namespace {

struct Found {
    DWORD pid = 0;
    DWORD threads = 0;
};

// The first process of that image name (case ignored), from a Toolhelp snapshot.
Found findProcess(const std::wstring& image) {
    Found found;
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return found;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        if (_wcsicmp(entry.szExeFile, image.c_str()) == 0) {
            found = {entry.th32ProcessID, entry.cntThreads};
            break;
        }
    }
    CloseHandle(snapshot);
    return found;
}

// The process's open handles from the system's handle table: Wine answers
// GetProcessHandleCount with 0, but keeps this table.
DWORD handlesFromSystemTable(DWORD pid) {
    using Query = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
    static const auto query =
        reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr) return 0;
    struct Entry {
        USHORT process;
        USHORT creatorBackTraceIndex;
        UCHAR objectType;
        UCHAR attributes;
        USHORT handle;
        PVOID object;
        ULONG access;
    };
    constexpr ULONG kSystemHandleInformation = 16;
    constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004L);
    std::string buffer(1 << 20, '\0');
    for (;;) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch && buffer.size() < (64u << 20)) {
            buffer.resize(std::max<std::size_t>(buffer.size() * 2, needed + 4096));
            continue;
        }
        if (status < 0) return 0;
        break;
    }
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    DWORD handles = 0;
    for (ULONG i = 0; i < count && sizeof(ULONG_PTR) + (i + 1) * sizeof(Entry) <= buffer.size(); ++i)
        if (entries[i].process == static_cast<USHORT>(pid)) ++handles;
    return handles;
}

long long unixNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc > 5) {
        std::fprintf(stderr, "usage: proc_sample <image name> <interval ms> <seconds> [<stop file>]\n");
        return 2;
    }
    const std::wstring image = gf_wideArgument(argv[1]);
    const int intervalMs = std::atoi(argv[2]);
    const double seconds = std::atof(argv[3]);
    const std::wstring stopFile = argc == 5 ? gf_wideArgument(argv[4]) : std::wstring();
    if (intervalMs <= 0 || seconds <= 0) {
        std::fprintf(stderr, "proc_sample: the interval and the time must be positive\n");
        return 2;
    }
    std::printf("unix,pid,working_set_kb,private_kb,threads,handles\n");
    const auto start = std::chrono::steady_clock::now();
    auto next = start;
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds)) {
        if (!stopFile.empty() && GetFileAttributesW(stopFile.c_str()) != INVALID_FILE_ATTRIBUTES) break;
        const Found found = findProcess(image);
        std::string values = ",,,";
        if (found.pid != 0) {
            const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, found.pid);
            PROCESS_MEMORY_COUNTERS_EX memory{};
            DWORD handles = 0;
            if (process != nullptr &&
                GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
                GetProcessHandleCount(process, &handles)) {
                if (handles == 0) handles = handlesFromSystemTable(found.pid);
                values = std::to_string(memory.WorkingSetSize / 1024) + "," + std::to_string(memory.PrivateUsage / 1024) +
                         "," + std::to_string(found.threads) + "," + std::to_string(handles);
            }
            if (process != nullptr) CloseHandle(process);
        }
        std::printf("%lld,%lu,%s\n", unixNow(), static_cast<unsigned long>(found.pid), values.c_str());
        std::fflush(stdout);
        next += std::chrono::milliseconds(intervalMs);
        std::this_thread::sleep_until(next);
    }
    return 0;
}
