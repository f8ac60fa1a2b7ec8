// The user aircraft as the simulator reports it: its position and state,
// on-ground flag, title, model and size, and the stand it stands on.
// Handlers run on the simulator client thread.
#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <span>
#include <string>

#include "airports/airport_services.h"
#include "simlink/simconnect/received_messages.h"
#include "simlink/state.h"

// SIMOBJECT_DATA, by request id: 102 static CG of an AI object, 106 title,
// 107 model, 108 on ground, 109 the user's block.
void lf_onSimObjectData(const simconnect::RecvSimObjectData& data);
void lf_onUserTitle(std::span<const std::byte> block);
// Throws vlt::UserErrorException 71 for an empty model and 73 when the model
// cannot be used at all.
void lf_onUserModel(std::span<const std::byte> block);

// Records the stand the user aircraft stands on as the park airport's stand
// in my_park_airports.txt (when it stands still on a stand of it).
void gf_saveUserParkStand();
// The rule behind it: when the list's first entry is the park airport and
// its stand differs from standName, the entry takes the name; true then.
bool lf_takeUserParkStand(std::list<ParkAirportEntry>& list, const AirportRecord& parkAirport,
                          const std::string& standName);

// The simulator's UTC time in Unix seconds from the block's zulu year, day
// of year and time of day; none for values no calendar has.
std::optional<std::int64_t> lf_simTimeEpoch(const UserState& state);
// The first `count` characters of a UTF-8 text.
std::string lf_firstCharacters(const std::string& text, std::size_t count);
