#include "tools/realtraffic/generator.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
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
#include "tools/realtraffic/real_feed.h"
#include "tools/realtraffic/waypoint_path.h"

using namespace realtraffic;

namespace {

Scenario demoScenario() { return loadScenario(testing_support::sourceFile("tools/realtraffic/scenarios/eham_demo.txt")); }
Scenario realFeedScenario() {
    return loadScenario(testing_support::sourceFile("tools/realtraffic/scenarios/eham_real_feed.txt"));
}

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
// registration of that model (or a livery of the demo's simulator registered
// to it, for a private aircraft the data base does not list; for one neither
// lists, a livery of its model registered in its country, which the
// program's matching by model and registration prefix picks), origin and
// destination airports.
void expectIdentitiesOfTheDataSet(const Scenario& scenario) {
    pugi::xml_document dbase, airports, liveries;
    ASSERT_TRUE(dbase.load_file(testing_support::sourceFile("data/dbase.xml").c_str()));
    ASSERT_TRUE(airports.load_file(testing_support::sourceFile("data/airports.xml").c_str()));
    ASSERT_TRUE(liveries.load_file(testing_support::sourceFile("data/LiveriesScanned.xml").c_str()));
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
    std::multimap<std::string, std::string> liveryRegistrations;  // model -> registrations of its liveries
    for (const auto& l : liveries.child("root").child("liveries").children("l")) {
        if (*l.attribute("r").value() && !registrations.count(l.attribute("r").value()))
            registrations[l.attribute("r").value()] = l.attribute("m").value();
        liveryRegistrations.emplace(l.attribute("m").value(), l.attribute("r").value());
    }
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
        // A towed aircraft sends its registration as its flight id.
        std::string registration = t.registration;
        registration.erase(std::remove(registration.begin(), registration.end(), '-'), registration.end());
        EXPECT_TRUE(airlines.count(t.callsign.substr(0, 3)) || t.callsign == registration) << t.callsign;
        if (registrations.count(t.registration)) {
            EXPECT_EQ(registrations[t.registration], t.type) << t.registration;
        } else {
            EXPECT_EQ(t.callsign, registration) << t.registration << " is private";
            const std::string prefix = t.registration.substr(0, t.registration.find('-') + 1);
            const auto [first, last] = liveryRegistrations.equal_range(t.type);
            EXPECT_TRUE(prefix.size() > 1 && std::any_of(first, last, [&](const auto& l) {
                            return l.second.compare(0, prefix.size(), prefix) == 0;
                        }))
                << t.registration << ": no livery of its model registered in its country";
        }
        EXPECT_TRUE(iataCodes.count(t.origin)) << t.origin;
        EXPECT_TRUE(iataCodes.count(t.destination)) << t.destination;
    }
}

}  // namespace

TEST(RealTrafficGenerator, TheDemosKeepEveryRuleOfTheTrafficEngine) {
    for (const auto& [scenario, tracks] : {std::pair{demoScenario(), 7u}, std::pair{realFeedScenario(), 13u}}) {
        ASSERT_EQ(scenario.tracks.size(), tracks);
        for (const TrackSpec& track : scenario.tracks) {
            const auto samples = sampleTrack(track, scenario.fieldElevationFt);
            ASSERT_GE(samples.size(), 10u) << track.callsign;
            EXPECT_EQ(engineWouldRefuse(samples, scenario.fieldElevationFt), "") << track.callsign;
            EXPECT_LT(samples[1].offset - samples[0].offset, 27.0) << track.callsign;  // it appears at all
        }
    }
}

