// NOT BUILT YET: the traffic engine's parts that later work builds. The jobs
// the application shell calls do nothing (or report "nothing there"), the
// static parked aircraft are never placed and the stand-use learning learns
// nothing. Each real part replaces its bodies here.
#include <string>

#include "airports/stands.h"
#include "traffic/engine_jobs.h"
#include "traffic/static_decision.h"

void gf_parkControl(bool) {}
void gf_matchLiveToStatics() {}
void gf_adjustParking() {}
void gf_clearUserWayGround() {}
void gf_clearUserWayAir() {}
void gf_clearStaticsForMovingAcs() {}
void gf_removeAllStatics() {}
void gf_listMovingCallsigns() {}
void gf_removeStaticsMatching(LiveAc&) {}
void gf_clearReservedStand(const std::string&) {}
bool gf_checkParkAirports(bool, std::string&) { return false; }
std::uint64_t gf_countParkedLiveAcs(bool) { return 0; }
void gf_leaveParkAirport() {}
void gf_addParkAirport(const AirportCode&, const GeoPoint&) {}

void lf_detcs() {}

// The stand-use learning learns nothing yet.
bool gf_updateSlotTable(Stand&, const ModelKey&, std::uint64_t, const std::string&, const std::string&, bool) {
    return false;
}
bool gf_slotFits(std::uint64_t, Stand&, std::int32_t, std::uint64_t, AcBase&, const std::string&, bool) { return false; }
