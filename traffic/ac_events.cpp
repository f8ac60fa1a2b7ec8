#include "traffic/ac_events.h"

std::mutex g_acEventsMutex;
std::vector<AcEvent> g_acEvents = [] {
    std::vector<AcEvent> events;
    events.reserve(256);
    return events;
}();

void gf_pushAcEvent(const AcEvent& event) {
    const std::lock_guard lock(g_acEventsMutex);
    g_acEvents.push_back(event);
}
