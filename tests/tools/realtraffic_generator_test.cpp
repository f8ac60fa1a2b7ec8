#include "tools/realtraffic/generator.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <cmath>
#include <map>
#include <set>
#include <sstream>

#include "foundation/geodesy.h"
#include "rtlink/traffic_datagram.h"
#include "rtlink/traffic_record.h"
#include "support/data_set.h"
#include "support/eham_feed.h"
#include "support/log_capture.h"
#include "tools/realtraffic/busy.h"
#include "tools/realtraffic/control.h"
#include "tools/realtraffic/datagram.h"

using namespace realtraffic;

namespace {

Scenario demoScenario() { return loadScenario(testing_support::sourceFile("tools/realtraffic/scenarios/eham_demo.txt")); }

std::vector<std::string> fieldsOf(const std::string& datagram) {
    std::vector<std::string> fields;
    std::stringstream in(datagram);
    for (std::string field; std::getline(in, field, ',');) fields.push_back(field);
    return fields;
}

// What the traffic engine does with the records of one aircraft (its
// filters of repeated positions and speed jumps, and the checks while it
// waits to appear), written out as an independent check of the generator.
std::string engineWouldRefuse(const std::vector<TrackSample>& samples, std::optional<double> field) {
    const auto ground = [&](const TrackSample& s) {
        double a = s.altitudeFt;
        if (a > 0 && a < 14000) {
            const double d = a - field.value_or(-1000.0);
            if (d <= 0 || (d <= 42 && s.speedKt <= 120) || (d <= 84 && s.speedKt <= 80) ||
                (d <= 108 && s.speedKt <= 43))
                a = 0;
        }
        return !(a > 0) || s.speedKt <= 35;
    };
    for (std::size_t i = 1; i < samples.size(); ++i) {
        const TrackSample& b = samples[i - 1];
        const TrackSample& r = samples[i];
        const double dt = r.offset - b.offset, g = r.speedKt, g0 = b.speedKt;
        const double turn = std::fabs(r.trackDeg - b.trackDeg);
        std::ostringstream at;
        at << " at " << r.offset;
        if (dt <= 1.0) return "too close" + at.str();
        if ((g0 > 5 && g >= 10 * g0) || (g > 5 && g0 >= 10 * g) || (g0 <= 5 && g >= 80) || (g <= 5 && g0 >= 80))
            return "speed jump" + at.str();
        if (!ground(r) && g > 120 && turn <= 1.0 && 0.2429805615550756 / g * 3600 >= dt) return "air repeat" + at.str();
        if (ground(r) && g <= 30 && turn <= 2.0 &&
            (g > 0 ? std::min(0.010799136069114472 / g * 3600, 15.0) : 15.0) >= dt)
            return "ground repeat" + at.str();
    }
    for (const TrackSample& s : samples) {
        if (s.offset >= samples.front().offset + 30) break;
        if (ground(s) != ground(samples.front())) return "air and ground mixed while waiting";
        if (field && !ground(s) && s.altitudeFt < 10000 && std::fabs(s.altitudeFt - *field) <= 108)
            return "too near the field while waiting";
    }
    return {};
}

TrackSpec trackOf(std::string waypoints) {
    return parseScenario("track 4844322 KLM1234 B738 PH-BXA LHR AMS\n" + waypoints + "end\n").tracks.at(0);
}

// Every identity of a scenario as the data set knows it: model, airline,
// registration of that model, origin and destination airports.
void expectIdentitiesOfTheDataSet(const Scenario& scenario) {
    pugi::xml_document dbase, airports;
    ASSERT_TRUE(dbase.load_file(testing_support::sourceFile("data/dbase.xml").c_str()));
    ASSERT_TRUE(airports.load_file(testing_support::sourceFile("data/airports.xml").c_str()));
    const auto codesOf = [](const pugi::xml_node& parent, const char* attribute) {
        std::set<std::string> codes;
        for (const auto& node : parent.children()) {
            std::stringstream in(node.attribute(attribute).value());
            for (std::string code; std::getline(in, code, ',');) codes.insert(code);
        }
        return codes;
    };
    const auto types = codesOf(dbase.child("root").child("aircrafts"), "types");
    const auto airlines = codesOf(dbase.child("root").child("ICAO_airlines"), "codes");
    std::map<std::string, std::string> registrations;  // registration -> model
    for (const auto& d : dbase.child("root").child("dbase").children("d"))
        registrations[d.attribute("r").value()] = d.attribute("m").value();
    std::set<std::string> iataCodes{"null"};
    std::map<std::string, double> elevations;
    for (const auto& ap : airports.child("root").child("airports").children("ap")) {
        iataCodes.insert(ap.attribute("i").value());
        elevations[ap.attribute("c").value()] = ap.attribute("a").as_double();
    }

    ASSERT_TRUE(elevations.count(scenario.fieldCode));
    EXPECT_EQ(scenario.fieldElevationFt, elevations[scenario.fieldCode]);
    for (const TrackSpec& t : scenario.tracks) {
        EXPECT_TRUE(types.count(t.type)) << t.type;
        EXPECT_TRUE(airlines.count(t.callsign.substr(0, 3))) << t.callsign;
        ASSERT_TRUE(registrations.count(t.registration)) << t.registration;
        EXPECT_EQ(registrations[t.registration], t.type) << t.registration;
        EXPECT_TRUE(iataCodes.count(t.origin)) << t.origin;
        EXPECT_TRUE(iataCodes.count(t.destination)) << t.destination;
    }
}

}  // namespace

