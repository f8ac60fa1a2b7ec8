// The stand-in's view of the stands: which stand an AI object was created
// on and left, which it came to rest on, and the map of the stands with the
// tracks on the ground.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "support/temp_dir.h"
#include "tools/simulator/stand_map.h"

namespace {

using simulator::StandPlace;
using testing_support::TempDir;

constexpr double kGroundFt = 10.0;  // terrain 0, static CG 8 ft, 2 ft of play

// Two stands 60 m apart on the parallel 52 N (60 m = 0.000877 degrees of longitude).
std::vector<StandPlace> twoStands() { return {{"D8", 52.0, 4.0, 34.0, 20.0}, {"E3", 52.0, 4.000877, 214.0, 35.0}}; }

simulator::AiObject object(std::uint32_t id, const std::string& tail, std::vector<simulator::TrackPoint> track) {
    simulator::AiObject o;
    o.id = id;
    o.client = 1;
    o.tailNumber = tail;
    o.track = std::move(track);
    return o;
}

simulator::World world() {
    simulator::World w;
    // An arrival from the air onto D8, 3 m short of its centre.
    w.objects.push_back(object(100, "KLM1234", {{0, 51.99, 4.0, 500}, {60, 51.999, 4.0, 8}, {90, 51.99997, 4.0, 8}}));
    // A departure created on E3 that leaves it.
    w.objects.push_back(object(101, "KLC1671", {{0, 52.0, 4.000877, 8}, {30, 52.0006, 4.0012, 8}}));
    // One that stands on E3's edge and stays, one flying over D8.
    w.objects.push_back(object(102, "DLH9", {{0, 52.0, 4.00075, 8}, {30, 52.0, 4.00075, 8}}));
    w.objects.push_back(object(103, "BAW1", {{0, 52.0, 4.0, 3000}}));
    return w;
}

}  // namespace

TEST(StandInStands, TheStandsAnObjectWasCreatedOnLeftAndCameToRestOn) {
    const std::vector<simulator::StandVisit> visits = simulator::standVisits(world(), twoStands(), kGroundFt);
    EXPECT_EQ(simulator::standReport(visits),
              "KLM1234 (object 100): came to rest on stand D8\n"
              "KLC1671 (object 101): created on stand E3 and left it\n"
              "DLH9 (object 102): created on stand E3\n");
}

TEST(StandInStands, TheGroundMapDrawsTheStandsAndTheTracksOnTheGround) {
    const std::string svg = simulator::groundMapSvg(world(), twoStands(), kGroundFt);
    EXPECT_NE(svg.find("<title>stand D8</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>stand E3</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>100 KLM1234</title>"), std::string::npos);
    EXPECT_NE(svg.find("<title>101 KLC1671</title>"), std::string::npos);
    EXPECT_EQ(svg.find("BAW1"), std::string::npos) << "an object never on the ground has no ground track";
}

TEST(StandInStands, AStandFileIsReadAndAnEmptyOneRefused) {
    TempDir dir;
    testing_support::writeFile(dir / "EHAM.xml",
                               "<root><parkpositions><parkpos id=\"D8\" latitude=\"52.3088\" longitude=\"4.7612\" "
                               "heading=\"34.0\" radius=\"20.0\"><opt/></parkpos></parkpositions></root>");
    const std::vector<StandPlace> stands = simulator::readStandFile(dir / "EHAM.xml");
    ASSERT_EQ(stands.size(), 1U);
    EXPECT_EQ(stands[0].name, "D8");
    EXPECT_DOUBLE_EQ(stands[0].longitude, 4.7612);
    EXPECT_DOUBLE_EQ(stands[0].radiusM, 20.0);
    testing_support::writeFile(dir / "none.xml", "<root><parkpositions/></root>");
    EXPECT_THROW(simulator::readStandFile(dir / "none.xml"), std::runtime_error);
    EXPECT_THROW(simulator::readStandFile(dir / "missing.xml"), std::runtime_error);
}

