// Airline and model codes as 16-bit ids, the size category and half wingspan
// of a model, and the similar registration prefixes. Interning may run on any
// thread at any time; the other queries read tables the data-base reader
// built at start-up.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <vector>

#include "refdata/state.h"
#include "traffic/size_category.h"

// The id of an airline code; a code met for the first time is appended and
// gets the next id. Id 0 is the empty code. When the table is full (65536
// codes) a new code gets 0 and the first such code is logged once.
std::uint16_t gf_airlineId(std::string_view code);
// The same for model codes; once the data base is read, an unknown code that
// the fixes correct to a known code gets the known code's id instead.
std::uint16_t gf_modelId(std::string_view code);
// Interns a run of codes under one hold of a table's writer's lock: the
// same ids as gf_airlineId / gf_modelId on each code, without locking per
// code. Other threads wait while it lives, so only the data-base reader,
// which runs before they start, holds one; it must not call gf_airlineId or
// gf_modelId of the same table meanwhile.
class CodeInterner {
public:
    static CodeInterner airlines();
    static CodeInterner models();
    std::uint16_t id(std::string_view code);

private:
    CodeInterner(CodeTable& table, bool models);
    CodeTable& table_;
    std::unique_lock<std::shared_mutex> lock_;
    bool models_;
};

// The code text of an id; empty for an id without a code. The view stays
// valid for the whole run.
std::string_view gf_airlineCodeText(std::uint16_t id);
std::string_view gf_modelCodeText(std::uint16_t id);
// The number of codes in each table.
std::size_t gf_airlineCodeCount();
std::size_t gf_modelCodeCount();

// The correct code the data base's fixes give for a wrong model code.
std::optional<std::string> lf_fixedModelCode(std::string_view code);
// Large, Heavy, Buzjets, Rotorcraft, HighPerf (tested in this order), else Light.
SizeCategory gf_modelCategory(std::uint16_t modelId);
// The category of a model code (interns the code).
SizeCategory gf_modelCodeCategory(std::string_view code);
// One of the data base's "aircrafts" codes.
bool gf_isKnownModelCode(std::string_view code);
// One of the data base's "ICAO_airlines" codes (cargo operators don't count).
bool gf_isKnownAirlineCode(std::string_view code);

// Half the model's wingspan in nautical miles; 0.0 when the data base has no
// value; 35.0 (and a log line) for an id past the wingspan table.
double hwsp(std::uint16_t modelId);
// Stores a half wingspan at the code's model id.
void lf_fillWingspan(std::string_view code, double halfSpanNm);

// Builds g_similarPrefixes from the data base's prefix groups.
void lf_buildSimilarPrefixes();
// The other prefixes of the prefix's group (empty when it has none). With
// RANDOM on each call shuffles the stored list. Traffic thread only.
const std::vector<std::string>& lf_similarPrefixes(std::string_view prefix);
