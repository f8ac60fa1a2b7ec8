#include "traffic/spawn.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <vector>

#include "airports/airport_services.h"
#include "app/services/state.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "liveries/livery_services.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "settings/settings.h"
#include "simlink/state.h"
#include "traffic/ac_texts.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/park_airport.h"
#include "traffic/removal.h"
#include "traffic/report_gate.h"
#include "traffic/stand_moves.h"
#include "traffic/stand_parking.h"
#include "traffic/state.h"

namespace {
constexpr double kStaleUserDistanceNm = 0.08099352051835854;  // 150 m
constexpr double kNearUserSlowNm = 500.0 / kMetersPerNm;
constexpr double kSpawnStandSearchNm = 0.029697624190064796;  // 55 m
constexpr double kNewestNearFrontNm = 0.018898488120950324;   // 35 m
constexpr double kStreamAwayNm = 3.0 / kMetersPerNm;
constexpr double kParkAirportReachNm = 5.0;
// A stream on the ground may say nothing new for a quarter minute (a
// standing aircraft's record repeats seldom, a flipped flag is ignored): its
// one report waits this long past its time for the next before it goes.
constexpr std::int32_t kLoneGroundReportWaitTicks = 800;
constexpr double kGroundPitch = 0.010471975511965976;         // 0.6 degrees
constexpr double kAirbornePitchBase = -0.05235987755982989;   // -3 degrees
constexpr double kHeadingWrap = 6.283185307178586;

void erase(LiveAc& aircraft) { aircraft.eraseNow = 1; }
void dropFront(LiveAc& aircraft) { aircraft.samples.pop_front(); }

bool endsWithGhostMark(std::string_view callsign) { return !callsign.empty() && callsign.back() == '_'; }

GeoPoint positionOf(const PosSample& sample) { return GeoPoint{sample.lat, sample.lon}; }
GeoPoint userPosition() { return GeoPoint{g_userRef.lat, g_userRef.lon}; }

bool mixesAirAndGround(const std::deque<PosSample>& samples) {
    const bool anyAirborne = std::any_of(samples.begin(), samples.end(), [](const PosSample& s) { return s.airborne; });
    const bool anyOnGround = std::any_of(samples.begin(), samples.end(), [](const PosSample& s) { return !s.airborne; });
    return anyAirborne && anyOnGround;
}

// Active, or created already and waiting to be matched or configured: the
// pending spawns and the create queue hold the others on their way.
std::size_t countLiveInSimulator() {
    return static_cast<std::size_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& ac) {
        return ac.lifeState == AcLifeState::active ||
               (ac.lifeState == AcLifeState::adding2sim && ac.createSentTick >= 0);
    }));
}

const LiveAc* liveWithCallsign(std::string_view callsign) {
    for (const LiveAc& aircraft : g_liveAcs)
        if (aircraft.lifeState != AcLifeState::removingfromsim && aircraft.callsign == callsign) return &aircraft;
    return nullptr;
}

// The livery this hex id had before, unless its title has been excluded since.
std::string_view rememberedLivery(std::uint32_t hexId) {
    const auto found = g_liveryByHexId.find(hexId);
    if (found == g_liveryByHexId.end()) return {};
    if (g_excludedTitles.contains(found->second)) {
        g_liveryByHexId.erase(found);
        return {};
    }
    return found->second;
}

// False when no livery matches (the aircraft is then erased).
bool chooseLivery(LiveAc& aircraft) {
    if (!aircraft.liveryTitle.empty()) return true;
    aircraft.liveryTitle = rememberedLivery(aircraft.hexId);
    if (!aircraft.liveryTitle.empty()) return true;
    g_engineServices.matchLiveryLive(aircraft);
    if (aircraft.liveryTitle.empty()) {
        if (!aircraft.registration.empty()) g_noMatchAcs.insert(gf_acDescription(aircraft));
        erase(aircraft);
        return false;
    }
    g_liveryByHexId[aircraft.hexId] = aircraft.liveryTitle;
    return true;
}

