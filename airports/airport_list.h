// The list of supported airports, input/airports.enc: read once at start-up,
// then asked whether an airport is supported and for its display label.
#pragma once

#include <string>

#include <pugixml.hpp>

#include "airports/state.h"

// Reads the list unless it was read; true when it is not empty. Throws
// vlt::UserErrorException 88 when the list is broken (not XML, no
// "airports", a bad airport code); the plain file is removed either way.
bool gf_readAirports();
// Appends one "ap" element with its checked code, or logs why not.
void lf_readAirport(const pugi::xml_node& airport, const AirportCode& code);
// Whether the code is in the airport list.
bool gf_isSupportedAirport(const AirportCode& code);
// "EDDF (FRA)", "EDDF" without a 3-letter code, "?" for an empty code.
std::string gf_airportLabel(const AirportRecord& airport);
// Logs "gf_readAirports exception : {text}" as a marked line.
void lf_logReadAirportsException(const std::string& text);
