// NOT BUILT YET: the UDP readers' watchdog and stop flags and the RealTraffic
// command link. Empty bodies so that the program links and runs without
// RealTraffic; the readers and the command link replace this file.
#include "rtlink/link_jobs.h"

void gf_checkReaders() {}
void gf_sendRtProRequest(std::int64_t) {}
void gf_sendRtAreaRequest() {}
void gf_closeRtServer() {}
void gf_stopReaders() {}
void gf_resetFeedState() {}
