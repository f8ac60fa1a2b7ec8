// The destination airport of the user's flight (DESTINATION): the park
// airport the program prepares before the user gets there.
#pragma once

#include <filesystem>
#include <string>

#include "settings/file_names.h"

struct AirportRecord;

// DESTINATION := text (an airport code of the airport list), saved and shown;
// status "New destination: {}"; the traffic thread is asked to put the
// airport at the head of the park-airport list, and "Re-read" waits for the
// next re-read.
void lf_showDestination(const std::string& text, const AirportRecord& airport,
                        const std::filesystem::path& parametersPath = g_parametersPath);
// The airport of the list with this code (any letter case); null when the
// list has none. Throws FixedCode's std::invalid_argument for a text that
// is no 4-character code.
const AirportRecord* lf_findAirport(const std::string& code);
