#include "rtlink/traffic_feed.h"

#include <utility>

#include "rtlink/traffic_record.h"

std::mutex g_addingStackMutex;
std::deque<StreamRecord> g_addingStack;
std::atomic<bool> g_acceptTraffic{false};
TrafficFeed g_trafficFeed;

namespace {
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