// The real-feed demo's aircraft standing by the maintenance area dwells at
// three to six spots 50 to 250 m apart for the whole demo, the first where
// it stands; the one taxiing by pauses 15 to 30 m from another of them for
// 40 to 90 s; the helicopter hover-taxis a few hundred metres at 5 to 20 kt,
// its reports flagged now airborne, now on the ground.
TEST(RealTrafficGenerator, TheRealFeedDemoDwellsBesideAPausedTaxiAndHoverTaxis) {
    const Scenario scenario = realFeedScenario();
    const auto trackNamed = [&](const char* callsign) -> const TrackSpec& {
        const auto found = std::find_if(scenario.tracks.begin(), scenario.tracks.end(),
                                        [&](const TrackSpec& t) { return t.callsign == callsign; });
        if (found == scenario.tracks.end()) throw std::runtime_error(callsign);
        return *found;
    };
    const auto metres = [](double lat1, double lon1, double lat2, double lon2) {
        return gf_distanceNm(lat1, lon1, lat2, lon2) * kMetersPerNm;
    };
    const TrackSpec& dwelling = trackNamed("PHNXA");
    ASSERT_EQ(dwelling.dwells.size(), 1u);
    const DwellingStretch& d = dwelling.dwells[0];
    EXPECT_EQ(d.from, dwelling.waypoints.front().time + kRealFeedSettleSeconds);
    EXPECT_EQ(d.from + d.seconds, dwelling.waypoints.back().time);
    ASSERT_GE(d.spots.size(), 3u);
    EXPECT_LE(d.spots.size(), 6u);
    for (std::size_t i = 0; i < d.spots.size(); ++i)
        for (std::size_t k = 0; k < i; ++k) {
            EXPECT_GE(metres(d.spots[i].lat, d.spots[i].lon, d.spots[k].lat, d.spots[k].lon), 50.0) << i << " " << k;
            EXPECT_LE(metres(d.spots[i].lat, d.spots[i].lon, d.spots[k].lat, d.spots[k].lon), 250.0) << i << " " << k;
        }
    for (const Waypoint& w : dwelling.waypoints) {
        EXPECT_EQ(w.lat, d.spots[0].lat);  // it stands at the first spot
        EXPECT_EQ(w.lon, d.spots[0].lon);
        EXPECT_EQ(w.speedKt, 0.0);
    }

    const TrackSpec& taxiing = trackNamed("TFL605");
    ASSERT_EQ(taxiing.pauses.size(), 1u);
    const ReportPause& q = taxiing.pauses[0];
    EXPECT_GE(q.seconds, 40.0);
    EXPECT_LE(q.seconds, 90.0);
    const TrackPath taxi(taxiing, scenario.fieldElevationFt);
    // Wherever within the moving pace the pause's first report comes.
    for (double t = q.from; t <= q.from + RealFeedOptions{}.movingIntervalMaxS; t += 0.5) {
        const TrackSample at = taxi.at(t);
        EXPECT_GE(at.speedKt, kRealFeedStandingKt) << t;
        double nearest = 1e9;
        for (std::size_t k = 1; k < d.spots.size(); ++k)
            nearest = std::min(nearest, metres(at.lat, at.lon, d.spots[k].lat, d.spots[k].lon));
        EXPECT_GE(nearest, 15.0) << t;
        EXPECT_LE(nearest, 30.0) << t;
    }

    const TrackSpec& helicopter = trackNamed("PHMAB");
    EXPECT_EQ(helicopter.category, "A7");
    const TrackPath hover(helicopter, scenario.fieldElevationFt);
    double hoverMetres = 0, fastestKt = 0;
    for (double t = hover.start() + 1; t <= hover.end(); t += 1) {
        const TrackSample a = hover.at(t - 1), b = hover.at(t);
        if (!hover.onGround(b) || b.altitudeFt <= 0 || b.verticalSpeedFpm != 0) continue;
        hoverMetres += metres(a.lat, a.lon, b.lat, b.lon);
        fastestKt = std::max(fastestKt, b.speedKt);
    }
    EXPECT_GE(hoverMetres, 200.0);
    EXPECT_LE(hoverMetres, 1000.0);
    EXPECT_GE(fastestKt, 5.0);
    EXPECT_LE(fastestKt, 20.0);
    std::set<std::pair<std::string, std::string>> flags;  // altitude and airborne flag of its hover's reports
    for (const TrackSample& r : realFeedSamples(helicopter, scenario.fieldElevationFt, RealFeedOptions{})) {
        const TrackSample real = hover.at(r.offset);
        if (!hover.onGround(real) || real.altitudeFt <= 0 || real.verticalSpeedFpm != 0) continue;
        const auto fields = fieldsOf(trafficDatagram(helicopter, r, 0));
        flags.emplace(fields[4], fields[6]);
    }
    EXPECT_EQ(flags, (std::set<std::pair<std::string, std::string>>{{"0", "0"}, {"5", "1"}}));
}

TEST(RealTrafficGenerator, TheDemosUseIdentitiesOfTheDataSet) {
    expectIdentitiesOfTheDataSet(demoScenario());
    expectIdentitiesOfTheDataSet(realFeedScenario());
}

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
    Scenario faulty = scenario;  // a real feed's faults written out too, on its longest track
    const auto longest = std::max_element(faulty.tracks.begin(), faulty.tracks.end(), [](const auto& a, const auto& b) {
        return a.waypoints.back().time - a.waypoints.front().time < b.waypoints.back().time - b.waypoints.front().time;
    });
    ASSERT_GT(longest->waypoints.back().time - longest->waypoints.front().time, 120.0);
    TrackSpec& t = *longest;
    const double first = t.waypoints.front().time;
    t.strays = {{0, first + 40, 120.5}};
    t.jumps = {{0, first + 50, 20, 60, 90}};
    t.dwells = {{0, first + 75, 10.5, {{52.3101234, 4.7512345}, {52.31, 4.752}}}};
    t.pauses = {{0, first + 90, 25}};
    const Scenario faultyBack = parseScenario(scenarioText(faulty));
    const TrackSpec& faultyTrack = faultyBack.tracks[static_cast<std::size_t>(longest - faulty.tracks.begin())];
    ASSERT_EQ(faultyTrack.strays.size(), 1u);
    EXPECT_EQ(faultyTrack.strays[0].metres, 120.5);
    ASSERT_EQ(faultyTrack.jumps.size(), 1u);
    EXPECT_EQ(faultyTrack.jumps[0].maxM, 90.0);
    ASSERT_EQ(faultyTrack.dwells.size(), 1u);
    EXPECT_EQ(faultyTrack.dwells[0].seconds, 10.5);
    ASSERT_EQ(faultyTrack.dwells[0].spots.size(), 2u);
    EXPECT_EQ(faultyTrack.dwells[0].spots[0].lat, 52.3101234);
    EXPECT_EQ(faultyTrack.dwells[0].spots[1].lon, 4.752);
    ASSERT_EQ(faultyTrack.pauses.size(), 1u);
    EXPECT_EQ(faultyTrack.pauses[0].from, first + 90);
    EXPECT_EQ(faultyTrack.pauses[0].seconds, 25.0);
    EXPECT_EQ(scenarioText(faultyBack), scenarioText(faulty));
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