// The reports the aircraft is born of, up to the first that shows it
// moving, show where its stream stands on the stand: the stand watch starts
// from them. (Its first report after them may come after a pause of the feed
// that hid a push, far off the stand.) Their own positions tell it: the
// samples of a standing stream all lie where it first came to rest.
void learnWhereItStands(LiveAc& aircraft) {
    constexpr double kMovingKt = 3.0;
    double north = 0.0, east = 0.0;
    int count = 0;
    const GeoPoint standPoint{aircraft.standLat, aircraft.standLon};
    const double eastScale = gf_metresPerDegreeLon(standPoint.lat);
    // (Those since the feed was last quiet long enough to hide a move.)
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    auto since = taken.begin();
    for (auto it = taken.begin(); it != taken.end(); ++it)
        if (it->silenceS >= kFeedPauseS) since = it;
    std::vector<PosSample> reports(since, taken.end());
    if (reports.empty()) reports.assign(aircraft.samples.begin(), aircraft.samples.end());
    if (reports.empty()) return;
    const GeoPoint first = gf_samplePoint(reports.front());
    for (const PosSample& sample : reports) {
        if (count >= kStandReportsMeant || sample.airborne != 0 || sample.groundSpeedKt >= kMovingKt) break;
        // (Nor one off the first farther than a standing stream wanders: a
        // push under way, whose fields read slow.)
        if (gf_distanceNm(first, gf_samplePoint(sample)) > kStandingNoiseNm) break;
        north += (sample.lat - standPoint.lat) * kMetresPerDegreeLat;
        east += gf_lonDifference(standPoint.lon, sample.lon) * eastScale;
        ++count;
        aircraft.standDistMax = std::max(aircraft.standDistMax, gf_distanceNm(gf_samplePoint(sample), standPoint));
    }
    if (count == 0) return;
    double lon = standPoint.lon + east / count / eastScale;
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    const GeoPoint mean{standPoint.lat + north / count / kMetresPerDegreeLat, lon};
    aircraft.standFirstLat = mean.lat;
    aircraft.standFirstLon = mean.lon;
    aircraft.standDistFirst = gf_distanceNm(mean, standPoint);
    aircraft.standReportsSeen = static_cast<std::uint8_t>(count);
    for (int k = 0; k < count; ++k)
        aircraft.standWanderNm = std::max(aircraft.standWanderNm, gf_distanceNm(gf_samplePoint(reports[k]), mean));
}

void placeOnStand(LiveAc& aircraft, const Stand& stand) {
    gf_takeStand(aircraft, stand);
    gf_setPhase(aircraft, AcPhase::parked);
    aircraft.parkedAt = g_daySlot.load();
    aircraft.parkedSince = g_engineServices.systemTime100ns();
    aircraft.standDistMax = 0.0;
    aircraft.standReportsSeen = 0;
    aircraft.standWanderNm = 0.0;
    aircraft.awayCount = 0;
    learnWhereItStands(aircraft);
    lf_placeAtStand(aircraft);
    aircraft.samples.resize(1);
    PosSample& front = aircraft.samples.front();
    front.lat = stand.latitude;
    front.lon = stand.longitude;
    front.trackDeg = stand.heading * kRadToDeg;
    g_engineServices.addRealStandOption(stand.standId, aircraft, 1);
    lf_removeMaxParkExceeded(1);
}
}  // namespace

