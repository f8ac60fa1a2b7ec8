// The one test helper that starts the program itself.
#include "support/program_process.h"

#include <stdexcept>
#include <thread>

#ifdef _WIN32
#include <windows.h>

#include "tools/window_check/capture_win32.h"
#else
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/spawn_arguments.h"
#endif

namespace testing_support {

namespace {
// CMake hands the build's own paths over; a Windows program under Wine sees
// the Unix root as drive Z:.
std::filesystem::path fromBuild(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path.front() == '/') path = "Z:" + path;
#endif
    return std::filesystem::path(path).make_preferred();
}
}  // namespace

std::filesystem::path programPath() { return fromBuild(VLNT_PROGRAM_PATH); }
std::string buildFolderUnixPath() { return VLNT_BUILD_FOLDER; }

#ifdef _WIN32
struct ProgramProcess::Handle {
    PROCESS_INFORMATION info{};
    bool running = false;
};

ProgramProcess::ProgramProcess(const std::filesystem::path& folder, const std::string& outputName,
                               const std::vector<std::string>& arguments, const std::string& variable,
                               const std::string& value)
    : handle_(std::make_unique<Handle>()) {
    std::wstring commandLine = L"\"" + programPath().wstring() + L"\"";
    for (const std::string& argument : arguments) commandLine += L" \"" + std::filesystem::path(argument).wstring() + L"\"";
    const std::wstring name = std::filesystem::path(variable).wstring();
    if (!variable.empty()) SetEnvironmentVariableW(name.c_str(), std::filesystem::path(value).wstring().c_str());
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const auto create = [&](const char* extension) {
        return CreateFileW((folder / (outputName + extension)).wstring().c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inheritable,
                           CREATE_ALWAYS, 0, nullptr);
    };
    HANDLE out = create(".out");
    HANDLE err = create(".err");
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    const BOOL started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                                        folder.wstring().c_str(), &startup, &handle_->info);
    CloseHandle(out);
    CloseHandle(err);
    if (!variable.empty()) SetEnvironmentVariableW(name.c_str(), nullptr);
    if (!started) throw std::runtime_error("ProgramProcess: CreateProcessW failed");
    handle_->running = true;
}

ProgramProcess::~ProgramProcess() {
    if (!handle_->running) return;
    TerminateProcess(handle_->info.hProcess, 1);
    waitForExit(std::chrono::seconds(10));
}

std::optional<int> ProgramProcess::waitForExit(std::chrono::milliseconds limit) {
    if (!handle_->running) return std::nullopt;
    if (WaitForSingleObject(handle_->info.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(handle_->info.hProcess, &code);
    CloseHandle(handle_->info.hThread);
    CloseHandle(handle_->info.hProcess);
    handle_->running = false;
    return static_cast<int>(code);
}

void* ProgramProcess::mainWindow() const {
    if (!handle_->running) return nullptr;
    return window_check::findWindowOfClass(L"Velantra_P3D", handle_->info.dwProcessId);
}

bool ProgramProcess::close() {
    HWND window = static_cast<HWND>(mainWindow());
    return window != nullptr && PostMessageW(window, WM_CLOSE, 0, 0) != 0;
}

bool ProgramProcess::sendLine(const std::string&) { return false; }

#else
struct ProgramProcess::Handle {
    pid_t pid = 0;
    bool running = false;
    int input = -1;  // the write end of the program's standard input
    ~Handle() {
        if (input >= 0) ::close(input);
    }
};

ProgramProcess::ProgramProcess(const std::filesystem::path& folder, const std::string& outputName,
                               const std::vector<std::string>& arguments, const std::string& variable,
                               const std::string& value)
    : handle_(std::make_unique<Handle>()) {
    const SpawnArguments spawn(programPath().string(), arguments, variable, value);
    const std::string out = (folder / (outputName + ".out")).string();
    const std::string err = (folder / (outputName + ".err")).string();
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) throw std::runtime_error("ProgramProcess: pipe failed");
    handle_->input = input[1];
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int failed = posix_spawn(&handle_->pid, spawn.program(), &actions, nullptr, spawn.argv(), spawn.envp());
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    if (failed != 0) throw std::runtime_error("ProgramProcess: posix_spawn failed");
    handle_->running = true;
}

ProgramProcess::~ProgramProcess() {
    if (!handle_->running) return;
    ::kill(handle_->pid, SIGKILL);
    waitForExit(std::chrono::seconds(10));
}

std::optional<int> ProgramProcess::waitForExit(std::chrono::milliseconds limit) {
    if (!handle_->running) return std::nullopt;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(handle_->pid, &status, WNOHANG);
        if (done == handle_->pid) {
            handle_->running = false;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() >= end) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

bool ProgramProcess::close() { return handle_->running && ::kill(handle_->pid, SIGTERM) == 0; }

bool ProgramProcess::sendLine(const std::string& line) {
    const std::string text = line + "\n";
    return handle_->input >= 0 && ::write(handle_->input, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

void* ProgramProcess::mainWindow() const { return nullptr; }
#endif

}  // namespace testing_support