namespace {

constexpr double kEhamFt = -11.0;

GeoPoint movedMetres(const GeoPoint& from, double bearingDeg, double metres) {
    return gf_destinationPoint(from, bearingDeg * kDegToRad, metres / 0.3048);
}

TrackSpec identity(std::uint32_t hexId, const char* callsign) {
    TrackSpec t;
    t.hexId = hexId;
    t.callsign = callsign;
    t.type = "B738";
    t.registration = "PH-BXA";
    t.origin = "AMS";
    t.destination = "LHR";
    return t;
}

// A departure at Schiphol: a minute on its stand, pushed back 30 m, a long
// taxi at 15 kt with gentle corners, two minutes holding short, lined up, a
// roll and a climb away.
TrackSpec departure() {
    TrackSpec t = identity(4844322, "KLM1234");
    WaypointPath p(0, {52.309312, 4.762588}, std::nullopt, 0, 214.0);
    p.stand(60, 214.0);
    p.to(movedMetres(p.here(), 34, 30), std::nullopt, 3).stand(30, 214.0);
    p.to(movedMetres(p.here(), 122, 60), std::nullopt, 15);
    for (const double bearing : {122, 152, 122, 92, 122, 152})
        p.to(movedMetres(p.here(), bearing, 500), std::nullopt, 15);
    p.to(movedMetres(p.here(), 122, 40), std::nullopt, 0).stand(120, 122.0);
    p.to(movedMetres(p.here(), 122, 100), std::nullopt, 8).stand(20, 238.0);
    p.to(movedMetres(p.here(), 238, 1700), std::nullopt, 150).to(movedMetres(p.here(), 238, 1500), 500, 165);
    p.to(movedMetres(p.here(), 238, 8000), 3000, 200);
    t.waypoints = p.take();
    return t;
}

// An arrival on runway 06 from 3000 ft that rolls out and taxis to a stop.
TrackSpec arrival() {
    TrackSpec t = identity(4006871, "BAW432");
    const GeoPoint threshold{52.28790, 4.73740};
    WaypointPath p(0, movedMetres(threshold, 237.8, 18000), 3000, 180);
    p.to(threshold, 50, 140).to(movedMetres(threshold, 57.8, 300), std::nullopt, 130);
    p.to(movedMetres(p.here(), 57.8, 1500), std::nullopt, 40).to(movedMetres(p.here(), 57.8, 200), std::nullopt, 20);
    p.to(movedMetres(p.here(), 330, 800), std::nullopt, 15).to(movedMetres(p.here(), 330, 30), std::nullopt, 0);
    p.stand(60);
    t.waypoints = p.take();
    return t;
}

double metresApart(const TrackSample& a, const TrackSample& b) {
    return gf_distanceNm(a.lat, a.lon, b.lat, b.lon) * kMetersPerNm;
}

// Each report beside the noise-free state at its time.
struct Report {
    TrackSample sent, real;
    bool ground = false;
};
std::vector<Report> reportsOf(const TrackSpec& track, const RealFeedOptions& options) {
    const TrackPath path(track, kEhamFt);
    std::vector<Report> out;
    for (const TrackSample& s : realFeedSamples(track, kEhamFt, options)) {
        const TrackSample real = path.at(s.offset);
        out.push_back({s, real, path.onGround(real)});
    }
    return out;
}

RealFeedOptions withSeed(std::uint32_t seed) {
    RealFeedOptions o;
    o.seed = seed;
    return o;
}

}  // namespace

TEST(RealTrafficRealFeed, TheSeedDecidesEachTracksReportsAlone) {
    Scenario both;
    both.fieldElevationFt = kEhamFt;
    both.tracks = {departure(), arrival()};
    Scenario one = both;
    one.tracks.pop_back();
    const auto texts = [](const std::vector<TimedDatagram>& datagrams, const char* hexId) {
        std::vector<std::string> out;
        for (const TimedDatagram& d : datagrams)
            if (fieldsOf(d.text)[1] == hexId) out.push_back(fmt::format("{:.2f} {}", d.offset, d.text));
        return out;
    };
    const auto reports = texts(expandRealFeed(both, withSeed(5)), "4844322");
    EXPECT_GT(reports.size(), 100u);
    EXPECT_EQ(texts(expandRealFeed(both, withSeed(5)), "4844322"), reports);
    EXPECT_EQ(texts(expandRealFeed(one, withSeed(5)), "4844322"), reports) << "another track changes nothing";
    EXPECT_NE(texts(expandRealFeed(both, withSeed(6)), "4844322"), reports);
    EXPECT_NE(texts(expandScenario(both), "4844322"), reports);

    Scenario noField = both;
    noField.fieldElevationFt.reset();
    EXPECT_THROW(expandRealFeed(noField, withSeed(5)), StandInError);
    Scenario refused = both;
    refused.tracks[1].waypoints[1].time = 20;  // far too fast for its speeds
    EXPECT_THROW(expandRealFeed(refused, withSeed(5)), StandInError);
}

