// Runs the program itself (velantra_p3d) as a separate process in a folder
// of the test's choosing, so a test sees what a user sees: the exit code, the
// files written, the window (Windows) or the printed lines (headless host).
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The program built beside the tests.
std::filesystem::path programPath();
// The build folder as the build system names it (a Unix path also in the
// Windows build, for the Unix tools a test starts through Wine).
std::string buildFolderUnixPath();

class ProgramProcess {
public:
    // Starts the program in the folder with the arguments; its standard output
    // and error go to the files <outputName>.out and <outputName>.err in that
    // folder. The environment variable is set for the child when a name is given.
    ProgramProcess(const std::filesystem::path& folder, const std::string& outputName,
                   const std::vector<std::string>& arguments, const std::string& variable = {},
                   const std::string& value = {});
    ~ProgramProcess();  // kills a program still running
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    // The exit code once the program has ended within the time; none otherwise.
    std::optional<int> waitForExit(std::chrono::milliseconds limit);
    // The close button: WM_CLOSE to the program's main window (Windows),
    // SIGTERM (elsewhere). False when there was nothing to close.
    bool close();
    // Windows: the program's main window (a HWND), null until it exists.
    void* mainWindow() const;
    // Elsewhere: one line to the program's standard input, where the headless
    // host reads its commands. False when it could not be written (and always on Windows).
    bool sendLine(const std::string& line);

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
};

}  // namespace testing_support
