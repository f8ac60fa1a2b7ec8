// The window's live, parked and static counters, refreshed from the traffic
// engine's tables.
#pragma once

// Once per user sample (and every 100 ticks while no flight runs): brings
// the window's live, parked and static counters up to date and repaints the
// bands whose counters changed. Traffic thread.
void lf_refreshLiveCounts();
