// The stand-in's world: the clock, a scripted user aircraft, the AI objects
// that clients created (kept after removal, for the dump and the map) and
// one terrain elevation everywhere.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/simulator/protocol_ids.h"

namespace simulator {

struct TrackPoint {
    double time = 0;  // simulator seconds
    double latitude = 0, longitude = 0, altitudeFt = 0;
    double headingRad = 0;
};

// What one aircraft is doing; the user aircraft and AI objects share it.
struct AircraftState {
    double latitude = 0, longitude = 0;  // degrees
    double altitudeFt = 0;
    double pitchRad = 0, bankRad = 0, headingRad = 0;  // pitch negative nose up
    double verticalSpeedFps = 0, airspeedKnots = 0, groundSpeedKnots = 0;
    bool onGround = false;  // the user's comes from the script; an AI object's is derived
    std::uint32_t lights = 0;
    bool gearDown = true;
    std::uint32_t flaps = 0, spoilers = 0, throttle = 0;  // event values, 0..16383
    double spoilersHandlePercent = 0;
    std::array<double, 4> throttleLeverPercent{};
    bool enginesRunning = false;
    bool parkingBrake = false;
};

struct AiObject {
    std::uint32_t id = 0;
    int client = 0;  // the client that created it; 0: the simulator's own traffic
    std::uint32_t createSerial = 0;
    std::uint32_t createRequestId = 0;
    std::string title;       // ANSI bytes as received
    std::string tailNumber;  // ANSI bytes as received; answered byte for byte as ATC ID
    ObjectType type = ObjectType::Aircraft;
    AircraftState state;
    bool frozenLatLon = false, frozenAltitude = false, frozenAttitude = false;
    bool released = false;
    std::string flightPlanPath;  // UTF-8
    std::string flightPlanType, flightPlanFrom, flightPlanTo;
    double createdAt = 0;
    std::optional<double> removedAt;
    std::string removeReason;
    std::uint64_t positionUpdates = 0;
    std::uint64_t eventsReceived = 0;
    std::vector<TrackPoint> track;

    bool live() const { return !removedAt.has_value(); }
};

struct UserWaypoint {
    double time = 0;  // simulator seconds
    double latitude = 0, longitude = 0, altitudeFt = 0;
    bool onGround = true;
    std::optional<double> headingDeg;  // else the bearing towards the next waypoint
    bool jump = false;                 // reached by a jump, not by flying from the one before
};

struct UserAircraft {
    std::uint32_t objectId = 1;
    std::string title, model, atcId;
    AircraftState state;
    std::vector<UserWaypoint> path;  // sorted by time
    std::vector<TrackPoint> track;
};

struct World {
    double standInTime = 0;      // seconds since the stand-in started serving; runs on while paused
    double simTime = 0;          // simulator seconds; stops while paused or while no flight runs
    std::int64_t zuluStart = 0;  // Unix seconds at simulator time 0
    bool simRunning = true;
    bool paused = false;
    double terrainFt = 0;
    double staticCgFt = 9.0;
    double staticPitchRad = 0.0;
    std::uint32_t nextObjectId = 100;
    UserAircraft user;
    std::vector<AiObject> objects;  // in creation order, removed ones included
};

// Moves the clocks on; the simulator clock only while a flight runs unpaused.
// Then places the user aircraft where its path says.
void advanceWorld(World& world, double standInSeconds, double simSeconds);
// Places the user aircraft at the simulator time (also used at start).
void placeUser(World& world);

bool isUserObject(const World& world, std::uint32_t objectId);
AiObject* findLiveObject(World& world, std::uint32_t objectId);
const AiObject* findLiveObject(const World& world, std::uint32_t objectId);
AiObject* findLiveObjectByTail(World& world, const std::string& tailNumber);
std::size_t liveObjectCount(const World& world);

AiObject& addObject(World& world, AiObject object);
void removeObject(World& world, AiObject& object, std::string reason);
// Records a new position of an AI object and extends its track.
void noteObjectMoved(World& world, AiObject& object);

double altitudeAboveGroundFt(const World& world, const AircraftState& state);
// An AI object stands on the ground when its height above the terrain is at
// most its static centre-of-gravity height plus 2 feet.
bool aiOnGround(const World& world, const AiObject& object);

struct ZuluTime {
    double secondsOfDay = 0;
    int dayOfYear = 1;  // 1-based
    int year = 1970, month = 1, dayOfMonth = 1;
};
ZuluTime zuluNow(const World& world);
// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(int year, int month, int day);

}  // namespace simulator
