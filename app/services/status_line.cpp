#include "app/services/status_line.h"

#include <fmt/format.h>

#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "app/services/window_messages.h"
#include "foundation/log.h"
#include "platform/window_host.h"

std::mutex g_statusMutex;
std::string g_statusText;
std::string g_errorText;
std::int32_t g_statusSetAt = 0;
std::atomic<std::int32_t> g_statusClock{0};
void (*g_statusExpiryHook)() = nullptr;

void gf_setStatus(const std::string& text, bool log) {
    {
        const std::lock_guard lock(g_statusMutex);
        if (!g_errorText.empty()) return;
        g_statusText = text;
        g_statusSetAt = text.empty() ? 0 : std::max(1, g_statusClock.load());
    }
    if (log && !text.empty()) gf_log(text);
    platform::postAppMessage(WM_APP_STATUS);
}

void gf_clearStatus() { gf_setStatus(std::string(), false); }

void gf_setError(const std::string& text) {
    {
        const std::lock_guard lock(g_statusMutex);
        g_statusText.clear();
        g_statusSetAt = 0;
        g_errorText = text;
        // Logged under the status mutex: the lock order is status before log.
        gf_log(fmt::format("Error {}", text));
    }
    platform::postAppMessage(WM_APP_STATUS);
}

void lf_advanceStatusClock() {
    const std::int32_t clock = g_statusClock.fetch_add(1) + 1;
    {
        // Decided and cleared under one lock: a text another thread sets
        // meanwhile is a new text with its own lifetime.
        const std::lock_guard lock(g_statusMutex);
        if (g_statusSetAt < 1 || clock - g_statusSetAt < kStatusLifetime) return;
        if (g_statusExpiryHook != nullptr) g_statusExpiryHook();
        g_statusText.clear();
        g_statusSetAt = 0;
    }
    platform::postAppMessage(WM_APP_STATUS);
}

void gf_clearError() {
    {
        const std::lock_guard lock(g_statusMutex);
        g_errorText.clear();
    }
    platform::postAppMessage(WM_APP_STATUS);
}

void gf_resetStatusLine() {
    {
        const std::lock_guard lock(g_statusMutex);
        g_statusText.clear();
        g_errorText.clear();
        g_statusSetAt = 0;
    }
    g_statusClock.store(0);
}

std::string gf_statusLineText() {
    const std::lock_guard lock(g_statusMutex);
    return g_errorText.empty() ? g_statusText : g_errorText;
}