// While the program takes a new aircraft in, the reports are the generator's.
TEST(RealTrafficRealFeed, TheFirstReportsKeepTheGeneratorsPaceAndFields) {
    for (const TrackSpec& track : {departure(), arrival()}) {
        const auto clean = sampleTrack(track, kEhamFt);
        const auto reports = reportsOf(track, withSeed(2));
        std::size_t k = 0;
        for (; reports[k].sent.offset < track.waypoints.front().time + kRealFeedSettleSeconds; ++k) {
            const TrackSample& sent = reports[k].sent;
            EXPECT_EQ(sent.offset, clean[k].offset) << track.callsign;
            EXPECT_EQ(sent.altitudeFt, clean[k].altitudeFt);
            EXPECT_EQ(sent.speedKt, clean[k].speedKt);
            EXPECT_EQ(sent.trackDeg, clean[k].trackDeg);
        }
        EXPECT_GE(k, 2u) << track.callsign;
    }
}

// The grid point nearest the real position, moved by the wander: a
// standing aircraft stays on its grid point and wanders about it.
TEST(RealTrafficRealFeed, GroundPositionsComeInCoarseStepsAndWander) {
    const double latStep = 19.0 / (60 * kMetersPerNm);
    const double lonStep = latStep / std::cos(departure().waypoints.front().lat * kDegToRad);
    const auto onGrid = [](double value, double step) { return std::fabs(value / step - std::round(value / step)); };
    for (const double wanderM : {0.0, 4.0}) {
        RealFeedOptions options;
        options.wanderM = wanderM;
        std::vector<TrackSample> onStand;
        std::size_t ground = 0;
        for (const Report& r : reportsOf(departure(), options)) {
            if (!r.ground) continue;
            ++ground;
            EXPECT_LE(metresApart(r.sent, r.real), 19.0 / std::sqrt(2.0) + wanderM + 0.05) << r.sent.offset;
            if (wanderM == 0) {
                EXPECT_LT(onGrid(r.sent.lat, latStep), 1e-6) << r.sent.offset;
                EXPECT_LT(onGrid(r.sent.lon, lonStep), 1e-6) << r.sent.offset;
            }
            if (r.real.offset < 60) onStand.push_back(r.sent);
        }
        EXPECT_GT(ground, 80u);
        ASSERT_GE(onStand.size(), 4u);
        double spread = 0;
        for (const TrackSample& a : onStand)
            for (const TrackSample& b : onStand) spread = std::max(spread, metresApart(a, b));
        EXPECT_LE(spread, 2 * wanderM + 0.05);
        EXPECT_EQ(spread > 0.5, wanderM > 0) << spread;
    }
}

// Outside the pauses a report follows within the moving or standing pace; a
// pause starts while taxiing and ends before the aircraft leaves the taxi
// speeds, and covers the jump drawn for it (or the longest pause).
TEST(RealTrafficRealFeed, ReportsPauseWhileTaxiingAndJumpAfterwards) {
    const RealFeedOptions o;
    const TrackSpec track = departure();  // the path keeps a reference to it
    const TrackPath path(track, kEhamFt);
    for (std::uint32_t seed = 1; seed <= 4; ++seed) {
        const auto reports = reportsOf(departure(), withSeed(seed));
        int pauses = 0;
        for (std::size_t k = 1; k < reports.size(); ++k) {
            const Report& a = reports[k - 1];
            const Report& b = reports[k];
            const double gap = b.sent.offset - a.sent.offset;
            if (!a.ground || a.sent.offset < kRealFeedSettleSeconds) {
                EXPECT_NEAR(gap, path.intervalAfter(a.sent.offset), 1e-9) << seed << " at " << a.sent.offset;
                continue;
            }
            if (gap <= o.standingIntervalMaxS) {
                EXPECT_GE(gap, a.real.speedKt < kRealFeedStandingKt ? o.standingIntervalMinS : o.movingIntervalMinS);
                if (a.real.speedKt >= kRealFeedStandingKt) {
                    EXPECT_LE(gap, o.movingIntervalMaxS);
                }
                continue;
            }
            ++pauses;
            EXPECT_GE(gap, o.pauseMinS) << seed << " at " << a.sent.offset;
            EXPECT_LE(gap, o.pauseMaxS) << seed << " at " << a.sent.offset;
            EXPECT_GE(a.real.speedKt, kRealFeedStandingKt);
            EXPECT_TRUE(b.ground);
            EXPECT_LE(b.real.speedKt, kRealFeedTaxiLimitKt);
            double jump = 0;
            for (double t = a.sent.offset + 1; t <= b.sent.offset + 1e-9; t += 1)
                jump += metresApart(path.at(t - 1), path.at(t));
            EXPECT_LE(jump, o.jumpMaxM + 8.0) << seed << " at " << a.sent.offset;  // at most a second at 15 kt over
            const TrackSample next = path.at(b.sent.offset + 1);
            const bool cutShort = gap >= o.pauseMaxS - 1e-9 || next.speedKt > kRealFeedTaxiLimitKt;
            if (!cutShort) {
                EXPECT_GE(jump, o.jumpMinM) << seed << " at " << a.sent.offset;
            }
        }
        EXPECT_GE(pauses, 2) << seed;
    }
}

