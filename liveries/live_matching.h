// The steps of the livery matching, from the aircraft's own registration to
// any livery of a similar model; the live aircraft's sequence is
// gf_matchLiveryLive (liveries/livery_services.h). Traffic thread only.
//
// Step numbers as counted and logged: 0 registration of a single special
// livery, 1 other registration, 2 own airline(s) and model, 3 own airline
// and another model of the category, 4 generic livery of the model, 5 any
// airline's livery of the model, 6 a similar or random model's livery.
//
// The step functions write the chosen title into the aircraft and return
// whether it holds a title when they end. Index 0 searches the passenger
// liveries, 1 the cargo liveries.
#pragma once

#include <cstdint>
#include <string_view>

#include "liveries/state.h"
#include "traffic/aircraft_records.h"

bool lf_matchRegistration(AcBase& aircraft);
// The cargo liveries first for a cargo key, then (or only) the passenger ones.
bool lf_matchAirlineModel(AcBase& aircraft, ModelKey key);
bool lf_matchStep(AcBase& aircraft, ModelKey key, int index);
bool lf_matchInAirlineModelMaps(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model);
// The airline's liveries of the model whose registration begins with the
// aircraft's registration prefix, then with a similar prefix (airline "PVT").
bool lf_matchByAirlineModel(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model);
// The first of the airline's liveries of the model whose title holds the
// other airline's name word.
bool lf_matchByAirlineWord(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model,
                           std::string_view otherAirline);
bool lf_matchSameCategory(AcBase& aircraft, ModelKey key);
// The last step: a generic livery (step 4), and for Light, Buzjets and
// Rotorcraft any airline's livery of the model (5) or of a similar or random
// model of the category (6); sets step only when it finds a livery.
void lf_matchAnyLivery(AcBase& aircraft, bool cargo, std::uint64_t& step);
bool lf_matchByModel(AcBase& aircraft, std::uint16_t model);
void lf_filterCandidatesByPrefix(const TitleList& candidates, std::string_view prefix, TitleList& kept);
// Up to five random picks avoiding special liveries, then a non-special
// candidate if there is one; nothing for an empty list.
void lf_pickRandomCandidate(AcBase& aircraft, const TitleList& candidates);
// Refuses an excluded title (and clears it); otherwise counts and logs the
// match and sets the FSLTL flag.
bool lf_acceptLivery(AcBase& aircraft, std::uint64_t step);
// The word liveries of the airline carry in their titles; "not found" for
// an airline without one.
std::string_view lf_airlineNameWords(std::string_view airlineCode);
// D-ABCD gives "D-", 9H-ABC "9H-", N123AB "N"; "" for no registration.
std::string_view lf_registrationPrefix(std::string_view registration);
// The title is in g_excludedTitles.
bool lf_isExcludedTitle(std::string_view title);
