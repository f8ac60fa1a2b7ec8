// The program as a user starts it: one instance at a time, the close button,
// the exit code and what it leaves in Log.txt and parameters.xml.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/folders.h"
#include "settings/program_version.h"
#include "support/program_process.h"
#include "support/store_fixture.h"
#include "support/temp_dir.h"
#include "support/wait.h"

#ifdef _WIN32
#include <windows.h>
#endif

using namespace std::chrono_literals;
using testing_support::kSafety;
using testing_support::waitFor;
using testing_support::ProgramProcess;
using testing_support::readFile;
using testing_support::storedParameterValue;
using testing_support::TempDir;

namespace {
namespace fs = std::filesystem;

// A second instance ends at once with -1 (255 as a POSIX exit status).
#ifdef _WIN32
constexpr int kSecondInstanceExit = -1;
#else
constexpr int kSecondInstanceExit = 255;
#endif


std::string fileText(const fs::path& path) {
    std::error_code ec;
    return fs::exists(path, ec) ? readFile(path) : std::string();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

#ifdef _WIN32
// A screenshot of the X display the Windows program runs on (Wine starts Unix
// programs given by their Z: path): ImageMagick's import, else xwd. False
// when neither is installed.
bool takeScreenshot(const std::string& unixFolder) {
    const std::wstring folder(unixFolder.begin(), unixFolder.end());
    const struct {
        const wchar_t* tool;
        std::wstring arguments;
    } tools[] = {
        {L"Z:\\usr\\bin\\import", L" -window root \"" + folder + L"/main-window.png\""},
        {L"Z:\\usr\\bin\\xwd", L" -root -silent -out \"" + folder + L"/main-window.xwd\""},
    };
    for (const auto& tool : tools) {
        if (GetFileAttributesW(tool.tool) == INVALID_FILE_ATTRIBUTES) continue;
        std::wstring commandLine = std::wstring(tool.tool) + tool.arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
            continue;
        WaitForSingleObject(info.hProcess, 30000);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return true;
    }
    return false;
}
#endif
}  // namespace

TEST(Program, SingleInstanceCloseButtonAndExitCode) {
    TempDir work;
    TempDir appData;
    const fs::path log = work / "Log.txt";
    ProgramProcess first(work.path(), "first", {}, "APPDATA", appData.path().string());
#ifdef _WIN32
    HWND window = nullptr;
    ASSERT_TRUE(waitFor(
        [&] {
            window = static_cast<HWND>(first.mainWindow());
            return window != nullptr && IsWindowVisible(window);
        },
        kSafety));
    RECT rect{};
    ASSERT_TRUE(GetWindowRect(window, &rect));
    EXPECT_EQ(rect.right - rect.left, 880);
    EXPECT_EQ(rect.bottom - rect.top, 516);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & (WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
              static_cast<DWORD>(WS_CAPTION | WS_SYSMENU))
        << "a caption and a system menu, no sizing border";
    HDC dc = GetDC(window);
    EXPECT_TRUE(waitFor([&] { return GetPixel(dc, 10, 200) == RGB(153, 204, 255); }, kSafety))
        << "the controls band: " << std::hex << GetPixel(dc, 10, 200);
    // Started outside its install folder (no "docs"), the program shows error 41.
    EXPECT_TRUE(waitFor([&] { return GetPixel(dc, 860, 460) == RGB(255, 0, 0); }, kSafety)) << "the status band with an error";
    ReleaseDC(window, dc);
    if (!takeScreenshot(testing_support::buildFolderUnixPath())) std::printf("no import or xwd: no screenshot of the main window\n");
#else
    // The headless host prints its panel once the main body runs.
    ASSERT_TRUE(waitFor([&] { return fileText(work / "first.out").find("[panel]") != std::string::npos; }, kSafety));
#endif

    TempDir secondFolder;
    ProgramProcess second(secondFolder.path(), "second", {}, "APPDATA", appData.path().string());
    EXPECT_EQ(second.waitForExit(kSafety), kSecondInstanceExit);
    EXPECT_FALSE(fs::exists(secondFolder / "Log.txt")) << "the second start writes no log";
    ProgramProcess third(work.path(), "third", {}, "APPDATA", appData.path().string());
    EXPECT_EQ(third.waitForExit(kSafety), kSecondInstanceExit);
    EXPECT_FALSE(fs::exists(work / "Log0.txt")) << "a second start beside the first shifts no log generation";

    ASSERT_TRUE(first.close());
    EXPECT_EQ(first.waitForExit(kSafety), 0);
    const std::vector<std::string> lines = linesOf(fileText(log));
    ASSERT_GE(lines.size(), 3u);
    EXPECT_NE(lines[0].find(std::string("(utc) Velantra_P3D version ") + kProgramVersionText + " for Prepar3D v5/v6"),
              std::string::npos);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.find("(utc) Velantra_P3D") != std::string::npos; }),
              1)
        << "one header: the second starts wrote nothing";
    // Started outside its install folder: error 41 until the window was closed.
    for (const char* line : {"Error 41: Velantra_P3D must be run from the Velantra_P3D folder!", "Exiting: SYSTEM ERROR",
                             "User closed Velantra_P3D"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    EXPECT_EQ(lines.back().size(), std::string("Mon Jan 05 13:04:09 2026").size()) << "the quit time: " << lines.back();

#ifdef _WIN32
    const fs::path parameters = platform::roamingAppDataFolder() / "Velantra_P3D" / "parameters.xml";
#else
    const fs::path parameters = appData / "Velantra_P3D" / "parameters.xml";
    EXPECT_NE(fileText(work / "first.out").find("[error] 41: Velantra_P3D must be run from the Velantra_P3D folder!"),
              std::string::npos);
    EXPECT_NE(fileText(work / "first.out").find("[status] User closed Velantra_P3D"), std::string::npos);
    EXPECT_NE(fileText(work / "first.out")
                  .find("[panel] Sim red | RT black | # liveries: ... (red) | # simaddon: ... (yellow) | "
                        "# thirdp: ... (yellow)"),
              std::string::npos)
        << fileText(work / "first.out");
#endif
#ifdef _WIN32
    EXPECT_EQ(storedParameterValue(parameters, "MAIN_WINDOW_X"), std::to_string(rect.left));
    EXPECT_EQ(storedParameterValue(parameters, "MAIN_WINDOW_Y"), std::to_string(rect.top));
#else
    EXPECT_EQ(storedParameterValue(parameters, "MAIN_WINDOW_X"), "400");
    EXPECT_EQ(storedParameterValue(parameters, "MAIN_WINDOW_Y"), "20");
#endif
    EXPECT_EQ(storedParameterValue(parameters, "DESTINATION"), "");
}

#ifndef _WIN32
// The headless host takes the window's commands on its standard input.
TEST(Program, CommandsOnStandardInputDriveTheWindow) {
    TempDir work;
    TempDir appData;
    ProgramProcess program(work.path(), "program", {}, "APPDATA", appData.path().string());
    const fs::path out = work / "program.out";
    ASSERT_TRUE(waitFor([&] { return fileText(out).find("[error] 41: ") != std::string::npos; }, kSafety));
    ASSERT_TRUE(program.sendLine("click 32798"));      // SCAN_LIVERIES: a check box, enabled from the start
    ASSERT_TRUE(program.sendLine("click 32857"));      // "Flush static": disabled until a park airport is read
    ASSERT_TRUE(program.sendLine("type 32839 EDDF"));  // DESTINATION: disabled until the start-up enables it
    ASSERT_TRUE(program.sendLine("close"));
    EXPECT_EQ(program.waitForExit(kSafety), 0);
    const std::string printed = fileText(out);
    EXPECT_NE(printed.find("[command] control disabled: click 32857"), std::string::npos) << printed;
    EXPECT_NE(printed.find("[command] control disabled: type 32839 EDDF"), std::string::npos);
    const fs::path parameters = appData / "Velantra_P3D" / "parameters.xml";
    EXPECT_EQ(storedParameterValue(parameters, "SCAN_LIVERIES"), "false");
    EXPECT_NE(fileText(work / "Log.txt").find("User closed Velantra_P3D"), std::string::npos);
}

// (On Windows the warning is a message box that waits for a click.)
TEST(Program, UnwritableLogIsShownAndEndsWithCode1) {
    TempDir work;
    TempDir appData;
    fs::create_directory(work / "Log.txt");
    ProgramProcess program(work.path(), "program", {}, "APPDATA", appData.path().string());
    EXPECT_EQ(program.waitForExit(kSafety), 1);
    EXPECT_EQ(fileText(work / "program.err"), "VLNT: Failed to write file Log.txt\n");
}
#endif
