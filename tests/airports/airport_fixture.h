// A fresh park-airport state for one test: the log open in a fresh current
// folder (the program's folder, with "airports" below it), every setting at
// its default, the reference data holding a few registrations, and no park
// airport, stands, static aircraft or learned state.
#pragma once

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <pugixml.hpp>

#include <filesystem>
#include <string>
#include <vector>

#include "airports/airport_files.h"
#include "airports/airport_services.h"
#include "airports/closest_airport.h"
#include "airports/stand_file.h"
#include "airports/state.h"
#include "app/services/state.h"
#include "foundation/time_texts.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "refdata/state.h"
#include "rtlink/traffic_feed.h"
#include "settings/control_updates.h"
#include "simlink/state.h"
#include "support/log_capture.h"
#include "support/store_fixture.h"
#include "traffic/engine_jobs.h"
#include "traffic/state.h"

namespace airports_test {

inline void resetAirportState() {
    gf_clearStands();
    g_airports.clear();
    g_airportCodes.clear();
    g_airportsLoaded = false;
    g_parkAirportList.clear();
    g_parkAirport = AirportRecord{};
    g_airportFileRead = false;
    g_handmade = false;
    g_rtTrafficWeek = 0;
    g_standCount = 0;
    g_qualityFactors = QualityFactors{};
    g_parkPublisherText = std::string();
    g_qualityText = std::string();
    g_learnedFilePath.clear();
    g_learnedFileFault.clear();
    g_parkAirportInfo = ParkAirportInfo{};
    g_parkAirportElevation = 0.0F;
    g_airportFileUpdates = 0;
    g_standUseUpdates = 0;
    g_standChangeShown = 0;
    g_meanParkedHours = -1.0F;
    g_maxFitHalfHours = {0, -1};
    g_staticCallsigns = StaticCallsigns{};
    g_staticAcs.clear();
    g_staticSlots.clear();
    g_daySlot = 0;
    g_userOnGround = false;
    lf_forgetClosestStands();
    gf_setReaderParkAirport(ReaderParkAirport{});
    gf_clearReferenceData();
    testing_support::resetAllParameters();
}

// An airport of the airport list.
inline AirportRecord airport(const char* code, double lat, double lon, std::int32_t stands) {
    AirportRecord record;
    record.code = AirportCode(code);
    record.latitude = lat;
    record.longitude = lon;
    record.stands = stands;
    return record;
}

// The list sorted by code, as the reader leaves it.
inline void setAirports(std::vector<AirportRecord> airports) {
    std::stable_sort(airports.begin(), airports.end(),
                     [](const AirportRecord& a, const AirportRecord& b) { return a.code.bytes() < b.code.bytes(); });
    g_airports = std::move(airports);
    g_airportCodes.clear();
    for (const AirportRecord& record : g_airports) g_airportCodes.insert(record.code);
}

inline ModelKey key(const char* airline, const char* model, std::uint8_t cargo = 0) {
    return ModelKey{gf_airlineId(airline), 0, gf_modelId(model), cargo, 0};
}

inline void addRegistration(const char* registration, const char* airline, const char* model, std::uint8_t cargo = 0) {
    g_registrations.push_back({registration, {gf_airlineId(airline), 0, gf_modelId(model), cargo}});
    gf_sortRegistrations();
}

inline StandUse use(const ModelKey& k, std::string reg, std::uint32_t day, std::uint64_t hh, std::int32_t active,
                    std::string callsign = {}, std::string callsign2 = {}) {
    StandUse u;
    u.key = k;
    u.reg = std::move(reg);
    u.callsign = std::move(callsign);
    u.callsign2 = std::move(callsign2);
    u.hh = hh;
    u.active = active;
    u.day = day;
    u.real = 1;
    return u;
}

// The half-hour set of slots first..last.
inline std::uint64_t slots(int first, int last) {
    std::uint64_t set = 0;
    for (int slot = first; slot <= last; ++slot) set |= std::uint64_t{1} << slot;
    return set;
}

// A stand at metres north and east of 52.3 N 4.76 E, radius in metres.
inline Stand standAt(const char* name, double northM, double eastM, double radiusM, std::vector<StandUse> uses = {}) {
    const double lat = 52.3 + northM / 1852.0 / 60.0;
    const double lon = 4.76 + eastM / 1852.0 / 60.0 / std::cos(52.3 * kDegToRad);
    return Stand(std::move(uses), name, lat, lon, 0.0, radiusM, false, false, false);
}
inline GeoPoint pointAt(double northM, double eastM) {
    return {52.3 + northM / 1852.0 / 60.0, 4.76 + eastM / 1852.0 / 60.0 / std::cos(52.3 * kDegToRad)};
}

// Numbers the stands 1, 2, 3 ... as the reader of the park airport does.
inline void setStands(std::vector<Stand> stands) {
    gf_clearStands();
    std::int32_t id = 0;
    for (Stand& stand : stands) {
        stand.standId = ++id;
        g_stands.push_back(std::move(stand));
    }
}

// An airport stand file: the program-info block (without "sim" when asked),
// the parameter elements given as name/value pairs, and the parkpos elements.
inline std::string standFileXml(const std::vector<std::pair<std::string, std::string>>& parameters,
                                const std::string& parkpositions, const std::string& version = "11.14.0",
                                bool withSim = true) {
    std::string xml = "<?xml version=\"1.0\"?>\n<root>\n  <meta>\n"
                      "    <info name=\"author\" value=\"Velantra_P3D\" />\n"
                      "    <info name=\"version\" value=\"" + version + "\" />\n"
                      "    <info name=\"copyright\" value=\"(C) the makers\" />\n";
    if (withSim) xml += "    <info name=\"sim\" value=\"3\" />\n";
    xml += "  </meta>\n  <parameters>\n";
    for (const auto& [name, value] : parameters)
        xml += "    <parameter name=\"" + name + "\" value=\"" + value + "\" />\n";
    return xml + "  </parameters>\n  <parkpositions>\n" + parkpositions + "  </parkpositions>\n</root>\n";
}

// A parkpos element at metres north and east of 52.3 N 4.76 E.
inline std::string parkposXml(const std::string& id, double northM, double eastM, double radiusM,
                              const std::string& more = "", const std::string& opts = "") {
    const GeoPoint p = pointAt(northM, eastM);
    return fmt::format("    <parkpos id=\"{}\" latitude=\"{:.8f}\" longitude=\"{:.8f}\" heading=\"90\" radius=\"{}\" {}>{}</parkpos>\n",
                       id, p.lat, p.lon, radiusM, more, opts);
}

class AirportTest : public ::testing::Test {
protected:
    AirportTest() {
        resetAirportState();
        gf_setControlUpdates(&recorder_);
    }
    ~AirportTest() override {
        gf_setControlUpdates(nullptr);
        resetAirportState();
    }
    bool logged(const std::string& text) const { return log_.contains(text); }

    testing_support::LogCapture log_;
    testing_support::ControlRecorder recorder_;
};

}  // namespace airports_test
