#include "app/services/scan_places.h"

#include "app/services/state.h"

void gf_releaseScanPlace() {
    std::int32_t running = g_runningScans.load();
    while (running > 0 && !g_runningScans.compare_exchange_weak(running, running - 1)) {
    }
    g_runningScans.notify_all();
}