void lf_stepBufferedAc(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return erase(aircraft);
    const PosSample& front = aircraft.samples.front();
    const std::int32_t wait = (!front.airborne && front.groundSpeedKt != 0.0) ? 300 : 100;
    if (g_tick.load(std::memory_order_relaxed) < front.dueTick - wait) return;
    if (aircraft.samples.size() == 1) {
        if (!front.airborne && g_tick.load(std::memory_order_relaxed) < front.dueTick + kLoneGroundReportWaitTicks)
            return;
        return erase(aircraft);
    }
    if (endsWithGhostMark(aircraft.callsign) &&
        std::find(g_ghostCallsigns.begin(), g_ghostCallsigns.end(), aircraft.callsign) != g_ghostCallsigns.end())
        return erase(aircraft);
    if (mixesAirAndGround(aircraft.samples)) return dropFront(aircraft);
    if (lf_dropStaleSamples(aircraft)) return;
    if (g_liveCreateQueue.size() >= 11 && aircraft.phase == AcPhase::birth) return dropFront(aircraft);
    const std::int32_t maxLive = MAX_LIVE_SEL.value;
    if (maxLive == 0) return erase(aircraft);
    const std::size_t underWay = countLiveInSimulator() + g_pendingSpawnHexIds.size() + g_liveCreateQueue.size();
    if (underWay >= static_cast<std::size_t>(maxLive) &&
        gf_removeFarthestAc(gf_distanceNm(userPosition(), positionOf(aircraft.samples.front()))))
        return erase(aircraft);
    const std::string blocked = BLOCK_CALLSIGN.value.get();
    if (!blocked.empty() && blocked == aircraft.callsign) return erase(aircraft);
    if (!aircraft.registration.empty()) {
        if (const std::optional<RegCodes> codes = gf_findRegistration(aircraft.registration)) {
            aircraft.modelKey = ModelKey{codes->airlineId, codes->secondAirlineId, codes->modelId, codes->cargo, 0};
            if (!gf_isPlaceholder(aircraft.callsign)) aircraft.callsign = aircraft.registration;
        }
    }
    if (aircraft.modelKey.airlineId == 0) {
        const std::optional<std::string> code = gf_normaliseCode(aircraft.callsign);
        aircraft.modelKey.airlineId = gf_airlineId(code ? *code : std::string("PVT"));
    }
    if (!gf_isPlaceholder(aircraft.callsign)) return erase(aircraft);
    if (g_noMatchAcs.contains(gf_acDescription(aircraft))) return erase(aircraft);
    if (!endsWithGhostMark(aircraft.callsign) || !lf_stripGhostSuffix(aircraft.callsign)) return spawnLiveAc(aircraft);
    erase(aircraft);
}

bool lf_dropStaleSamples(LiveAc& aircraft) {
    const PosSample& front = aircraft.samples.front();
    const auto drop = [&] {
        dropFront(aircraft);
        return true;
    };
    if (g_userOnGround.load()) {
        if (aircraft.nearUserDrop != 0) {
            if (g_userRef.groundVelocityKt > 8.0) return drop();
            if (!front.airborne) {
                const bool slowAndClear = front.groundSpeedKt <= 8.0 &&
                                          gf_distanceNm(positionOf(front), userPosition()) >= kNearUserSlowNm;
                if (!slowAndClear) return drop();
            }
        }
        if (front.airborne || !COLLISION_USER_GND.value) return false;
        if (gf_distanceNm(positionOf(front), userPosition()) < kStaleUserDistanceNm) return drop();
        return false;
    }
    if (!COLLISION_USER_AIR.value) return false;
    // Before its first spawn the record has no altitude or heading of its
    // own yet: the front sample gives them.
    aircraft.lat = front.lat;
    aircraft.lon = front.lon;
    aircraft.altitudeFt = front.altitudeFt;
    aircraft.heading = front.trackDeg * kDegToRad;
    if (lf_removeNearUser(aircraft, 1)) {
        aircraft.nearUserDrop = 1;
        return drop();
    }
    if (aircraft.nearUserDrop != 0) return drop();
    return false;
}

void spawnLiveAc(LiveAc& aircraft) {
    std::deque<PosSample>& samples = aircraft.samples;
    if (samples.size() < 2) {
        gf_logMarked(fmt::format("{} sz:{}", "spawnLiveAc", samples.size()));
        return;
    }
    if (samples[1].stationary) {
        samples[0].stationary = 1;
        samples[0].groundSpeedKt = 0.0;
        samples[1].groundSpeedKt = 0.0;
        if (samples.size() > 2 && samples[2].stationary) samples[2].groundSpeedKt = 0.0;
    } else {
        samples[0].stationary = 0;
    }
    if (aircraft.phase == AcPhase::birth) {
        if (!chooseLivery(aircraft)) return;
        if (samples.front().airborne) {
            gf_setPhase(aircraft, AcPhase::flying);
        } else if (const std::optional<Stand> stand = lf_chooseSpawnStand(aircraft)) {
            placeOnStand(aircraft, *stand);
        } else if (samples[1].stationary && lf_byAStand(aircraft)) {
            // By a stand it may not take (the user's, the reserved one, one
            // taken): it stays in the buffer for a moving sample.
            dropFront(aircraft);
            return;
        } else {
            gf_setPhase(aircraft, AcPhase::taxi);
        }
    }
    if (aircraft.eraseNow != 0) return;
    lf_setPosFromNewest(aircraft);
    aircraft.lifeState = AcLifeState::adding2sim;
    aircraft.createSentTick = -1;
    aircraft.createSerial = 0;
    g_pendingSpawnHexIds.push_back(aircraft.hexId);
    if (!endsWithGhostMark(aircraft.callsign)) lf_checkGhost(aircraft.callsign);
}