// Always for a while after an aircraft starts to move, and now and then
// while it taxis, the speed, track and heading fields are the last report's;
// never on a take-off or landing roll.
TEST(RealTrafficRealFeed, SpeedAndTrackStayStaleWhileThePositionMoves) {
    for (const double chancePerMinute : {0.0, 6.0}) {
        RealFeedOptions o;
        o.staleChancePerMinute = chancePerMinute;
        int starts = 0, staleWhileTaxiing = 0;
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            o.seed = seed;
            const auto reports = reportsOf(departure(), o);
            const auto fresh = [](const Report& r) {
                return r.sent.speedKt == r.real.speedKt && r.sent.trackDeg == r.real.trackDeg &&
                       r.sent.headingDeg == r.real.headingDeg;
            };
            for (std::size_t k = 1; k < reports.size(); ++k) {
                const Report& before = reports[k - 1];
                const Report& r = reports[k];
                if (!r.ground || r.real.speedKt > kRealFeedTaxiLimitKt) {
                    EXPECT_TRUE(fresh(r)) << r.sent.offset;
                    continue;
                }
                if (!fresh(r)) {
                    EXPECT_EQ(r.sent.speedKt, before.sent.speedKt) << r.sent.offset;
                    EXPECT_EQ(r.sent.trackDeg, before.sent.trackDeg) << r.sent.offset;
                    EXPECT_EQ(r.sent.headingDeg, before.sent.headingDeg) << r.sent.offset;
                }
                if (before.real.speedKt < kRealFeedStandingKt && r.real.speedKt >= kRealFeedStandingKt &&
                    r.sent.offset > kRealFeedSettleSeconds) {
                    ++starts;
                    EXPECT_LT(r.sent.speedKt, kRealFeedStandingKt) << "starts to move at " << r.sent.offset;
                    // Fresh again after the longest stale stretch (and a pause).
                    std::size_t j = k;
                    while (j < reports.size() && !fresh(reports[j])) ++j;
                    ASSERT_LT(j, reports.size());
                    if (chancePerMinute == 0) {
                        EXPECT_LE(reports[j].sent.offset - r.sent.offset, o.staleMaxS + o.pauseMaxS);
                    }
                } else if (!fresh(r) && fresh(before) && before.real.speedKt >= kRealFeedStandingKt) {
                    ++staleWhileTaxiing;
                }
            }
        }
        EXPECT_GE(starts, 3) << chancePerMinute;
        EXPECT_EQ(staleWhileTaxiing > 0, chancePerMinute > 0) << chancePerMinute;
    }
}

namespace {

// A helicopter standing a minute on its spot that rises 5 ft (16 ft above the
// field), hovers, hover-taxis 400 m at up to 15 kt, sets down and stands.
TrackSpec hoverTaxi() {
    TrackSpec t = identity(4850021, "PHMAB");
    t.type = "EC35";
    t.registration = "PH-MAB";
    t.category = "A7";
    const GeoPoint spot{52.320000, 4.770000};
    WaypointPath p(70, spot, 5.0, 0);
    p.stand(10);
    p.to(movedMetres(p.here(), 90, 60), 5.0, 10).to(movedMetres(p.here(), 70, 300), 5.0, 15);
    p.to(movedMetres(p.here(), 70, 40), 5.0, 0).stand(10);
    t.waypoints = {{0, spot.lat, spot.lon, std::nullopt, 0, 90.0}, {64, spot.lat, spot.lon, std::nullopt, 0, 90.0}};
    for (const Waypoint& w : p.take()) t.waypoints.push_back(w);
    Waypoint down = t.waypoints.back();
    down.time += 6;
    down.altitudeFt.reset();
    t.waypoints.push_back(down);
    down.time += 60;
    t.waypoints.push_back(down);
    return t;
}

}  // namespace

