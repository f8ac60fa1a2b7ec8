#include "liveries/live_matching.h"

#include <fmt/format.h>

#include <stdexcept>
#include <string>
#include <unordered_map>

#include "foundation/log.h"
#include "foundation/random.h"
#include "liveries/categories.h"
#include "liveries/livery_indexes.h"
#include "liveries/livery_services.h"
#include "refdata/code_tables.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "traffic/ac_texts.h"

namespace {
constexpr int kPax = 0;
constexpr int kCargo = 1;
constexpr int kPickTries = 5;
constexpr std::string_view kPrivateAirline = "PVT";
constexpr std::string_view kFsltlMark = "FSLTL_";

const IdMap<IdMap<TitleList>>& lf_airlineMap(int index) { return index == kCargo ? g_cargoByAirline : g_paxByAirline; }
const IdMap<TitleList>& lf_modelMap(int index) { return index == kCargo ? g_cargoByModel : g_paxByModel; }

// The candidates of the airline's model in the map of the index; null when none.
const TitleList* lf_candidates(int index, std::uint16_t airline, std::uint16_t model) {
    const auto& byAirline = lf_airlineMap(index);
    const auto foundAirline = byAirline.find(airline);
    if (foundAirline == byAirline.end()) return nullptr;
    const auto foundModel = foundAirline->second.find(model);
    return foundModel == foundAirline->second.end() ? nullptr : &foundModel->second;
}

bool lf_hasTitle(const AcBase& aircraft) { return !aircraft.liveryTitle.empty(); }

bool lf_isSpecial(std::string_view title) { return g_specialTitles.contains(title); }

std::uint16_t lf_genericAirlineId() { return gf_airlineId(g_genericAirlineCode); }

bool lf_isPrivate(std::uint16_t airline) { return gf_airlineCodeText(airline) == kPrivateAirline; }

// The candidates filtered by the registration prefix, then by each similar
// prefix, picked from; true when one was picked.
bool lf_pickByPrefixes(AcBase& aircraft, const TitleList& candidates) {
    const std::string_view prefix = lf_registrationPrefix(aircraft.registration);
    TitleList kept;
    lf_filterCandidatesByPrefix(candidates, prefix, kept);
    lf_pickRandomCandidate(aircraft, kept);
    if (lf_hasTitle(aircraft)) return true;
    for (const std::string& similar : lf_similarPrefixes(prefix)) {
        kept.clear();
        lf_filterCandidatesByPrefix(candidates, similar, kept);
        lf_pickRandomCandidate(aircraft, kept);
        if (lf_hasTitle(aircraft)) return true;
    }
    return false;
}

// The models the last step tries: the similar models with liveries, else a
// random model of a Light, Buzjets or Rotorcraft model's category.
ModelIds lf_lastStepModels(std::uint16_t model) {
    const auto similar = g_similarModelsWithLiveries.find(model);
    if (similar != g_similarModelsWithLiveries.end()) {
        gf_shuffle(similar->second);
        return similar->second;
    }
    std::uint16_t random = 0;
    switch (gf_modelCategory(model)) {
        case SizeCategory::Light: random = lf_randomLightModel(); break;
        case SizeCategory::Buzjets: random = lf_randomBuzjetModel(); break;
        case SizeCategory::Rotorcraft: random = lf_randomRotorcraftModel(); break;
        default: break;
    }
    return random == 0 ? ModelIds() : ModelIds{random};
}
}  // namespace

std::unordered_set<std::string, FnvHash, std::equal_to<>> g_excludedTitles;

bool lf_isExcludedTitle(std::string_view title) { return g_excludedTitles.contains(title); }

std::string_view lf_registrationPrefix(std::string_view registration) {
    if (registration.empty()) return {};
    const std::size_t dash = registration.find('-');
    if (dash != std::string_view::npos && dash >= 1) return registration.substr(0, dash + 1);
    return registration.substr(0, 1);
}

