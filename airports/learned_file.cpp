#include "airports/learned_file.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <exception>

#include <gsl/narrow>

#include "airports/airport_files.h"
#include "airports/airport_settings.h"
#include "airports/half_hours.h"
#include "airports/stand_file.h"
#include "app/services/status_line.h"
#include "foundation/backups.h"
#include "foundation/info_block.h"
#include "foundation/log.h"
#include "settings/xml_params.h"
#include "traffic/engine_jobs.h"

namespace {
constexpr double kNearZeroDegrees = 0.0001;
constexpr std::string_view kHandmadeKey = "handmade";

// Same day, kind, registration and aircraft (cargo aside), and a half-hour in common.
bool duplicates(const StandUse& a, const StandUse& b) {
    return a.day == b.day && a.real == b.real && a.reg == b.reg && a.key.airlineId == b.key.airlineId &&
           a.key.secondAirlineId == b.key.secondAirlineId && a.key.modelId == b.key.modelId && (a.hh & b.hh) != 0;
}

void readManualStand(const std::string& name, const pugi::xml_node& parkpos, const std::string& pathText) {
    const bool exists = std::any_of(g_stands.begin(), g_stands.end(), [&](const Stand& s) { return s.name == name; });
    if (exists) {
        gf_logMarked(fmt::format("manually created standid {} already exists in {}", name, pathText));
        return;
    }
    const double latitude = parkpos.attribute("latitude").as_double(0.0);
    const double longitude = parkpos.attribute("longitude").as_double(0.0);
    const double radius = parkpos.attribute("radius").as_double(0.0);
    if ((std::abs(latitude) <= kNearZeroDegrees && std::abs(longitude) <= kNearZeroDegrees) || radius == 0.0) {
        gf_logMarked(fmt::format("manually created standid {} misses correct attributes in {}", name, pathText));
        return;
    }
    const std::size_t before = g_stands.size();
    lf_readStand(parkpos, name, 0);
    if (g_stands.size() > before) g_stands.back().manual = 1;
}

void mergeStands(const pugi::xml_node& document, bool older, const std::string& pathText) {
    const pugi::xml_node parkpositions = lf_parkPositionsNode(document);
    if (!parkpositions) return;
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos")) {
        const std::string name = parkpos.attribute("id").as_string();
        if (parkpos.attribute("manual").as_bool(false)) {
            readManualStand(name, parkpos, pathText);
            continue;
        }
        const bool merged = std::any_of(g_stands.begin(), g_stands.end(),
                                        [&](Stand& stand) { return lf_mergeLearned(name, parkpos, older, stand); });
        if (!merged) gf_log(fmt::format("learned stand {} in {} not found?", name, pathText));
    }
}

void readLearnedDocument(const pugi::xml_document& document, const std::filesystem::path& path,
                         const std::string& airportName) {
    const std::string pathText = lf_pathText(path);
    const std::optional<InfoRecord> info = gf_readInfoBlock(document, true);
    if (!info) {
        // The file is replaced when the airport is saved: keep what it held.
        gf_save1GenerationOf(path);
        gf_logMarked(fmt::format("{} has no program-info block, not used, saved as *.0.xml", pathText));
        return;
    }
    const bool older = VersionData(info->version) < kLearnedUsesVersion;
    if (older)
        gf_log("\nThis learned file was created with and older VLNT version than 11.10.0,\n"
               "All flights will be cleared, except for a handmade file\n");
    const std::string learnedName = gf_readXmlStringParam(document, "airport_name").value_or(std::string());
    if (learnedName != airportName)
        gf_setStatus(fmt::format("Warning: learned file airport name: '{}' differs from archived file airport name: '{}'",
                                 learnedName, airportName),
                     true);
    lf_applyLearnedSettings(document);
    if (const auto handmade = gf_readXmlStringParam(document, kHandmadeKey)) {
        g_handmade = true;
        gf_clearStands();
        lf_readStands(document);
        gf_logContinued(fmt::format("{:24}: {}", kHandmadeKey, *handmade));
        return;
    }
    g_handmade = false;
    mergeStands(document, older, pathText);
}

void addGroup(double& sum, double weight, const std::vector<const StandUse*>& group) {
    if (group.empty()) return;
    int bits = 0;
    std::array<bool, 8> days{};
    for (const StandUse* use : group) {
        bits += std::popcount(use->hh);
        if (use->day >= 1 && use->day <= 7) days[use->day] = true;
    }
    const auto n = static_cast<double>(group.size());
    const auto d = static_cast<double>(std::count(days.begin(), days.end(), true));
    sum += weight * (std::min(20.0 * n, 4000.0) + 10000.0 + 100.0 * d + 2.0 * std::min(bits, 600));
}

