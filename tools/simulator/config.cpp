#include "tools/simulator/config.h"

#include <algorithm>

#include "foundation/geodesy.h"

namespace simulator {

UserWaypoint defaultUserWaypoint(const SimulatorConfig& config) {
    UserWaypoint waypoint;
    waypoint.latitude = 47.4581;
    waypoint.longitude = 8.5480;
    waypoint.altitudeFt = config.terrainFt + 6;
    waypoint.onGround = true;
    waypoint.headingDeg = 280.0;
    return waypoint;
}

World makeWorld(const SimulatorConfig& config) {
    World world;
    world.zuluStart = config.zuluStart;
    world.simRunning = config.simRunning;
    world.terrainFt = config.terrainFt;
    world.staticCgFt = config.staticCgFt;
    world.staticPitchRad = config.staticPitchDeg * kDegToRad;
    world.nextObjectId = config.aiIdBase;
    world.user.objectId = config.userId;
    world.user.title = config.userTitle;
    world.user.model = config.userModel;
    world.user.atcId = config.userAtcId;
    world.user.state.lights = config.userLights;
    world.user.path = config.userPath;
    if (world.user.path.empty()) world.user.path.push_back(defaultUserWaypoint(config));
    std::stable_sort(world.user.path.begin(), world.user.path.end(),
                     [](const UserWaypoint& a, const UserWaypoint& b) { return a.time < b.time; });
    placeUser(world);
    return world;
}

}  // namespace simulator