TEST(RealTrafficGenerator, TheDemoKeepsEveryRuleOfTheTrafficEngine) {
    const Scenario scenario = demoScenario();
    ASSERT_EQ(scenario.tracks.size(), 7u);
    for (const TrackSpec& track : scenario.tracks) {
        const auto samples = sampleTrack(track, scenario.fieldElevationFt);
        ASSERT_GE(samples.size(), 10u) << track.callsign;
        EXPECT_EQ(engineWouldRefuse(samples, scenario.fieldElevationFt), "") << track.callsign;
        EXPECT_LT(samples[1].offset - samples[0].offset, 27.0) << track.callsign;  // it appears at all
    }
}

TEST(RealTrafficGenerator, TheDemoUsesIdentitiesOfTheDataSet) { expectIdentitiesOfTheDataSet(demoScenario()); }

TEST(RealTrafficGenerator, TheProgramReadsEveryGeneratedDatagramAsItsSample) {
    testing_support::LogCapture log;
    const Scenario scenario = demoScenario();
    testing_support::acceptTrafficAtEham();
    std::size_t sent = 0;
    for (const TrackSpec& track : scenario.tracks) {
        for (const TrackSample& s : sampleTrack(track, scenario.fieldElevationFt)) {
            ASSERT_EQ(lf_onTrafficData(g_trafficFeed, trafficDatagram(track, s, 1767600000 + s.offset)),
                      LineVerdict::queued)
                << track.callsign << " at " << s.offset;
            ++sent;
            const std::lock_guard lock(g_addingStackMutex);
            const StreamRecord& r = g_addingStack.back();
            EXPECT_EQ(r.hexId, track.hexId);
            EXPECT_EQ(r.ident.callsign, track.callsign);
            EXPECT_EQ(r.ident.registration, track.registration);
            EXPECT_EQ(r.ident.origin.text(), track.origin);
            EXPECT_NEAR(r.timestamp, 1767600000 + s.offset, 0.006);
            EXPECT_NEAR(r.sample.lat, s.lat, 1e-6);
            EXPECT_NEAR(r.sample.lon, s.lon, 1e-6);
            EXPECT_NEAR(r.sample.groundSpeedKt, s.speedKt, 0.06);
            EXPECT_NEAR(r.sample.trackDeg, s.trackDeg, 0.06);
            EXPECT_NEAR(*r.sample.trueHeading, (s.headingDeg == 0 ? 360 : s.headingDeg) * kDegToRad, 1e-3);
        }
    }
    EXPECT_EQ(testing_support::addingStackSize(), sent);
    testing_support::stopAcceptingTraffic();
    EXPECT_FALSE(log.contains("exception in processLineSub"));
}

TEST(RealTrafficGenerator, APushBackMovesTailFirst) {
    const auto samples = sampleTrack(trackOf("0 52.3105 4.7668 gnd 0 hdg=225\n"
                                             "40 52.3105 4.7668 gnd 0 hdg=225\n"
                                             "73 52.31066 4.76706 gnd 3 hdg=225\n"
                                             "106 52.31082 4.76732 gnd 0\n"),
                                     -11.0);
    bool pushed = false;
    for (const TrackSample& s : samples) {
        EXPECT_EQ(s.headingDeg, 225.0);
        if (s.speedKt > 0) {
            pushed = true;
            EXPECT_NEAR(s.trackDeg, 45.0, 0.5);
        }
    }
    EXPECT_TRUE(pushed);
    const auto fields = fieldsOf(trafficDatagram(trackOf("0 52 4 gnd 0\n10 52 4 gnd 0\n"), samples[3], 0));
    ASSERT_EQ(fields.size(), 29u);
    EXPECT_EQ(fields[7], "44.8");
    EXPECT_EQ(fields[25], "225.0");
}

