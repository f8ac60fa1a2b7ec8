#include "liveries/state.h"

#include "liveries/livery_services.h"

std::list<LiveryData> g_liveries;

IdMap<IdMap<std::vector<ScannedLivery>>> g_liveriesByAirline;
std::unordered_set<std::uint16_t, IdFnvHash> g_offeredAirlines;
IdMap<IdMap<TitleList>> g_paxByAirline;
IdMap<IdMap<TitleList>> g_cargoByAirline;
IdMap<TitleList> g_paxByModel;
IdMap<TitleList> g_cargoByModel;
IdMap<ModelIds> g_similarModelsWithLiveries;
IdMap<IdMap<ModelIds>> g_airlineSimilarModels;
TitleSet g_scannedTitles;

std::unordered_map<std::string, std::string_view, FnvHash, std::equal_to<>> g_titleByRegcode;
std::unordered_map<std::string_view, std::string, FnvHash> g_regcodeByTitle;
std::set<std::string, std::less<>> g_singleSpecialRegcodes;
std::vector<std::string_view> g_specialLiveries;
TitleSet g_specialTitles;
std::vector<std::string> g_regcodeReport;

ModelIds g_lightModels;
ModelIds g_buzjetModels;
ModelIds g_rotorcraftModels;

std::unordered_set<std::string, FnvHash, std::equal_to<>> g_dontUseTitles;

std::array<std::uint32_t, kMatchSteps> g_matchStepCounts{};

bool g_liveriesProcessed = false;
