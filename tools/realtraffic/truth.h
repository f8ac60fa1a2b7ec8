// The noise-free positions of a scenario's aircraft over time, written by a
// replay so that how faithfully the program follows them can be measured.
#pragma once

#include <filesystem>
#include <string>

#include "tools/realtraffic/scenario.h"

namespace realtraffic {

inline constexpr const char* kTruthHeader = "unix_s,hex_id,callsign,lat,lon,altitude_ft,speed_kt,on_ground";

// CSV (kTruthHeader, then one line per track and second from its first to
// its last waypoint): the time on this PC's clock at which a replay started
// at wallStart with this speed factor sends the datagram of that moment, the
// track's identity, its position, altitude (0 on the ground), ground speed
// and whether the program's reader takes it for being on the ground (1) or
// airborne (0). Throws StandInError for a track the generator refuses.
std::string truthCsv(const Scenario& scenario, double wallStart, double speed);

// Written under a temporary name and renamed into place; throws StandInError
// when that fails.
void writeTruthFile(const std::filesystem::path& path, const std::string& text);

}  // namespace realtraffic
