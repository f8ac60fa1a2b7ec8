#include "liveries/livery_indexes.h"

#include <fmt/format.h>

#include <algorithm>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "liveries/categories.h"
#include "liveries/livery_services.h"
#include "liveries/regcodes.h"
#include "liveries/results_file.h"
#include "liveries/state.h"
#include "platform/window_host.h"
#include "refdata/code_tables.h"

namespace {
using ModelLiveries = IdMap<std::vector<ScannedLivery>>;

// Groups liveries as they come in list order (which keeps each group's
// liveries together) and files each group's model map under its key; a key
// already filed keeps its first map.
class AirlineIndexBuilder {
public:
    AirlineIndexBuilder() {
        work_.reserve(4048);
        models_.max_load_factor(1.0F);
        models_.reserve(128);
    }

    // Adds one livery of the group (key) and model; a change of either files
    // what was gathered before.
    template <typename Key, typename File>
    void add(const Key& key, Key& currentKey, const LiveryData& livery, File&& file) {
        if (livery.model != currentModel_) {
            flushModel();
            currentModel_ = livery.model;
        }
        if (key != currentKey) {
            flushGroup(file);
            currentKey = key;
        }
        ScannedLivery& stored = work_.emplace_back(ScannedLivery{livery.title, livery.cargo});
        stored.title.shrink_to_fit();
    }

    template <typename File>
    void finish(File&& file) {
        flushGroup(file);
        currentModel_ = 0;
    }

private:
    void flushModel() {
        if (work_.empty()) return;
        // Each model keeps a vector of exactly its size.
        std::vector<ScannedLivery> exact;
        exact.reserve(work_.size());
        std::move(work_.begin(), work_.end(), std::back_inserter(exact));
        work_.clear();
        models_.try_emplace(currentModel_, std::move(exact));
    }

    template <typename File>
    void flushGroup(File&& file) {
        flushModel();
        if (models_.empty()) return;
        file(std::move(models_));
        models_ = ModelLiveries();
        models_.max_load_factor(1.0F);
        models_.reserve(128);
    }

    std::vector<ScannedLivery> work_;
    ModelLiveries models_;
    std::uint16_t currentModel_ = 0;
};

// The per-airline maps of one kind (passenger or cargo) for one airline.
IdMap<TitleList> lf_titlesOfKind(const ModelLiveries& models, bool cargo) {
    IdMap<TitleList> byModel(8);
    byModel.max_load_factor(1.0F);
    for (const auto& [model, liveries] : models) {
        const auto ofKind = [cargo](const ScannedLivery& livery) { return (livery.cargo != 0) == cargo; };
        const auto count = static_cast<std::size_t>(std::count_if(liveries.begin(), liveries.end(), ofKind));
        if (count == 0) continue;
        TitleList titles;
        titles.reserve(count);
        for (const ScannedLivery& livery : liveries)
            if (ofKind(livery)) titles.emplace_back(livery.title);
        byModel.try_emplace(model, std::move(titles));
    }
    return byModel;
}

void lf_invalidateCounters() { platform::invalidateBand(kIndicatorsBand); }
}  // namespace

