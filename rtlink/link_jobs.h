// What the application shell asks of the RealTraffic link: the readers'
// watchdog and stop flags, the command link's messages, and the reset of the
// feed before a restart. The run loop reaches them through g_runJobs.
#pragma once

#include <cstdint>

#include "rtlink/readers.h"

// "Qs123=": the simulator's UTC time (Unix seconds) to RealTraffic.
void gf_sendRtProRequest(std::int64_t simTime);
// "Qs121=": the user aircraft's position to RealTraffic.
void gf_sendRtAreaRequest();
// Ends the command link ("exit\r\n" when connected); safe to call repeatedly.
void gf_closeRtServer();
// Start state of the feed: QNH 1013, no traffic time, empty callsign
// collection, readers' stop flags cleared, waiting for RealTraffic again.
void gf_resetFeedState();
