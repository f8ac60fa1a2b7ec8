// Aircraft on the ground of a synthetic apron: a row of eight stands facing
// north, 60 m apart, with a cargo stand at its east end and a taxiway 100 m
// south of them; the real stand search; live aircraft placed straight into
// the table in the phase a test needs, and samples built by bearing and
// distance from a point.
#pragma once

#include <string>
#include <vector>

#include "airports/state.h"
#include "engine_fixture.h"
#include "traffic/extended_record.h"

namespace ground_test {

inline constexpr double kStandSpacingM = 60.0;
inline constexpr double kStandRadiusM = 25.0;
inline constexpr double kTaxiwaySouthM = 100.0;

// The point reached from `from` along a bearing (degrees) after `metres`.
inline GeoPoint moved(const GeoPoint& from, double bearingDeg, double metres) {
    return gf_destinationPoint(from, bearingDeg * kDegToRad, metres / kMetersPerNm * kFeetPerNm);
}
inline double metresBetween(const GeoPoint& a, const GeoPoint& b) { return gf_distanceNm(a, b) * kMetersPerNm; }

inline PosSample sampleAt(const GeoPoint& point, double speedKt, std::int32_t dueTick, double altitudeFt = 0.0) {
    PosSample sample;
    sample.lat = point.lat;
    sample.lon = point.lon;
    sample.altitudeFt = altitudeFt;
    sample.airborne = altitudeFt > 0.0 ? 1 : 0;
    sample.groundSpeedKt = sample.trueAirspeedKt = speedKt;
    sample.dueTick = dueTick;
    return sample;
}

class GroundTest : public engine_test::EngineTest {
protected:
    GroundTest() {
        g_liveAcs.reserve(64);  // places handed out stay valid
        g_engineServices.findStandNear = gf_findStandNear;
        makeApron();
    }
    ~GroundTest() override { g_airportFileRead = false; }

    void makeApron() {
        g_parkAirport.code = AirportCode("EDDX");
        g_parkAirport.code3 = ShortAirportCode("DDX");
        g_parkAirport.latitude = engine_test::kFieldLat;
        g_parkAirport.longitude = engine_test::kFieldLon;
        g_parkAirport.altitude = engine_test::kFieldElevationFt;
        g_stands.clear();
        const GeoPoint west{engine_test::kFieldLat, engine_test::kFieldLon};
        for (int k = 0; k < 9; ++k) {
            const GeoPoint at = moved(west, 90.0, k * kStandSpacingM);
            const bool cargo = k == 8;
            Stand stand({}, (cargo ? "C" : "S") + std::to_string(k + 1), at.lat, at.lon, 0.0,
                        cargo ? 35.0 : kStandRadiusM, cargo, false, false);
            stand.standId = k + 1;
            if (k > 0) stand.adjacentIds.push_back(k);
            if (k < 8) stand.adjacentIds.push_back(k + 2);
            g_stands.push_back(std::move(stand));
        }
        g_airportFileRead = true;
    }
    static Stand& stand(int id) { return *gf_standById(id); }
    static GeoPoint standPoint(int id) { return {stand(id).latitude, stand(id).longitude}; }
    // The taxiway's point south of a stand.
    static GeoPoint taxiway(int id) { return moved(standPoint(id), 180.0, kTaxiwaySouthM); }

    // An active live aircraft of the type at the point, in ground mode.
    LiveAc& place(const std::string& type, AcPhase phase, const GeoPoint& at, double headingDeg,
                  const std::string& callsign = "") {
        AcIdent ident;
        ident.callsign = callsign.empty() ? "KLM" + std::to_string(++count_) : callsign;
        ident.modelKey.modelId = gf_modelId(type);
        AcBase base = gf_extendAcRecord(ident);
        base.hexId = 40000 + static_cast<std::uint32_t>(g_liveAcs.size());
        base.turnRate = base.turnRateBase;
        const CategoryValues& values = gf_categoryValues(base.sizeCategory);
        base.climbPerTick = values.climbPerTick;
        base.taxiSpeedKt = values.taxiSpeedKt;
        base.staticCgHeight = 9.0;
        g_liveAcs.emplace_back(sampleAt(at, 0.0, g_tick.load()), std::move(base), 0.0);
        LiveAc& aircraft = g_liveAcs.back();
        aircraft.lifeState = AcLifeState::active;
        aircraft.objectId = 100 + aircraft.hexId;
        aircraft.groundMode = 1;
        aircraft.lat = at.lat;
        aircraft.lon = at.lon;
        aircraft.heading = headingDeg * kDegToRad;
        aircraft.targetBearing = aircraft.heading;
        aircraft.phase = phase;
        return aircraft;
    }
    // An aircraft parked on the stand, its front sample standing there.
    LiveAc& parkedOn(int standId, const std::string& type = "B738", const std::string& callsign = "") {
        const Stand& s = stand(standId);
        LiveAc& aircraft = place(type, AcPhase::parked, standPoint(standId), s.heading * kRadToDeg, callsign);
        aircraft.standLat = s.latitude;
        aircraft.standLon = s.longitude;
        aircraft.standHeading = s.heading;
        aircraft.standId = s.standId;
        aircraft.standCargo = s.cargo;
        aircraft.samples.front().stationary = 1;
        return aircraft;
    }

private:
    int count_ = 0;
};

}  // namespace ground_test
