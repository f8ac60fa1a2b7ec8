// Drives one stand-in session in memory, frame by frame, with golden
// packets, and hands back the messages the stand-in sent; and the exact
// registration the program makes after its Open.
#pragma once

#include <string>
#include <vector>

#include "golden_packets.h"
#include "tools/simulator/session.h"
#include "tools/simulator/simulation.h"

namespace golden {

struct Datum {
    const char* name;
    const char* units;
    std::uint32_t type;  // 2 INT64, 4 FLOAT64, 6 STRING32, 11 STRINGV
};
struct Definition {
    std::uint32_t id;
    std::vector<Datum> datums;
};

// The program's data definitions, in the order it adds them.
inline const std::vector<Definition>& programDefinitions() {
    static const std::vector<Definition> definitions = {
        {407, {{"TITLE", "", 11}}},
        {408, {{"ATC MODEL", "", 6}}},
        {409, {{"SIM ON GROUND", "Bool", 2}}},
        {402,
         {{"Plane Latitude", "degree", 4},
          {"Plane Longitude", "degree", 4},
          {"Plane Pitch degrees", "radians", 4},
          {"Plane Bank degrees", "radians", 4},
          {"Plane Heading degrees true", "radians", 4},
          {"Plane Altitude", "feet", 4},
          {"Vertical Speed", "feet per second", 4},
          {"Airspeed True", "knots", 4}}},
        {403,
         {{"Plane Latitude", "degree", 4},
          {"Plane Longitude", "degree", 4},
          {"Plane Pitch degrees", "radians", 4},
          {"Plane Bank degrees", "radians", 4},
          {"Plane Heading degrees true", "radians", 4},
          {"Plane Altitude", "feet", 4},
          {"Plane Alt Above Ground", "feet", 4},
          {"Ground Velocity", "knots", 4},
          {"ZULU TIME", "Seconds", 2},
          {"ZULU DAY OF YEAR", "Number", 2},
          {"ZULU YEAR", "Number", 2},
          {"LIGHT STATES", "Mask", 2}}},
        {405, {{"Static CG to Ground", "feet", 4}, {"Static Pitch", "radians", 4}}},
        {406, {{"Light On States", "Mask", 2}}},
        {404,
         {{"Plane Alt Above Ground", "feet", 4},
          {"Ground Altitude", "feet", 4},
          {"SIM ON GROUND", "Bool", 2},
          {"ATC ID", "", 6}}},
        {401,
         {{"SPOILERS HANDLE POSITION", "percent", 4},
          {"GENERAL ENG THROTTLE LEVER POSITION:1", "percent", 4},
          {"GENERAL ENG THROTTLE LEVER POSITION:2", "percent", 4}}},
    };
    return definitions;
}

// The packets after Open (serials 2 to 74): subscriptions, definitions,
// mappings, group additions, priority.
inline std::vector<Bytes> programRegistration() {
    std::vector<Bytes> out;
    std::uint32_t serial = 1;
    const std::pair<std::uint32_t, const char*> systemEvents[] = {{201, "Sim"},           {202, "ObjectAdded"},
                                                                  {203, "ObjectRemoved"}, {205, "PositionChanged"},
                                                                  {206, "FlightLoaded"},  {204, "Frame"}};
    for (const auto& [id, name] : systemEvents) out.push_back(subscribe(++serial, id, name));
    for (const Definition& d : programDefinitions())
        for (const Datum& datum : d.datums)
            out.push_back(addToDefinition(++serial, d.id, datum.name, datum.units, datum.type));
    const std::pair<std::uint32_t, const char*> events[] = {{220, "GEAR_SET"},
                                                            {221, "ENGINE_AUTO_START"},
                                                            {222, "ENGINE_AUTO_SHUTDOWN"},
                                                            {223, "THROTTLE_SET"},
                                                            {218, "FLAPS_SET"},
                                                            {219, "SPOILERS_SET"},
                                                            {208, "NAV_LIGHTS_SET"},
                                                            {207, "BEACON_LIGHTS_SET"},
                                                            {211, "LANDING_LIGHTS_SET"},
                                                            {209, "TAXI_LIGHTS_SET"},
                                                            {210, "STROBES_SET"},
                                                            {213, "LOGO_LIGHTS_SET"},
                                                            {212, "CABIN_LIGHTS_SET"},
                                                            {214, "ALL_LIGHTS_TOGGLE"},
                                                            {215, "FREEZE_LATITUDE_LONGITUDE_SET"},
                                                            {216, "FREEZE_ALTITUDE_SET"},
                                                            {217, "FREEZE_ATTITUDE_SET"}};
    for (const auto& [id, name] : events) out.push_back(mapEvent(++serial, id, name));
    for (std::uint32_t id :
         {208u, 207u, 211u, 209u, 210u, 213u, 212u, 214u, 218u, 219u, 220u, 222u, 223u, 215u, 216u, 217u})
        out.push_back(addToGroup(++serial, 301, id, 1));
    out.push_back(groupPriority(++serial, 301, 1));
    return out;
}

inline simulator::SimulatorConfig quietConfig() {
    simulator::SimulatorConfig config;
    config.frameRate = 30;
    return config;
}

struct Harness {
    simulator::Simulation sim;
    simulator::Session session;
    std::uint32_t serial = 0;

    explicit Harness(simulator::SimulatorConfig config = quietConfig())
        : sim(simulator::makeSimulation(std::move(config))), session(simulator::beginSession(sim, "test")) {}

    std::uint32_t next() { return ++serial; }

    std::vector<Message> take() {
        std::vector<Message> out;
        for (auto& bytes : session.outbox) out.push_back(Message{std::move(bytes)});
        session.outbox.clear();
        return out;
    }
    std::vector<Message> send(const Bytes& packet) {
        simulator::receivePacket(sim, session, packet);
        return take();
    }
    std::vector<Message> frames(int count = 1) {
        for (int i = 0; i < count; ++i) simulator::runFrame(sim, session);
        return take();
    }
    // Open and the program's whole registration; serial ends at 74.
    std::vector<Message> registerLikeTheProgram() {
        std::vector<Message> out = send(open(next(), "Velantra_P3D"));
        for (const Bytes& p : programRegistration()) {
            auto replies = send(p);
            out.insert(out.end(), replies.begin(), replies.end());
        }
        serial = 74;
        return out;
    }
};

}  // namespace golden
