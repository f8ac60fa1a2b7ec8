#include "app/headless/headless_host.h"

#include <fmt/format.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <iostream>
#include <thread>
#include <utility>

#include "app/edit_fields.h"
#include "app/entry.h"
#include "app/paint_state.h"
#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "settings/settings.h"

namespace {
// Set by the signal handlers, taken by the message loop.
std::atomic<bool> g_closeSignal{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the close signal must be usable in a signal handler");

constexpr auto kLoopWake = std::chrono::milliseconds(50);
// BN_CLICKED, the notification code of a click.
constexpr std::uint16_t kClicked = 0;

void onCloseSignal(int) { HeadlessHost::requestClose(); }

std::string statusText() {
    const std::lock_guard lock(g_statusMutex);
    if (!g_errorText.empty()) return "[error] " + g_errorText;
    return "[status] " + (g_statusText.empty() ? std::string("-") : g_statusText);
}

bool within(const DrawItem& item, const platform::Band& band) { return item.top >= band.top && item.top < band.bottom; }

std::optional<int> number(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The command's word, its control id and the rest of the line after one blank.
struct CommandLine {
    std::string word;
    std::optional<int> id;
    std::string rest;
};

CommandLine parse(const std::string& line) {
    CommandLine command;
    const std::size_t wordEnd = line.find(' ');
    command.word = line.substr(0, wordEnd);
    if (wordEnd == std::string::npos) return command;
    const std::size_t idEnd = line.find(' ', wordEnd + 1);
    command.id = number(std::string_view(line).substr(wordEnd + 1, idEnd - wordEnd - 1));
    if (idEnd != std::string::npos) command.rest = line.substr(idEnd + 1);
    return command;
}
}  // namespace

std::string gf_panelText(const DisplayList& list) {
    std::string sim = "?", rt = "?";
    std::vector<std::string> texts;
    for (const DrawItem& item : list) {
        if (item.kind == DrawKind::fill && item.left == 397 && item.top == 30) sim = gf_colourName(item.colour);
        if (item.kind == DrawKind::fill && item.left == 425 && item.top == 30) rt = gf_colourName(item.colour);
        if (item.kind != DrawKind::text || item.text == "Sim" || item.text == "RT") continue;
        const bool renewalNote = item.left == 5 && item.top == AIRP_RANGE.row;
        if (within(item, kIndicatorsBand) || within(item, kStatisticsBand) || renewalNote)
            texts.push_back(fmt::format("{} ({})", item.text, gf_colourName(item.colour)));
    }
    std::string panel = fmt::format("[panel] Sim {} | RT {}", sim, rt);
    for (const std::string& text : texts) panel += " | " + text;
    return panel;
}

HeadlessHost::HeadlessHost(std::ostream& out, std::filesystem::path parametersPath)
    : out_(out), parametersPath_(std::move(parametersPath)) {}

HeadlessHost::~HeadlessHost() = default;

void HeadlessHost::createWindow() {
    lf_loadWindowPlacement(*this, parametersPath_);
    windowX_ = MAIN_WINDOW_X.value;
    windowY_ = MAIN_WINDOW_Y.value;
    lf_createControls(controls_);
    windowExists_ = true;
}

void HeadlessHost::readCommands(std::istream& in) {
    std::thread([inbox = inbox_, &in] {
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            {
                const std::lock_guard lock(inbox->mutex);
                inbox->commands.push_back(line);
            }
            inbox->wake.notify_one();
        }
    }).detach();
}

void HeadlessHost::postCommand(const std::string& line) {
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->commands.push_back(line);
    }
    inbox_->wake.notify_one();
}

void HeadlessHost::requestClose() noexcept { g_closeSignal.store(true); }

void HeadlessHost::postAppMessage(std::uint32_t appOffset) {
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->messages.push_back(appOffset);
    }
    inbox_->wake.notify_one();
}

void HeadlessHost::invalidateBand(const platform::Band&) {
    {
        const std::lock_guard lock(inbox_->mutex);
        inbox_->panelDirty = true;
    }
    inbox_->wake.notify_one();
}

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
        std::deque<std::string> commands;
        bool panelDirty = false;
        {
            std::unique_lock lock(inbox_->mutex);
            inbox_->wake.wait_for(lock, kLoopWake, [this] {
                return !inbox_->messages.empty() || !inbox_->commands.empty() || inbox_->panelDirty;
            });
            messages.swap(inbox_->messages);
            commands.swap(inbox_->commands);
            panelDirty = std::exchange(inbox_->panelDirty, false);
        }
        if (g_closeSignal.exchange(false)) lf_onCloseButton();
        for (const std::string& command : commands) runCommand(command);
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
        if (panelDirty || !commands.empty()) {
            printStatusIfChanged();
            printPanelIfChanged();
        }
    }
}

// One command on the window thread, as the user's click, choice or typing
// would reach the window: a disabled control takes none.
void HeadlessHost::runCommand(const std::string& line) {
    const CommandLine command = parse(line);
    const auto refuse = [&](const char* why) { out_ << "[command] " << why << ": " << line << std::endl; };
    if (command.word == "close") {
        lf_onCloseButton();
        return;
    }
    if (command.word != "click" && command.word != "select" && command.word != "type") return refuse("unknown");
    const ControlSpec* spec = command.id ? gf_controlSpec(static_cast<std::uint16_t>(*command.id)) : nullptr;
    if (spec == nullptr) return refuse("no such control");
    const std::uint16_t id = spec->control->controlId;
    if (!controls_.isEnabled(id)) return refuse("control disabled");
    if (command.word == "click") {
        if (spec->kind != ControlKind::button && spec->kind != ControlKind::checkBox) return refuse("not a button");
        lf_HandleWMCOMMAND(window_, id, kClicked);
    } else if (command.word == "select") {
        const std::optional<int> index = number(command.rest);
        if (spec->kind != ControlKind::combo) return refuse("not a list");
        if (!index || *index < 0 || *index >= controls_.itemCount(id)) return refuse("no such item");
        controls_.selectItem(id, *index);
        lf_HandleWMCOMMAND(window_, id, kSelectionChanged);
    } else {
        if (spec->kind != ControlKind::edit) return refuse("not an edit field");
        controls_.setText(id, command.rest);
        lf_onEditEnter(window_, *static_cast<const EditParam*>(spec->param));
    }
}

void HeadlessHost::printStatusIfChanged() {
    const std::string text = statusText();
    if (text == shownStatus_) return;
    shownStatus_ = text;
    out_ << text << std::endl;
}

void HeadlessHost::printPanelIfChanged() {
    const std::string text = gf_panelText(lf_paintMainWindow(lf_capturePaintState(controls_)));
    if (text == shownPanel_) return;
    shownPanel_ = text;
    out_ << text << std::endl;
}

int lf_headlessMain(const std::vector<std::string>& arguments) {
    return gf_runEntry([&arguments] {
        HeadlessHost host(std::cout);
        platform::setWindowHost(&host);
        gf_setControlUpdates(&host.controlUpdates());
        lf_prepareMainBody(arguments);
        host.createWindow();
        host.readCommands(std::cin);
        lf_startMainBody();
        const int exitCode = host.runMessageLoop();
        lf_joinStartUpThread();
        gf_setControlUpdates(nullptr);
        platform::setWindowHost(nullptr);
        return exitCode;
    });
}
