// The reference data's shared tables. The data-base reader fills them once on
// the start-up thread before any other thread starts; afterwards they are read
// from every thread without a lock. The two code tables are the exception:
// they keep growing while liveries are scanned and traffic arrives, so each
// sits under its own shared mutex.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "foundation/fnv.h"

// The four codes that a registration of the data base decides at once. The
// same fields, widths and order as the model key of an aircraft record.
struct RegCodes {
    std::uint16_t airlineId = 0;
    std::uint16_t secondAirlineId = 0;  // 0 = none
    std::uint16_t modelId = 0;
    std::uint8_t cargo = 0;

    bool operator==(const RegCodes&) const = default;
};
static_assert(sizeof(RegCodes) == 8, "RegCodes must keep the 64-bit model-key layout");

// One "d" element of the data base: a full registration or a registration
// prefix (such as "D-") with its codes.
struct RegistrationRecord {
    std::string registration;
    RegCodes codes;
};

// A scenery publisher and the airport entries ("EDDM12": code and number) of
// the data base's thirdparty archive.
struct ThirdPartyRecord {
    std::string publisher;
    std::vector<std::string> airports;
};

// A code table: code texts by 16-bit id and the id of each text. Texts sit in
// a deque, whose appends never move an element, so a text handed out by id
// and the map's keys (views into the texts) stay valid while others append.
struct CodeTable {
    mutable std::shared_mutex mutex;
    std::deque<std::string> texts;                                     // guarded by mutex
    std::unordered_map<std::string_view, std::uint16_t, FnvHash> ids;  // guarded by mutex
    bool fullLogged = false;                                           // guarded by mutex
};

using CodeSet = std::set<std::string, std::less<>>;
using TextGroups = std::vector<std::vector<std::string>>;

// The five category sets, in the data base's reading order.
enum CategorySet : std::size_t { kHeavySet, kLargeSet, kBuzjetSet, kHighPerfSet, kRotorcraftSet, kCategorySetCount };

// Model ids below this have a wingspan slot.
inline constexpr std::size_t kWingspanSlots = 2700;

// Growing tables: every thread; each guarded by its own mutex member.
extern CodeTable g_airlineCodes;
extern CodeTable g_modelCodes;
// Set once by the reader (start-up thread) after the "aircrafts" codes are interned; read by every thread.
extern std::atomic<bool> g_modelFixesActive;

// Filled by the reader on the start-up thread; read-only afterwards, no lock.
extern CodeSet g_icaoModelCodes;
extern std::array<CodeSet, kCategorySetCount> g_categoryModelCodes;
extern std::array<std::set<std::uint16_t>, kCategorySetCount> g_modelCategorySets;
extern TextGroups g_similarGroups;
extern TextGroups g_prefixGroups;
extern CodeSet g_icaoAirlineCodes;
extern TextGroups g_publisherGroups;
extern std::map<std::string, double, std::less<>> g_halfSpans;  // model code -> half wingspan, nm
extern double g_maxHalfSpan;                                     // nm; 0 when no wingspan was read
extern std::array<double, kWingspanSlots> g_wingspans;           // half wingspan, nm, by model id
extern std::map<std::string, std::string, std::less<>> g_modelFixes;  // wrong model code -> correct one
extern CodeSet g_simaddonAirports;
extern std::vector<ThirdPartyRecord> g_thirdParties;
extern std::vector<RegistrationRecord> g_registrations;  // ascending by registration, one per text
// Built by the reader; afterwards only the traffic thread touches it (it shuffles entries in place).
extern std::unordered_map<std::string, std::vector<std::string>, FnvHash, std::equal_to<>> g_similarPrefixes;

// Empties every table, as at process start. The program reads the data base
// once per process; tests and benchmarks read it many times.
void gf_clearReferenceData();
