// The motion of live aircraft driven tick by tick: the engine's fixture
// (engine_fixture.h) with aircraft put straight into the active state at
// their first sample, the user aircraft unknown and the simulator's removal
// answers held back, so a test can follow one aircraft to its removal.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine_fixture.h"
#include "settings/category_tables.h"

namespace motion_test {

inline constexpr std::uint32_t kObjectId = 101;

// One position sample; airborne when above 0 ft.
inline PosSample sampleAt(double lat, double lon, double altitudeFt, double speedKt, double verticalSpeed,
                          std::int32_t dueTick) {
    PosSample s;
    s.lat = lat;
    s.lon = lon;
    s.altitudeFt = altitudeFt;
    s.groundSpeedKt = speedKt;
    s.verticalSpeed = verticalSpeed;
    s.trueAirspeedKt = speedKt;
    s.dueTick = dueTick;
    s.airborne = altitudeFt > 0.0 ? 1 : 0;
    return s;
}

inline double deg(double rad) { return rad * kRadToDeg; }

// nm north of a latitude, on this program's sphere (1 nm = 1 arc minute).
inline double latPlusNm(double lat, double nm) { return lat + nm / 60.0; }

class MotionTest : public engine_test::EngineTest {
protected:
    MotionTest() { prepare(); }

    // A fresh engine and record for the next case of a table.
    void freshCase() {
        resetEngine();
        sim = engine_test::FakeSim{};
        prepare();
    }

    // An active live aircraft of the category at its first sample, heading
    // as given, with the category's steps and limits.
    LiveAc& addActive(SizeCategory category, const std::vector<PosSample>& samples, double headingDeg = 0.0) {
        const auto c = static_cast<std::uint32_t>(category);
        AcBase base;
        base.callsign = "TST123";
        base.registration = "PH-TST";
        base.hexId = 4844322 + static_cast<std::uint32_t>(g_liveAcs.size());
        base.sizeCategory = category;
        base.radiusNm = 0.01;
        base.staticCgHeight = sim.staticCgFt;
        base.staticPitch = 0.7 * kDegToRad;
        base.takeOffPitch = g_categoryTables.takeOffPitchDeg.at(c) * kDegToRad;
        base.climbPitch = g_categoryTables.climbPitchDeg.at(c) * kDegToRad;
        base.turnRateBase = base.turnRate = g_categoryTables.turnRateBase.at(c);
        base.climbPerTick = category == SizeCategory::Large ? 0.6 : category == SizeCategory::Heavy ? 0.5 : 0.75;
        base.flareSteps = g_categoryTables.flareSteps.at(c);
        base.touchdownSteps = g_categoryTables.touchdownSteps.at(c);
        base.rotationSteps = g_categoryTables.rotationSteps.at(c);
        base.climbOutSteps = g_categoryTables.climbOutSteps.at(c);
        LiveAc& ac = g_liveAcs.emplace_back(samples.front(), std::move(base), 0.0);
        for (std::size_t i = 1; i < samples.size(); ++i) ac.samples.push_back(samples[i]);
        ac.objectId = kObjectId + static_cast<std::uint32_t>(g_liveAcs.size()) - 1;
        ac.lifeState = AcLifeState::active;
        ac.lat = samples.front().lat;
        ac.lon = samples.front().lon;
        ac.altitudeFt = samples.front().altitudeFt;
        ac.heading = headingDeg * kDegToRad;
        ac.phase = samples.front().airborne ? AcPhase::flying : AcPhase::taxi;
        ac.groundMode = samples.front().airborne ? 0 : 1;
        ac.lastThrottle = 3;
        ac.lastFlaps = 0;
        return ac;
    }

    static void setParkAirport(double lat, double lon, float elevationFt) {
        g_parkAirport = AirportRecord{};
        g_parkAirport.code = AirportCode("EHAM");
        g_parkAirport.latitude = lat;
        g_parkAirport.longitude = lon;
        g_parkAirport.altitude = elevationFt;
    }

    void runUntil(std::int32_t tickNumber) { tickTo(tickNumber); }

private:
    void prepare() {
        g_userRef = UserState{};
        user = UserState{};
        sim.answerRemovals = false;
        g_liveAcs.reserve(64);  // references handed out by addActive stay valid
    }
};

}  // namespace motion_test
