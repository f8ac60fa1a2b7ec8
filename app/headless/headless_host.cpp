#include "app/headless/headless_host.h"

#include <fmt/format.h>

#include <chrono>
#include <csignal>
#include <iostream>
#include <utility>

#include "app/auto_radius.h"
#include "app/entry.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "rtlink/state.h"
#include "settings/settings.h"

namespace {
// Set by the signal handlers, taken by the message loop.
std::atomic<bool> g_closeSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the close signal must be usable in a signal handler");

constexpr auto kLoopWake = std::chrono::milliseconds(50);

void onCloseSignal(int) { HeadlessHost::requestClose(); }

const char* readerText(ReaderId reader) {
    switch (gf_readerStatus(reader)) {
        case readerReceiving: return "receiving";
        case readerNoData: return "no data";
        default: return "stopped";
    }
}

std::string panelText() {
    return fmt::format("[panel] live {} | parked {} | static {} | radius {} nm | QNH {} | RealTraffic {} | "
                       "traffic reader {} | QNH reader {} | static update in {} min",
                       g_liveCount.load(), g_parkedLiveCount.load(), g_staticCount.load(), RANGE.value.load(),
                       g_shownQnh.load(), g_rtActive ? "on" : "off", readerText(ReaderId::traffic),
                       readerText(ReaderId::qnh), g_staticUpdateMinutesShown.load());
}

std::string statusText() {
    const std::lock_guard lock(g_statusMutex);
    if (!g_errorText.empty()) return "[error] " + g_errorText;
    return "[status] " + (g_statusText.empty() ? std::string("-") : g_statusText);
}
}  // namespace

HeadlessHost::HeadlessHost(std::ostream& out, std::filesystem::path parametersPath)
    : out_(out), parametersPath_(std::move(parametersPath)) {}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::createWindow() {
    lf_loadWindowPlacement(*this, parametersPath_);
    windowX_ = MAIN_WINDOW_X.value;
    windowY_ = MAIN_WINDOW_Y.value;
    windowExists_ = true;
}

void HeadlessHost::requestClose() noexcept {
    g_closeSignal.store(true);
}

void HeadlessHost::postAppMessage(std::uint32_t appOffset) {
    {
        const std::lock_guard lock(mutex_);
        messages_.push_back(appOffset);
    }
    wake_.notify_one();
}

void HeadlessHost::invalidateBand(const platform::Band&) {
    {
        const std::lock_guard lock(mutex_);
        panelDirty_ = true;
    }
    wake_.notify_one();
}

void HeadlessHost::setRadius(std::int32_t nm) { gf_setRadius(nm); }

ScreenRect HeadlessHost::windowRect() {
    if (!windowExists_) return {};
    return ScreenRect{windowX_, windowY_, windowX_ + kMainWindowWidth, windowY_ + kMainWindowHeight};
}

ScreenRect HeadlessHost::workAreaNear(const ScreenRect&) { return kWorkArea; }

void HeadlessHost::moveWindow(int x, int y) {
    windowX_ = x;
    windowY_ = y;
}

int HeadlessHost::runMessageLoop() {
    std::signal(SIGINT, onCloseSignal);
    std::signal(SIGTERM, onCloseSignal);
    for (;;) {
        std::deque<std::uint32_t> messages;
        bool panelDirty = false;
        {
            std::unique_lock lock(mutex_);
            wake_.wait_for(lock, kLoopWake, [this] { return !messages_.empty() || panelDirty_; });
            messages.swap(messages_);
            panelDirty = std::exchange(panelDirty_, false);
        }
        if (g_closeSignal.exchange(false)) lf_onCloseButton();
        for (const std::uint32_t message : messages) {
            if (message == WM_APP_START) {
                lf_onAppStart();
            } else if (message == WM_APP_STATUS) {
                printStatusIfChanged();
            } else if (message == WM_APP_QUIT) {
                printStatusIfChanged();
                printPanelIfChanged();
                return lf_onAppQuit(windowX_, windowY_, *this, parametersPath_);
            }
        }
        if (panelDirty) printPanelIfChanged();
    }
}

void HeadlessHost::printStatusIfChanged() {
    const std::string text = statusText();
    if (text == shownStatus_) return;
    shownStatus_ = text;
    out_ << text << std::endl;
}

void HeadlessHost::printPanelIfChanged() {
    const std::string text = panelText();
    if (text == shownPanel_) return;
    shownPanel_ = text;
    out_ << text << std::endl;
}

int lf_headlessMain(const std::vector<std::string>& arguments) {
    return gf_runEntry([&arguments] {
        HeadlessHost host(std::cout);
        platform::setWindowHost(&host);
        gf_setControlUpdates(&host);
        lf_prepareMainBody(arguments);
        host.createWindow();
        lf_startMainBody();
        const int exitCode = host.runMessageLoop();
        lf_joinStartUpThread();
        gf_setControlUpdates(nullptr);
        platform::setWindowHost(nullptr);
        return exitCode;
    });
}
