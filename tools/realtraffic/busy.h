// A busy region around Schiphol for long runs of the program: overflights
// crossing the radius, arrivals on three runways that taxi to stands,
// departures pushed back from stands, and aircraft towed or taxied between
// stands, kept at a steady number in range from the first second on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/realtraffic/scenario.h"

namespace realtraffic {

// A stand of the airport's stand file (the program's own format): where the
// arrivals park and the departures start.
struct BusyStand {
    std::string id;
    double lat = 0.0, lon = 0.0, headingDeg = 0.0;
};

struct BusyOptions {
    int aircraft = 500;      // aircraft in range at once (the mix below adds up to it)
    double seconds = 1800;   // the last track starts before this offset
    std::uint32_t seed = 1;  // the same seed gives the same scenario
    std::vector<BusyStand> stands;
};

// How many of each kind are in range at once: overflights two thirds, the
// rest arrivals, departures and ground movements.
struct BusyMix {
    int overflights = 0, arrivals = 0, departures = 0, groundMoves = 0;
};
BusyMix busyMix(int aircraft);

// The stands of a stand file (<parkpos id latitude longitude heading>).
// Throws StandInError when it cannot be read or holds none.
std::vector<BusyStand> loadStands(const std::filesystem::path& path);

// Every track keeps the generator's rules (sampleTrack accepts it); the
// overflights already in range at offset 0 start where they would be then.
// Throws StandInError without stands or aircraft.
Scenario busyScenario(const BusyOptions& options);

// The scenario in the file format parseScenario reads.
std::string scenarioText(const Scenario& scenario);

}  // namespace realtraffic
