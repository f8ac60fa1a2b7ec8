// The livery matching of static parked aircraft, and the matching summary.
#include <fmt/format.h>

#include <mutex>
#include <string>
#include <vector>

#include "airports/stands.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "liveries/live_matching.h"
#include "liveries/livery_services.h"
#include "liveries/state.h"
#include "refdata/code_tables.h"
#include "settings/file_names.h"
#include "settings/settings.h"
#include "traffic/ac_texts.h"
#include "traffic/state.h"

namespace {
constexpr std::string_view kSummaryTitle = "live traffic livery matching summary";
constexpr int kSummaryWidth = 100;

// A found title that is not excluded ends the matching with its log line;
// an excluded one is dropped and the next step is tried.
bool lf_acceptParked(AcBase& aircraft, bool found, std::uint64_t step) {
    if (!found) return false;
    if (lf_isExcludedTitle(aircraft.liveryTitle)) {
        aircraft.liveryTitle = {};
        return false;
    }
    gf_log(fmt::format("          {} ={}= {}", gf_acText(aircraft), step, aircraft.liveryTitle));
    return true;
}
}  // namespace

bool gf_matchLiveryParked(AcBase& aircraft, const Stand& stand) {
    if (!aircraft.liveryTitle.empty()) {
        gf_log(fmt::format("          {} =s= {}", gf_acText(aircraft), aircraft.liveryTitle));
        return true;
    }
    const std::int32_t depth = MATCHING_DEPTH.value;
    const ModelKey own = aircraft.modelKey;
    ModelKey atStand = own;
    atStand.cargo = stand.cargo;
    if (lf_matchRegistration(aircraft)) {
        const std::uint64_t step = g_singleSpecialRegcodes.contains(aircraft.registration) ? 0 : 1;
        if (lf_acceptParked(aircraft, true, step)) return true;
    }
    if (depth >= 2) {
        if (gf_airlineCodeText(own.airlineId) == "PVT") {
            atStand.airlineId = gf_airlineId(g_genericAirlineCode);
            if (lf_acceptParked(aircraft, lf_matchAirlineModel(aircraft, atStand), 4)) return true;
        }
        if (lf_acceptParked(aircraft, lf_matchAirlineModel(aircraft, own), 2)) return true;
        if (depth >= 3 && lf_acceptParked(aircraft, lf_matchSameCategory(aircraft, own), 3)) return true;
        if (depth == 4) {
            std::uint64_t step = 0;
            lf_matchAnyLivery(aircraft, stand.cargo != 0, step);
            if (lf_acceptParked(aircraft, !aircraft.liveryTitle.empty(), step)) return true;
        }
    }
    gf_log(fmt::format("{:8}: {} no livery match ...", stand.name, gf_acRegText(aircraft)));
    return false;
}

void gf_writeMatchingSummary() {
    std::vector<std::string> notCreated;
    for (const std::string& text : g_failedCreations) notCreated.push_back("  " + text);
    bool anyMatch = false;
    for (const std::uint32_t count : g_matchStepCounts) anyMatch = anyMatch || count != 0;
    if (!anyMatch) return;

    std::vector<std::string> lines;
    std::string banner;
    gf_makeBanner(banner, kSummaryWidth - static_cast<int>(kSummaryTitle.size()), 0, true, false, kSummaryTitle);
    lines.push_back(std::move(banner));
    lines.emplace_back("Matches at step: ");
    for (std::size_t step = 0; step < kMatchSteps; ++step)
        lines.push_back(fmt::format("  {}: {}", step, g_matchStepCounts[step]));
    if (!notCreated.empty()) {
        lines.emplace_back("\nCould not be created");
        lines.insert(lines.end(), notCreated.begin(), notCreated.end());
    }
    std::string closing;
    gf_makeBanner(closing, 64, 36, false, true, "");
    lines.push_back(std::move(closing));
    for (const std::string& line : lines) {
        const std::lock_guard lock(g_logMutex);
        if (g_logStream.is_open()) g_logStream << line << '\n';
    }
}
