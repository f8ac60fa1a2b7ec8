// Small jobs over all live and static aircraft around the park airport
// (the ones the shell calls are declared in traffic/engine_jobs.h). Traffic thread.
#pragma once

// Appends the parked live aircraft to g_liveParkedList (sorted by minutes
// parked, fewest first), removing those parked too long (180 minutes for a
// Heavy, 90 for the others) unless INITIAL_LOAD_ONLY is on. The caller
// empties the list first.
void lf_reparkAll();