void lf_buildAirlineIndex() {
    g_liveriesByAirline.reserve(2048);
    AirlineIndexBuilder builder;

    // Liveries of one airline.
    std::uint16_t currentAirline = 0;
    const auto fileAirline = [&currentAirline](ModelLiveries&& models) {
        g_liveriesByAirline.try_emplace(currentAirline, std::move(models));
    };
    for (const LiveryData& livery : g_liveries)
        if (livery.airline2 == 0) builder.add(livery.airline, currentAirline, livery, fileAirline);
    builder.finish(fileAirline);

    // Liveries flown for a second airline: under the combined code of both
    // ("DAL" and "SKW" give "DALSKW"), which the matching forms the same way
    // for an aircraft with a second airline, and offered to the second
    // airline itself when it has no liveries of its own.
    std::pair<std::uint16_t, std::uint16_t> currentPair{0, 0};
    const auto filePair = [&currentPair](ModelLiveries&& models) {
        const auto [airline, airline2] = currentPair;
        const std::uint16_t combined =
            gf_airlineId(fmt::format("{}{}", gf_airlineCodeText(airline), gf_airlineCodeText(airline2)));
        if (g_liveriesByAirline.try_emplace(airline2, models).second) g_offeredAirlines.insert(airline2);
        g_liveriesByAirline.try_emplace(combined, std::move(models));
    };
    for (const LiveryData& livery : g_liveries)
        if (livery.airline2 != 0) builder.add(std::pair{livery.airline, livery.airline2}, currentPair, livery, filePair);
    builder.finish(filePair);

    // Views are taken only now: the strings no longer move.
    g_scannedTitles.reserve(g_liveries.size());
    for (const auto& [airline, models] : g_liveriesByAirline)
        for (const auto& [model, liveries] : models)
            for (const ScannedLivery& livery : liveries) g_scannedTitles.emplace(livery.title);
}

void lf_buildLiveryIndexes() {
    g_paxByAirline.reserve(2048);
    g_cargoByAirline.reserve(256);
    for (const auto& [airline, models] : g_liveriesByAirline) {
        IdMap<TitleList> pax = lf_titlesOfKind(models, false);
        IdMap<TitleList> cargo = lf_titlesOfKind(models, true);
        if (!cargo.empty()) g_cargoByAirline.try_emplace(airline, std::move(cargo));
        if (!pax.empty()) g_paxByAirline.try_emplace(airline, std::move(pax));
    }
}

std::string_view lf_findScannedTitle(std::string_view title) {
    const auto found = g_scannedTitles.find(title);
    return found == g_scannedTitles.end() ? std::string_view() : *found;
}

bool lf_hasAirlineModel(std::uint16_t airline, std::uint16_t model) {
    const auto found = g_liveriesByAirline.find(airline);
    return found != g_liveriesByAirline.end() && found->second.contains(model);
}

void lf_buildModelIndex() {
    // One entry per livery. Within a model the liveries follow their
    // airline's code text and then their order in the airline's list, so
    // that the first candidate does not depend on the hash maps' order.
    struct Entry {
        std::uint16_t model;
        std::string_view airline;
        std::size_t position;
        std::string_view title;
        bool cargo;
    };
    std::vector<Entry> entries;
    entries.reserve(g_scannedTitles.size());
    for (const auto& [airline, models] : g_liveriesByAirline) {
        if (g_offeredAirlines.contains(airline)) continue;  // filed under the combined code already
        const std::string_view airlineText = gf_airlineCodeText(airline);
        for (const auto& [model, liveries] : models)
            for (std::size_t i = 0; i < liveries.size(); ++i)
                entries.push_back({model, airlineText, i, liveries[i].title, liveries[i].cargo != 0});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& x, const Entry& y) {
        return std::tie(x.model, x.airline, x.position) < std::tie(y.model, y.airline, y.position);
    });
    g_paxByModel.reserve(324);
    g_cargoByModel.reserve(75);
    TitleList pax, cargo;
    pax.reserve(17000);
    cargo.reserve(17000);
    const auto store = [&pax, &cargo](std::uint16_t model) {
        if (!pax.empty()) g_paxByModel.try_emplace(model, TitleList(pax.begin(), pax.end()));
        if (!cargo.empty()) g_cargoByModel.try_emplace(model, TitleList(cargo.begin(), cargo.end()));
        pax.clear();
        cargo.clear();
    };
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && entries[i].model != entries[i - 1].model) store(entries[i - 1].model);
        (entries[i].cargo ? cargo : pax).push_back(entries[i].title);
    }
    if (!entries.empty()) store(entries.back().model);
}

