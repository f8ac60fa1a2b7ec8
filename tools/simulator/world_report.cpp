#include "tools/simulator/world_report.h"

#include <cmath>
#include <fstream>

#include <fmt/format.h>

#include "foundation/file_helpers.h"
#include "foundation/geodesy.h"
#include "tools/simulator/datum_catalog.h"
#include "tools/simulator/request_packets.h"
#include "tools/simulator/reference_tracks.h"
#include "tools/simulator/track_map.h"

namespace simulator {

namespace {

double rounded(double value, double scale) {
    return std::round(value * scale) / scale;
}

std::string zuluText(const World& world) {
    const ZuluTime z = zuluNow(world);
    const auto seconds = static_cast<int>(z.secondsOfDay);
    return fmt::format("{:04}-{:02}-{:02}T{:02}:{:02}:{:02}Z", z.year, z.month, z.dayOfMonth, seconds / 3600,
                       seconds / 60 % 60, seconds % 60);
}

nlohmann::ordered_json lightsJson(std::uint32_t lights) {
    return {{"nav", (lights & kLightNav) != 0},         {"beacon", (lights & kLightBeacon) != 0},
            {"landing", (lights & kLightLanding) != 0}, {"taxi", (lights & kLightTaxi) != 0},
            {"strobe", (lights & kLightStrobe) != 0},   {"logo", (lights & kLightLogo) != 0},
            {"cabin", (lights & kLightCabin) != 0}};
}

nlohmann::ordered_json stateJson(const World& world, const AircraftState& s, bool onGround) {
    return {{"latitude", rounded(s.latitude, 1e7)},
            {"longitude", rounded(s.longitude, 1e7)},
            {"altitudeFt", rounded(s.altitudeFt, 100)},
            {"altitudeAboveGroundFt", rounded(altitudeAboveGroundFt(world, s), 100)},
            {"pitchDeg", rounded(s.pitchRad * kRadToDeg, 100)},
            {"bankDeg", rounded(s.bankRad * kRadToDeg, 100)},
            {"headingDeg", rounded(s.headingRad * kRadToDeg, 100)},
            {"verticalSpeedFpm", rounded(s.verticalSpeedFps * 60, 10)},
            {"airspeedKnots", rounded(s.airspeedKnots, 10)},
            {"groundSpeedKnots", rounded(s.groundSpeedKnots, 10)},
            {"onGround", onGround},
            {"lights", lightsJson(s.lights)},
            {"lightMask", s.lights},
            {"gearDown", s.gearDown},
            {"flaps", s.flaps},
            {"spoilers", s.spoilers},
            {"throttle", s.throttle},
            {"spoilersHandlePercent", s.spoilersHandlePercent},
            {"throttleLeverPercent", {s.throttleLeverPercent[0], s.throttleLeverPercent[1]}},
            {"enginesRunning", s.enginesRunning}};
}

nlohmann::ordered_json trackJson(const std::vector<TrackPoint>& track) {
    nlohmann::ordered_json points = nlohmann::ordered_json::array();
    for (const TrackPoint& p : track)
        points.push_back(
            {rounded(p.time, 1000), rounded(p.latitude, 1e7), rounded(p.longitude, 1e7), rounded(p.altitudeFt, 10)});
    return points;
}

nlohmann::ordered_json objectJson(const World& world, const AiObject& o) {
    nlohmann::ordered_json j = {
        {"id", o.id},
        {"client", o.client},
        {"title", ansiToUtf8(o.title)},
        {"tailNumber", ansiToUtf8(o.tailNumber)},
        {"type", o.type == ObjectType::Helicopter ? "helicopter" : "aircraft"},
        {"createSerial", o.createSerial},
        {"createRequestId", o.createRequestId},
        {"createdAt", rounded(o.createdAt, 1000)},
        {"live", o.live()},
        {"state", stateJson(world, o.state, aiOnGround(world, o))},
        {"frozen",
         {{"latitudeLongitude", o.frozenLatLon}, {"altitude", o.frozenAltitude}, {"attitude", o.frozenAttitude}}},
        {"released", o.released},
        {"positionUpdates", o.positionUpdates},
        {"eventsReceived", o.eventsReceived},
        {"track", trackJson(o.track)}};
    if (o.removedAt) {
        j["removedAt"] = rounded(*o.removedAt, 1000);
        j["removeReason"] = o.removeReason;
    }
    if (!o.flightPlanPath.empty())
        j["flightPlan"] = {{"path", o.flightPlanPath},
                           {"type", o.flightPlanType},
                           {"departure", o.flightPlanFrom},
                           {"destination", o.flightPlanTo}};
    return j;
}

}  // namespace

bool writeTextFile(const std::filesystem::path& path, const std::string& text) {
    return gf_writeFileAtomically(path, [&text](const std::filesystem::path& temporary) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        return static_cast<bool>(out);
    });
}

nlohmann::ordered_json worldJson(const Simulation& sim) {
    const World& world = sim.world;
    nlohmann::ordered_json objects = nlohmann::ordered_json::array();
    for (const AiObject& o : world.objects) objects.push_back(objectJson(world, o));
    nlohmann::ordered_json clients = nlohmann::ordered_json::array();
    for (const ClientSummary& c : sim.clients)
        clients.push_back({{"number", c.number},
                           {"peer", c.peer},
                           {"appName", c.appName},
                           {"protocol", c.protocol},
                           {"packets", c.packets},
                           {"replies", c.replies},
                           {"faults", c.faults},
                           {"end", c.end}});
    nlohmann::ordered_json faults = nlohmann::ordered_json::array();
    for (const Fault& f : sim.faults) {
        nlohmann::ordered_json j = {
            {"client", f.client}, {"serial", f.serial}, {"request", f.request}, {"reason", f.reason}};
        if (f.exception) {
            j["exception"] = *f.exception;
            j["index"] = f.index;
        }
        faults.push_back(std::move(j));
    }
    const UserAircraft& user = world.user;
    return {{"simulator", {{"name", ansiToUtf8(sim.config.simName)}, {"version", sim.config.simVersion}}},
            {"time",
             {{"standIn", rounded(world.standInTime, 1000)},
              {"sim", rounded(world.simTime, 1000)},
              {"zulu", zuluText(world)},
              {"frames", sim.frame}}},
            {"simRunning", world.simRunning},
            {"paused", world.paused},
            {"terrainElevationFt", world.terrainFt},
            {"user",
             {{"id", user.objectId},
              {"title", ansiToUtf8(user.title)},
              {"model", ansiToUtf8(user.model)},
              {"atcId", ansiToUtf8(user.atcId)},
              {"state", stateJson(world, user.state, user.state.onGround)},
              {"track", trackJson(user.track)}}},
            {"aiObjects", std::move(objects)},
            {"liveAiObjects", liveObjectCount(world)},
            {"clients", std::move(clients)},
            {"faults", std::move(faults)}};
}

bool writeReports(const Simulation& sim) {
    bool ok = true;
    if (!sim.config.worldFile.empty())
        ok = writeTextFile(
                 sim.config.worldFile,
                 worldJson(sim).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n") &&
             ok;
    if (!sim.config.mapFile.empty()) ok = writeTextFile(sim.config.mapFile, trackMapSvg(sim)) && ok;
    if (!sim.config.summaryFile.empty()) ok = writeTextFile(sim.config.summaryFile, summaryText(sim)) && ok;
    return ok;
}

}  // namespace simulator
