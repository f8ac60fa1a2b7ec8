// The fixed-width texts that every log line about an aircraft uses, and the
// small tests on callsigns that the spawn and respawn rules share.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "traffic/aircraft_records.h"

// "{:3}{:4} {:4}{:3}": airline code, ",second" when there is a second
// airline, model code, "(C)" for cargo.
std::string gf_modelKeyText(const ModelKey& key);
// "ORG->DST" (a missing code as three blanks); eight blanks when both are missing.
std::string gf_routeText(const AcIdent& ident);
// The callsign padded to eight characters.
std::string gf_callsignField(const AcIdent& ident);
// Callsign field, registration padded to twelve, route.
std::string gf_acIdentText(const AcIdent& ident);
// Identity text and model key text.
std::string gf_acText(const AcIdent& ident);
std::string gf_liveAcText(const LiveAc& aircraft);
// Callsign field, registration, model key text.
std::string gf_acRegText(const AcIdent& ident);
// Model key text, a blank, registration: the key of the no-match list.
std::string gf_acDescription(const AcIdent& ident);

// A usable callsign: not empty, not "@@@@@@@@", at most eight characters.
bool gf_isPlaceholder(std::string_view text);
// The airline part of a callsign: three letters followed by a digit give the
// three letters upper-cased; anything else gives no value.
std::optional<std::string> gf_normaliseCode(std::string_view callsign);
