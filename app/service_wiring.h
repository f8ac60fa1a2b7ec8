// Hands foundation/ what it needs of the layers above it: the stop flags for
// the log, the status line for read failures, and RealTraffic's clock.
#pragma once

// Once at start, before the log is opened; again any time (tests).
void gf_connectFoundation();
