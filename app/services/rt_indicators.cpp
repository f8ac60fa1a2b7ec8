#include "app/services/rt_indicators.h"

#include "app/services/window_bands.h"

std::atomic<bool> g_rtActive{false};

namespace {
std::atomic<std::int32_t> g_readerStatus[2] = {readerStopped, readerStopped};
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
