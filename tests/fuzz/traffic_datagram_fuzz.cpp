// libFuzzer target for the traffic datagram parser (scripts/fuzz.sh builds
// and runs it). Any input is one
// datagram; a record that reaches the adding stack must be one the traffic
// engine can fly: a live hex id, a real position, a sane altitude and speed.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <string_view>

#include "rtlink/traffic_datagram.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = [] {
        gf_setTrafficRefPos(GeoPoint{52.3086, 4.7639});
        gf_setReaderParkAirport(ReaderParkAirport{AirportCode("EHAM"), GeoPoint{52.3086, 4.7639}, -11});
        g_rangeNm = 20000.0;  // nothing is too far
        const std::lock_guard lock(g_addingStackMutex);
        g_acceptTraffic = true;
        return true;
    }();
    (void)ready;
    const std::string_view datagram(reinterpret_cast<const char*>(data), size);
    if (lf_onTrafficData(g_trafficFeed, datagram) != LineVerdict::queued) return 0;
    const std::lock_guard lock(g_addingStackMutex);
    const StreamRecord& r = g_addingStack.back();
    const PosSample& s = r.sample;
    if (r.hexId <= 10000 || !std::isfinite(s.lat) || std::fabs(s.lat) > 90 || !std::isfinite(s.lon) ||
        std::fabs(s.lon) > 180 || !std::isfinite(s.altitudeFt) || s.altitudeFt < 0 ||
        !std::isfinite(s.groundSpeedKt) || !std::isfinite(s.trueAirspeedKt) ||
        (r.ident.callsign.empty() && r.ident.registration.empty()) ||
        (s.trueHeading && !(*s.trueHeading > 0 && *s.trueHeading <= 6.2831853071795865)))
        std::abort();
    g_addingStack.clear();
    return 0;
}