void lf_setPosFromNewest(LiveAc& aircraft) {
    const PosSample& front = aircraft.samples.front();
    g_replaceCheckIds.push_back(aircraft.hexId);
    aircraft.lat = front.lat;
    aircraft.lon = front.lon;
    aircraft.altitudeFt = front.altitudeFt;
    aircraft.trueAirspeedKt = front.trueAirspeedKt;
    // The sample carries feet per minute; the position block wants feet per second.
    aircraft.verticalSpeedFts = front.verticalSpeed / 60.0;
    if (front.airborne) {
        const double v = front.verticalSpeed;
        const double c = v >= 0.0 ? std::min(v, 2400.0) : std::max(v, -3000.0) * 0.5;
        aircraft.pitch = kAirbornePitchBase - c / 600.0 * 2.2 * kDegToRad;
    } else {
        aircraft.pitch = kGroundPitch;
    }
    aircraft.bank = front.bank.value_or(0.0);
    double heading = 0.0;
    if (aircraft.respawnHeadingValid != 0)
        heading = aircraft.respawnHeading;
    else if (aircraft.phase == AcPhase::parked || aircraft.samples.size() < 2)
        heading = aircraft.phase == AcPhase::parked ? aircraft.standHeading : front.trackDeg * kDegToRad;
    else if (aircraft.samples[1].stationary)
        heading = front.trackDeg * kDegToRad;
    else
        heading = gf_bearingRad(positionOf(front), positionOf(aircraft.samples[1]));
    heading = std::fmod(heading, kTwoPi);
    if (heading < 0.0) heading += kTwoPi;
    if (heading > kHeadingWrap) heading = 0.0;
    aircraft.heading = heading;
    aircraft.headingStep = front.airborne ? 0.0 : heading;
    aircraft.nearUserDrop = 0;
}

std::optional<Stand> lf_chooseSpawnStand(LiveAc& aircraft) {
    PosSample& front = aircraft.samples.front();
    if (g_stands.empty() || !g_parkAirport.code.isSet()) return std::nullopt;
    if (gf_distanceNm(positionOf(front), GeoPoint{g_parkAirport.latitude, g_parkAirport.longitude}) >
        kParkAirportReachNm)
        return std::nullopt;
    GeoPoint position = positionOf(front);
    if (!front.stationary) {
        const PosSample& newest = aircraft.samples.back();
        if (aircraft.samples[1].groundSpeedKt > 5.0 ||
            gf_distanceNm(positionOf(newest), positionOf(front)) > kNewestNearFrontNm)
            return std::nullopt;
        position = positionOf(newest);
    }
    const Stand* found = g_engineServices.findStandNear(position, aircraft, kSpawnStandSearchNm, front.stationary != 0);
    if (found == nullptr) return std::nullopt;
    // A slow stream first heard farther off the stand than any stands off
    // it, going away from it farther than its reports scatter, is pushed or
    // towed off it already (the feed was quiet meanwhile): the aircraft
    // starts where its stream is, not back on the stand with the reports of
    // the move lost. (The newest report heard tells it sooner than the
    // samples due.)
    if (!front.stationary) {
        const GeoPoint standAt{found->latitude, found->longitude};
        const double frontNm = gf_distanceNm(positionOf(front), standAt);
        const PosSample* heard = gf_lastHeardReport(aircraft);
        const PosSample& newest = heard != nullptr ? *heard : aircraft.samples.back();
        if (frontNm > kScatterReachNm &&
            gf_distanceNm(positionOf(aircraft.samples.back()), standAt) > frontNm + kStreamAwayNm &&
            gf_distanceNm(positionOf(newest), standAt) > frontNm + kStandingNoiseNm)
            return std::nullopt;
    }
    Stand stand = *found;
    if (!g_reservedStand.empty() && g_reservedStand == stand.name) return std::nullopt;
    if (stand.name == g_engineServices.standNameAt(userPosition())) return std::nullopt;
    const bool free = lf_standTaken(stand.standId, aircraft.callsign) &&
                      std::all_of(stand.adjacentIds.begin(), stand.adjacentIds.end(),
                                  [&](std::int32_t id) { return lf_standsAdjacent(id, aircraft, stand); });
    if (!free) {
        erase(aircraft);
        return std::nullopt;
    }
    lf_makeWay(aircraft, stand);
    front.stationary = 1;
    front.groundSpeedKt = 0.0;
    return stand;
}

