// Built in the order of the settings table: each value list before the
// setting that copies it, RANGE before the derived radius, every object before
// the typed lists.
#include "settings/settings.h"

namespace {
const std::vector<std::int32_t> kArAboveHeightValues = {18000, 21000, 24000, 27000, 30000, 33000,
                                                        36000, 39000, 42000, 45000, 48000};
const std::vector<float> kMaxFitHours = {0.5f, 1.0f, 1.5f, 2.0f, 2.5f, 3.0f, 3.5f, 4.0f, 4.5f, 5.0f,
                                         6.0f, 7.0f, 8.0f, 9.0f, 10.0f, 12.0f, 15.0f, 18.0f, 21.0f, 24.0f};
const std::vector<std::int32_t> kMaxSelValues = {0, 10, 25, 50, 75, 100, 500};
const std::vector<std::int32_t> kPercentValues = {0,  5,  10, 15, 20, 25, 30, 35, 40, 45, 50,
                                                  55, 60, 65, 70, 75, 80, 85, 90, 95, 100};
const std::vector<std::int32_t> kRangeValues = {2,  3,  4,  5,  6,  8,  10, 12, 14, 16,
                                                18, 20, 25, 30, 35, 40, 50, 65, 80, 100};
const std::vector<std::int32_t> kMatchingDepthValues = {1, 2, 3, 4};
const std::vector<std::int32_t> kAirpRangeValues = {5, 10, 15, 20, 25, 30};
const std::vector<std::int32_t> kAirpHeightValues = {2000,  4000,  6000,  8000,  10000, 12000,
                                                     14000, 16000, 18000, 36000, 48000};
}  // namespace

StringParam DBASE_VERSION("DBASE_VERSION", "");
CheckBoxParam SCAN_AIRPORTS("SCAN_AIRPORTS", true, 32802, 175);
StringParam ADDONS_SCAN_VERSION("ADDONS_SCAN_VERSION", "");
CheckBoxParam SCAN_LIVERIES("SCAN_LIVERIES", true, 32798, 147);
StringParam LIV_SCAN_VERSION("LIV_SCAN_VERSION", "");
StringParam AIG_VERSION("AIG_VERSION", "");
StringParam AIRPORTS_VERSION("AIRPORTS_VERSION", "");
CheckBoxParam HIGH_PERF_AIRCRAFT("HIGH_PERF_AIRCRAFT", true, 32811, 203);
CheckBoxParam HELICOPTERS("HELICOPTERS", true, 32810, 203);
CheckBoxParam LIGHT_AIRCRAFT("LIGHT_AIRCRAFT", true, 32809, 203);
StringParam PROGRAM_VERSION("PROGRAM_VERSION", "");
ChoiceParam AR_ABOVE_HEIGHT("AR_ABOVE_HEIGHT", 48000, kArAboveHeightValues, 32820, 231);
FloatChoiceParam AMAX_FIT_FL("AMAX_FIT_FL", 24.0f, kMaxFitHours, 32854, 371);
ChoiceParam MAX_LIVE_SEL("MAX_LIVE_SEL", 500, kMaxSelValues, 32849, 315);
CheckBoxParam WEEK("WEEK", false, 32853, 371);
IntParam MAX_FIT("MAX_FIT", 47, 0, 47);
ChoiceParam parking_percentage("parking_percentage", 30, kPercentValues, 32850, 371);
CheckBoxParam PARK_SOFT("PARK_SOFT", false, 32852, 371);
CheckBoxParam INITIAL_LOAD_ONLY("INITIAL_LOAD_ONLY", false, 32851, 371);
CheckBoxParam AUTO_RANGE("AUTO_RANGE", true, 32819, 231);
ChoiceParam RANGE("RANGE", 40, kRangeValues, 32818, 231);
std::atomic<double> g_rangeNm{static_cast<double>(RANGE.value.load())};
std::atomic<std::int32_t> g_rangeMeters{RANGE.value.load() * 1852};
CheckBoxParam AIRBORNE_ONLY("AIRBORNE_ONLY", false, 32821, 231);
IntParam HOLDING_THRESHOLD_METERS("HOLDING_THRESHOLD_METERS", 250, 10, 4000);
IntParam MAX_HOLDING_MINUTES("MAX_HOLDING_MINUTES", 20, 1, 60);
IntParam CUSTOM_PARKING_PERCENTAGE("CUSTOM_PARKING_PERCENTAGE", -1, -1, 100);
IntParam LAST_EPOCH_TIME("LAST_EPOCH_TIME:", 0, 0, 2147483647);
BoolParam RANDOM("RANDOM", true);
StringParam PORT_NUMBER("PORT_NUMBER", "10747");
IntParam P3D_VERSION("P3D_VERSION", 5, 5, 6);
StringParam lfolder0("lfolder0", ""), lfolder1("lfolder1", ""), lfolder2("lfolder2", ""),
    lfolder3("lfolder3", ""), lfolder4("lfolder4", ""), lfolder5("lfolder5", ""), lfolder6("lfolder6", ""),
    lfolder7("lfolder7", ""), lfolder8("lfolder8", ""), lfolder9("lfolder9", "");
