// The texts of log lines about aircraft, the callsign tests and the base an
// aircraft gets from the model tables.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

#include "engine_fixture.h"
#include "traffic/ac_texts.h"
#include "traffic/extended_record.h"

namespace {

using engine_test::EngineTest;

AcIdent ident(const std::string& airline, const std::string& second, const std::string& model, bool cargo,
              const std::string& callsign, const std::string& registration, const std::string& origin,
              const std::string& destination) {
    AcIdent id;
    id.modelKey.airlineId = airline.empty() ? 0 : gf_airlineId(airline);
    id.modelKey.secondAirlineId = second.empty() ? 0 : gf_airlineId(second);
    id.modelKey.modelId = gf_modelId(model);
    id.modelKey.cargo = cargo ? 1 : 0;
    id.callsign = callsign;
    id.registration = registration;
    if (!origin.empty()) id.origin = ShortAirportCode(origin);
    if (!destination.empty()) id.destination = ShortAirportCode(destination);
    return id;
}

using AircraftTexts = EngineTest;

TEST_F(AircraftTexts, FixedWidthTextsOfIdentityAndModelKey) {
    struct Case {
        AcIdent id;
        std::string modelKey, route, identText, acText, regText, description;
    };
    const Case cases[] = {
        {ident("KLM", "", "B738", false, "KLM1234", "PH-BXA", "LHR", "AMS"), "KLM     B738   ", "LHR->AMS",
         "KLM1234  PH-BXA       LHR->AMS", "KLM1234  PH-BXA       LHR->AMS KLM     B738   ",
         "KLM1234  PH-BXA KLM     B738   ", "KLM     B738    PH-BXA"},
        {ident("UPS", "DHL", "B744", true, "UPS9", "N571UP", "", "CGN"), "UPS,DHL B744(C)", "   ->CGN",
         "UPS9     N571UP          ->CGN", "UPS9     N571UP          ->CGN UPS,DHL B744(C)",
         "UPS9     N571UP UPS,DHL B744(C)", "UPS,DHL B744(C) N571UP"},
        {ident("", "", "C172", false, "DEABC", "", "", ""), "        C172   ", "        ",
         "DEABC                         ", "DEABC                                  C172   ",
         "DEABC             C172   ", "        C172    "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.callsign);
        EXPECT_EQ(gf_modelKeyText(c.id.modelKey), c.modelKey);
        EXPECT_EQ(gf_routeText(c.id), c.route);
        EXPECT_EQ(gf_acIdentText(c.id), c.identText);
        EXPECT_EQ(gf_acText(c.id), c.acText);
        EXPECT_EQ(gf_acRegText(c.id), c.regText);
        EXPECT_EQ(gf_acDescription(c.id), c.description);
    }
}

TEST_F(AircraftTexts, UsableCallsignsAndAirlineOfACallsign) {
    struct Case {
        std::string text;
        bool usable;
        std::optional<std::string> airline;
    };
    const Case cases[] = {
        {"", false, std::nullopt},          {"@@@@@@@@", false, std::nullopt},
        {"ABCDEFGHI", false, std::nullopt}, {"PHBXA", true, std::nullopt},
        {"KLM1234", true, "KLM"},           {"klm1", true, "KLM"},
        {"KLM", true, std::nullopt},        {"K1M1", true, std::nullopt},
        {"KLMX12", true, std::nullopt},     {"12345678", true, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gf_isPlaceholder(c.text), c.usable);
        EXPECT_EQ(gf_normaliseCode(c.text), c.airline);
    }
}

TEST_F(AircraftTexts, ExtendedRecordTakesCategoryValuesRadiusAndSpreadPitches) {
    struct Case {
        std::string model;
        SizeCategory category;
        std::int32_t flare, touchdown, rotation, climbOut;
        double takeOffDeg, climbDeg, turnDeg;
    };
    const Case cases[] = {
        {"C172", SizeCategory::Light, 250, 250, 100, 200, -9, -15, 0.15},
        {"C56X", SizeCategory::Buzjets, 300, 300, 200, 250, -8, -18, 0.10},
        {"B738", SizeCategory::Large, 400, 350, 200, 300, -6, -16.5, 0.07},
        {"B744", SizeCategory::Heavy, 450, 450, 250, 400, -5, -12.5, 0.05},
        {"F16", SizeCategory::HighPerf, 150, 150, 100, 200, -6, -20, 0.10},
        {"EC35", SizeCategory::Rotorcraft, 100, 100, 100, 100, -20, -30, 0.20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        AcIdent id = ident("KLM", "", c.model, false, "KLM1", "PH-X", "", "");
        const AcBase base = gf_extendAcRecord(std::move(id));
        EXPECT_EQ(base.callsign, "KLM1");
        EXPECT_EQ(base.sizeCategory, c.category);
        EXPECT_DOUBLE_EQ(base.radiusNm, g_wingspans[gf_modelId(c.model)]);
        EXPECT_EQ(base.flareSteps, c.flare);
        EXPECT_EQ(base.touchdownSteps, c.touchdown);
        EXPECT_EQ(base.rotationSteps, c.rotation);
        EXPECT_EQ(base.climbOutSteps, c.climbOut);
        EXPECT_NEAR(base.turnRateBase, c.turnDeg * kDegToRad, 1e-12);
        // Spread up or down by exactly 2.5 and 5 percent.
        const double takeOff = base.takeOffPitch / kDegToRad;
        const double climb = base.climbPitch / kDegToRad;
        EXPECT_NEAR(std::abs(takeOff - c.takeOffDeg), std::abs(c.takeOffDeg) * 0.025, 1e-9);
        EXPECT_NEAR(std::abs(climb - c.climbDeg), std::abs(c.climbDeg) * 0.05, 1e-9);
    }
    try {
        gf_categoryValues(static_cast<SizeCategory>(6));
        FAIL() << "an unknown category must throw";
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid unordered_map<K, T> key");
    }
}

}  // namespace
