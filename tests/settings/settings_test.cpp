#include "settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "foundation/text_convert.h"
#include "settings/category_tables.h"
#include "settings/file_names.h"
#include "settings/program_version.h"

namespace {
template <class List>
std::vector<std::string> keysOf(const List& list) {
    std::vector<std::string> keys;
    for (const auto* p : list) keys.push_back(p->key);
    return keys;
}
}  // namespace

TEST(ParameterClasses, ConstructedValues) {
    const IntParam holding("X", 250, 10, 4000);
    EXPECT_EQ(holding.value, 250);
    EXPECT_EQ(RANGE.minimum, 2);
    EXPECT_EQ(RANGE.maximum, 100);
    const BoolParam on("Y", true);
    EXPECT_TRUE(on.defaultValue && on.minimum && on.maximum && on.value);
    EXPECT_EQ(AMAX_FIT_FL.values.size(), 20u);
    EXPECT_EQ(std::count(AMAX_FIT_FL.values.begin(), AMAX_FIT_FL.values.end(), 11.0f), 0);
    EXPECT_EQ(AMAX_FIT_FL.minimum, 0.5f);
    EXPECT_EQ(AMAX_FIT_FL.maximum, 24.0f);
}

TEST(Settings, TypedListsHoldTheKeysInFileOrder) {
    EXPECT_EQ(keysOf(g_boolParams), (std::vector<std::string>{"RANDOM"}));
    EXPECT_EQ(keysOf(g_checkBoxParams),
              (std::vector<std::string>{"ALWAYS_ON_TOP", "NAV_LIGHTS_WHILE_PARKED", "AEROWINX", "GUID_CHANGES",
                                        "SCAN_LIVERIES", "LIG_PRIORITIZE", "SCAN_AIRPORTS", "LIGHT_AIRCRAFT",
                                        "HELICOPTERS", "HIGH_PERF_AIRCRAFT", "AUTO_RANGE", "AIRBORNE_ONLY",
                                        "COLLISION_USER_GND", "COLLISION_USER_AIR", "COLLISION_LIVE_PARKED_GND",
                                        "STRAIGHT_PBS_ONLY", "INITIAL_LOAD_ONLY", "WEEK", "PARK_SOFT"}));
    EXPECT_EQ(keysOf(g_intParams),
              (std::vector<std::string>{"MAIN_WINDOW_X", "MAIN_WINDOW_Y", "LAST_EPOCH_TIME:",
                                        "CUSTOM_PARKING_PERCENTAGE", "HOLDING_THRESHOLD_METERS",
                                        "MAX_HOLDING_MINUTES", "AIRP_HEIGHT", "MAX_FIT", "P3D_VERSION"}));
    EXPECT_EQ(keysOf(g_choiceParams),
              (std::vector<std::string>{"MATCHING_DEPTH", "RANGE", "AR_ABOVE_HEIGHT", "MAX_PARK_SEL", "MAX_LIVE_SEL",
                                        "AIRP_RANGE", "AIRP_HEIGHT"}));
    ASSERT_EQ(g_stringParams.size(), 29u);
    EXPECT_EQ(g_stringParams[3]->key, "lfolder0");
    EXPECT_EQ(g_stringParams[22]->key, "afolder9");
    EXPECT_EQ(g_stringParams.back()->key, "DESTINATION");
    EXPECT_EQ(keysOf(g_editParams), (std::vector<std::string>{"BLOCK_CALLSIGN"}));
}

TEST(Settings, SomeSettingsStandInNoList) {
    std::set<std::string> listed;
    for (const auto& key : keysOf(g_boolParams)) listed.insert(key);
    for (const auto& key : keysOf(g_checkBoxParams)) listed.insert(key);
    for (const auto& key : keysOf(g_intParams)) listed.insert(key);
    for (const auto& key : keysOf(g_choiceParams)) listed.insert(key);
    for (const auto& key : keysOf(g_stringParams)) listed.insert(key);
    for (const auto& key : keysOf(g_editParams)) listed.insert(key);
    EXPECT_EQ(listed.size(), 65u);  // AIRP_HEIGHT is listed twice
    for (const char* key : {"AMAX_FIT_FL", "parking_percentage", "ALL_INSTALL_PATH", "CALLSIGN_2_OBJECTID",
                            "AFG_AUTOMATIC"})
        EXPECT_EQ(listed.count(key), 0u) << key;
}

TEST(Settings, DefaultsListsAndDerivedRadius) {
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(g_rangeNm, 40.0);
    EXPECT_EQ(g_rangeMeters, 74080);
    EXPECT_EQ(MAX_LIVE_SEL.values, MAX_PARK_SEL.values);
    EXPECT_EQ(MAX_LIVE_SEL.values.back(), 500);
    EXPECT_EQ(AIRP_HEIGHT.values, (std::vector<std::int32_t>{2000, 4000, 6000, 8000, 10000, 12000, 14000, 16000,
                                                             18000, 36000, 48000}));
    EXPECT_EQ(parking_percentage.values.size(), 21u);
    EXPECT_EQ(LAST_EPOCH_TIME.key, "LAST_EPOCH_TIME:");
    EXPECT_EQ(PORT_NUMBER.value, "10747");
    EXPECT_EQ(CUSTOM_PARKING_PERCENTAGE.value, -1);
    EXPECT_EQ(BLOCK_CALLSIGN.controlId, 32828);
    EXPECT_EQ(BLOCK_CALLSIGN.row, 259);
    EXPECT_EQ(g_tbloZipButton.key, "tblo.zip");
    EXPECT_EQ(g_tbloZipButton.row, 175);
    EXPECT_EQ(g_keyMaxLiveSel.data(), MAX_LIVE_SEL.key.data());
    EXPECT_EQ(g_keyParkingPercentage, "parking_percentage");
    EXPECT_TRUE(CALLSIGN_2_OBJECTID.callsigns()->empty());
}

TEST(GlobalTables, CategoryTablesAndFileNames) {
    EXPECT_EQ(g_categoryTables.takeOffPitchDeg.at(5), -20.0);
    EXPECT_NEAR(g_categoryTables.turnRateBase.at(3), 0.000873, 1e-6);
    EXPECT_EQ(g_categoryTables.touchdownSteps.at(2), 350);
    EXPECT_EQ(g_categoryTables.climbPitchDeg.at(2), -16.5);
    EXPECT_EQ(g_dbaseEncPath.generic_string(), "input/dbase.enc");
    EXPECT_EQ(g_incompleteFltsimPath.generic_string(), "output/errors/IncompleFltsimSections.txt");
    EXPECT_EQ(g_learnedThirdpartyFolder.generic_string(), "airports/learned/thirdparty");
    EXPECT_EQ(gf_pathToUtf8(g_parametersPath.filename()), "parameters.xml");
    EXPECT_EQ(gf_pathToUtf8(g_parametersPath.parent_path().filename()), "Velantra_P3D");
    EXPECT_EQ(g_parametersPathUtf8, gf_pathToUtf8(g_parametersPath));
    EXPECT_GE(g_programVersion, VersionData(11, 0, 2));
    EXPECT_EQ(g_programVersion.toString(), kProgramVersionText);
}
