// What the main window shows of the RealTraffic feed: whether it is up and
// how each UDP reader fares. The readers and the command link set them, the
// start-up and the reset of a run put them back, the painting reads them.
#pragma once

#include <atomic>
#include <cstdint>

// The RealTraffic feed is considered up (the window's indicator); the
// watchdog does nothing while it is clear.
extern std::atomic<bool> g_rtActive;

enum class ReaderId { traffic = 0, qnh = 1 };
enum ReaderStatus : std::int32_t { readerReceiving = 1, readerNoData = 2, readerStopped = 3 };

// The reader statuses shown in the window (3 stopped at start); each change
// repaints the window's indicators band.
std::int32_t gf_readerStatus(ReaderId reader);
void gf_setReaderStatus(ReaderId reader, std::int32_t status);
// Changes the status only when it is `from`; true when it changed (no repaint).
bool gf_replaceReaderStatus(ReaderId reader, std::int32_t from, std::int32_t to);
// Repaints the window's indicators band.
void gf_repaintIndicators();
