#include "platform/window_host.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<WindowHost*> g_host{nullptr};
}

void setWindowHost(WindowHost* host) { g_host.store(host); }

void postAppMessage(std::uint32_t appOffset) {
    if (WindowHost* host = g_host.load()) host->postAppMessage(appOffset);
}

void invalidateBand(const Band& band) {
    if (WindowHost* host = g_host.load()) host->invalidateBand(band);
}

void setTopmost(bool topmost) {
    if (WindowHost* host = g_host.load()) host->setTopmost(topmost);
}

}  // namespace platform
