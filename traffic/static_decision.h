// The static-parking decision for one schedule record.
#pragma once

#include <cstdint>
#include <string>

// Turns the last static schedule record into one static parked aircraft.
void lf_detcs();
// The number of the next static aircraft: 1 to 9999, then 1 again. Never 0,
// which the simulator link reads as "no aircraft".
std::uint32_t gf_nextStaticNumber();
// A static aircraft's callsign: the text without trailing "_", with "*"
// appended unless it ends with one.
std::string lf_staticCallsign(const std::string& callsign);
