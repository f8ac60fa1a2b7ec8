// The main window's stand-in where there is no Win32 window: the same main
// body, start-up thread and run loop, with the status line and a compact
// panel of the window's counters printed to a stream whenever they change.
// SIGINT and SIGTERM act as the window's close button.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"

class HeadlessHost final : public platform::WindowHost, public ControlUpdates, public DesktopOps {
public:
    // The window's position is saved to parametersPath when it quits.
    explicit HeadlessHost(std::ostream& out, std::filesystem::path parametersPath = g_parametersPath);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The virtual window appears at the stored position (initInstance).
    void createWindow();
    // Runs the message loop until WM_APP_QUIT; returns the exit code.
    int runMessageLoop();
    // The close button; safe to call from a signal handler.
    static void requestClose() noexcept;

    // platform::WindowHost: any thread.
    void postAppMessage(std::uint32_t appOffset) override;
    void invalidateBand(const platform::Band& band) override;

    // ControlUpdates: the radius takes effect; there are no controls to show.
    void setCheck(const CheckBoxParam&, bool) override {}
    void showChoice(const ChoiceParam&) override {}
    void fillChoice(const ChoiceParam&) override {}
    void fillFloatChoice(const FloatChoiceParam&) override {}
    void showText(const StringParam&) override {}
    void enableControl(const WindowControl&, bool) override {}
    void syncMaxFitChoice() override {}
    void setRadius(std::int32_t nm) override;

    // DesktopOps: one virtual monitor.
    ScreenRect windowRect() override;
    ScreenRect workAreaNear(const ScreenRect& rect) override;
    void moveWindow(int x, int y) override;

    // The virtual monitor's work area.
    static constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};

private:
    void printStatusIfChanged();
    void printPanelIfChanged();

    std::ostream& out_;
    const std::filesystem::path parametersPath_;
    std::mutex mutex_;  // guards messages_ and panelDirty_; a leaf lock
    std::condition_variable wake_;
    std::deque<std::uint32_t> messages_;
    bool panelDirty_ = true;
    // Main thread only.
    bool windowExists_ = false;
    int windowX_ = 0, windowY_ = 0;
    std::string shownStatus_ = "[status] -";
    std::string shownPanel_;
};

// The program's main body on the headless host; returns the exit code.
int lf_headlessMain(const std::vector<std::string>& arguments);