void lf_buildSimilarModels() {
    const auto hasLiveries = [](std::uint16_t model) {
        return g_paxByModel.contains(model) || g_cargoByModel.contains(model);
    };
    // Each member followed by the other members that have liveries; the
    // texts in ascending order decide which group a member in several
    // groups takes.
    std::set<std::string> texts;
    for (const auto& group : g_similarGroups) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            std::string text = group[i];
            for (std::size_t j = 0; j < group.size(); ++j)
                if (j != i && hasLiveries(gf_modelId(group[j]))) text += "," + group[j];
            if (text.find(',') != std::string::npos) texts.insert(std::move(text));
        }
    }
    for (const std::string& text : texts) {
        const auto pieces = gf_splitCommaViews(text);
        ModelIds similar;
        for (std::size_t i = 1; i < pieces.size(); ++i) similar.push_back(gf_modelId(pieces[i]));
        g_similarModelsWithLiveries.try_emplace(gf_modelId(pieces.front()), std::move(similar));
    }

    gf_log(fmt::format("{:5} similar model definitions", g_similarModelsWithLiveries.size()));
}

ModelIds* lf_airlineSimilarModels(std::uint16_t airline, std::uint16_t model) {
    const auto owned = g_liveriesByAirline.find(airline);
    if (owned == g_liveriesByAirline.end() || owned->second.contains(model)) return nullptr;
    const auto known = g_airlineSimilarModels.find(airline);
    if (known != g_airlineSimilarModels.end()) {
        const auto entry = known->second.find(model);
        if (entry != known->second.end()) return &entry->second;
    }
    const auto similar = g_similarModelsWithLiveries.find(model);
    if (similar == g_similarModelsWithLiveries.end()) return nullptr;
    ModelIds ownedSimilar;
    for (const std::uint16_t other : similar->second)
        if (owned->second.contains(other)) ownedSimilar.push_back(other);
    if (ownedSimilar.empty()) return nullptr;
    return &g_airlineSimilarModels[airline].emplace(model, std::move(ownedSimilar)).first->second;
}

void gf_resetLiveryProcessing() {
    g_liveries.clear();
    g_paxByAirline.clear();
    g_cargoByAirline.clear();
    g_paxByModel.clear();
    g_cargoByModel.clear();
    g_similarModelsWithLiveries.clear();
    g_airlineSimilarModels.clear();
    g_titleByRegcode.clear();
    g_regcodeByTitle.clear();
    g_singleSpecialRegcodes.clear();
    g_specialLiveries.clear();
    g_specialTitles.clear();
    g_regcodeReport.clear();
    g_lightModels.clear();
    g_buzjetModels.clear();
    g_rotorcraftModels.clear();
    g_scannedTitles.clear();
    g_offeredAirlines.clear();
    // Last: every other index views its strings.
    g_liveriesByAirline.clear();
    g_liveriesProcessed = false;
}

void gf_processScannedLiveries(const std::filesystem::path& parametersPath) {
    if (g_liveriesProcessed) {
        gf_log("Processing scanned liveries skipped; already done in previous start-up");
        g_liveries.clear();
        return;
    }
    g_cargoByModel.reserve(75);
    g_paxByModel.reserve(324);
    g_titleByRegcode.reserve(36000);
    g_titleByRegcode.max_load_factor(0.7F);
    gf_readLiveriesXml();
    g_liveryCount = g_liveries.size();
    lf_invalidateCounters();
    lf_buildAirlineIndex();
    lf_buildLiveryIndexes();
    lf_inlineRegcodes();
    lf_processOfflineRegcodes();
    gf_log(fmt::format("{:5} registration codes", g_titleByRegcode.size()));
    lf_buildModelIndex();
    gf_log(fmt::format("{:5} airlines, {} pax aircraft models and {} cargo aircraft models",
                       g_liveriesByAirline.size() - g_offeredAirlines.size(), g_paxByModel.size(),
                       g_cargoByModel.size()));
    lf_buildSimilarModels();
    gf_log(" ");
    for (std::uint32_t category = 0; category <= static_cast<std::uint32_t>(SizeCategory::Rotorcraft); ++category)
        lf_categorySummary(static_cast<SizeCategory>(category), parametersPath);
    lf_genericLiveries();
    g_liveriesProcessed = true;
    lf_invalidateCounters();
    g_liveries.clear();
}