TEST(RealTrafficGenerator, WaypointsTheProgramWouldRefuseFailLoudly) {
    struct Case {
        const char* waypoints;
        const char* message;
    } cases[] = {
        {"0 52.3 4.7 gnd 6\n30 52.3 4.701363 gnd 6\n36 52.3 4.704906 gnd 150\n66 52.3 4.738976 gnd 150\n",
         "speed jumps from 6.0 to 150.0 kt between"},
        {"0 52.3 4.7 gnd 100\n20 52.3 4.71968 1000 160\n60 52.3 4.77118 3000 180\n",
         "ground and air mixed in its first 30 s"},
        {"0 52.3 4.7 60 150\n60 52.3 4.7681 1000 150\n", "starts within 108 ft of the field elevation"},
        {"0 52.3 4.7 5000 250\n60 52.3 4.71 5000 250\n", "covers its distance at 22 kt, its speeds say 250 kt"},
        {"0 52.3 4.7 5000 250\n1 52.3 4.70189 5000 250\n", "too short for two datagrams"},
    };
    for (const auto& c : cases) {
        try {
            sampleTrack(trackOf(c.waypoints), -11.0);
            ADD_FAILURE() << "accepted: " << c.waypoints;
        } catch (const StandInError& e) {
            EXPECT_NE(std::string(e.what()).find("track KLM1234 (scenario line 1): "), std::string::npos) << e.what();
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(RealTrafficGenerator, SampleIntervalsFollowTheSpeed) {
    EXPECT_EQ(sampleInterval(250, false), 6.0);                         // RealTraffic's usual pace
    EXPECT_NEAR(sampleInterval(125, false), 450 / (125 * 1852.0 / 3600) + 1, 1e-9);
    EXPECT_EQ(sampleInterval(0, true), 16.0);                           // standing: 15 s and a margin
    EXPECT_NEAR(sampleInterval(10, true), 20 / (10 * 1852.0 / 3600) + 1, 1e-9);
    EXPECT_EQ(sampleInterval(100, true), 3.0);                          // take-off roll
}

TEST(RealTrafficGenerator, ExpansionInterleavesTracksAndRawDatagramsByOffset) {
    const auto all = expandScenario(demoScenario());
    ASSERT_FALSE(all.empty());
    for (std::size_t i = 1; i < all.size(); ++i) EXPECT_LE(all[i - 1].offset, all[i].offset);
    // The raw datagram at 5 s comes after the three tracks' first records at
    // 0 s and one at 3.59 s.
    EXPECT_NE(all[4].text.find("FOLLOW VEH"), std::string::npos);
    EXPECT_EQ(all[4].offset, 5.0);
    EXPECT_EQ(fieldsOf(all[0].text)[kTimestampField], "0.00");    // the offset until the replay stamps it
}

namespace {

BusyOptions busyOptions(int aircraft, double seconds, std::uint32_t seed) {
    BusyOptions options;
    options.aircraft = aircraft;
    options.seconds = seconds;
    options.seed = seed;
    options.stands = loadStands(testing_support::sourceFile("data/stands/EHAM.xml"));
    return options;
}

}  // namespace

TEST(RealTrafficBusy, KeepsItsNumberInRangeFromTheStartAndEveryRuleOfTheEngine) {
    const BusyOptions options = busyOptions(200, 900, 7);
    const Scenario scenario = busyScenario(options);
    expectIdentitiesOfTheDataSet(scenario);
    std::map<std::uint32_t, std::pair<double, double>> span;  // hex id -> first and last datagram
    std::set<std::string> callsigns;
    const GeoPoint airport{52.3086, 4.7639};
    for (const TrackSpec& track : scenario.tracks) {
        EXPECT_TRUE(callsigns.insert(track.callsign).second) << track.callsign;
        const auto samples = sampleTrack(track, scenario.fieldElevationFt);
        EXPECT_EQ(engineWouldRefuse(samples, scenario.fieldElevationFt), "") << track.callsign;
        for (const TrackSample& s : samples) EXPECT_LT(gf_distanceNm(airport, GeoPoint{s.lat, s.lon}), 36.5);
        EXPECT_TRUE(span.emplace(track.hexId, std::pair{samples.front().offset, samples.back().offset}).second);
        EXPECT_GT(track.hexId, 10000u);
    }
    for (const double t : {0.0, 60.0, 300.0, 600.0, 880.0}) {
        const auto inRange = std::count_if(span.begin(), span.end(), [&](const auto& s) {
            return s.second.first <= t && t <= s.second.second;
        });
        EXPECT_GT(inRange, 150) << t;
        EXPECT_LT(inRange, 250) << t;
    }
    const auto last = std::max_element(span.begin(), span.end(), [](const auto& a, const auto& b) {
        return a.second.first < b.second.first;
    });
    EXPECT_LT(last->second.first, 900.0);
    EXPECT_GT(last->second.first, 850.0);
}

TEST(RealTrafficBusy, ArrivalsParkAndDeparturesStartOnTheAirportsStands) {
    const BusyOptions options = busyOptions(100, 1200, 3);
    const auto onAStand = [&](const Waypoint& w) {
        return std::any_of(options.stands.begin(), options.stands.end(), [&](const BusyStand& s) {
            return std::abs(s.lat - w.lat) < 1e-6 && std::abs(s.lon - w.lon) < 1e-6;
        });
    };
    int arrivals = 0, departures = 0, groundMoves = 0;
    for (const TrackSpec& track : busyScenario(options).tracks) {
        const Waypoint& first = track.waypoints.front();
        const Waypoint& last = track.waypoints.back();
        if (track.destination == "AMS") {
            ++arrivals;
            EXPECT_TRUE(onAStand(last)) << track.callsign;
            EXPECT_EQ(last.speedKt, 0.0);
            EXPECT_FALSE(last.altitudeFt.has_value());
        } else if (track.origin == "AMS" && first.time > 0) {
            ++departures;
            EXPECT_TRUE(onAStand(first)) << track.callsign;
            EXPECT_TRUE(last.altitudeFt.has_value());
        } else if (track.origin == "null") {
            ++groundMoves;
            EXPECT_TRUE(first.time == 0 || onAStand(first)) << track.callsign;
            EXPECT_TRUE(onAStand(last)) << track.callsign;
        }
    }
    EXPECT_GT(arrivals, 10);
    EXPECT_GT(departures, 5);
    EXPECT_GT(groundMoves, 3);
}

TEST(RealTrafficBusy, TheSeedDecidesAndTheTextReadsBackAsTheSameTraffic) {
    const Scenario scenario = busyScenario(busyOptions(40, 300, 5));
    const std::string text = scenarioText(scenario);
    EXPECT_EQ(scenarioText(busyScenario(busyOptions(40, 300, 5))), text);
    EXPECT_NE(scenarioText(busyScenario(busyOptions(40, 300, 6))), text);
    const Scenario back = parseScenario(text);
    EXPECT_EQ(back.fieldCode, "EHAM");
    EXPECT_EQ(back.fieldElevationFt, scenario.fieldElevationFt);
    EXPECT_EQ(back.tracks.size(), scenario.tracks.size());
    EXPECT_EQ(scenarioText(back), text);
    EXPECT_NO_THROW(expandScenario(back));
    EXPECT_THROW(busyScenario(BusyOptions{}), StandInError);  // no stands
}

TEST(RealTrafficControl, ReadsTheActionsOfALongRunAndRefusesOthers) {
    const auto actions = parseControl("# faults\ndrop-link 12.5\n\nburst 20 3\nstop\n");
    ASSERT_EQ(actions.size(), 3u);
    EXPECT_EQ(actions[0].kind, ControlAction::Kind::dropLink);
    EXPECT_EQ(actions[0].seconds, 12.5);
    EXPECT_EQ(actions[1].kind, ControlAction::Kind::burst);
    EXPECT_EQ(actions[1].malformed, 20u);
    EXPECT_EQ(actions[1].oversize, 3u);
    EXPECT_EQ(actions[2].kind, ControlAction::Kind::stop);
    for (const char* wrong : {"drop-link", "drop-link 0", "drop-link x", "burst 1", "burst -1 2", "stop now", "quit"}) {
        try {
            parseControl(std::string("stop\n") + wrong + "\n");
            ADD_FAILURE() << wrong;
        } catch (const StandInError& e) {
            EXPECT_NE(std::string(e.what()).find("control line 2: "), std::string::npos) << e.what();
        }
    }
}
