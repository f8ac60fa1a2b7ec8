// What the application shell asks of the RealTraffic link: the readers'
// watchdog and stop flags, the command link's messages, and the reset of the
// feed before a restart. The run loop reaches them through g_runJobs.
#pragma once

#include <cstdint>

#include "rtlink/command_link.h"
#include "rtlink/readers.h"

// Start state of the feed: QNH 1013, no traffic time, empty callsign
// collection, readers' stop flags cleared, waiting for RealTraffic again
// (g_awaitingRealTraffic).
void gf_resetFeedState();
