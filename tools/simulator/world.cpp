#include "tools/simulator/world.h"

#include <algorithm>
#include <cmath>

#include "foundation/geodesy.h"

namespace simulator {

namespace {

constexpr std::size_t kMaxTrackPoints = 20000;
constexpr double kTrackStepNm = 10.0 / kMetersPerNm;  // a new track point every 10 m
constexpr double kTrackStepSeconds = 10.0;            // or every 10 s while standing
// or on every 10 degrees of turn: a turn on the spot followed by a move must not read as a
// step half way between the headings before and after it.
constexpr double kTrackTurnRad = 10.0 * std::numbers::pi / 180.0;

void extendTrack(std::vector<TrackPoint>& track, double time, const AircraftState& s, bool force) {
    if (!track.empty() && !force) {
        const TrackPoint& last = track.back();
        const double moved = gf_distanceNm(last.latitude, last.longitude, s.latitude, s.longitude);
        const double turned = std::abs(std::remainder(s.headingRad - last.headingRad, 2.0 * std::numbers::pi));
        if (moved < kTrackStepNm && time - last.time < kTrackStepSeconds &&
            std::abs(last.altitudeFt - s.altitudeFt) < 30 && turned < kTrackTurnRad)
            return;
    }
    track.push_back(TrackPoint{time, s.latitude, s.longitude, s.altitudeFt, s.headingRad});
    if (track.size() > kMaxTrackPoints) {
        // Keep every second point, the first and the last, so long runs stay drawable.
        std::vector<TrackPoint> thinned;
        thinned.reserve(track.size() / 2 + 2);
        for (std::size_t i = 0; i < track.size(); i += 2) thinned.push_back(track[i]);
        if (thinned.back().time != track.back().time) thinned.push_back(track.back());
        track = std::move(thinned);
    }
}

// The civil date of a count of days since 1970-01-01.
void civilFromDays(std::int64_t days, int& year, int& month, int& day) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

}  // namespace

std::int64_t daysFromCivil(int year, int month, int day) {
    const std::int64_t y = year - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

void placeUser(World& world) {
    UserAircraft& user = world.user;
    const auto& path = user.path;
    if (path.empty()) return;
    AircraftState& s = user.state;
    const double t = world.simTime;
    const double previousLat = s.latitude, previousLon = s.longitude;

    std::size_t i = 0;
    while (i + 1 < path.size() && path[i + 1].time <= t) ++i;
    const UserWaypoint& a = path[i];
    const bool flying = i + 1 < path.size() && !path[i + 1].jump && t >= a.time && path[i + 1].time > a.time;
    if (flying) {
        const UserWaypoint& b = path[i + 1];
        const double span = b.time - a.time;
        const double f = (t - a.time) / span;
        s.latitude = a.latitude + (b.latitude - a.latitude) * f;
        s.longitude = a.longitude + (b.longitude - a.longitude) * f;
        s.altitudeFt = a.altitudeFt + (b.altitudeFt - a.altitudeFt) * f;
        s.onGround = f < 0.5 ? a.onGround : b.onGround;
        const double distanceNm = gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude);
        s.groundSpeedKnots = distanceNm / (span / 3600.0);
        s.verticalSpeedFps = (b.altitudeFt - a.altitudeFt) / span;
        if (a.headingDeg)
            s.headingRad = *a.headingDeg * kDegToRad;
        else if (distanceNm > 0)
            s.headingRad = gf_bearingRad(GeoPoint{a.latitude, a.longitude}, GeoPoint{b.latitude, b.longitude});
    } else {
        s.latitude = a.latitude;
        s.longitude = a.longitude;
        s.altitudeFt = a.altitudeFt;
        s.onGround = a.onGround;
        s.groundSpeedKnots = 0;
        s.verticalSpeedFps = 0;
        if (a.headingDeg) s.headingRad = *a.headingDeg * kDegToRad;
    }
    s.airspeedKnots = s.groundSpeedKnots;
    const bool jumped = gf_distanceNm(previousLat, previousLon, s.latitude, s.longitude) > 1.0;
    extendTrack(user.track, t, s, jumped);
}

void advanceWorld(World& world, double standInSeconds, double simSeconds) {
    world.standInTime += standInSeconds;
    if (world.simRunning && !world.paused) world.simTime += simSeconds;
    placeUser(world);
}

bool isUserObject(const World& world, std::uint32_t objectId) {
    return objectId == kUserObject || objectId == world.user.objectId;
}

AiObject* findLiveObject(World& world, std::uint32_t objectId) {
    for (AiObject& object : world.objects)
        if (object.id == objectId && object.live()) return &object;
    return nullptr;
}

const AiObject* findLiveObject(const World& world, std::uint32_t objectId) {
    for (const AiObject& object : world.objects)
        if (object.id == objectId && object.live()) return &object;
    return nullptr;
}

AiObject* findLiveObjectByTail(World& world, const std::string& tailNumber) {
    for (AiObject& object : world.objects)
        if (object.tailNumber == tailNumber && object.live()) return &object;
    return nullptr;
}

std::size_t liveObjectCount(const World& world) {
    return static_cast<std::size_t>(
        std::count_if(world.objects.begin(), world.objects.end(), [](const AiObject& o) { return o.live(); }));
}

AiObject& addObject(World& world, AiObject object) {
    object.id = world.nextObjectId++;
    object.createdAt = world.simTime;
    extendTrack(object.track, world.simTime, object.state, true);
    world.objects.push_back(std::move(object));
    return world.objects.back();
}

void removeObject(World& world, AiObject& object, std::string reason) {
    object.removedAt = world.simTime;
    object.removeReason = std::move(reason);
    extendTrack(object.track, world.simTime, object.state, true);
}

void noteObjectMoved(World& world, AiObject& object) {
    ++object.positionUpdates;
    extendTrack(object.track, world.simTime, object.state, false);
}

double altitudeAboveGroundFt(const World& world, const AircraftState& state) {
    return state.altitudeFt - world.terrainFt;
}

bool aiOnGround(const World& world, const AiObject& object) {
    return altitudeAboveGroundFt(world, object.state) <= world.staticCgFt + 2.0;
}

ZuluTime zuluNow(const World& world) {
    const double now = static_cast<double>(world.zuluStart) + world.simTime;
    const double days = std::floor(now / 86400.0);
    ZuluTime z;
    z.secondsOfDay = now - days * 86400.0;
    civilFromDays(static_cast<std::int64_t>(days), z.year, z.month, z.dayOfMonth);
    z.dayOfYear = static_cast<int>(static_cast<std::int64_t>(days) - daysFromCivil(z.year, 1, 1)) + 1;
    return z;
}

}  // namespace simulator
