// NOT BUILT YET: the RealTraffic command link. Empty bodies so that the
// program links and runs without it; the command link replaces this file.
#include "rtlink/link_jobs.h"

void gf_sendRtProRequest(std::int64_t) {}
void gf_sendRtAreaRequest() {}
void gf_closeRtServer() {}
