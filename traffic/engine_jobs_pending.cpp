// NOT BUILT YET: the traffic engine's side of the jobs the application shell
// calls. Each body does nothing (or reports "nothing there") so that the
// program links and runs without traffic; the traffic engine replaces this
// whole file with its real functions.
#include "traffic/engine_jobs.h"

void lf_handleAddingStack() {}
void gf_handleAcEvents() {}
void gf_parkControl(bool) {}
void gf_matchLiveToStatics() {}
void gf_adjustParking() {}
void gf_clearUserWayGround() {}
void gf_clearUserWayAir() {}
void gf_clearStaticsForMovingAcs() {}
void gf_removeAllStatics() {}
void gf_listMovingCallsigns() {}
void gf_findStandUseForFlight(std::uint64_t, LiveAc&) {}
void gf_removeStaticsMatching(LiveAc&) {}
void gf_clearReservedStand(const std::string&) {}
bool gf_checkParkAirports(bool, std::string&) { return false; }
void removeAircraftFromSim(AcBase&) {}
std::uint64_t gf_countParkedLiveAcs(bool) { return 0; }
void gf_leaveParkAirport() {}
void gf_resetTraffic() {}
void gf_reserveTrafficTables() {}
void gf_removeLiveAcsForRtGone() {}
void gf_addParkAirport(const AirportCode&, const GeoPoint&) {}

bool gf_hasParkAirport() { return false; }
bool gf_parkAirportHasStands() { return false; }
std::string gf_reservedStandName() { return {}; }
std::size_t gf_staticScheduleSize() { return 0; }
void gf_clearLiveryByHexId() {}
void gf_clearGhostCallsigns() {}
void gf_clearUserRef() {}

// NOT BUILT YET: the aircraft texts the livery matching's log lines use, as
// the traffic engine will write them.
#include <fmt/format.h>

#include "refdata/code_tables.h"
#include "traffic/ac_texts.h"
#include "traffic/state.h"

std::unordered_set<std::string, FnvHash, std::equal_to<>> g_failedCreations;

std::string gf_modelKeyText(const ModelKey& key) {
    const std::string second =
        key.secondAirlineId != 0 ? fmt::format(",{}", gf_airlineCodeText(key.secondAirlineId)) : std::string();
    return fmt::format("{:3}{:4} {:4}{:3}", gf_airlineCodeText(key.airlineId), second,
                       gf_modelCodeText(key.modelId), key.cargo != 0 ? "(C)" : "");
}

std::string gf_acText(const AcIdent& ident) {
    const std::string route = ident.origin.isSet() || ident.destination.isSet()
                                  ? fmt::format("{:3}->{:3}", ident.origin.text(), ident.destination.text())
                                  : std::string(8, ' ');
    return fmt::format("{:8} {:12} {} {}", ident.callsign, ident.registration, route, gf_modelKeyText(ident.modelKey));
}

std::string gf_acRegText(const AcIdent& ident) {
    return fmt::format("{:8} {} {}", ident.callsign, ident.registration, gf_modelKeyText(ident.modelKey));
}
