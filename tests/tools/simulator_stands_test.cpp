// The stand-in's view of the stands: which stand an AI object was created
// on and left, which it came to rest on, and the map of the stands with the
// tracks on the ground.
#include <gtest/gtest.h>

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
