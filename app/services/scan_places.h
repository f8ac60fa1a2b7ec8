// The places of the scan workers that run at once (g_runningScans), shared
// by the livery and the airport scans.
#pragma once

// Gives one worker's place back and wakes whoever waits on the count. The
// count never goes below 0: a worker that outlives a restart (which set the
// count back to 0) gives back nothing.
void gf_releaseScanPlace();