std::int32_t factorOf(double sum, double totalWeight) {
    const double q = std::round(sum / totalWeight * 0.00625);
    return std::clamp(gsl::narrow<std::int32_t>(q), 0, 100);
}
}  // namespace

void lf_readLearned(const std::filesystem::path& path, const std::string& airportName) {
    const std::string pathText = lf_pathText(path);
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(path.c_str());
    if (!parsed) {
        gf_save1GenerationOf(path);
        gf_logMarked(fmt::format("{} found, but could not be loaded, saved as *.0.xml: {}", pathText,
                                 parsed.description()));
        return;
    }
    gf_logAndFlush(fmt::format("Read from learned airport file: '{}'", pathText));
    try {
        readLearnedDocument(document, path, airportName);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "lf_readLearned", e.what()));
        // Saving what was read so far would cut the user's file short (a
        // handmade file's stand list ends at the faulty stand): it is kept
        // aside and never written over.
        g_learnedFileFault = e.what();
        gf_save1GenerationOf(path);
        gf_logMarked(fmt::format("{} found, but could not be loaded, saved as *.0.xml: {}", pathText, e.what()));
    }
}

bool lf_mergeLearned(const std::string& name, const pugi::xml_node& parkpos, bool older, Stand& stand) {
    if (stand.name != name) return false;
    if (parkpos.attribute("radius_change").as_bool(false)) {
        stand.radius = parkpos.attribute("radius").as_double(0.0) * kNmPerMetre;
        stand.radiusChanged = 1;
    }
    if (parkpos.attribute("cargo_change").as_bool(false)) {
        stand.cargo = parkpos.attribute("cargo").as_bool(false) ? 1 : 0;
        stand.cargoChanged = 1;
    }
    if (older) return true;
    std::int32_t next = stand.uses.empty() ? 1 : stand.uses.back().active + 1;
    for (const pugi::xml_node opt : parkpos.children("opt")) {
        StandOptionIdentity identity = lf_readStandOption(opt);
        StandUse use;
        use.hh = gf_hours2bitset(opt.attribute("hh").value());
        if (use.hh == 0) {
            gf_logMarked("empty bit set");
            continue;
        }
        use.key = identity.key;
        use.callsign = std::move(identity.callsign);
        use.callsign2 = std::move(identity.callsign2);
        use.reg = opt.attribute("reg").as_string();
        use.day = opt.attribute("day").as_uint(0);
        use.real = opt.attribute("soft").as_bool(false) ? 0 : 1;
        use.cpl = opt.attribute("cpl").as_bool(false) ? 1 : 0;
        use.active = next;
        use.fromAirportFile = 0;
        const bool known = std::any_of(stand.uses.begin(), stand.uses.end(),
                                       [&use](const StandUse& existing) { return duplicates(existing, use); });
        if (known) {
            gf_logMarked(fmt::format("learned {}: day:{} {} {} cs:{} reg:{} already in airport file", name, use.day,
                                     lf_bitset2hours(use.hh).value_or(""), gf_modelKeyText(use.key), use.callsign,
                                     use.reg));
            continue;
        }
        stand.uses.push_back(std::move(use));
        ++next;
    }
    return true;
}

QualityFactors lf_qualityFactors() {
    const bool anyUse = std::any_of(g_stands.begin(), g_stands.end(), [](const Stand& s) { return !s.uses.empty(); });
    if (!anyUse) return {};
    double totalWeight = 0.0, realSum = 0.0, softSum = 0.0;
    std::vector<const StandUse*> real, soft;
    for (const Stand& stand : g_stands) {
        // The radius is compared in the nautical miles the stand holds, so
        // every stand of ordinary size weighs 0.3.
        const double weight = stand.radius <= 7.0 ? 0.3 : stand.radius <= 10.0 ? 1.5 : 1.0;
        totalWeight += weight;
        real.clear();
        soft.clear();
        for (const StandUse& use : stand.uses)
            if (use.active != 0) (use.real != 0 ? real : soft).push_back(&use);
        addGroup(realSum, weight, real);
        addGroup(softSum, weight, soft);
    }
    return {factorOf(realSum, totalWeight), factorOf(softSum, totalWeight)};
}