std::string_view lf_airlineNameWords(std::string_view airlineCode) {
    static const std::unordered_map<std::string_view, std::string_view, FnvHash> kWords = {
        {"AAL", "American"},   {"ACA", "Canada"},       {"AFR", "France"},     {"ASA", "Alaska"},
        {"ASH", "Mesa"},       {"AVA", "Avianca"},      {"BAW", "British"},    {"BOX", "Aerologic"},
        {"CAI", "Corendon"},   {"CFE", "Cityflyer"},    {"DAE", "DHL Aero"},   {"DAL", "Delta"},
        {"DHK", "DHL Air"},    {"EDV", "Endeavor"},     {"EZY", "easyjet"},    {"FDX", "FedEx"},
        {"FJO", "Flexjet"},    {"GJS", "GoJet"},        {"IBE", "Iberia"},     {"JIA", "PSA Airlines"},
        {"JZA", "Jazz"},       {"KLC", "Cityhopper"},   {"LRC", "Avianca"},    {"PDT", "Piedmont"},
        {"PRM", "Prime"},      {"QLK", "Quantaslink"},  {"QXE", "Horizon"},    {"RPA", "Republic"},
        {"RYR", "Ryanair"},    {"SWA", "Southwest"},    {"SKW", "SkyWest"},    {"UAL", "United"},
        {"UPS", "UPS"},        {"VJT", "VistaJet"},     {"WJA", "WestJet"},
    };
    const auto found = kWords.find(airlineCode);
    return found == kWords.end() ? std::string_view("not found") : found->second;
}

void lf_pickRandomCandidate(AcBase& aircraft, const TitleList& candidates) {
    if (candidates.empty()) return;
    for (int attempt = 0; attempt < kPickTries; ++attempt) {
        aircraft.liveryTitle = candidates[gf_randomIndex(candidates.size())];
        if (g_specialTitles.empty() || !lf_isSpecial(aircraft.liveryTitle)) return;
    }
    TitleList ordinary;
    for (const std::string_view title : candidates)
        if (!lf_isSpecial(title)) ordinary.push_back(title);
    // When all are special, the last special pick stays.
    if (!ordinary.empty()) aircraft.liveryTitle = ordinary[gf_randomIndex(ordinary.size())];
}

void lf_filterCandidatesByPrefix(const TitleList& candidates, std::string_view prefix, TitleList& kept) {
    for (const std::string_view title : candidates) {
        const auto found = g_regcodeByTitle.find(title);
        if (found != g_regcodeByTitle.end() && found->second.starts_with(prefix)) kept.push_back(title);
    }
}

std::string_view gf_liveryTitleForRegistration(std::string_view registration) {
    const auto found = g_titleByRegcode.find(registration);
    return found == g_titleByRegcode.end() ? std::string_view() : found->second;
}

bool lf_matchRegistration(AcBase& aircraft) {
    if (aircraft.registration.empty()) return false;
    aircraft.liveryTitle = gf_liveryTitleForRegistration(aircraft.registration);
    return lf_hasTitle(aircraft);
}

bool lf_matchInAirlineModelMaps(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model) {
    if (const TitleList* candidates = lf_candidates(index, airline, model))
        lf_pickRandomCandidate(aircraft, *candidates);
    return lf_hasTitle(aircraft);
}

bool lf_matchByAirlineModel(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model) {
    if (aircraft.registration.empty()) return false;
    const TitleList* candidates = lf_candidates(index, airline, model);
    if (candidates == nullptr) return false;
    return lf_pickByPrefixes(aircraft, *candidates);
}

bool lf_matchByAirlineWord(AcBase& aircraft, int index, std::uint16_t airline, std::uint16_t model,
                           std::string_view otherAirline) {
    const TitleList* candidates = lf_candidates(index, airline, model);
    if (candidates == nullptr) return false;
    const std::string_view word = lf_airlineNameWords(otherAirline);
    for (const std::string_view title : *candidates) {
        if (title.find(word) != std::string_view::npos) {
            aircraft.liveryTitle = title;
            return true;
        }
    }
    return lf_hasTitle(aircraft);
}

bool lf_matchStep(AcBase& aircraft, ModelKey key, int index) {
    const std::uint16_t airline = key.airlineId;
    const std::uint16_t second = key.secondAirlineId;
    const std::uint16_t model = key.modelId;
    if (second == 0) {
        if (lf_isPrivate(airline) && lf_matchByAirlineModel(aircraft, index, airline, model)) return true;
        return lf_matchInAirlineModelMaps(aircraft, index, airline, model);
    }
    const std::string_view airlineText = gf_airlineCodeText(airline);
    const std::string_view secondText = gf_airlineCodeText(second);
    const std::uint16_t combined = gf_airlineId(fmt::format("{}{}", airlineText, secondText));
    return lf_matchInAirlineModelMaps(aircraft, index, combined, model) ||
           lf_matchByAirlineWord(aircraft, index, second, model, airlineText) ||
           lf_matchByAirlineWord(aircraft, index, airline, model, secondText) ||
           lf_matchInAirlineModelMaps(aircraft, index, second, model) ||
           lf_matchInAirlineModelMaps(aircraft, index, airline, model);
}

