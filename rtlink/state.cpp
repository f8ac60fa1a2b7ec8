#include "rtlink/state.h"

#include "platform/window_host.h"

std::atomic<double> g_trafficTime{0.0};
std::atomic<bool> g_rtLevel2{false};
std::atomic<bool> g_rtLocal{false};
std::atomic<bool> g_rtActive{false};
std::atomic<bool> g_rtConnected{false};
std::atomic<bool> g_awaitingRealTraffic{true};
std::atomic<std::int32_t> g_shownQnh{1013};

namespace {
std::atomic<std::int32_t> g_readerStatus[2] = {readerStopped, readerStopped};
constexpr platform::Band kIndicatorsBand{0, 28, 880, 112};
}  // namespace

std::int32_t gf_readerStatus(ReaderId reader) { return g_readerStatus[static_cast<int>(reader)].load(); }

void gf_setReaderStatus(ReaderId reader, std::int32_t status) {
    g_readerStatus[static_cast<int>(reader)].store(status);
    gf_repaintIndicators();
}

bool gf_replaceReaderStatus(ReaderId reader, std::int32_t from, std::int32_t to) {
    return g_readerStatus[static_cast<int>(reader)].compare_exchange_strong(from, to);
}

void gf_repaintIndicators() { platform::invalidateBand(kIndicatorsBand); }
