#include "airports/stand_file.h"

#include <fmt/format.h>

#include <cmath>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "airports/half_hours.h"
#include "airports/stand_search.h"
#include "airports/state.h"
#include "foundation/file_helpers.h"
#include "foundation/geodesy.h"
#include "foundation/info_block.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "settings/xml_params.h"
#include "traffic/engine_jobs.h"

namespace fs = std::filesystem;

namespace {
constexpr int kBadIdCode = 93;
constexpr int kDuplicateIdCode = 94;
constexpr const char* kId = "id";

// A position, heading or radius that is not a finite number counts as absent.
double finiteOrZero(double value) { return std::isfinite(value) ? value : 0.0; }

std::string boolText(bool value) { return gf_paramValueText(value); }

bool addAttributes(pugi::xml_node node, std::initializer_list<std::pair<const char*, std::string>> attributes) {
    bool complete = true;
    for (const auto& [name, text] : attributes) complete = gf_addAttribute(node, name, text) && complete;
    return complete;
}

std::string metresText(double radiusNm) { return fmt::format("{:.1f}", radiusNm * kMetersPerNm); }

bool writeFullStand(pugi::xml_node parkpos, const Stand& stand) {
    bool complete = addAttributes(parkpos, {{"latitude", fmt::format("{:.6f}", stand.latitude)},
                                            {"longitude", fmt::format("{:.6f}", stand.longitude)},
                                            {"heading", fmt::format("{:.1f}", stand.heading * kRadToDeg)},
                                            {"radius", metresText(stand.radius)}});
    // A helicopter stand has no cargo flag.
    if (stand.heli != 0)
        complete = gf_addAttribute(parkpos, "heli", boolText(true)) && complete;
    else
        complete = gf_addAttribute(parkpos, "cargo", boolText(stand.cargo != 0)) && complete;
    complete = gf_addAttribute(parkpos, "ramp", boolText(stand.ramp != 0)) && complete;
    if (stand.manual != 0) complete = gf_addAttribute(parkpos, "manual", boolText(true)) && complete;
    return complete;
}

bool writeChanges(pugi::xml_node parkpos, const Stand& stand) {
    bool complete = true;
    if (stand.radiusChanged != 0)
        complete = addAttributes(parkpos, {{"radius_change", boolText(true)}, {"radius", metresText(stand.radius)}});
    if (stand.cargoChanged != 0)
        complete = addAttributes(parkpos, {{"cargo_change", boolText(true)}, {"cargo", boolText(stand.cargo != 0)}}) &&
                   complete;
    return complete;
}

// The "hh" text of a use, or none (logged) when it cannot be written. A
// handmade file is rewritten whole at every visit, so its uses whose
// half-hours are not one run are kept in the list form rather than lost.
std::optional<std::string> hourText(const StandUse& use, bool handmade) {
    std::optional<std::string> text = lf_formatHourRange(use.hh);
    if (!text && handmade) text = lf_bitset2hours(use.hh);
    if (!text)
        gf_logMarked(fmt::format("bit set problem: {} {} {}", use.reg, use.callsign, gf_modelKeyText(use.key)));
    return text;
}

bool writeUse(pugi::xml_node parkpos, const StandUse& use, const std::string& hh) {
    pugi::xml_node opt = parkpos.append_child("opt");
    if (!opt) return false;
    bool complete = gf_addAttribute(opt, "reg", use.reg);
    if (use.regOnly == 0)
        complete = addAttributes(opt, {{"airl", std::string(gf_airlineCodeText(use.key.airlineId))},
                                       {"type", std::string(gf_modelCodeText(use.key.modelId))}}) &&
                   complete;
    if (use.real == 0) complete = gf_addAttribute(opt, "soft", boolText(true)) && complete;
    complete = addAttributes(opt, {{"day", std::to_string(use.day)}, {"hh", hh}}) && complete;
    if (!use.callsign.empty()) {
        const std::string cs = use.callsign2.empty() ? use.callsign : use.callsign + ":" + use.callsign2;
        complete = gf_addAttribute(opt, "cs", cs) && complete;
    }
    if (use.cpl != 0) complete = gf_addAttribute(opt, "cpl", boolText(true)) && complete;
    return complete;
}

bool writeStand(pugi::xml_node parkpositions, const Stand& stand, int kind, bool handmade) {
    pugi::xml_node parkpos = parkpositions.append_child("parkpos");
    if (!parkpos || !gf_addAttribute(parkpos, kId, stand.name)) return false;
    const bool changed = stand.radiusChanged != 0 || stand.cargoChanged != 0;
    bool complete = true;
    // A handmade file is read as the whole stand list: every stand keeps its
    // position, or it would be dropped at the next reading.
    if (kind == kGeneratedFileKind || stand.manual != 0 || handmade)
        complete = writeFullStand(parkpos, stand);
    else if (changed)
        complete = writeChanges(parkpos, stand);
    if (kind != kParkAirportFileKind) return complete;
    for (const StandUse& use : stand.uses) {
        if (use.active == 0) continue;
        const std::optional<std::string> hh = hourText(use, handmade);
        if (!hh) continue;
        if (use.reg.empty() && !handmade) continue;
        complete = writeUse(parkpos, use, *hh) && complete;
    }
    return complete;
}
}  // namespace

