#include "refdata/state.h"

#include <mutex>

CodeTable g_airlineCodes;
CodeTable g_modelCodes;
std::atomic<bool> g_modelFixesActive{false};

CodeSet g_icaoModelCodes;
std::array<CodeSet, kCategorySetCount> g_categoryModelCodes;
std::array<std::set<std::uint16_t>, kCategorySetCount> g_modelCategorySets;
TextGroups g_similarGroups;
TextGroups g_prefixGroups;
CodeSet g_icaoAirlineCodes;
TextGroups g_publisherGroups;
std::map<std::string, double, std::less<>> g_halfSpans;
double g_maxHalfSpan = 0.0;
std::array<double, kWingspanSlots> g_wingspans{};
std::map<std::string, std::string, std::less<>> g_modelFixes;
CodeSet g_simaddonAirports;
std::vector<ThirdPartyRecord> g_thirdParties;
std::vector<RegistrationRecord> g_registrations;
std::unordered_map<std::string, std::vector<std::string>, FnvHash, std::equal_to<>> g_similarPrefixes;

namespace {
void clearTable(CodeTable& table) {
    const std::unique_lock lock(table.mutex);
    table.ids.clear();
    table.texts.clear();
    table.fullLogged = false;
}
}  // namespace

void gf_clearReferenceData() {
    clearTable(g_airlineCodes);
    clearTable(g_modelCodes);
    g_modelFixesActive = false;
    g_icaoModelCodes.clear();
    for (auto& set : g_categoryModelCodes) set.clear();
    for (auto& set : g_modelCategorySets) set.clear();
    g_similarGroups.clear();
    g_prefixGroups.clear();
    g_icaoAirlineCodes.clear();
    g_publisherGroups.clear();
    g_halfSpans.clear();
    g_maxHalfSpan = 0.0;
    g_wingspans.fill(0.0);
    g_modelFixes.clear();
    g_simaddonAirports.clear();
    g_thirdParties.clear();
    g_registrations.clear();
    g_similarPrefixes.clear();
}
