#include "rtlink/traffic_feed.h"

#include <fmt/format.h>

#include <utility>

#include "foundation/log.h"
#include "rtlink/traffic_record.h"

std::mutex g_addingStackMutex;
std::deque<StreamRecord> g_addingStack;
std::atomic<bool> g_acceptTraffic{false};
TrafficFeed g_trafficFeed;

namespace {
bool g_addingStackOverflowing = false;  // traffic reader; guarded by g_addingStackMutex

std::mutex g_readerContextMutex;  // leaf lock around the two values below
ReaderParkAirport g_readerParkAirport;
GeoPoint g_trafficRefPos;
}  // namespace

void gf_setReaderParkAirport(const ReaderParkAirport& airport) {
    const std::lock_guard lock(g_readerContextMutex);
    g_readerParkAirport = airport;
}

ReaderParkAirport gf_readerParkAirport() {
    const std::lock_guard lock(g_readerContextMutex);
    return g_readerParkAirport;
}

void gf_setTrafficRefPos(const GeoPoint& position) {
    const std::lock_guard lock(g_readerContextMutex);
    g_trafficRefPos = position;
}

GeoPoint gf_trafficRefPos() {
    const std::lock_guard lock(g_readerContextMutex);
    return g_trafficRefPos;
}

void TrafficFeed::startCollecting() {
    clearCallsigns();
    collectCallsigns.store(true);
}

void TrafficFeed::clearCallsigns() {
    const std::lock_guard lock(callsignMutex);
    seenCallsigns.clear();
}

std::unordered_set<std::string> TrafficFeed::takeCallsigns() {
    collectCallsigns.store(false);
    const std::lock_guard lock(callsignMutex);
    return std::exchange(seenCallsigns, {});
}

bool lf_pushOnAddingStack(StreamRecord&& record) {
    bool burstBegins = false;
    {
        const std::lock_guard lock(g_addingStackMutex);
        if (!g_acceptTraffic.load()) return false;
        if (g_addingStack.size() >= kAddingStackLimit) {
            g_addingStack.pop_front();
            burstBegins = !std::exchange(g_addingStackOverflowing, true);
        } else if (g_addingStack.size() <= kAddingStackLimit / 2) {
            g_addingStackOverflowing = false;
        }
        g_addingStack.push_back(std::move(record));
    }
    if (burstBegins)
        gf_logMarked(fmt::format("The adding stack holds {} traffic records: the oldest are dropped until it drains",
                                 kAddingStackLimit));
    return true;
}