bool lf_matchAirlineModel(AcBase& aircraft, ModelKey key) {
    if (key.cargo != 0 && lf_matchStep(aircraft, key, kCargo)) return true;
    return lf_matchStep(aircraft, key, kPax);
}

bool lf_matchSameCategory(AcBase& aircraft, ModelKey key) {
    const std::uint16_t airline = key.secondAirlineId != 0 ? key.secondAirlineId : key.airlineId;
    ModelIds* models = lf_airlineSimilarModels(airline, key.modelId);
    if (models == nullptr) return false;
    gf_shuffle(*models);
    for (const std::uint16_t model : *models) {
        if (gf_modelCategory(model) != aircraft.sizeCategory) continue;
        ModelKey other = key;
        other.modelId = model;
        if (lf_matchAirlineModel(aircraft, other)) return true;
    }
    return false;
}

bool lf_matchByModel(AcBase& aircraft, std::uint16_t model) {
    if (aircraft.registration.empty()) return false;
    const IdMap<TitleList>& byModel = lf_modelMap(aircraft.modelKey.cargo != 0 ? kCargo : kPax);
    const auto found = byModel.find(model);
    if (found == byModel.end() || found->second.empty()) return false;
    if (lf_pickByPrefixes(aircraft, found->second)) return true;
    lf_pickRandomCandidate(aircraft, found->second);
    return lf_hasTitle(aircraft);
}

void lf_matchAnyLivery(AcBase& aircraft, bool cargo, std::uint64_t& step) {
    ModelKey generic = aircraft.modelKey;
    generic.cargo = aircraft.modelKey.cargo != 0 || cargo ? 1 : 0;
    generic.airlineId = lf_genericAirlineId();
    if (lf_matchAirlineModel(aircraft, generic)) {
        step = 4;
        return;
    }
    const SizeCategory category = aircraft.sizeCategory;
    if (category != SizeCategory::Light && category != SizeCategory::Buzjets && category != SizeCategory::Rotorcraft)
        return;
    if (lf_matchByModel(aircraft, aircraft.modelKey.modelId)) {
        step = 5;
        return;
    }
    for (const std::uint16_t model : lf_lastStepModels(aircraft.modelKey.modelId)) {
        if (lf_matchByModel(aircraft, model)) {
            step = 6;
            return;
        }
    }
}

bool lf_acceptLivery(AcBase& aircraft, std::uint64_t step) {
    if (lf_isExcludedTitle(aircraft.liveryTitle)) {
        aircraft.liveryTitle = {};
        return false;
    }
    if (step >= kMatchSteps) throw std::out_of_range(fmt::format("livery matching step {} out of range", step));
    ++g_matchStepCounts[step];
    gf_log(fmt::format("          {} ={}= {}", gf_acText(aircraft), step, aircraft.liveryTitle));
    aircraft.fsltlTitle = aircraft.liveryTitle.find(kFsltlMark) != std::string_view::npos ? 1 : 0;
    return true;
}

void gf_matchLiveryLive(AcBase& aircraft) {
    const std::int32_t depth = MATCHING_DEPTH.value;
    const ModelKey key = aircraft.modelKey;
    if (lf_matchRegistration(aircraft)) {
        const std::uint64_t step = g_singleSpecialRegcodes.contains(aircraft.registration) ? 0 : 1;
        if (lf_acceptLivery(aircraft, step)) return;
    }
    if (depth < 2) return;
    if (lf_isPrivate(key.airlineId)) {
        ModelKey generic = key;
        generic.airlineId = lf_genericAirlineId();
        if (lf_matchAirlineModel(aircraft, generic) && lf_acceptLivery(aircraft, 4)) return;
    }
    if (lf_matchAirlineModel(aircraft, key) && lf_acceptLivery(aircraft, 2)) return;
    if (depth < 3) return;
    if (lf_matchSameCategory(aircraft, key) && lf_acceptLivery(aircraft, 3)) return;
    if (depth != 4) return;
    std::uint64_t step = 0;
    lf_matchAnyLivery(aircraft, false, step);
    if (lf_hasTitle(aircraft)) lf_acceptLivery(aircraft, step);
}
