#include "app/edit_fields.h"

#include <fmt/format.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "airports/state.h"
#include "app/destination.h"
#include "app/services/run_flags.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/window_controls.h"
#include "foundation/fixed_code.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kShortestCallsign = 4;
constexpr std::size_t kLongestCallsign = 8;
constexpr std::size_t kAirportCodeLength = 4;
constexpr std::int32_t kRestartDelayForPath = 3;

void report(const std::string& text) { gf_setStatus(text, true); }

std::string upper(std::string text) {
    gf_toUpper(text);
    return text;
}

// Stores the callsign as the blocked one and tells the traffic thread.
void blockCallsign(WindowContext& window, const std::string& callsign) {
    gf_setStringParam(BLOCK_CALLSIGN, callsign, window.parametersPath);
    gf_setControlText(window.controls, BLOCK_CALLSIGN);
    window.controls.setEnabled(g_unblockButton.controlId, true);
    g_blockingChanged = true;
}
}  // namespace

void lf_onEditEnter(WindowContext& window, const EditParam& field) {
    gf_clearStatus();
    if (&field == &BLOCK_CALLSIGN)
        lf_applyBlockCallsign(window);
    else if (&field == &DESTINATION)
        lf_applyDestination(window);
    else if (&field == &ALL_INSTALL_PATH)
        lf_applyInstallPath(window, lf_getTextFromId(window.controls, ALL_INSTALL_PATH.controlId));
}

std::string lf_getTextFromId(ControlHost& controls, std::uint16_t id) {
    if (!controls.exists(id)) {
        gf_log(fmt::format("GetDlgItem failed for ID {}", id));
        return {};
    }
    std::optional<std::string> text = controls.text(id);
    if (!text) {
        gf_log(fmt::format("{}: UTF-16 UTF-8 failed for id {}: {}", "lf_getTextFromId", id, "invalid UTF-16"));
        return {};
    }
    return *text;
}

void lf_applyBlockCallsign(WindowContext& window) {
    gf_clearStatus();
    const std::string typed = lf_getTextFromId(window.controls, BLOCK_CALLSIGN.controlId);
    if (typed.empty()) {
        if (!BLOCK_CALLSIGN.value.empty()) lf_unblockLiveAc(window);
        return;
    }
    // Lengths count UTF-8 bytes: callsigns are plain letters and digits.
    if (typed.size() < kShortestCallsign || typed.size() > kLongestCallsign) {
        report(fmt::format("callsign '{}' is not valid", typed));
        gf_setControlText(window.controls, BLOCK_CALLSIGN);
        return;
    }
    const std::string callsign = upper(typed);
    if (BLOCK_CALLSIGN.value == callsign) {
        report(fmt::format("callsign '{}' was already set ...", callsign));
        gf_setControlText(window.controls, BLOCK_CALLSIGN);
        return;
    }
    if (CALLSIGN_2_OBJECTID.value == callsign) gf_refreshNameList();
    blockCallsign(window, callsign);
}

void lf_unblockLiveAc(WindowContext& window) {
    const std::string callsign = BLOCK_CALLSIGN.value.get();
    if (callsign.empty()) return;
    gf_setStringParam(BLOCK_CALLSIGN, std::string(), window.parametersPath);
    gf_setControlText(window.controls, BLOCK_CALLSIGN);
    window.controls.setEnabled(g_unblockButton.controlId, false);
    report(fmt::format("no more blocking of live aircraft '{}'", callsign));
    g_blockingChanged = true;
}

void lf_setBlockCallsign(WindowContext& window, const std::string& callsign) { blockCallsign(window, callsign); }

void lf_applyDestination(WindowContext& window) {
    gf_clearStatus();
    const std::string typed = lf_getTextFromId(window.controls, DESTINATION.controlId);
    if (typed.empty()) {
        DESTINATION.value = std::string();
        lf_checkDestination(window, 0, typed);
        return;
    }
    if (typed.size() != kAirportCodeLength) {
        lf_checkDestination(window, 1, typed);
        return;
    }
    const std::string code = upper(typed);
    if (DESTINATION.value == code) {
        lf_checkDestination(window, 2, code);
        return;
    }
    const AirportRecord* airport = nullptr;
    try {
        airport = lf_findAirport(code);
    } catch (const std::invalid_argument&) {
        // A character that is neither a letter nor a digit: no airport code.
        lf_checkDestination(window, 1, typed);
        return;
    }
    if (airport == nullptr)
        lf_checkDestination(window, 3, code);
    else
        lf_showDestination(code, *airport, window.parametersPath);
}

void lf_checkDestination(WindowContext& window, int code, const std::string& text) {
    switch (code) {
        case 0:
            window.controls.setEnabled(g_rereadButton.controlId, true);
            report("destination set to empty");
            return;
        case 1: report(fmt::format("destination '{}' is not valid", text)); break;
        case 2: report(fmt::format("destination '{}' was already set ...", text)); break;
        default: report(fmt::format("destination '{}' is unknown ...", text)); break;
    }
    gf_setControlText(window.controls, DESTINATION);
}

void lf_applyInstallPath(WindowContext& window, const std::string& text) {
    gf_clearError();
    gf_clearStatus();
    if (text.empty()) {
        if (!SIM_INSTALL_PATH.value.empty()) gf_setStringParam(SIM_INSTALL_PATH, std::string(), window.parametersPath);
        return;
    }
    std::error_code error;
    const fs::file_status status = fs::status(gf_utf8Path(text), error);
    if (error && status.type() != fs::file_type::not_found) {
        report(fmt::format("Cannot access install path '{}': {}", text, error.message()));
        return;
    }
    if (!fs::exists(status)) {
        report(fmt::format("This install path does not exist: {}", text));
        return;
    }
    gf_setStringParam(SIM_INSTALL_PATH, text, window.parametersPath);
    report(fmt::format("Install path exists, {} will restart", kProgramName));
    if (gf_requestStop(ExitReason::NewSettings, kRestartDelayForPath)) return;
    // A run that ended in a SYSTEM ERROR (which may have set the stop flag
    // itself) waits for the user: a path that exists is the user asking for
    // a new run. The delay is written first, as closing down reads it once
    // it sees the new reason.
    if (g_exitReason != ExitReason::SystemError) return;
    g_restartDelay = kRestartDelayForPath;
    ExitReason waiting = ExitReason::SystemError;
    g_exitReason.compare_exchange_strong(waiting, ExitReason::NewSettings);
}
