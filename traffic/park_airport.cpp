#include "traffic/park_airport.h"

#include "airports/stands.h"
#include "foundation/geodesy.h"
#include "traffic/engine_jobs.h"
#include "traffic/state.h"

std::string lf_standNameById(std::int32_t standId) {
    if (standId == 0) return "sid==0?";
    const Stand* stand = standId > 0 ? gf_standById(standId) : nullptr;
    return stand != nullptr ? stand->name : "sid==?";
}

bool gf_removeFarthestAc(double distanceNm) {
    const GeoPoint user{g_userRef.lat, g_userRef.lon};
    const double margin = distanceNm >= 0.0 ? 0.1 : 0.0;
    double best = distanceNm;
    LiveAc* farthest = nullptr;
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.lifeState != AcLifeState::active) continue;
        const double d = gf_distanceNm(user, GeoPoint{aircraft.lat, aircraft.lon});
        if (d > best + margin) {
            best = d;
            farthest = &aircraft;
        }
    }
    if (farthest == nullptr) return true;
    removeAircraftFromSim(*farthest);
    return false;
}
