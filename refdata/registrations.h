// The data base's registrations: ordering them once, finding one under the
// spellings in which registrations arrive, finding a registration prefix in
// a text; and the log of live aircraft without a livery.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "refdata/state.h"

// Sorts g_registrations by text and keeps the first record (in document
// order) of each text.
void gf_sortRegistrations();
// The spellings a registration is looked up under, in order: DAIRA gives
// DA-IRA, D-AIRA, DAIRA; one with a dash, one beginning with N, or one shorter
// than 5 characters gives only itself.
std::vector<std::string> gf_regCandidates(std::string_view registration);
// The codes of the first candidate spelling found in the data base.
std::optional<RegCodes> gf_findRegistration(std::string_view registration);
// The first registration prefix of the data base (shorter than 6
// characters) that occurs in the text.
std::optional<std::string> gf_regPrefixIn(std::string_view text);
// Logs "No match found for:" and the live aircraft for which no livery
// matched; nothing when there are none. Traffic thread.
void gf_logNoMatch();
// Empties the aircraft without a match (g_noMatchAcs), so they are matched again.
void gf_clearNoMatchList();
