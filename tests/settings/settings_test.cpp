#include "settings/settings.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "foundation/text_convert.h"
#include "settings/category_tables.h"
#include "settings/file_names.h"
#include "settings/program_version.h"

namespace {
std::string listText(const auto& values) {
    std::string text;
    for (const auto value : values) text += (text.empty() ? "" : ",") + fmt::format("{}", value);
    return text;
}

// A parameter's class, default, range or value list, control id and row as
// one line, in the words of the settings table.
std::string describe(const Parameter& p) {
    const auto control = [](const WindowControl& c) { return fmt::format(" {} {}", c.controlId, c.row); };
    const auto onOff = [](bool value) { return value ? "on" : "off"; };
    if (const auto* x = dynamic_cast<const CallsignListParam*>(&p))
        return fmt::format("CallsignListParam '{}'", x->defaultValue) + control(*x);
    if (const auto* x = dynamic_cast<const EditParam*>(&p))
        return fmt::format("EditParam '{}'", x->defaultValue) + control(*x);
    if (const auto* x = dynamic_cast<const CheckBoxParam*>(&p))
        return fmt::format("CheckBoxParam {}", onOff(x->defaultValue)) + control(*x);
    if (const auto* x = dynamic_cast<const ChoiceParam*>(&p))
        return fmt::format("ChoiceParam {} [{}] {}..{}", x->defaultValue, listText(x->values), x->minimum,
                           x->maximum) +
               control(*x);
    if (const auto* x = dynamic_cast<const FloatChoiceParam*>(&p))
        return fmt::format("FloatChoiceParam {} [{}] {}..{}", x->defaultValue, listText(x->values), x->minimum,
                           x->maximum) +
               control(*x);
    if (const auto* x = dynamic_cast<const ButtonParam*>(&p)) return "ButtonParam" + control(*x);
    if (const auto* x = dynamic_cast<const StringParam*>(&p)) return fmt::format("StringParam '{}'", x->defaultValue);
    if (const auto* x = dynamic_cast<const IntParam*>(&p))
        return fmt::format("IntParam {} {}..{}", x->defaultValue, x->minimum, x->maximum);
    if (const auto* x = dynamic_cast<const BoolParam*>(&p)) return fmt::format("BoolParam {}", onOff(x->defaultValue));
    return "unknown";
}

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

// The whole settings table: every key with its class, default, range or
// value list, control id and row, and the push buttons.
TEST(Settings, EverySettingAndButtonAsTheTableGivesIt) {
    const std::string feet = "18000,21000,24000,27000,30000,33000,36000,39000,42000,45000,48000";
    const std::string maxSel = "0,10,25,50,75,100,500";
    const std::string percent = "0,5,10,15,20,25,30,35,40,45,50,55,60,65,70,75,80,85,90,95,100";
    const std::string range = "2,3,4,5,6,8,10,12,14,16,18,20,25,30,35,40,50,65,80,100";
    const std::string hours = "0.5,1,1.5,2,2.5,3,3.5,4,4.5,5,6,7,8,9,10,12,15,18,21,24";
    const std::string airpHeight = "2000,4000,6000,8000,10000,12000,14000,16000,18000,36000,48000";
    const struct {
        const Parameter* param;
        const char* key;
        std::string described;
    } table[] = {
        {&DBASE_VERSION, "DBASE_VERSION", "StringParam ''"},
        {&SCAN_AIRPORTS, "SCAN_AIRPORTS", "CheckBoxParam on 32802 175"},
        {&ADDONS_SCAN_VERSION, "ADDONS_SCAN_VERSION", "StringParam ''"},
        {&SCAN_LIVERIES, "SCAN_LIVERIES", "CheckBoxParam on 32798 147"},
        {&LIV_SCAN_VERSION, "LIV_SCAN_VERSION", "StringParam ''"},
        {&AIG_VERSION, "AIG_VERSION", "StringParam ''"},
        {&AIRPORTS_VERSION, "AIRPORTS_VERSION", "StringParam ''"},
        {&HIGH_PERF_AIRCRAFT, "HIGH_PERF_AIRCRAFT", "CheckBoxParam on 32811 203"},
        {&HELICOPTERS, "HELICOPTERS", "CheckBoxParam on 32810 203"},
        {&LIGHT_AIRCRAFT, "LIGHT_AIRCRAFT", "CheckBoxParam on 32809 203"},
        {&PROGRAM_VERSION, "PROGRAM_VERSION", "StringParam ''"},
        {&AR_ABOVE_HEIGHT, "AR_ABOVE_HEIGHT", "ChoiceParam 48000 [" + feet + "] 18000..48000 32820 231"},
        {&AMAX_FIT_FL, "AMAX_FIT_FL", "FloatChoiceParam 24 [" + hours + "] 0.5..24 32854 371"},
        {&MAX_LIVE_SEL, "MAX_LIVE_SEL", "ChoiceParam 500 [" + maxSel + "] 0..500 32849 315"},
        {&WEEK, "WEEK", "CheckBoxParam off 32853 371"},
        {&MAX_FIT, "MAX_FIT", "IntParam 47 0..47"},
        {&parking_percentage, "parking_percentage", "ChoiceParam 30 [" + percent + "] 0..100 32850 371"},
        {&PARK_SOFT, "PARK_SOFT", "CheckBoxParam off 32852 371"},
        {&INITIAL_LOAD_ONLY, "INITIAL_LOAD_ONLY", "CheckBoxParam off 32851 371"},
        {&AUTO_RANGE, "AUTO_RANGE", "CheckBoxParam on 32819 231"},
        {&RANGE, "RANGE", "ChoiceParam 40 [" + range + "] 2..100 32818 231"},
        {&AIRBORNE_ONLY, "AIRBORNE_ONLY", "CheckBoxParam off 32821 231"},
        {&HOLDING_THRESHOLD_METERS, "HOLDING_THRESHOLD_METERS", "IntParam 250 10..4000"},
        {&MAX_HOLDING_MINUTES, "MAX_HOLDING_MINUTES", "IntParam 20 1..60"},
        {&CUSTOM_PARKING_PERCENTAGE, "CUSTOM_PARKING_PERCENTAGE", "IntParam -1 -1..100"},
        {&LAST_EPOCH_TIME, "LAST_EPOCH_TIME:", "IntParam 0 0..2147483647"},
        {&RANDOM, "RANDOM", "BoolParam on"},
        {&PORT_NUMBER, "PORT_NUMBER", "StringParam '10747'"},
        {&P3D_VERSION, "P3D_VERSION", "IntParam 5 5..6"},
        {&lfolder0, "lfolder0", "StringParam ''"},
        {&lfolder9, "lfolder9", "StringParam ''"},
        {&afolder0, "afolder0", "StringParam ''"},
        {&afolder9, "afolder9", "StringParam ''"},
        {&ALL_INSTALL_PATH, "ALL_INSTALL_PATH", "EditParam '' 32788 119"},
        {&SIM_INSTALL_PATH, "SIM_INSTALL_PATH", "StringParam ''"},
        {&LIG_PRIORITIZE, "LIG_PRIORITIZE", "CheckBoxParam on 32800 147"},
        {&ALWAYS_ON_TOP, "ALWAYS_ON_TOP", "CheckBoxParam off 32771 147"},
        {&AFG_AUTOMATIC, "AFG_AUTOMATIC", "CheckBoxParam on 32803 175"},
        {&NAV_LIGHTS_WHILE_PARKED, "NAV_LIGHTS_WHILE_PARKED", "CheckBoxParam on 32774 175"},
        {&MATCHING_DEPTH, "MATCHING_DEPTH", "ChoiceParam 4 [1,2,3,4] 1..4 32808 203"},
        {&AEROWINX, "AEROWINX", "CheckBoxParam off 32776 203"},
        {&GUID_CHANGES, "GUID_CHANGES", "CheckBoxParam on 32773 203"},
        {&BLOCK_CALLSIGN, "BLOCK_CALLSIGN", "EditParam '' 32828 259"},
        {&CALLSIGN_2_OBJECTID, "CALLSIGN_2_OBJECTID", "CallsignListParam '' 32831 259"},
        {&COLLISION_USER_AIR, "COLLISION_USER_AIR", "CheckBoxParam on 32833 287"},
        {&COLLISION_USER_GND, "COLLISION_USER_GND", "CheckBoxParam on 32834 287"},
        {&COLLISION_LIVE_PARKED_GND, "COLLISION_LIVE_PARKED_GND", "CheckBoxParam off 32835 287"},
        {&MAX_PARK_SEL, "MAX_PARK_SEL", "ChoiceParam 500 [" + maxSel + "] 0..500 32848 315"},
        {&DESTINATION, "DESTINATION", "EditParam '' 32839 343"},
        {&AIRP_RANGE, "AIRP_RANGE", "ChoiceParam 20 [5,10,15,20,25,30] 5..30 32840 343"},
        {&AIRP_HEIGHT, "AIRP_HEIGHT", "ChoiceParam 18000 [" + airpHeight + "] 2000..48000 32841 343"},
        {&STRAIGHT_PBS_ONLY, "STRAIGHT_PBS_ONLY", "CheckBoxParam off 32855 315"},
        {&MAIN_WINDOW_X, "MAIN_WINDOW_X", "IntParam 400 -30000..30000"},
        {&MAIN_WINDOW_Y, "MAIN_WINDOW_Y", "IntParam 20 -30000..30000"},
        {&g_flushStaticButton, "Flush static", "ButtonParam 32857 369"},
        {&g_tbloZipButton, "tblo.zip", "ButtonParam 32804 175"},
        {&g_unblockButton, "Unblock", "ButtonParam 32829 257"},
        {&g_callsignToOidButton, "cs->oid:", "ButtonParam 32830 257"},
        {&g_blockButton, "Block", "ButtonParam 32832 257"},
        {&g_nowButton, "Now", "ButtonParam 32847 313"},
        {&g_rereadButton, "Re-read", "ButtonParam 32838 341"},
    };
    std::set<std::uint16_t> controlIds;
    std::size_t controls = 0;
    for (const auto& row : table) {
        EXPECT_EQ(row.param->key, row.key);
        EXPECT_EQ(describe(*row.param), row.described) << row.key;
        if (const auto* control = dynamic_cast<const WindowControl*>(row.param)) {
            EXPECT_TRUE(control->controlId >= 32771 && control->controlId <= 32857) << row.key;
            controlIds.insert(control->controlId);
            ++controls;
        }
    }
    EXPECT_EQ(controlIds.size(), controls) << "every control has an id of its own";
    // The folder settings between the first and the last, in key order.
    for (std::size_t k = 0; k < 10; ++k) {
        EXPECT_EQ(g_lfolderParams[k]->key, fmt::format("lfolder{}", k));
        EXPECT_EQ(g_afolderParams[k]->key, fmt::format("afolder{}", k));
        EXPECT_EQ(describe(*g_lfolderParams[k]), "StringParam ''");
        EXPECT_EQ(describe(*g_afolderParams[k]), "StringParam ''");
    }
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
