// The airport stand file: the one XML format of the park airport's file, the
// learned files and the files generated from add-on scenery. Its reader fills
// the stand table; its writer writes a whole file from an AirportFileData.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "airports/stands.h"
#include "refdata/state.h"
#include "traffic/model_key.h"

// The kinds of file the writer makes.
inline constexpr int kParkAirportFileKind = 0;  // the park airport's learned file, with its uses and settings
inline constexpr int kGeneratedFileKind = 1;    // a file generated from scenery: stands only

// The "parkpositions" element: under "root", or directly under the document
// when it has no "root"; empty when there is none.
pugi::xml_node lf_parkPositionsNode(const pugi::xml_node& document);

// Appends one stand per "parkpos" to g_stands (its uses from the airport file
// itself). Throws vlt::UserErrorException 93 for a missing or blank "id" and
// 94 for a name met twice; the stands before it stay.
void lf_readStands(const pugi::xml_node& document);
// Appends the stand to g_stands with the given origin of its uses (1 the
// airport file, 0 a learned file), or logs why it is left out.
void lf_readStand(const pugi::xml_node& parkpos, std::string name, std::int32_t fromAirportFile);

// The identity of one "opt": the callsigns of its "cs" and its aircraft key,
// from the registration when the data base knows it, else from "airl" and
// "type".
struct StandOptionIdentity {
    std::string callsign;
    std::string callsign2;
    ModelKey key;
};
StandOptionIdentity lf_readStandOption(const pugi::xml_node& opt);
// The aircraft key of a registration record's codes.
ModelKey lf_keyOf(const RegCodes& codes);
// The key of "airl" and "type" (codes met for the first time are added to
// the code tables).
ModelKey lf_readAirlineModel(const pugi::xml_node& opt);

// Writes the file through a temporary name (its folder created when
// missing); false when a node cannot be added or the file cannot be written.
// With g_handmade set, a kind 0 file keeps every stand's position and every
// use that has half-hours.
bool gf_writeAirportFile(const AirportFileData& data, const std::filesystem::path& target, int kind,
                         std::int32_t sim);
// The whole document gf_writeAirportFile saves.
bool lf_buildAirportDocument(pugi::xml_document& document, const AirportFileData& data, int kind, std::int32_t sim);
// The "parameters" block under root.
bool lf_writeAirportInfo(pugi::xml_node root, const AirportFileData& data, int kind);