// On the ground a share of the reports claim to be airborne a little above
// the field; in the air only those in the flare claim the ground; otherwise
// an airborne report is the real state with a few metres of noise. A hover
// (level a few feet up at taxi speeds, on the ground to the program's
// reader) claims now the air at its height, now the ground.
TEST(RealTrafficRealFeed, OnGroundFlagsFlipNearTheGroundOnly) {
    struct Case {
        double flipShare, hoverGroundShare;
    } cases[] = {{0.0, 0.0}, {0.15, 0.5}, {0.0, 1.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("flip share {}, hover's ground share {}", c.flipShare, c.hoverGroundShare));
        const double share = c.flipShare;
        RealFeedOptions o;
        o.flipShare = c.flipShare;
        o.hoverGroundShare = c.hoverGroundShare;
        int ground = 0, flipped = 0, hovering = 0, claimsGround = 0;
        for (std::uint32_t seed = 1; seed <= 3; ++seed)
        for (const TrackSpec& track : {departure(), arrival(), hoverTaxi()}) {
            o.seed = seed;
            const auto clean = sampleTrack(track, kEhamFt);
            std::size_t k = 0;
            for (const Report& r : reportsOf(track, o)) {
                const bool settling = r.sent.offset < track.waypoints.front().time + kRealFeedSettleSeconds;
                const auto fields = fieldsOf(trafficDatagram(track, r.sent, 0));
                if (r.ground && r.real.altitudeFt > 0 && r.real.verticalSpeedFpm == 0 && !settling) {
                    ++hovering;
                    if (fields[4] == "0") {
                        ++claimsGround;
                        EXPECT_EQ(fields[6], "0") << r.sent.offset;   // the airborne flag
                        EXPECT_EQ(fields[18], "0") << r.sent.offset;  // the geometric altitude
                        EXPECT_EQ(fields[5], "0") << r.sent.offset;   // the vertical speed
                    } else {
                        EXPECT_EQ(fields[4], "5") << r.sent.offset;  // at its own height, never a flip's
                        EXPECT_EQ(fields[6], "1") << r.sent.offset;
                        EXPECT_EQ(fields[18], "80") << r.sent.offset;
                    }
                    continue;
                }
                // Rising into the hover or setting down: its own height or a flip's.
                if (r.ground && r.real.altitudeFt > 0) {
                    EXPECT_TRUE(r.sent.altitudeFt == r.real.altitudeFt ||
                                (r.sent.altitudeFt - kEhamFt >= 12.0 && r.sent.altitudeFt - kEhamFt <= 50.5))
                        << r.sent.offset;
                    continue;
                }
                if (r.ground) {
                    ++ground;
                    if (r.sent.altitudeFt == 0) continue;
                    ++flipped;
                    EXPECT_FALSE(settling);
                    EXPECT_GE(r.sent.altitudeFt - kEhamFt, 12.0) << r.sent.offset;
                    EXPECT_LE(r.sent.altitudeFt - kEhamFt, 50.5) << r.sent.offset;
                    continue;
                }
                EXPECT_LE(metresApart(r.sent, r.real), o.airNoiseM + 0.01);
                EXPECT_EQ(r.sent.speedKt, r.real.speedKt);
                if (r.sent.altitudeFt == 0) {
                    ++flipped;
                    EXPECT_FALSE(settling);
                    EXPECT_LT(r.real.altitudeFt - kEhamFt, 50.0) << r.sent.offset;
                } else {
                    EXPECT_EQ(r.sent.altitudeFt, r.real.altitudeFt);
                }
                // The arrival's approach goes out at the generator's pace.
                if (track.hexId == 4006871) {
                    EXPECT_EQ(r.sent.offset, clean[k++].offset);
                }
            }
        }
        EXPECT_GE(flipped, share * ground / 3) << share;
        EXPECT_LE(flipped, share * ground * 2) << share;
        EXPECT_GE(hovering, 20);
        EXPECT_GE(claimsGround, c.hoverGroundShare * hovering * 0.6);
        EXPECT_LE(claimsGround, std::ceil(c.hoverGroundShare * hovering * 1.4));
    }
}

namespace {

// Standing by the maintenance stands for ten minutes.
TrackSpec standing(double headingDeg = 0.0) {
    TrackSpec t = identity(4844323, "KLM1235");
    WaypointPath p(0, {52.310800, 4.751600}, std::nullopt, 0, headingDeg);
    p.stand(600, headingDeg);
    t.waypoints = p.take();
    return t;
}

}  // namespace

