// What the application shell reads of the simulator link (link_jobs.h).
#include "simlink/link_jobs.h"

#include "simlink/state.h"

bool gf_isSimRunning() { return g_simRunning.load(); }
bool gf_hasSimError() { return g_simError.load(); }
bool gf_isNewUserSampleWaiting() { return g_newUserSample.load(); }
bool gf_takeNewUserSample() { return g_newUserSample.exchange(false); }

UserAircraftFix gf_userAircraftFix() {
    const UserState user = gf_copyUserState();
    return {{user.lat, user.lon}, user.altitudeFt, g_userOnGround.load()};
}

std::int64_t gf_simTimeEpochNow() { return g_simTimeEpoch.load(); }
