// The stands of an airport and their known uses: the records that the airport
// files are read into and written from, and that the traffic engine parks
// aircraft on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/fixed_code.h"
#include "traffic/model_key.h"

// One known use of a stand: which aircraft kind used it on which weekday and
// in which half-hours.
struct StandUse {
    ModelKey key;           // airline, second airline, model, cargo
    std::string reg;        // registration; may be empty
    std::string callsign;   // the part of "cs" before the first ':'
    std::string callsign2;  // the part of "cs" after the first ':'; empty when none
    std::uint64_t hh = 0;   // half-hour set of the weekday, bits 0..47
    std::int32_t active = 0;  // the use's number within its stand, 1, 2, 3 ...; 0 = inactive (consumed)
    std::uint32_t day = 0;    // weekday 1 (Monday) .. 7
    std::int32_t fromAirportFile = 0;  // 1 read from the airport file itself, 0 from a learned file or learned here
    std::int32_t real = 0;             // 1 observed, 0 soft
    std::uint8_t cpl = 0;
    std::uint8_t regOnly = 0;  // known by its registration alone: "airl" and "type" are not written
    // Taken by the stand search (its aircraft is present already): it counts
    // nowhere until the uses are numbered again, but its number stays, so the
    // use is still saved with the airport's learned data. Never read or written.
    std::uint8_t consumed = 0;
};

// The use counts for searches and learning: it has a number and was not consumed.
inline bool gf_useCounts(const StandUse& use) { return use.active != 0 && use.consumed == 0; }

// One parking position.
struct Stand {
    Stand(std::vector<StandUse>&& uses, std::string&& name, double latitude, double longitude, double headingRad,
          double radiusMetres, bool cargo, bool ramp, bool heli);

    std::vector<StandUse> uses;
    std::string name;  // the file's "id", trimmed, unique within its file
    std::vector<std::int32_t> adjacentIds;  // standId of every neighbouring stand
    double latitude = 0.0;   // degrees
    double longitude = 0.0;  // degrees
    double heading = 0.0;    // radians
    double radius = 0.0;     // nautical miles
    std::int32_t standId = 0;  // 1, 2, 3 ... in table order; 0 until numbered
    std::uint8_t manual = 0;         // edited by hand: always written in full
    std::uint8_t radiusChanged = 0;  // enlarged at run time
    std::uint8_t cargoChanged = 0;   // cargo flag changed at run time
    // Run-time marks, never read from or written to a file.
    std::uint8_t taken = 0;          // an aircraft is planned here (gf_markStandsTaken)
    std::uint8_t occupied = 0;       // an aircraft stands or is about to stand here (gf_setStandTaken)
    std::uint8_t excluded = 0;       // reserved: the user's stand or the one the user stands on
    std::uint8_t adjacentTaken = 0;  // a neighbour of a taken stand
    std::uint8_t cargo = 0;
    std::uint8_t ramp = 0;
    std::uint8_t heli = 0;
};

// One schedule record of a static parked aircraft, made by the stand search.
struct StaticSlot {
    std::uint32_t standId = 0;
    std::uint32_t offset = 0;  // the look-back offset in half-hours of the search that found it
    ModelKey key;
    std::string callsign;
    std::string callsign2;
    std::string reg;
    std::uint8_t staysNext = 0;  // the use goes on in the next half-hour
};

// The park airport's file as its reader found it (g_parkAirportInfo).
struct ParkAirportInfo {
    std::string airport_name;
    std::string publisher;
    std::int32_t altitude = 0;  // feet
};

// The content of one airport file for the writer.
struct AirportFileData {
    AirportCode code;
    std::string airport_name;
    std::string BGLpath;
    std::string publisher;
    std::int32_t Qf_real = 0;
    std::int32_t Qf_soft = 0;
    std::int32_t altitude = 0;  // feet
    std::vector<Stand> stands;
};

// The stands of the park airport, sorted by standId. Owned by the traffic
// thread; it changes the table (not the marks of its stands) only under
// g_standsMutex (airports/airport_services.h), and other threads read it only
// under that mutex.
extern std::vector<Stand> g_stands;

inline constexpr double kNmPerMetre = 0.0005399568034557236;

// Destroys every stand (uses, name, adjacent ids), keeping the capacity.
// Takes g_standsMutex.
void gf_clearStands();
// The stand with that id, found by halving; nullptr when there is none.
Stand* gf_standById(std::int32_t standId);
// Marks the stand taken and its neighbours adjacentTaken. Traffic thread.
void gf_markStandsTaken(Stand& stand);
