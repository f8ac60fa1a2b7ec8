// The one test helper that needs the operating system's process calls.
#include "support/child_process.h"

#include <stdexcept>

#ifdef _WIN32
#include <windows.h>

#include "foundation/text_convert.h"

namespace testing_support {
namespace {
std::wstring wide(const std::string& text) {
    const std::u16string converted = utf8_to_wide(text);
    return std::wstring(converted.begin(), converted.end());
}

std::wstring quoted(const std::wstring& argument) { return L"\"" + argument + L"\""; }
}  // namespace

struct ChildProcess::Handle {
    PROCESS_INFORMATION info{};
    bool running = false;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& variable,
                           const std::string& value)
    : handle_(std::make_unique<Handle>()) {
    wchar_t self[MAX_PATH * 4];
    const DWORD length = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
    std::wstring commandLine = quoted(std::wstring(self, length));
    for (const std::string& argument : arguments) commandLine += L" " + quoted(wide(argument));
    const std::wstring name = wide(variable);
    SetEnvironmentVariableW(name.c_str(), wide(value).c_str());
    // The child's test report would interleave with the parent's.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE nul = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nul;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    const BOOL started = CreateProcessW(self, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &handle_->info);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    SetEnvironmentVariableW(name.c_str(), nullptr);
    if (!started) {
        throw std::runtime_error("ChildProcess: CreateProcessW failed");
    }
    handle_->running = true;
}

void ChildProcess::kill() {
    if (!handle_->running) return;
    TerminateProcess(handle_->info.hProcess, 1);
    WaitForSingleObject(handle_->info.hProcess, INFINITE);
    CloseHandle(handle_->info.hThread);
    CloseHandle(handle_->info.hProcess);
    handle_->running = false;
}

}  // namespace testing_support

#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>

#include "support/spawn_arguments.h"

namespace testing_support {

struct ChildProcess::Handle {
    pid_t pid = 0;
    bool running = false;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments, const std::string& variable,
                           const std::string& value)
    : handle_(std::make_unique<Handle>()) {
    const SpawnArguments spawn(std::filesystem::read_symlink("/proc/self/exe").string(), arguments, variable, value);
    // The child's test report would interleave with the parent's.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const int failed = posix_spawn(&handle_->pid, spawn.program(), &actions, nullptr, spawn.argv(), spawn.envp());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("ChildProcess: posix_spawn failed");
    handle_->running = true;
}

void ChildProcess::kill() {
    if (!handle_->running) return;
    ::kill(handle_->pid, SIGKILL);
    int status = 0;
    waitpid(handle_->pid, &status, 0);
    handle_->running = false;
}

}  // namespace testing_support
#endif

namespace testing_support {
ChildProcess::~ChildProcess() { kill(); }
}  // namespace testing_support