StringParam afolder0("afolder0", ""), afolder1("afolder1", ""), afolder2("afolder2", ""),
    afolder3("afolder3", ""), afolder4("afolder4", ""), afolder5("afolder5", ""), afolder6("afolder6", ""),
    afolder7("afolder7", ""), afolder8("afolder8", ""), afolder9("afolder9", "");
EditParam ALL_INSTALL_PATH("ALL_INSTALL_PATH", "", 32788, 119);
StringParam SIM_INSTALL_PATH("SIM_INSTALL_PATH", "");
CheckBoxParam LIG_PRIORITIZE("LIG_PRIORITIZE", true, 32800, 147);
CheckBoxParam ALWAYS_ON_TOP("ALWAYS_ON_TOP", false, 32771, 147);
CheckBoxParam AFG_AUTOMATIC("AFG_AUTOMATIC", true, 32803, 175);
CheckBoxParam NAV_LIGHTS_WHILE_PARKED("NAV_LIGHTS_WHILE_PARKED", true, 32774, 175);
ChoiceParam MATCHING_DEPTH("MATCHING_DEPTH", 4, kMatchingDepthValues, 32808, 203);
CheckBoxParam AEROWINX("AEROWINX", false, 32776, 203);
CheckBoxParam GUID_CHANGES("GUID_CHANGES", true, 32773, 203);
EditParam BLOCK_CALLSIGN("BLOCK_CALLSIGN", "", 32828, 259);
CallsignListParam CALLSIGN_2_OBJECTID("CALLSIGN_2_OBJECTID", "", 32831, 259);
CheckBoxParam COLLISION_USER_AIR("COLLISION_USER_AIR", true, 32833, 287);
CheckBoxParam COLLISION_USER_GND("COLLISION_USER_GND", true, 32834, 287);
CheckBoxParam COLLISION_LIVE_PARKED_GND("COLLISION_LIVE_PARKED_GND", false, 32835, 287);
ChoiceParam MAX_PARK_SEL("MAX_PARK_SEL", 500, kMaxSelValues, 32848, 315);
EditParam DESTINATION("DESTINATION", "", 32839, 343);
ChoiceParam AIRP_RANGE("AIRP_RANGE", 20, kAirpRangeValues, 32840, 343);
ChoiceParam AIRP_HEIGHT("AIRP_HEIGHT", 18000, kAirpHeightValues, 32841, 343);
CheckBoxParam STRAIGHT_PBS_ONLY("STRAIGHT_PBS_ONLY", false, 32855, 315);
IntParam MAIN_WINDOW_X("MAIN_WINDOW_X", 400, -30000, 30000);
IntParam MAIN_WINDOW_Y("MAIN_WINDOW_Y", 20, -30000, 30000);

ButtonParam g_flushStaticButton("Flush static", 32857, 369);
ButtonParam g_tbloZipButton("tblo.zip", 32804, 175);
ButtonParam g_unblockButton("Unblock", 32829, 257);
ButtonParam g_callsignToOidButton("cs->oid:", 32830, 257);
ButtonParam g_blockButton("Block", 32832, 257);
ButtonParam g_nowButton("Now", 32847, 313);
ButtonParam g_rereadButton("Re-read", 32838, 341);