bool lf_byAStand(const LiveAc& aircraft) {
    if (aircraft.samples.empty()) return false;
    const GeoPoint at = positionOf(aircraft.samples.front());
    const std::string userStand = g_engineServices.standNameAt(userPosition());
    return std::any_of(g_stands.begin(), g_stands.end(), [&](const Stand& stand) {
        const bool notItsOwn = stand.occupied != 0 || stand.name == userStand ||
                               (!g_reservedStand.empty() && stand.name == g_reservedStand);
        return notItsOwn && gf_distanceNm(at, GeoPoint{stand.latitude, stand.longitude}) <= kSpawnStandSearchNm;
    });
}

void lf_makeWay(const LiveAc& aircraft, const Stand& stand) {
    for (AcBase& parked : g_staticAcs) {
        if (parked.standId != stand.standId) continue;
        const bool sameAircraft =
            parked.prevCallsign == aircraft.callsign || parked.registration == aircraft.registration;
        const std::string line = fmt::format("{:8}: {:8} {} makes way for{} {} {}", stand.name, parked.callsign,
                                             parked.registration, sameAircraft ? " the same live version" : "",
                                             aircraft.callsign, aircraft.registration);
        if (parked.lifeState == AcLifeState::active) {
            gf_log(line);
            removeAircraftFromSim(parked);
        } else if (parked.lifeState == AcLifeState::adding2sim) {
            if (gf_dropPendingCreates(g_staticCreateQueue, parked.hexId)) {
                parked.eraseDropped = 1;
                gf_log("queued " + line);
            } else {
                parked.removeWhenCreated = 1;
            }
        }
        break;
    }
    std::erase_if(g_staticAcs, [](const AcBase& parked) { return parked.eraseDropped != 0; });
    for (const std::int32_t id : stand.adjacentIds) lf_makeWayAdjacent(aircraft, id, stand);
}

void lf_makeWayAdjacent(const LiveAc& aircraft, std::int32_t standId, const Stand& stand) {
    const Stand* adjacent = standId >= 1 ? gf_standById(standId) : nullptr;
    const GeoPoint where = adjacent != nullptr ? GeoPoint{adjacent->latitude, adjacent->longitude} : GeoPoint{};
    for (AcBase& parked : g_staticAcs) {
        if (parked.standId != standId || parked.lifeState != AcLifeState::active) continue;
        const double d = gf_distanceNm(where, GeoPoint{stand.latitude, stand.longitude});
        if (d > (aircraft.radiusNm + parked.radiusNm) * 1.1) continue;
        gf_log(fmt::format("{:8}: {:8} makes way for {} parking at excluded stand {}", lf_standNameById(standId),
                           parked.callsign, aircraft.callsign, stand.name));
        removeAircraftFromSim(parked);
        return;
    }
}

void lf_checkGhost(std::string_view callsign) {
    const std::string ghost = std::string(callsign) + "_";
    for (LiveAc& aircraft : g_liveAcs) {
        if (aircraft.lifeState == AcLifeState::removingfromsim || aircraft.callsign != ghost) continue;
        if (aircraft.phase == AcPhase::parked)
            gf_log(fmt::format("{:8}: {:8} is a ghost and will be removed, continue with {}",
                               lf_standNameById(aircraft.standId), ghost, callsign));
        else
            gf_log(fmt::format("          {:8} is a ghost and will be removed, continue with {}", ghost, callsign));
        g_ghostCallsigns.push_back(ghost);
        removeAircraftFromSim(aircraft);
        return;
    }
}

bool lf_stripGhostSuffix(std::string_view callsign) {
    const std::string_view stripped = callsign.empty() ? callsign : callsign.substr(0, callsign.size() - 1);
    return liveWithCallsign(stripped) != nullptr;
}