ModelKey lf_keyOf(const RegCodes& codes) {
    return ModelKey{codes.airlineId, codes.secondAirlineId, codes.modelId, codes.cargo, 0};
}

pugi::xml_node lf_parkPositionsNode(const pugi::xml_node& document) {
    const pugi::xml_node root = document.child("root");
    return (root ? root : document).child("parkpositions");
}

void lf_readStands(const pugi::xml_node& document) {
    const pugi::xml_node parkpositions = lf_parkPositionsNode(document);
    if (!parkpositions) return;
    std::unordered_set<std::string> seen;
    int count = 0;
    for (const pugi::xml_node parkpos : parkpositions.children("parkpos")) {
        ++count;
        const pugi::xml_attribute id = parkpos.attribute(kId);
        if (!id) throw vlt::UserErrorException(kBadIdCode, fmt::format("Parking position #{} has no '{}' attribute.", count, kId));
        std::string name = gf_trimmed(id.value());
        if (name.empty()) throw vlt::UserErrorException(kBadIdCode, fmt::format("Stand #{} has empty '{}' attribute.", count, kId));
        if (!seen.insert(name).second)
            throw vlt::UserErrorException(kDuplicateIdCode, fmt::format("Stand '{}' appears more than once.", name));
        lf_readStand(parkpos, std::move(name), 1);
    }
}

void lf_readStand(const pugi::xml_node& parkpos, std::string name, std::int32_t fromAirportFile) {
    const double latitude = parkpos.attribute("latitude").as_double(0.0);
    const double longitude = parkpos.attribute("longitude").as_double(0.0);
    if ((latitude == 0.0 && longitude == 0.0) || !std::isfinite(latitude) || !std::isfinite(longitude)) {
        gf_logMarked(fmt::format("stand {} has no valid lat/lon", name));
        return;
    }
    const double radius = finiteOrZero(parkpos.attribute("radius").as_double(0.0));
    const double heading = finiteOrZero(parkpos.attribute("heading").as_double(0.0));
    const bool cargo = parkpos.attribute("cargo").as_bool(false);
    const bool ramp = parkpos.attribute("ramp").as_bool(false);
    const bool heli = parkpos.attribute("heli").as_bool(false);

    std::vector<StandUse> uses;
    uses.reserve(static_cast<std::size_t>(std::distance(parkpos.children("opt").begin(), parkpos.children("opt").end())));
    for (const pugi::xml_node opt : parkpos.children("opt")) {
        StandOptionIdentity identity = lf_readStandOption(opt);
        const std::string_view hh = opt.attribute("hh").value();
        const std::uint32_t day = opt.attribute("day").as_uint(0);
        if (hh.empty() || day < 1 || day > 7) continue;
        StandUse use;
        use.key = identity.key;
        use.reg = opt.attribute("reg").as_string();
        use.callsign = std::move(identity.callsign);
        use.callsign2 = std::move(identity.callsign2);
        use.hh = gf_hours2bitset(hh);
        use.active = static_cast<std::int32_t>(uses.size()) + 1;
        use.day = day;
        use.fromAirportFile = fromAirportFile;
        use.real = opt.attribute("soft").as_bool(false) ? 0 : 1;
        use.cpl = opt.attribute("cpl").as_bool(false) ? 1 : 0;
        uses.push_back(std::move(use));
    }
    Stand stand(std::move(uses), std::move(name), latitude, longitude, heading * kDegToRad, radius, cargo, ramp, heli);
    const std::lock_guard lock(g_standsMutex);
    g_stands.push_back(std::move(stand));
    lf_forgetStandName();  // an answer given while the table was being read may be wrong now
}

