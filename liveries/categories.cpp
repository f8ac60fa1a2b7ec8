#include "liveries/categories.h"

#include <fmt/format.h>

#include <algorithm>
#include <string>

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "refdata/code_tables.h"
#include "settings/control_updates.h"
#include "settings/file_names.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "traffic/aircraft_records.h"

namespace {
constexpr std::size_t kCodesPerLine = 20;

// The traffic option of a category that has one, and the reason logged when
// it is switched off.
struct CategoryOption {
    CheckBoxParam* setting;
    const char* missing;
};

const CategoryOption* lf_categoryOption(SizeCategory category) {
    static const CategoryOption kLight{&LIGHT_AIRCRAFT, "light aircraft"};
    static const CategoryOption kHighPerf{&HIGH_PERF_AIRCRAFT, "High Perf aircraft"};
    static const CategoryOption kRotorcraft{&HELICOPTERS, "Helicopters"};
    switch (category) {
        case SizeCategory::Light: return &kLight;
        case SizeCategory::HighPerf: return &kHighPerf;
        case SizeCategory::Rotorcraft: return &kRotorcraft;
        default: return nullptr;
    }
}

// The number of titles of the category's models; their ids go to ids.
std::size_t lf_countCategory(const IdMap<TitleList>& byModel, SizeCategory category, ModelIds& ids) {
    std::size_t titles = 0;
    for (const auto& [model, list] : byModel) {
        if (gf_modelCategory(model) != category) continue;
        titles += list.size();
        ids.push_back(model);
    }
    return titles;
}

void lf_switchOff(const CategoryOption& option, const std::filesystem::path& parametersPath) {
    ControlUpdateBatch batch;
    if (option.setting->value) {
        option.setting->value = false;
        gf_saveBoolParam(*option.setting, parametersPath);
        gf_log(fmt::format("{} temporarily switched off because you do not have {} installed", option.setting->key,
                           option.missing));
        batch.setCheck(*option.setting, false);
    }
    batch.enableControl(*option.setting, false);
    batch.apply();
}

std::uint16_t lf_randomModel(const ModelIds& models) {
    return models.empty() ? 0 : models[gf_randomIndex(models.size())];
}
}  // namespace

void lf_categorySummary(SizeCategory category, const std::filesystem::path& parametersPath) {
    const std::string name(gf_sizeCategoryName(category));
    ModelIds ids;
    const std::size_t pax = lf_countCategory(g_paxByModel, category, ids);
    const std::size_t cargo = lf_countCategory(g_cargoByModel, category, ids);
    const CategoryOption* option = lf_categoryOption(category);
    if (ids.empty()) {
        gf_log(fmt::format("Category {}: No livery found", name));
        if (option != nullptr) lf_switchOff(*option, parametersPath);
        return;
    }
    const std::string tail =
        cargo == 0 ? std::string() : fmt::format(" and {} cargo liverie{}", cargo, gf_plural(std::uint64_t{cargo}));
    gf_log(fmt::format("Category {}: {} pax liverie{}{}", name, pax, gf_plural(std::uint64_t{pax}), tail));
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    lf_writeCategoryList(category == SizeCategory::Light, category == SizeCategory::Buzjets,
                         category == SizeCategory::Rotorcraft, ids);
    if (option != nullptr) {
        ControlUpdateBatch batch;
        batch.enableControl(*option->setting, true);
        batch.apply();
    }
}

void lf_writeCategoryList(bool light, bool buzjet, bool rotorcraft, const ModelIds& ids) {
    ModelIds* list = light ? &g_lightModels : buzjet ? &g_buzjetModels : rotorcraft ? &g_rotorcraftModels : nullptr;
    std::string line = "  ";
    std::size_t onLine = 0;
    const auto logLine = [&line, &onLine] {
        line.pop_back();  // the last ","
        gf_log(line);
        line = "  ";
        onLine = 0;
    };
    for (const std::uint16_t id : ids) {
        if (list != nullptr) list->push_back(id);
        line += gf_modelCodeText(id);
        line += ',';
        if (++onLine == kCodesPerLine) logLine();
    }
    if (onLine > 0) logLine();
}

void lf_genericLiveries() {
    const auto found = g_liveriesByAirline.find(gf_airlineId(g_genericAirlineCode));
    if (found == g_liveriesByAirline.end()) {
        gf_log("No generic liveries");
        return;
    }
    ModelIds ids;
    for (const auto& entry : found->second) ids.push_back(entry.first);
    std::sort(ids.begin(), ids.end());
    gf_log(fmt::format("{} model{} have a generic livery", ids.size(), gf_plural(std::uint64_t{ids.size()})));
    lf_writeCategoryList(false, false, false, ids);
}

std::uint16_t lf_randomLightModel() { return lf_randomModel(g_lightModels); }
std::uint16_t lf_randomBuzjetModel() { return lf_randomModel(g_buzjetModels); }
std::uint16_t lf_randomRotorcraftModel() { return lf_randomModel(g_rotorcraftModels); }
