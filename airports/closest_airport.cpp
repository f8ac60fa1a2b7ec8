#include "airports/closest_airport.h"

#include <fmt/format.h>

#include <exception>
#include <map>
#include <optional>
#include <vector>

#include <pugixml.hpp>

#include "airports/airport_files.h"
#include "airports/airport_services.h"
#include "airports/stand_file.h"
#include "airports/state.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"

namespace fs = std::filesystem;

namespace {
constexpr double kNoStandNm = 100.0;
constexpr double kServedNm = 5.0;
constexpr std::int64_t kRetryMilliseconds = 10 * 60 * 1000;

struct NamedPosition {
    std::string name;
    GeoPoint position;
};
// The stands of an airport as far as its file was read; a file that could
// not be had (a failed download, a file that does not load) is asked for
// again after a while.
struct StandsRead {
    std::vector<NamedPosition> stands;
    std::optional<std::int64_t> failedAt;  // milliseconds of the cache's clock; none: read
};
// The stands of each airport asked about in this run, so that an archived
// file is downloaded once and not at every control cycle; traffic thread.
std::map<AirportCode, StandsRead> g_closestStandCache;
MillisecondClock g_closestStandClock = &gf_steadyMilliseconds;  // traffic thread

// None when the airport's file could not be had; an airport without a file has no stands.
std::optional<std::vector<NamedPosition>> readStandPositions(const AirportCode& code) {
    std::vector<NamedPosition> stands;
    const std::string located = gf_locateAirportFile(code);
    if (located.empty()) return stands;
    fs::path file = gf_utf8Path(located);
    const bool downloaded = !lf_isLocalAirportFile(located);
    if (downloaded) {
        file = lf_destinationCopyPath();
        if (!lf_downloadAirportFile(located, file).empty()) return std::nullopt;
    }
    pugi::xml_document document;
    const bool loaded = document.load_file(file.c_str());
    if (loaded) {
        for (const pugi::xml_node parkpos : lf_parkPositionsNode(document).children("parkpos"))
            stands.push_back({parkpos.attribute("id").as_string(),
                              {parkpos.attribute("latitude").as_double(0.0), parkpos.attribute("longitude").as_double(0.0)}});
    }
    if (downloaded && fs::exists(file)) fs::remove(file);
    if (!loaded) return std::nullopt;
    return stands;
}

const std::vector<NamedPosition>& standsOf(const AirportCode& code) {
    const std::int64_t now = g_closestStandClock();
    const auto cached = g_closestStandCache.find(code);
    if (cached != g_closestStandCache.end() &&
        (!cached->second.failedAt || now - *cached->second.failedAt < kRetryMilliseconds))
        return cached->second.stands;
    StandsRead& entry = g_closestStandCache[code];
    entry = StandsRead{{}, now};  // stays so when the reading fails or throws
    if (std::optional<std::vector<NamedPosition>> stands = readStandPositions(code))
        entry = StandsRead{std::move(*stands), std::nullopt};
    return entry.stands;
}
}  // namespace

bool lf_airportServes(double distanceNm) { return distanceNm <= kServedNm; }

fs::path lf_destinationCopyPath() { return "airport.xml"; }

void lf_forgetClosestStands(MillisecondClock clock) {
    g_closestStandCache.clear();
    g_closestStandClock = clock;
}

double gf_readDestApfForClosestStand(const AirportCode& code, const GeoPoint& position, std::string& standName) {
    try {
        double best = kNoStandNm;
        for (const NamedPosition& stand : standsOf(code)) {
            const double distance = gf_distanceNm(position, stand.position);
            if (distance < best) {
                best = distance;
                standName = stand.name;
            }
        }
        return best;
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: {}", "gf_readDestApfForClosestStand", e.what()));
    }
    return kNoStandNm;
}

std::optional<AirportCode> gf_closestAirportStand(const GeoPoint& position) {
    double best = kNoStandNm;
    const AirportRecord* closest = nullptr;
    const AirportRecord* neighbour = nullptr;
    for (const AirportRecord& airport : g_airports) {
        const double distance = gf_distanceNm(position, GeoPoint{airport.latitude, airport.longitude});
        if (lf_airportServes(distance) && distance < best) {
            neighbour = closest;
            closest = &airport;
            best = distance;
        }
    }
    if (closest == nullptr) return std::nullopt;
    if (neighbour == nullptr) return closest->code;
    gf_log(fmt::format("Airport {} is closest, neighbour is {}", closest->code.text(), neighbour->code.text()));
    std::string closestStand, neighbourStand;
    const double toClosest = gf_readDestApfForClosestStand(closest->code, position, closestStand);
    const double toNeighbour = gf_readDestApfForClosestStand(neighbour->code, position, neighbourStand);
    if (toNeighbour >= toClosest) return closest->code;
    gf_log(fmt::format("Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} meters ...",
                       closest->code.text(), neighbourStand, neighbour->code.text(), toNeighbour * kMetersPerNm));
    return neighbour->code;
}
