// Every setting of the program as a global parameter object named after its
// key, the push buttons, the typed lists the parameter store reads and writes,
// and the radius values derived from RANGE.
#pragma once

#include <array>
#include <atomic>
#include <string_view>
#include <vector>

#include "settings/parameters.h"

extern StringParam DBASE_VERSION;
extern CheckBoxParam SCAN_AIRPORTS;
extern StringParam ADDONS_SCAN_VERSION;
extern CheckBoxParam SCAN_LIVERIES;
extern StringParam LIV_SCAN_VERSION;
extern StringParam AIG_VERSION;
extern StringParam AIRPORTS_VERSION;
extern CheckBoxParam HIGH_PERF_AIRCRAFT;
extern CheckBoxParam HELICOPTERS;
extern CheckBoxParam LIGHT_AIRCRAFT;
extern StringParam PROGRAM_VERSION;
extern ChoiceParam AR_ABOVE_HEIGHT;
extern FloatChoiceParam AMAX_FIT_FL;
extern ChoiceParam MAX_LIVE_SEL;
extern CheckBoxParam WEEK;
extern IntParam MAX_FIT;
extern ChoiceParam parking_percentage;
extern CheckBoxParam PARK_SOFT;
extern CheckBoxParam INITIAL_LOAD_ONLY;
extern CheckBoxParam AUTO_RANGE;
extern ChoiceParam RANGE;
extern CheckBoxParam AIRBORNE_ONLY;
extern IntParam HOLDING_THRESHOLD_METERS;
extern IntParam MAX_HOLDING_MINUTES;
extern IntParam CUSTOM_PARKING_PERCENTAGE;
extern IntParam LAST_EPOCH_TIME;  // key "LAST_EPOCH_TIME:" (with the colon)
extern BoolParam RANDOM;
extern StringParam PORT_NUMBER;
extern IntParam P3D_VERSION;
extern StringParam lfolder0, lfolder1, lfolder2, lfolder3, lfolder4, lfolder5, lfolder6, lfolder7, lfolder8,
    lfolder9;
extern StringParam afolder0, afolder1, afolder2, afolder3, afolder4, afolder5, afolder6, afolder7, afolder8,
    afolder9;
extern EditParam ALL_INSTALL_PATH;
extern StringParam SIM_INSTALL_PATH;
extern CheckBoxParam LIG_PRIORITIZE;
extern CheckBoxParam ALWAYS_ON_TOP;
extern CheckBoxParam AFG_AUTOMATIC;
extern CheckBoxParam NAV_LIGHTS_WHILE_PARKED;
extern ChoiceParam MATCHING_DEPTH;
extern CheckBoxParam AEROWINX;
extern CheckBoxParam GUID_CHANGES;
extern EditParam BLOCK_CALLSIGN;
extern CallsignListParam CALLSIGN_2_OBJECTID;
extern CheckBoxParam COLLISION_USER_AIR;
extern CheckBoxParam COLLISION_USER_GND;
extern CheckBoxParam COLLISION_LIVE_PARKED_GND;
extern ChoiceParam MAX_PARK_SEL;
extern EditParam DESTINATION;
extern ChoiceParam AIRP_RANGE;
extern ChoiceParam AIRP_HEIGHT;
extern CheckBoxParam STRAIGHT_PBS_ONLY;
extern IntParam MAIN_WINDOW_X;
extern IntParam MAIN_WINDOW_Y;

// The push buttons; the key is the label.
extern ButtonParam g_flushStaticButton;   // "Flush static"
extern ButtonParam g_tbloZipButton;       // "tblo.zip"
extern ButtonParam g_unblockButton;       // "Unblock"
extern ButtonParam g_callsignToOidButton; // "cs->oid:"
extern ButtonParam g_blockButton;         // "Block"
extern ButtonParam g_nowButton;           // "Now"
extern ButtonParam g_rereadButton;        // "Re-read"

// The livery and add-on scenery folder settings in key order.
extern const std::array<StringParam*, 10> g_lfolderParams;
extern const std::array<StringParam*, 10> g_afolderParams;

// The typed lists the parameter store reads and writes, in file order.
extern const std::vector<BoolParam*> g_boolParams;
extern const std::vector<CheckBoxParam*> g_checkBoxParams;
extern const std::vector<IntParam*> g_intParams;
extern const std::vector<ChoiceParam*> g_choiceParams;
extern const std::vector<StringParam*> g_stringParams;
extern const std::vector<EditParam*> g_editParams;

// The keys of the eight settings an airport file also stores, viewing each
// parameter's own key.
extern const std::string_view g_keyRange, g_keyAutoRange, g_keyInitialLoadOnly, g_keyParkSoft,
    g_keyParkingPercentage, g_keyMaxFit, g_keyWeek, g_keyMaxLiveSel;

// The radius derived from RANGE: nautical miles (read by the traffic reader
// and the traffic engine) and metres (RANGE * 1852).
extern std::atomic<double> g_rangeNm;
extern std::atomic<std::int32_t> g_rangeMeters;

// The hours of a learned maximum fit in half-hour units (0..47): half-hour
// steps up to 9, then coarser ones up to 24 hours at 44 (MAX_FIT gives
// AMAX_FIT_FL so; the static parking prints its fit levels so).
float gf_maxFitToFloat(std::int32_t halfHours);
