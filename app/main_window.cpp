#include "app/main_window.h"

#include <fmt/format.h>

#include <algorithm>
#include <exception>

#include "app/closing_down.h"
#include "app/services/run_flags.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/time_texts.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace {
// One axis of gf_keepOnWorkArea: the new start of a span [start, end).
int keepSpanOnArea(int start, int end, int areaStart, int areaEnd) {
    const int size = end - start;
    if (size > areaEnd - areaStart) start = areaStart;
    if (start + size < areaStart + kMinVisiblePixels) start = areaStart + kMinVisiblePixels - size;
    return std::min(start, areaEnd - kMinVisiblePixels);
}

std::int32_t clampPosition(const IntParam& param, int value) { return std::clamp(value, param.minimum, param.maximum); }

void setPosition(IntParam& param, int value, const std::filesystem::path& parametersPath) {
    param.value = clampPosition(param, value);
    gf_saveIntParam(param, parametersPath);
}
}  // namespace

ScreenRect gf_keepOnWorkArea(ScreenRect rect, const ScreenRect& workArea) {
    const int left = keepSpanOnArea(rect.left, rect.right, workArea.left, workArea.right);
    const int top = keepSpanOnArea(rect.top, rect.bottom, workArea.top, workArea.bottom);
    return ScreenRect{left, top, left + rect.right - rect.left, top + rect.bottom - rect.top};
}

void lf_placeWindowOnMonitor(int fallbackX, int fallbackY, DesktopOps& desktop,
                             const std::filesystem::path& parametersPath) {
    for (auto [param, fallback] : {std::pair{&MAIN_WINDOW_X, fallbackX}, std::pair{&MAIN_WINDOW_Y, fallbackY}}) {
        const std::int32_t value = param->value;
        if (value == param->minimum || value == param->maximum) setPosition(*param, fallback, parametersPath);
    }
    const int x = MAIN_WINDOW_X.value;
    const int y = MAIN_WINDOW_Y.value;
    const ScreenRect outer = desktop.windowRect();
    const ScreenRect rect{x, y, x + outer.right - outer.left, y + outer.bottom - outer.top};
    const ScreenRect kept = gf_keepOnWorkArea(rect, desktop.workAreaNear(rect));
    if (kept.left == x && kept.top == y) return;
    setPosition(MAIN_WINDOW_X, kept.left, parametersPath);
    setPosition(MAIN_WINDOW_Y, kept.top, parametersPath);
    desktop.moveWindow(MAIN_WINDOW_X.value, MAIN_WINDOW_Y.value);
}

void lf_loadWindowPlacement(DesktopOps& desktop, const std::filesystem::path& parametersPath) {
    if (gf_loadWindowPosition(parametersPath))
        lf_placeWindowOnMonitor(kDefaultWindowX, kDefaultWindowY, desktop, parametersPath);
}

void lf_onCloseButton() {
    gf_setStatus(fmt::format("Close window button clicked, closing {} ...", kProgramName), false);
    gf_requestEnd();
}

std::int32_t lf_onAppQuit(int x, int y, DesktopOps& desktop, const std::filesystem::path& parametersPath) {
    // The program ends with the exit code even when the position cannot be stored.
    try {
        const int previousX = MAIN_WINDOW_X.value;
        const int previousY = MAIN_WINDOW_Y.value;
        setPosition(MAIN_WINDOW_X, x, parametersPath);
        setPosition(MAIN_WINDOW_Y, y, parametersPath);
        lf_placeWindowOnMonitor(previousX, previousY, desktop, parametersPath);
        gf_log(gf_timeText(gf_pcClockSeconds()));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception {}", "lf_onAppQuit", e.what()));
    }
    return g_exitCode;
}
