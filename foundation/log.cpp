#include "foundation/log.h"

#include <fmt/format.h>

#include <atomic>
#include <stdexcept>

#include "foundation/backups.h"
#include "foundation/time_texts.h"
#include "settings/program_version.h"

std::ofstream g_logStream;
std::mutex g_logMutex;

namespace {
std::atomic<StopCheck> g_stopCheck{nullptr};

void writeLine(std::string_view prefix, std::string_view text, bool flush) {
    const std::lock_guard lock(g_logMutex);
    if (!g_logStream.is_open()) return;
    g_logStream << prefix << text << '\n';
    if (flush) g_logStream.flush();
}
}  // namespace

void gf_log(std::string_view text) { writeLine({}, text, false); }
void gf_logMarked(std::string_view text) { writeLine("==> ", text, true); }
void gf_logContinued(std::string_view text) { writeLine("          ", text, false); }
void gf_logAndFlush(std::string_view text) { writeLine({}, text, true); }

void gf_logUnlessStopping(const std::string& text) {
    const StopCheck stopping = g_stopCheck.load();
    if (stopping != nullptr && stopping()) return;
    writeLine({}, text, false);
}

void gf_setLogStopCheck(StopCheck check) { g_stopCheck.store(check); }

void gf_flushLog() {
    const std::lock_guard lock(g_logMutex);
    if (g_logStream.is_open()) g_logStream.flush();
}

void gf_openLog() {
    gf_saveUpto3GenerationsOf(kLogFileName);
    {
        const std::lock_guard lock(g_logMutex);
        if (g_logStream.is_open()) g_logStream.close();
        g_logStream.clear();
        g_logStream.open(kLogFileName, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!g_logStream.is_open()) throw std::runtime_error(std::string("Failed to write file ") + kLogFileName);
    }
    gf_log(fmt::format("{} (utc) {} version {} for {}", gf_timeText(gf_pcClockSeconds()), "Velantra_P3D",
                       g_programVersion.toString(), "Prepar3D v5/v6"));
}

void gf_closeLog() {
    const std::lock_guard lock(g_logMutex);
    if (g_logStream.is_open()) g_logStream.close();
}
