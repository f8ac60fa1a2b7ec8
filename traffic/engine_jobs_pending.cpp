// NOT BUILT YET: the traffic engine's side of the jobs the application shell
// calls. Each body does nothing (or reports "nothing there") so that the
// program links and runs without traffic; the traffic engine replaces this
// whole file with its real functions. The model-key text already gives the
// text that log lines about stand uses show.
#include "traffic/engine_jobs.h"

#include <fmt/format.h>

#include "refdata/code_tables.h"

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
bool gf_removeFarthestAc(double) { return true; }

bool gf_hasParkAirport() { return false; }
bool gf_parkAirportHasStands() { return false; }
std::string gf_reservedStandName() { return {}; }
std::size_t gf_staticScheduleSize() { return 0; }
void gf_clearLiveryByHexId() {}
void gf_clearGhostCallsigns() {}
void gf_clearUserRef() {}

std::string gf_modelKeyText(const ModelKey& key) {
    const std::string second =
        key.secondAirlineId != 0 ? fmt::format(",{}", gf_airlineCodeText(key.secondAirlineId)) : std::string();
    return fmt::format("{:3}{:4} {:4}{:3}", gf_airlineCodeText(key.airlineId), second, gf_modelCodeText(key.modelId),
                       key.cargo != 0 ? "(C)" : "");
}