StandOptionIdentity lf_readStandOption(const pugi::xml_node& opt) {
    StandOptionIdentity identity;
    const std::string_view cs = opt.attribute("cs").value();
    const auto colon = cs.find(':');
    if (colon != std::string_view::npos) {
        identity.callsign = cs.substr(0, colon);
        identity.callsign2 = cs.substr(colon + 1);
    } else {
        identity.callsign = cs;
    }
    const std::optional<RegCodes> codes = gf_findRegistration(opt.attribute("reg").value());
    identity.key = codes ? lf_keyOf(*codes) : lf_readAirlineModel(opt);
    return identity;
}

ModelKey lf_readAirlineModel(const pugi::xml_node& opt) {
    ModelKey key;
    key.airlineId = gf_airlineId(opt.attribute("airl").value());
    key.modelId = gf_modelId(opt.attribute("type").value());
    return key;
}

bool lf_writeAirportInfo(pugi::xml_node root, const AirportFileData& data, int kind) {
    pugi::xml_node parameters = root.append_child("parameters");
    if (!parameters) return false;
    // A stale handmade flag must not mark a generated file.
    const bool handmade = kind == kParkAirportFileKind && g_handmade.load();
    bool complete = lf_appendStringParamNode(parameters, "airport_name", data.airport_name);
    complete = lf_appendStringParamNode(parameters, "publisher", data.publisher) && complete;
    if (handmade) complete = gf_appendXmlBoolParam(parameters, "handmade", true) && complete;
    if (handmade || kind == kGeneratedFileKind)
        complete = gf_appendXmlIntParam(parameters, "altitude", data.altitude) && complete;
    if (kind == kGeneratedFileKind)
        complete = gf_appendXmlIntParam(parameters, "num_parkpos", static_cast<std::int32_t>(data.stands.size())) &&
                   complete;
    if (handmade) {
        complete = gf_appendXmlIntParam(parameters, "Qf_real", data.Qf_real) && complete;
        complete = gf_appendXmlIntParam(parameters, "Qf_soft", data.Qf_soft) && complete;
    }
    if (data.publisher.empty()) complete = lf_appendStringParamNode(parameters, "BGLpath", data.BGLpath) && complete;
    if (kind != kParkAirportFileKind) return complete;
    complete = gf_appendXmlIntParam(parameters, g_keyRange, RANGE.value) && complete;
    complete = gf_appendXmlBoolParam(parameters, g_keyAutoRange, AUTO_RANGE.value) && complete;
    complete = gf_appendXmlBoolParam(parameters, g_keyWeek, WEEK.value) && complete;
    complete = gf_appendXmlBoolParam(parameters, g_keyParkSoft, PARK_SOFT.value) && complete;
    complete = gf_appendXmlIntParam(parameters, g_keyParkingPercentage, parking_percentage.value) && complete;
    complete = gf_appendXmlBoolParam(parameters, g_keyInitialLoadOnly, INITIAL_LOAD_ONLY.value) && complete;
    // MAX_FIT already holds twice the hours minus one.
    complete = gf_appendXmlIntParam(parameters, g_keyMaxFit, MAX_FIT.value) && complete;
    return gf_appendXmlIntParam(parameters, g_keyMaxLiveSel, MAX_LIVE_SEL.value) && complete;
}

bool lf_buildAirportDocument(pugi::xml_document& document, const AirportFileData& data, int kind, std::int32_t sim) {
    InfoRecord info;
    info.version = g_programVersion.toString();
    info.sim = sim;
    if (!gf_writeInfoBlock(document, info)) return false;
    pugi::xml_node root = document.child("root");
    if (!root) root = document.append_child("root");
    if (!root || !lf_writeAirportInfo(root, data, kind)) return false;
    pugi::xml_node parkpositions = root.append_child("parkpositions");
    if (!parkpositions) return false;
    const bool handmade = kind == kParkAirportFileKind && g_handmade.load();
    for (const Stand& stand : data.stands)
        if (!writeStand(parkpositions, stand, kind, handmade)) return false;
    return true;
}

bool gf_writeAirportFile(const AirportFileData& data, const fs::path& target, int kind, std::int32_t sim) {
    pugi::xml_document document;
    if (!lf_buildAirportDocument(document, data, kind, sim)) return false;
    if (target.has_parent_path()) {
        std::error_code error;
        fs::create_directories(target.parent_path(), error);
        if (error) {
            gf_logMarked(fmt::format("Could not create the folder of {}: {}", gf_wideToUtf8(target.u16string()), error.message()));
            return false;
        }
    }
    return gf_saveXmlDocument(document, target);
}