// Each step on the ground against the heading: forwards or backwards along
// the nose is no slide, sideways is; jumps and steps in the air do not count.
TEST(StandInStands, TheGroundMotionReportShowsHowFarTheHeadingWasFromTheWayAnObjectMoved) {
    constexpr double kEast = 0.5 * std::numbers::pi, kNorth = 0.0;
    constexpr double kLon10m = 10.0 / (60 * 1852.0 * 0.6156615);  // 10 m of longitude at 52 N
    constexpr double kLat10m = 10.0 / (60 * 1852.0);
    simulator::World w;
    // Taxiing east nose first, then a jump of 500 m and a step sideways in the air.
    w.objects.push_back(object(100, "KLM1", {{0, 52.0, 4.0, 8, kEast},
                                             {5, 52.0, 4.0 + kLon10m, 8, kEast},
                                             {10, 52.0, 4.0 + 2 * kLon10m, 8, kEast},
                                             {11, 52.0, 4.0 + 52 * kLon10m, 8, kNorth},
                                             {20, 52.0, 4.0 + 53 * kLon10m, 500, kNorth}}));
    // Pushed back: moving south with the nose north.
    w.objects.push_back(object(101, "KLM2", {{0, 52.0, 4.0, 8, kNorth}, {5, 52.0 - kLat10m, 4.0, 8, kNorth}}));
    // Sliding east with the nose 30 degrees left of the way it moves.
    w.objects.push_back(
        object(102, "KLM3", {{0, 52.0, 4.0, 8, kEast}, {5, 52.0, 4.0 + kLon10m, 8, kEast - std::numbers::pi / 6}}));
    // Round a quarter circle of 50 m, nose along the tangent: the chord
    // between two points runs along the mean of their headings.
    std::vector<simulator::TrackPoint> curve;
    for (int k = 0; k <= 8; ++k) {
        const double a = k * std::numbers::pi / 16;  // from north of the centre, clockwise
        curve.push_back({k * 1.0, 52.0 + 50 * std::cos(a) / (60 * 1852.0),
                         4.0 + 50 * std::sin(a) / (60 * 1852.0 * 0.6156615), 8, a + kEast});
    }
    w.objects.push_back(object(103, "KLM4", curve));
    // Standing only.
    w.objects.push_back(object(104, "KLM5", {{0, 52.0, 4.0, 8, kNorth}, {30, 52.0, 4.0, 8, kEast}}));
    // Creeping sideways at 1 m/s or less (a parked aircraft nudged onto its
    // spot), then moving on nose first: only the move counts for the angle.
    w.objects.push_back(object(105, "KLM6", {{0, 52.0, 4.0, 8, kNorth},
                                             {10, 52.0, 4.0 + kLon10m, 8, kNorth},
                                             {15, 52.0 + kLat10m, 4.0 + kLon10m, 8, kNorth}}));

    const std::vector<simulator::GroundMotion> motions = simulator::groundMotions(w, kGroundFt);
    ASSERT_EQ(motions.size(), 5U);
    EXPECT_NEAR(motions[0].metres, 20.0, 0.05);
    EXPECT_NEAR(motions[0].largestOffDeg, 0.0, 0.01);
    EXPECT_NEAR(motions[1].largestOffDeg, 0.0, 0.01) << "backwards along the tail";
    EXPECT_NEAR(motions[2].largestOffDeg, 15.0, 0.01) << "half way between the two headings";
    EXPECT_NEAR(motions[3].metres, 50 * std::numbers::pi / 2, 0.5);
    EXPECT_LT(motions[3].largestOffDeg, 0.1);
    EXPECT_NEAR(motions[4].metres, 20.0, 0.05);
    EXPECT_NEAR(motions[4].largestOffDeg, 0.0, 0.01) << "the slow sideways step does not count";
    EXPECT_EQ(simulator::groundMotionReport({motions[2]}),
              "KLM3 (object 102): 10 m on the ground, heading at most 15.0 degrees off the way it moved\n");
}

// A turn on the spot followed by a move along the new heading, as the stand-in
// records it from the position updates: the track keeps a point at the end of
// the turn, so the move is measured nose first and not half way through the turn.
TEST(StandInStands, ATurnOnTheSpotThenAMoveIsRecordedNoseFirst) {
    constexpr double kLat1m = 1.0 / (60 * 1852.0);
    simulator::World w;
    simulator::AiObject o = object(0, "PHMAB", {});
    o.state.latitude = 52.0;
    o.state.longitude = 4.0;
    o.state.altitudeFt = 8;
    o.state.headingRad = 195.0 * std::numbers::pi / 180.0;
    simulator::AiObject& added = simulator::addObject(w, o);
    for (int k = 1; k <= 24; ++k) {  // round to north at 5 degrees a tick, on the spot
        w.simTime += 0.25;
        added.state.headingRad = (195.0 + 7.0 * k) * std::numbers::pi / 180.0;
        simulator::noteObjectMoved(w, added);
    }
    for (int k = 1; k <= 12; ++k) {  // then 12 m north, nose first
        w.simTime += 0.25;
        added.state.latitude = 52.0 + k * kLat1m;
        simulator::noteObjectMoved(w, added);
    }
    const std::vector<simulator::GroundMotion> motions = simulator::groundMotions(w, kGroundFt);
    ASSERT_EQ(motions.size(), 1U);
    EXPECT_NEAR(motions[0].metres, 11.0, 1.01) << "the 12 m, less the last stretch short of a track step";
    EXPECT_LT(motions[0].largestOffDeg, 5.0);
}
