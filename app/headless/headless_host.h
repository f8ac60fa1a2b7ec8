// The main window's stand-in where there is no Win32 window: the same main
// body, start-up thread, run loop and window logic, with a model of the 39
// controls in place of Win32 controls. The status line and a panel of the
// window's indicator and statistics bands (from the same display list the
// Windows window paints) are printed to a stream whenever they change.
// Commands read from a stream drive the controls as a user would:
//
//   click ID          a push button or check box
//   select ID INDEX   an item of a drop-down list
//   type ID TEXT      text typed into an edit field, then Enter
//   close             the window's close button
//
// SIGINT and SIGTERM act as the close button too.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <istream>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "app/commands.h"
#include "app/control_model.h"
#include "app/display_list.h"
#include "app/main_window.h"
#include "app/window_controls.h"
#include "platform/window_host.h"

class HeadlessHost final : public platform::WindowHost, public DesktopOps {
public:
    // The window's position and the commands' settings are saved to parametersPath.
    explicit HeadlessHost(std::ostream& out, std::filesystem::path parametersPath = g_parametersPath);
    ~HeadlessHost() override;
    HeadlessHost(const HeadlessHost&) = delete;
    HeadlessHost& operator=(const HeadlessHost&) = delete;

    // The virtual window appears at the stored position with its controls (initInstance).
    void createWindow();
    // Reads command lines from the stream on a thread of its own, until the
    // stream ends; the message loop carries them out in order. The stream
    // must outlive the process's use of it (standard input does).
    void readCommands(std::istream& in);
    // Queues one command line as if it had been read (any thread).
    void postCommand(const std::string& line);
    // Runs the message loop until WM_APP_QUIT; returns the exit code.
    int runMessageLoop();
    // The close button; safe to call from a signal handler.
    static void requestClose() noexcept;

    // The controls, and the control updates that reach them.
    ControlModel& controls() { return controls_; }
    ControlUpdates& controlUpdates() { return updates_; }

    // platform::WindowHost: any thread.
    void postAppMessage(std::uint32_t appOffset) override;
    void invalidateBand(const platform::Band& band) override;

    // DesktopOps: one virtual monitor.
    ScreenRect windowRect() override;
    ScreenRect workAreaNear(const ScreenRect& rect) override;
    void moveWindow(int x, int y) override;

    // The virtual monitor's work area.
    static constexpr ScreenRect kWorkArea{0, 0, 1920, 1040};

private:
    // What the message loop waits for; shared with the command reader, which
    // may outlive the host while it waits for input.
    struct Inbox {
        std::mutex mutex;  // guards the rest; a leaf lock
        std::condition_variable wake;
        std::deque<std::uint32_t> messages;
        std::deque<std::string> commands;
        bool panelDirty = true;
    };

    void runCommand(const std::string& line);
    void printStatusIfChanged();
    void printPanelIfChanged();

    std::ostream& out_;
    const std::filesystem::path parametersPath_;
    std::shared_ptr<Inbox> inbox_ = std::make_shared<Inbox>();
    ControlModel controls_;
    WindowControlUpdates updates_{controls_};
    WindowContext window_{controls_, parametersPath_};
    // Main thread only.
    bool windowExists_ = false;
    int windowX_ = 0, windowY_ = 0;
    std::string shownStatus_ = "[status] -";
    std::string shownPanel_;
};

// The panel line of a display list: the two link boxes' colours and every
// text of the indicator and statistics bands and the renewal note, each with
// its colour.
std::string gf_panelText(const DisplayList& list);

// The program's main body on the headless host; returns the exit code.
int lf_headlessMain(const std::vector<std::string>& arguments);
