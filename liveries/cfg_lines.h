// How one line of an aircraft.cfg is read: "key = value" lines and
// [fltsim.N] section headers.
//
// A key line is the whole line matching \s*(key)\s*=\s*(.*\S)\s* with the
// key's letters in any case (ECMAScript grammar): blanks around the key and
// the "=", a value that neither begins nor ends with white space and holds
// no CR. White space is blank, tab, LF, VT, FF and CR. The matcher is written
// out by hand: it takes no time to build, and a regular expression engine
// that backtracks recursively can run out of stack on a very long line.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view kTitleKey = "title";
inline constexpr std::string_view kSimKey = "sim";
inline constexpr std::string_view kModelKey = "model";
inline constexpr std::string_view kTextureKey = "texture";
inline constexpr std::string_view kAtcIdKey = "atc_id";
inline constexpr std::string_view kAtcParkingTypesKey = "atc_parking_types";
inline constexpr std::string_view kAtcParkingCodesKey = "atc_parking_codes";
inline constexpr std::string_view kAtcModelKey = "atc_model";

// The section numbers above this make the whole file invalid; a header that
// is there but cannot be read counts as this number.
inline constexpr std::string_view kHighestFltsimNumber = "10000";

// The white space of the patterns.
bool lf_isCfgSpace(char c);
// The value of a key line (a view into the line), or "" when the line is no
// line of that key.
std::string_view lf_matchKey(std::string_view line, std::string_view key);

// The digits of a [fltsim.N] header line (\s*\[fltsim\.(\d+)\]\s*, any case);
// "10000" for a line that holds "[fltsim." or "[FLTSIM." without being such a
// header; "" for any other line and for a line beginning with "//".
std::string lf_fltsimHeader(std::string_view line);

// Key readers: true and the value stored when the line is the key's line.
bool lf_readTitleKey(std::string_view line, std::string& value);
bool lf_readSimKey(std::string_view line, std::string& value);
bool lf_readModelKey(std::string_view line, std::string& value);
bool lf_readTextureKey(std::string_view line, std::string& value);
bool lf_readAtcIdKey(std::string_view line, std::string& value);
bool lf_readAtcParkingTypesKey(std::string_view line, std::string& value);
// The value, "" when the line is not the key's line.
std::string lf_readAtcModelKey(std::string_view line);
std::string lf_readAtcParkingCodesKey(std::string_view line);
// The exact-case texts that find a key repeated after its value was taken.
bool lf_hasAtcIdKey(std::string_view line);
bool lf_hasAtcParkingTypesKey(std::string_view line);
