// NOT BUILT YET: the simulator link. These bodies report "no simulator" (no
// flight running, no user sample) so that the program links and the run
// loop idles; the simulator link replaces this file with reads of its state.
#include "simlink/link_jobs.h"

bool gf_isSimRunning() { return false; }
bool gf_hasSimError() { return false; }
bool gf_isNewUserSampleWaiting() { return false; }
bool gf_takeNewUserSample() { return false; }
UserAircraftFix gf_userAircraftFix() { return {}; }
std::int64_t gf_simTimeEpochNow() { return 0; }
void gf_clearPosUpdates() {}
void gf_requestSimClientStop() {}
void gf_resetSimLink() {}
