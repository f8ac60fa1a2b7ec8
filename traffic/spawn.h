// Buffered aircraft and their spawn: the wait for the first sample, the
// checks that keep an aircraft out of the simulator, the livery and stand
// choice, and the start position of the create request. Traffic thread.
#pragma once

#include <optional>
#include <string_view>

#include "airports/stands.h"
#include "traffic/aircraft_records.h"

// One tick of a buffered aircraft: may erase it, drop its front sample or spawn it.
void lf_stepBufferedAc(LiveAc& aircraft);
// Drops the front sample when it would make the aircraft appear in the user
// aircraft's way; true when it dropped it.
bool lf_dropStaleSamples(LiveAc& aircraft);
// Livery, first phase and stand, start position; life state adding2sim and
// the hex id on g_pendingSpawnHexIds.
void spawnLiveAc(LiveAc& aircraft);
// Start position and attitude from the front sample.
void lf_setPosFromNewest(LiveAc& aircraft);
// A free stand for an aircraft spawning on the ground at the park airport;
// a stand conflict erases the aircraft.
std::optional<Stand> lf_chooseSpawnStand(LiveAc& aircraft);
// Whether the aircraft's first sample lies by a stand of the park airport it
// may not take (within the 55 m of the stand search: the user's, the
// reserved one, one taken): one standing there waits for a moving sample;
// one standing elsewhere (at a holding point, on a taxiway, by a stand too
// small for it) is created standing.
bool lf_byAStand(const LiveAc& aircraft);
// Static aircraft on the stand and on its neighbours give way.
void lf_makeWay(const LiveAc& aircraft, const Stand& stand);
void lf_makeWayAdjacent(const LiveAc& aircraft, std::int32_t standId, const Stand& stand);
// Removes the ghost of the callsign (the callsign followed by '_').
void lf_checkGhost(std::string_view callsign);
// A live aircraft outside removingfromsim has the callsign without its last character.
bool lf_stripGhostSuffix(std::string_view callsign);
