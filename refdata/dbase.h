// The aircraft data base: model and airline codes by 16-bit id, size
// categories and wingspans. Read once per process from the enciphered file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "traffic/size_category.h"

// Reads input/dbase.enc once per process and logs the counts; true when read.
bool gf_readDbase();
// The id of a model code; an unknown code is appended and gets the next id.
// Called from the traffic reader, the simulator client and the traffic thread.
std::uint16_t gf_modelId(std::string_view code);
// True when the code is one of the data base's aircraft model codes.
bool gf_isKnownModelCode(std::string_view code);
// Large, Heavy, Buzjets, Rotorcraft, HighPerf by the data base's sets, else Light.
SizeCategory gf_modelCategory(std::uint16_t modelId);
// Half the model's wingspan in nautical miles.
double hwsp(std::uint16_t modelId);
// The id of an airline code; an unknown code is appended and gets the next id.
std::uint16_t gf_airlineId(std::string_view code);

// The largest half wingspan read, nautical miles.
extern double g_maxHalfSpan;
// Code texts by id; an id beyond the end has no text.
extern std::vector<std::string> g_modelCodes;
extern std::vector<std::string> g_airlineCodes;
