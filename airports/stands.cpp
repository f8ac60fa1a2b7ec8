#include "airports/stands.h"

#include "airports/stand_search.h"
#include "airports/state.h"

#include <algorithm>
#include <utility>

namespace {
constexpr std::size_t kAdjacentReserved = 8;
}  // namespace

std::vector<Stand> g_stands;

Stand::Stand(std::vector<StandUse>&& usesIn, std::string&& nameIn, double latitudeIn, double longitudeIn,
             double headingRad, double radiusMetres, bool cargoIn, bool rampIn, bool heliIn)
    : uses(std::move(usesIn)),
      name(std::move(nameIn)),
      latitude(latitudeIn),
      longitude(longitudeIn),
      heading(headingRad),
      radius(radiusMetres * kNmPerMetre),
      cargo(cargoIn ? 1 : 0),
      ramp(rampIn ? 1 : 0),
      heli(heliIn ? 1 : 0) {
    adjacentIds.reserve(kAdjacentReserved);
}

void gf_clearStands() {
    const std::lock_guard lock(g_standsMutex);
    g_stands.clear();
    lf_forgetStandName();
}

Stand* gf_standById(std::int32_t standId) {
    const auto it = std::lower_bound(g_stands.begin(), g_stands.end(), standId,
                                     [](const Stand& stand, std::int32_t id) { return stand.standId < id; });
    return it != g_stands.end() && it->standId == standId ? &*it : nullptr;
}

void gf_markStandsTaken(Stand& stand) {
    stand.taken = 1;
    for (const std::int32_t id : stand.adjacentIds)
        if (Stand* neighbour = gf_standById(id)) neighbour->adjacentTaken = 1;
}
