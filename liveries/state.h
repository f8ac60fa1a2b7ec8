// The liveries' shared tables: the livery scan's report lists, the
// scanned-livery list, the indexes built from it once per process, the
// registration codes, the category lists and the matching's counters.
//
// The start-up thread fills every index in gf_processScannedLiveries before
// the traffic thread starts; afterwards only the traffic thread reads them,
// without a lock (it reorders the similar-model lists in place when RANDOM is
// on). Only g_liveriesByAirline owns title strings; every other index holds
// views into them, valid until the indexes are emptied, which only the
// start-up thread does (gf_resetLiveryProcessing, when the user asked for a
// new scan) while no aircraft is being matched.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "foundation/fnv.h"
#include "liveries/livery_record.h"

// 64-bit FNV-1a over the two bytes of a 16-bit id, low byte first.
struct IdFnvHash {
    std::size_t operator()(std::uint16_t id) const {
        const char bytes[2] = {static_cast<char>(id & 0xFF), static_cast<char>(id >> 8)};
        return static_cast<std::size_t>(gf_fnv1a64(std::string_view(bytes, 2)));
    }
};

// One livery as the per-airline index keeps it.
struct ScannedLivery {
    std::string title;  // capacity trimmed to its length
    std::uint8_t cargo = 0;
};

template <typename Value>
using IdMap = std::unordered_map<std::uint16_t, Value, IdFnvHash>;
using TitleList = std::vector<std::string_view>;
using ModelIds = std::vector<std::uint16_t>;
using TitleSet = std::unordered_set<std::string_view, FnvHash>;

// Start-up thread: the scan result between the scan (or the results file)
// and the processing; empty afterwards.
extern std::list<LiveryData> g_liveries;

// The indexes (start-up thread writes, traffic thread reads; see above).
extern IdMap<IdMap<std::vector<ScannedLivery>>> g_liveriesByAirline;  // airline (or combined) -> model -> liveries
// The second airlines that g_liveriesByAirline offers the liveries flown for
// them, having none of their own: a second way to liveries filed under the
// combined code, so the lists and counts over all airlines pass them over.
extern std::unordered_set<std::uint16_t, IdFnvHash> g_offeredAirlines;
extern IdMap<IdMap<TitleList>> g_paxByAirline;    // airline -> model -> passenger titles
extern IdMap<IdMap<TitleList>> g_cargoByAirline;  // airline -> model -> cargo titles
extern IdMap<TitleList> g_paxByModel;             // model -> passenger titles of every airline
extern IdMap<TitleList> g_cargoByModel;           // model -> cargo titles of every airline
extern IdMap<ModelIds> g_similarModelsWithLiveries;        // model -> similar models that have liveries
// airline -> model it lacks -> similar models it has; filled on first use
// by lf_airlineSimilarModels, on the traffic thread.
extern IdMap<IdMap<ModelIds>> g_airlineSimilarModels;
// Every stored title once (the first stored copy): lf_findScannedTitle.
extern TitleSet g_scannedTitles;

// Registration codes (start-up thread writes, traffic thread reads).
extern std::unordered_map<std::string, std::string_view, FnvHash, std::equal_to<>> g_titleByRegcode;
extern std::unordered_map<std::string_view, std::string, FnvHash> g_regcodeByTitle;
extern std::set<std::string, std::less<>> g_singleSpecialRegcodes;
extern std::vector<std::string_view> g_specialLiveries;  // one element per special entry
extern TitleSet g_specialTitles;                         // the titles of g_specialLiveries, for look-ups
extern std::vector<std::string> g_regcodeReport;         // start-up thread only

// Model ids of the Light, Buzjets and Rotorcraft categories that have
// liveries, ascending (start-up thread writes, traffic thread reads).
extern ModelIds g_lightModels;
extern ModelIds g_buzjetModels;
extern ModelIds g_rotorcraftModels;

// Titles the livery scan must leave out; start-up thread only (the scan's
// workers read an immutable copy, see lf_publishDontUseTitles).
extern std::unordered_set<std::string, FnvHash, std::equal_to<>> g_dontUseTitles;

// One report list of the livery scan and the mutex that guards it alone (no
// two are ever held together).
template <class Container>
struct ScanReport {
    std::mutex mutex;
    Container entries;
};
using ReportLines = std::list<std::string>;
using TitleTextSet = std::unordered_set<std::string, FnvHash, std::equal_to<>>;

// The livery scan's lists: the workers append, each under its own mutex; the
// start-up thread writes and empties them once the scan's tables are sealed.
extern ScanReport<ReportLines> g_invalidAirlineCodes;     // InvalidAirlineCodes.txt
extern ScanReport<ReportLines> g_invalidModelCodes;       // InvalidAircraftCodes.txt
extern ScanReport<std::vector<std::string>> g_fixesList;  // Fixes.txt, in append order
extern ScanReport<ReportLines> g_invalidCfgFiles;         // InvalidAircraftCfgFiles.txt
extern ScanReport<ReportLines> g_incompleteSections;      // IncompleFltsimSections.txt
extern ScanReport<ReportLines> g_emptyCfgFiles;           // info/AircraftCfgWithNoFltsimSection.txt
extern ScanReport<TitleTextSet> g_seenTitles;             // titles given to a livery in this scan
// Start-up thread: the aircraft.cfg files the last scan left unread because a
// wait for a worker ran out (a hung worker, or every place taken); the
// summary counts them and the scan is asked for again.
extern std::size_t g_unreadCfgFiles;
// The number of the scan whose workers may write the lists; raised (atomic)
// by the start-up thread when it seals them.
extern std::atomic<std::uint64_t> g_liveryScanNumber;

// Matches per step 0 to 6 over the life of the process; traffic thread only
// (the summary at closing down runs after the traffic stopped).
inline constexpr std::size_t kMatchSteps = 7;
extern std::array<std::uint32_t, kMatchSteps> g_matchStepCounts;