// A stray takes the first report at or after its time and lies its distance
// off; in a jumping stretch every report lies within its bounds and they come
// within seconds of each other; in a dwelling stretch the reports dwell 2 to
// 10 s at one of its spots and jump to another, without speed or track; a
// pause follows the first report at or after its time, and the feed's own
// pauses keep their spacing from it; elsewhere the feed's usual noise. A
// clean replay ignores them all.
TEST(RealTrafficRealFeed, StraysStretchesAndPausesComeWhereTheTrackAsksForThem) {
    const RealFeedOptions o;
    const auto withFaults = [](TrackSpec t, std::vector<StrayReport> strays, std::vector<JumpingStretch> jumps,
                               std::vector<DwellingStretch> dwells = {}, std::vector<ReportPause> pauses = {}) {
        t.strays = std::move(strays);
        t.jumps = std::move(jumps);
        t.dwells = std::move(dwells);
        t.pauses = std::move(pauses);
        return t;
    };
    const TrackSpec climbing = departure();
    const double climbAt = climbing.waypoints.back().time - 20;
    const GeoPoint stand{52.310800, 4.751600};  // where standing() stands
    const auto spotAt = [](const GeoPoint& p) { return Spot{p.lat, p.lon}; };
    const std::vector<Spot> spots = {spotAt(stand), spotAt(movedMetres(stand, 180, 60)),
                                     spotAt(movedMetres(stand, 100, 200))};
    struct Case {
        const char* name;
        TrackSpec track;
    } cases[] = {
        {"strays while standing", withFaults(standing(), {{0, 100, 20}, {0, 101, 400}, {0, 300, 75.5}}, {})},
        {"a stretch of the default bounds", withFaults(standing(), {}, {{0, 120, 300}})},
        {"a stretch of its own bounds, a stray after it",
         withFaults(standing(), {{0, 500, 150}}, {{0, 60, 200, 20, 40}, {0, 400, 30, 300, 300}})},
        {"strays while taxiing and climbing", withFaults(departure(), {{0, 200, 60}, {0, climbAt, 250}}, {})},
        {"a dwelling stretch, a stray after it", withFaults(standing(34), {{0, 520, 150}}, {}, {{0, 100, 400, spots}})},
        {"a jumping and a dwelling stretch, a pause while standing",
         withFaults(standing(34), {}, {{0, 60, 60}}, {{0, 300, 200, spots}}, {{0, 150, 90}})},
        {"pauses and a dwelling stretch while taxiing",
         withFaults(departure(), {}, {}, {{0, 280, 100, spots}}, {{0, 160, 60}, {0, 450, 45}})},
    };
    const auto metresTo = [](const TrackSample& s, const Spot& spot) {
        return gf_distanceNm(s.lat, s.lon, spot.lat, spot.lon) * kMetersPerNm;
    };
    const double onGrid = 19.0 / std::sqrt(2.0) + o.wanderM + 0.05;  // how far a ground report lies off its place
    for (const Case& c : cases) {
        const TrackPath path(c.track, kEhamFt);
        const auto inStretch = [&](double t) -> const JumpingStretch* {
            for (const JumpingStretch& j : c.track.jumps)
                if (t >= j.from && t <= j.from + j.seconds) return &j;
            return nullptr;
        };
        const auto inDwelling = [&](double t) -> const DwellingStretch* {
            for (const DwellingStretch& d : c.track.dwells)
                if (t >= d.from && t <= d.from + d.seconds) return &d;
            return nullptr;
        };
        for (std::uint32_t seed = 1; seed <= 3; ++seed) {
            SCOPED_TRACE(fmt::format("{}, seed {}", c.name, seed));
            const auto reports = reportsOf(c.track, withSeed(seed));
            std::size_t stray = 0;
            std::map<const JumpingStretch*, int> inEach;
            std::map<const DwellingStretch*, std::set<const Spot*>> visited;
            std::map<const DwellingStretch*, int> jumpsIn;
            const Spot* lastSpot = nullptr;
            double dwellBegan = 0;
            for (std::size_t k = 0; k < reports.size(); ++k) {
                const Report& r = reports[k];
                const double off = metresApart(r.sent, r.real);
                const bool nextIn = k + 1 < reports.size();
                if (stray < c.track.strays.size() && r.sent.offset >= c.track.strays[stray].time) {
                    EXPECT_NEAR(off, c.track.strays[stray++].metres, 0.05) << r.sent.offset;
                } else if (const JumpingStretch* j = inStretch(r.sent.offset)) {
                    ++inEach[j];
                    EXPECT_GE(off, j->minM - 0.05) << r.sent.offset;
                    EXPECT_LE(off, j->maxM + 0.05) << r.sent.offset;
                    if (nextIn && inStretch(reports[k + 1].sent.offset) == j) {
                        const double gap = reports[k + 1].sent.offset - r.sent.offset;
                        EXPECT_GE(gap, o.jumpingIntervalMinS);
                        EXPECT_LE(gap, o.jumpingIntervalMaxS);
                    }
                } else if (const DwellingStretch* d = inDwelling(r.sent.offset)) {
                    // At one of its spots, on the feed's grid; as recorded, no speed or track.
                    const Spot* at = &*std::min_element(
                        d->spots.begin(), d->spots.end(),
                        [&](const Spot& a, const Spot& b) { return metresTo(r.sent, a) < metresTo(r.sent, b); });
                    EXPECT_LE(metresTo(r.sent, *at), onGrid) << r.sent.offset;
                    const auto fields = fieldsOf(trafficDatagram(c.track, r.sent, 0));
                    EXPECT_EQ(fields[7], "0.0") << r.sent.offset;   // track
                    EXPECT_EQ(fields[8], "0.0") << r.sent.offset;   // ground speed
                    EXPECT_EQ(fields[20], "0") << r.sent.offset;    // true airspeed
                    EXPECT_EQ(fields[25], fmt::format("{:.1f}", r.real.headingDeg)) << r.sent.offset;
                    visited[d].insert(at);
                    // A dwell ends with a jump to another spot, 2 to 10 s after it began.
                    const bool sameStretch = k > 0 && inDwelling(reports[k - 1].sent.offset) == d;
                    if (sameStretch && at != lastSpot) {
                        ++jumpsIn[d];
                        EXPECT_GE(r.sent.offset - dwellBegan, o.dwellMinS - 1e-9) << r.sent.offset;
                        EXPECT_LE(r.sent.offset - dwellBegan, o.dwellMaxS + 1e-9) << r.sent.offset;
                    }
                    if (!sameStretch || at != lastSpot) dwellBegan = r.sent.offset;
                    lastSpot = at;
                    if (nextIn && inDwelling(reports[k + 1].sent.offset) == d) {
                        const double gap = reports[k + 1].sent.offset - r.sent.offset;
                        EXPECT_GE(gap, o.dwellingIntervalMinS - 1e-9);
                        EXPECT_LT(gap, o.dwellingIntervalMinS + o.dwellingIntervalMaxS);
                    }
                } else {
                    EXPECT_LE(off, r.ground ? onGrid : o.airNoiseM + 0.01) << r.sent.offset;
                }
            }
            EXPECT_EQ(stray, c.track.strays.size()) << "every stray sent";
            for (const JumpingStretch& j : c.track.jumps) {
                EXPECT_GE(inEach[&j], j.seconds / o.jumpingIntervalMaxS - 1) << j.from;
            }
            for (const DwellingStretch& d : c.track.dwells) {
                EXPECT_EQ(visited[&d].size(), d.spots.size()) << "every spot dwelt at, from " << d.from;
                EXPECT_GE(jumpsIn[&d], d.seconds / o.dwellMaxS - 1) << d.from;
            }
            // A pause follows the first report at or after its time; the
            // feed's own pauses end the least spacing of pauses before it and
            // start no sooner after it.
            std::vector<std::pair<double, double>> asked;  // the pauses as sent
            for (const ReportPause& q : c.track.pauses) {
                const auto at = std::find_if(reports.begin(), reports.end(),
                                             [&](const Report& r) { return r.sent.offset >= q.from; });
                ASSERT_TRUE(at != reports.begin() && at != reports.end() && at + 1 != reports.end()) << q.from;
                EXPECT_LE(at->sent.offset - (at - 1)->sent.offset, o.standingIntervalMaxS) << q.from;
                EXPECT_NEAR((at + 1)->sent.offset - at->sent.offset, q.seconds, 1e-9) << q.from;
                asked.emplace_back(at->sent.offset, (at + 1)->sent.offset);
            }
            for (std::size_t k = 1; k < reports.size(); ++k) {
                const double from = reports[k - 1].sent.offset, to = reports[k].sent.offset;
                if (to - from <= o.standingIntervalMaxS) continue;
                if (std::find(asked.begin(), asked.end(), std::pair{from, to}) != asked.end()) continue;
                for (const auto& [pauseFrom, pauseTo] : asked) {
                    if (pauseFrom >= to) {
                        EXPECT_LE(to, pauseFrom - o.pauseEveryMinS + 1e-9) << "the feed's pause from " << from;
                    }
                    if (pauseTo <= from) {
                        EXPECT_GE(from, pauseTo + o.pauseEveryMinS - 1e-9) << "the feed's pause from " << from;
                    }
                }
            }

            const auto texts = [&](std::uint32_t s) {
                std::vector<std::string> out;
                for (const TrackSample& r : realFeedSamples(c.track, kEhamFt, withSeed(s)))
                    out.push_back(fmt::format("{:.2f} {:.7f} {:.7f} {:.1f}", r.offset, r.lat, r.lon, r.speedKt));
                return out;
            };
            EXPECT_EQ(texts(seed), texts(seed));
            EXPECT_NE(texts(seed), texts(seed + 10));
        }
        const auto clean = [](const TrackSpec& track) {
            std::vector<std::string> out;
            for (const TrackSample& s : sampleTrack(track, kEhamFt))
                out.push_back(fmt::format("{:.2f} {:.7f} {:.7f}", s.offset, s.lat, s.lon));
            return out;
        };
        EXPECT_EQ(clean(c.track), clean(withFaults(c.track, {}, {}))) << c.name;
    }
    // A stray or a pause at the track's end, after its last report, is
    // refused, and so are dwelling spots a jump between would not show.
    TrackSpec flying = identity(4844324, "KLM1236");
    WaypointPath air(0, {52.2, 4.6}, 3000.0, 200);  // a report every 6 s, the last at 48 s
    air.to(movedMetres(air.here(), 90, 5000), 3000.0, 200);
    flying.waypoints = air.take();
    const struct {
        TrackSpec track;
        const char* message;
    } refused[] = {
        {withFaults(standing(), {{12, 600, 100}}, {}),
         "track KLM1235 (scenario line 12): no report comes at or after the stray at 600 s (the last at "},
        {withFaults(flying, {}, {}, {}, {{14, 48.3, 0.2}}),
         "track KLM1236 (scenario line 14): no report comes at or after the pause at 48.3 s (the last at 48.0 s)"},
        {withFaults(standing(), {}, {}, {{13, 60, 100, {spots[0], spots[1], spotAt(movedMetres(stand, 0, 11))}}}),
         "track KLM1235 (scenario line 13): dwelling spots 1 and 3 lie 11.0 m apart, closer than the feed's grid "
         "step of 19 m"},
    };
    for (const auto& c : refused) {
        try {
            realFeedSamples(c.track, kEhamFt, o);
            ADD_FAILURE() << "accepted: " << c.message;
        } catch (const StandInError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}
