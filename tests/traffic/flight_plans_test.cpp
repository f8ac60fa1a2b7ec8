#include "traffic/flight_plans.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "foundation/text_convert.h"
#include "traffic/ac_texts.h"
#include "support/temp_dir.h"
#include "traffic/flight_plan_folder.h"
#include "traffic/motion_fixture.h"

using namespace motion_test;
namespace fs = std::filesystem;

namespace {

class FlightPlans : public MotionTest {
protected:
    void SetUp() override {
        MotionTest::SetUp();
        savedFolder_ = g_flightPlanFolder;
        ASSERT_TRUE(gf_createFlightPlanFolder(appData_.path()));
    }
    void TearDown() override {
        g_flightPlanFolder = savedFolder_;
        MotionTest::TearDown();
    }

    LiveAc& created(SizeCategory category, const char* origin, const char* destination, std::uint32_t objectId) {
        LiveAc& ac = addActive(category, {sampleAt(52.0, 4.0, 3000, 200, 0, 90000)});
        if (origin != nullptr) ac.origin = ShortAirportCode(origin);
        if (destination != nullptr) ac.destination = ShortAirportCode(destination);
        ac.objectId = objectId;
        return ac;
    }

    testing_support::TempDir appData_;
    fs::path savedFolder_;
};

}  // namespace

TEST_F(FlightPlans, FileIsWrittenByteForByteAndHandedToTheSimulator) {
    const struct {
        SizeCategory category;
        const char* rules;
    } cases[] = {{SizeCategory::Heavy, "IFR"}, {SizeCategory::Buzjets, "IFR"}, {SizeCategory::Light, "VFR"},
                 {SizeCategory::Rotorcraft, "VFR"}};
    std::uint32_t objectId = 42;
    for (const auto& c : cases) {
        LiveAc& ac = created(c.category, "LHR", "AMS", objectId);
        lf_createFlightPlan(ac);
        const fs::path file = g_flightPlanFolder / (std::to_string(objectId) + ".pln");
        EXPECT_EQ(testing_support::readFile(file),
                  std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<SimBase.Document Type=\"AceXML\" version=\"4,3\">\n"
                              "<FlightPlan.FlightPlan>\n"
                              "<FPType>") +
                      c.rules +
                      "</FPType>\n"
                      "<DepartureID>LHR</DepartureID>\n"
                      "<DestinationID>AMS</DestinationID>\n"
                      "</FlightPlan.FlightPlan>\n"
                      "</SimBase.Document>\n"
                      "\n");
        ASSERT_FALSE(sim.flightPlans.empty());
        EXPECT_EQ(sim.flightPlans.back().first, objectId);
        EXPECT_EQ(sim.flightPlans.back().second, gf_pathToUtf8(file));
        EXPECT_EQ(ac.hasFlightPlan, 1);
        ++objectId;
    }
}

TEST_F(FlightPlans, WithoutBothAirportsThereIsNoPlan) {
    LiveAc& ac = created(SizeCategory::Large, "LHR", nullptr, 43);
    lf_createFlightPlan(ac);
    LiveAc& other = created(SizeCategory::Large, nullptr, "AMS", 44);
    lf_createFlightPlan(other);
    EXPECT_TRUE(fs::is_empty(g_flightPlanFolder));
    EXPECT_TRUE(sim.flightPlans.empty());
    EXPECT_EQ(ac.hasFlightPlan, 0);
    EXPECT_FALSE(log.contains("flight plan"));
}

TEST_F(FlightPlans, ARefusedPlanIsLoggedAndNotKept) {
    sim.flightPlanResult = static_cast<std::int32_t>(0x80004005u);
    LiveAc& ac = created(SizeCategory::Large, "LHR", "AMS", 45);
    ac.hasFlightPlan = 1;
    lf_createFlightPlan(ac);
    EXPECT_EQ(ac.hasFlightPlan, 0);
    EXPECT_TRUE(log.contains(gf_acRegText(ac) + " creating a flight plan failed"));

    // A folder that cannot be written to: no file, no request.
    g_flightPlanFolder = appData_ / "missing" / "orig_dest";
    sim.flightPlans.clear();
    lf_createFlightPlan(ac);
    EXPECT_TRUE(sim.flightPlans.empty());
    EXPECT_EQ(ac.hasFlightPlan, 0);
}

TEST_F(FlightPlans, RemovedObjectsPlanIsDeleted) {
    LiveAc& ac = created(SizeCategory::Large, "LHR", "AMS", 46);
    lf_createFlightPlan(ac);
    ASSERT_TRUE(fs::exists(gf_flightPlanPath(46)));
    gf_removeFlightPlan(46);
    EXPECT_FALSE(fs::exists(gf_flightPlanPath(46)));
    EXPECT_FALSE(log.contains("gf_removeFlightPlan"));
    gf_removeFlightPlan(46);
    EXPECT_TRUE(log.contains("gf_removeFlightPlan: "));
}

// The simulator reads paths in the ANSI code page; a path it cannot hold
// goes in its 8.3 short form.
TEST(FlightPlanPath, NonAnsiPathsGoInTheirShortForm) {
    const auto shortForm = [](const fs::path&) { return fs::path("C:/Users/JRGEN~1/AppData/orig_dest/42.pln"); };
    const auto noShortForm = [](const fs::path&) { return fs::path(); };
    const fs::path ansi = gf_utf8Path("C:/Users/Jürgen/AppData/orig_dest/42.pln");
    const fs::path greek = gf_utf8Path("C:/Users/Ωμέγα/AppData/orig_dest/42.pln");
    EXPECT_EQ(lf_simPathText(ansi, shortForm), "C:/Users/Jürgen/AppData/orig_dest/42.pln");
    EXPECT_EQ(lf_simPathText(greek, shortForm), "C:/Users/JRGEN~1/AppData/orig_dest/42.pln");
    EXPECT_EQ(lf_simPathText(greek, noShortForm), "C:/Users/Ωμέγα/AppData/orig_dest/42.pln");
}
