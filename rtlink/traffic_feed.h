// What the traffic reader knows besides each datagram: where the user is, the
// park airport, and the callsigns it collects for the traffic engine.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "foundation/fixed_code.h"
#include "foundation/geodesy.h"
#include "foundation/log_text.h"

// The park airport as the traffic reader sees it; no park airport when the
// code is empty. Written by the traffic thread whenever the park airport changes.
struct ReaderParkAirport {
    AirportCode code;
    GeoPoint position;
    double elevationFt = 0.0;
};

void gf_setReaderParkAirport(const ReaderParkAirport& airport);
ReaderParkAirport gf_readerParkAirport();

// The radius reference position: the user aircraft's position, set by the
// traffic thread at start and every 5th counted second; (0, 0) until then.
void gf_setTrafficRefPos(const GeoPoint& position);
GeoPoint gf_trafficRefPos();

// The traffic reader's parsing state (traffic reader thread), and the callsign
// collection it shares with the traffic thread.
struct TrafficFeed {
    std::vector<std::string_view> fields;  // views into the current datagram
    // The parse-error lines of the traffic reader, at most 10 a second.
    LogLineLimiter errorLines{"traffic datagram error"};

    // The traffic thread empties the set and sets the flag; the reader inserts
    // while it is set; the traffic thread clears the flag and takes the set.
    std::atomic<bool> collectCallsigns{false};
    std::mutex callsignMutex;
    std::unordered_set<std::string> seenCallsigns;  // guarded by callsignMutex

    void startCollecting();
    std::unordered_set<std::string> takeCallsigns();
    // Empties the set, leaving the flag as it is (reset of the feed).
    void clearCallsigns();
};

extern TrafficFeed g_trafficFeed;

struct StreamRecord;
// Step 24 of the parse: appends the record to the adding stack while traffic
// is accepted (false when it is not). A full stack drops its oldest record;
// the first drop of a burst logs one marked line, and the burst ends once
// the stack has drained to half its limit.
bool lf_pushOnAddingStack(StreamRecord&& record);
