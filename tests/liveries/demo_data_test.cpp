// The data set's liveries of the demo's simulator, processed with the data
// set's data base and regcode file: the demo's aircraft get the liveries the
// demo shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "livery_fixture.h"
#include "refdata/registrations.h"
#include "support/data_set.h"

namespace {
struct DemoLiveries : livery_testing::LiveryTest {
    DemoLiveries() : LiveryTest(testing_support::dataSetFile("dbase.enc")) {
        std::filesystem::copy_file(testing_support::dataSetFile("AIG-regcodes.enc"), g_aigRegcodesEncPath);
        std::filesystem::create_directories(g_outputFolder);
        std::filesystem::copy_file(testing_support::sourceFile("data/LiveriesScanned.xml"), g_liveriesScannedPath);
        gf_processScannedLiveries(parametersPath);
    }

    // The live aircraft as the traffic engine makes it from its registration.
    static AcBase demoAircraft(const std::string& callsign, const std::string& registration) {
        AcBase base;
        base.callsign = callsign;
        base.registration = registration;
        const auto codes = gf_findRegistration(registration);
        EXPECT_TRUE(codes.has_value()) << registration;
        if (codes) base.modelKey = ModelKey{codes->airlineId, codes->secondAirlineId, codes->modelId, codes->cargo};
        base.sizeCategory = gf_modelCategory(base.modelKey.modelId);
        return base;
    }
};
}  // namespace

TEST_F(DemoLiveries, TheDemoTrafficMatchesAtStepsOneToFour) {
    const struct {
        const char* callsign;
        const char* registration;
        const char* line;
    } cases[] = {
        {"KLM1234", "PH-BXA", "=1= Boeing 737-800 KLM PH-BXA"},
        {"BAW432", "G-EUYA", "=2= Airbus A320 British Airways"},
        {"KLC1671", "PH-EZA", "=3= Embraer 195 KLM Cityhopper"},
        {"DLH9AB", "D-AIZA", "=4= Airbus A320 Generic White"},
    };
    for (const auto& c : cases) {
        AcBase aircraft = demoAircraft(c.callsign, c.registration);
        gf_matchLiveryLive(aircraft);
        const std::string last = log.lines().back();
        EXPECT_EQ(last.substr(last.find(" =") + 1), c.line) << c.callsign;
    }
    EXPECT_FALSE(log.contains("==>"));  // the data set has no faults
    EXPECT_EQ(g_specialLiveries.size(), 1U);
    EXPECT_EQ(gf_liveryTitleForRegistration("PH-HSB"), "Boeing 737-800 Transavia PH-HSA");
}