const std::array<StringParam*, 10> g_lfolderParams = {&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                                                      &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};
const std::array<StringParam*, 10> g_afolderParams = {&afolder0, &afolder1, &afolder2, &afolder3, &afolder4,
                                                      &afolder5, &afolder6, &afolder7, &afolder8, &afolder9};

const std::vector<BoolParam*> g_boolParams = {&RANDOM};
const std::vector<CheckBoxParam*> g_checkBoxParams = {
    &ALWAYS_ON_TOP,      &NAV_LIGHTS_WHILE_PARKED, &AEROWINX,          &GUID_CHANGES,
    &SCAN_LIVERIES,      &LIG_PRIORITIZE,          &SCAN_AIRPORTS,     &LIGHT_AIRCRAFT,
    &HELICOPTERS,        &HIGH_PERF_AIRCRAFT,      &AUTO_RANGE,        &AIRBORNE_ONLY,
    &COLLISION_USER_GND, &COLLISION_USER_AIR,      &COLLISION_LIVE_PARKED_GND, &STRAIGHT_PBS_ONLY,
    &INITIAL_LOAD_ONLY,  &WEEK,                    &PARK_SOFT};
const std::vector<IntParam*> g_intParams = {&MAIN_WINDOW_X,
                                            &MAIN_WINDOW_Y,
                                            &LAST_EPOCH_TIME,
                                            &CUSTOM_PARKING_PERCENTAGE,
                                            &HOLDING_THRESHOLD_METERS,
                                            &MAX_HOLDING_MINUTES,
                                            &AIRP_HEIGHT,
                                            &MAX_FIT,
                                            &P3D_VERSION};
const std::vector<ChoiceParam*> g_choiceParams = {&MATCHING_DEPTH, &RANGE,      &AR_ABOVE_HEIGHT, &MAX_PARK_SEL,
                                                  &MAX_LIVE_SEL,   &AIRP_RANGE, &AIRP_HEIGHT};
const std::vector<StringParam*> g_stringParams = {
    &PROGRAM_VERSION, &SIM_INSTALL_PATH, &PORT_NUMBER, &lfolder0,    &lfolder1,        &lfolder2,
    &lfolder3,        &lfolder4,         &lfolder5,    &lfolder6,    &lfolder7,        &lfolder8,
    &lfolder9,        &afolder0,         &afolder1,    &afolder2,    &afolder3,        &afolder4,
    &afolder5,        &afolder6,         &afolder7,    &afolder8,    &afolder9,        &AIG_VERSION,
    &DBASE_VERSION,   &AIRPORTS_VERSION, &LIV_SCAN_VERSION, &ADDONS_SCAN_VERSION, &DESTINATION};
const std::vector<EditParam*> g_editParams = {&BLOCK_CALLSIGN};

const std::string_view g_keyRange = RANGE.key;
const std::string_view g_keyAutoRange = AUTO_RANGE.key;
const std::string_view g_keyInitialLoadOnly = INITIAL_LOAD_ONLY.key;
const std::string_view g_keyParkSoft = PARK_SOFT.key;
const std::string_view g_keyParkingPercentage = parking_percentage.key;
const std::string_view g_keyMaxFit = MAX_FIT.key;
const std::string_view g_keyWeek = WEEK.key;
const std::string_view g_keyMaxLiveSel = MAX_LIVE_SEL.key;

float gf_maxFitToFloat(std::int32_t m) {
    struct Step {
        std::int32_t atLeast;
        float hours;
    };
    static constexpr Step kSteps[] = {{44, 24.0f}, {38, 21.0f}, {32, 18.0f}, {26, 15.0f}, {22, 12.0f},
                                      {20, 11.0f}, {18, 10.0f}, {16, 9.0f},  {14, 8.0f},  {12, 7.0f},
                                      {10, 6.0f},  {9, 5.0f},   {8, 4.5f},   {7, 4.0f},   {6, 3.5f},
                                      {5, 3.0f},   {4, 2.5f},   {3, 2.0f},   {2, 1.5f},   {1, 1.0f}};
    for (const Step& step : kSteps)
        if (m >= step.atLeast) return step.hours;
    return 0.5f;
}
