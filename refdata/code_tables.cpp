#include "refdata/code_tables.h"

#include <fmt/format.h>

#include <limits>
#include <mutex>

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "refdata/state.h"

namespace {
// The text the program has always logged for an id past the wingspan table.
constexpr const char* kRangeErrorText = "invalid array<T, N> subscript";
// What hwsp answers for such an id: far above any real half span, so the
// stand clearance never places two such aircraft side by side.
constexpr double kUnknownHalfSpanNm = 35.0;
constexpr std::size_t kMaxCodes = std::size_t{std::numeric_limits<std::uint16_t>::max()} + 1;

// The caller holds the table's lock, shared or unique.
std::optional<std::uint16_t> lf_findLocked(const CodeTable& table, std::string_view code) {
    const auto found = table.ids.find(code);
    if (found == table.ids.end()) return std::nullopt;
    return found->second;
}

std::optional<std::uint16_t> lf_findCode(const CodeTable& table, std::string_view code) {
    const std::shared_lock lock(table.mutex);
    return lf_findLocked(table, code);
}

// The caller holds the table's unique lock and has not found the code. Ids
// are 16 bits: a full table answers 0 (no code) rather than wrapping onto
// another code's id.
std::uint16_t lf_appendLocked(CodeTable& table, std::string_view code, std::string_view tableName) {
    if (table.texts.size() >= kMaxCodes) {
        if (!table.fullLogged) {
            table.fullLogged = true;
            gf_logMarked(fmt::format("The {} code table is full ({} codes): '{}' and every later new code get id 0",
                                     tableName, kMaxCodes, code));
        }
        return 0;
    }
    const auto id = static_cast<std::uint16_t>(table.texts.size());
    const std::string& text = table.texts.emplace_back(code);
    table.ids.emplace(text, id);
    return id;
}

// Looks the code up once more under the writer's lock (another thread may
// have appended it meanwhile), then appends it.
std::uint16_t lf_appendCode(CodeTable& table, std::string_view code, std::string_view tableName) {
    const std::unique_lock lock(table.mutex);
    if (const auto id = lf_findLocked(table, code)) return *id;
    return lf_appendLocked(table, code, tableName);
}

std::string_view lf_codeText(const CodeTable& table, std::uint16_t id) {
    const std::shared_lock lock(table.mutex);
    if (id >= table.texts.size()) return {};
    return table.texts[id];
}

std::size_t lf_codeCount(const CodeTable& table) {
    const std::shared_lock lock(table.mutex);
    return table.texts.size();
}
}  // namespace

std::uint16_t gf_airlineId(std::string_view code) {
    if (const auto id = lf_findCode(g_airlineCodes, code)) return *id;
    return lf_appendCode(g_airlineCodes, code, "airline");
}

std::uint16_t gf_modelId(std::string_view code) {
    if (const auto id = lf_findCode(g_modelCodes, code)) return *id;
    if (g_modelFixesActive) {
        // A known wrong spelling takes the id of its correct code and is not added itself.
        if (const auto fixed = lf_fixedModelCode(code))
            if (const auto id = lf_findCode(g_modelCodes, *fixed)) return *id;
    }
    return lf_appendCode(g_modelCodes, code, "model");
}

CodeInterner CodeInterner::airlines() { return CodeInterner(g_airlineCodes, false); }
CodeInterner CodeInterner::models() { return CodeInterner(g_modelCodes, true); }

CodeInterner::CodeInterner(CodeTable& table, bool models) : table_(table), lock_(table.mutex), models_(models) {}

std::uint16_t CodeInterner::id(std::string_view code) {
    if (const auto id = lf_findLocked(table_, code)) return *id;
    if (models_ && g_modelFixesActive) {
        if (const auto fixed = lf_fixedModelCode(code))
            if (const auto id = lf_findLocked(table_, *fixed)) return *id;
    }
    return lf_appendLocked(table_, code, models_ ? "model" : "airline");
}

std::string_view gf_airlineCodeText(std::uint16_t id) { return lf_codeText(g_airlineCodes, id); }
std::string_view gf_modelCodeText(std::uint16_t id) { return lf_codeText(g_modelCodes, id); }
std::size_t gf_airlineCodeCount() { return lf_codeCount(g_airlineCodes); }
std::size_t gf_modelCodeCount() { return lf_codeCount(g_modelCodes); }

std::optional<std::string> lf_fixedModelCode(std::string_view code) {
    const auto found = g_modelFixes.find(code);
    if (found == g_modelFixes.end()) return std::nullopt;
    return found->second;
}

SizeCategory gf_modelCategory(std::uint16_t modelId) {
    // A model in several sets takes the first of this order.
    static constexpr std::pair<CategorySet, SizeCategory> kOrder[] = {
        {kLargeSet, SizeCategory::Large},           {kHeavySet, SizeCategory::Heavy},
        {kBuzjetSet, SizeCategory::Buzjets},        {kRotorcraftSet, SizeCategory::Rotorcraft},
        {kHighPerfSet, SizeCategory::HighPerf},
    };
    for (const auto& [set, category] : kOrder)
        if (g_modelCategorySets[set].contains(modelId)) return category;
    return SizeCategory::Light;
}

SizeCategory gf_modelCodeCategory(std::string_view code) { return gf_modelCategory(gf_modelId(code)); }

bool gf_isKnownModelCode(std::string_view code) { return !code.empty() && g_icaoModelCodes.contains(code); }

bool gf_isKnownAirlineCode(std::string_view code) { return !code.empty() && g_icaoAirlineCodes.contains(code); }

double hwsp(std::uint16_t modelId) {
    if (modelId >= kWingspanSlots) {
        gf_logAndFlush(fmt::format("hwsp: {} what: {}", modelId, kRangeErrorText));
        return kUnknownHalfSpanNm;
    }
    return g_wingspans[modelId];
}

void lf_fillWingspan(std::string_view code, double halfSpanNm) {
    const std::uint16_t id = gf_modelId(code);
    if (id >= kWingspanSlots) {
        gf_logMarked(fmt::format("wsp fill what: {}", kRangeErrorText));
        return;
    }
    g_wingspans[id] = halfSpanNm;
}

void lf_buildSimilarPrefixes() {
    // Each member of a group followed by the others, as one text; the texts
    // in ascending order decide, first wins, for a prefix in several groups.
    CodeSet texts;
    for (const auto& group : g_prefixGroups) {
        for (std::size_t i = 0; i < group.size(); ++i) {
            std::string text = group[i];
            for (std::size_t j = 0; j < group.size(); ++j)
                if (j != i) text += "," + group[j];
            if (text.find(',') != std::string::npos) texts.insert(std::move(text));
        }
    }
    for (const auto& text : texts) {
        std::vector<std::string> pieces;
        for (const auto piece : gf_splitCommaViews(text)) pieces.emplace_back(piece);
        std::string key = std::move(pieces.front());
        pieces.erase(pieces.begin());
        g_similarPrefixes.try_emplace(std::move(key), std::move(pieces));
    }
}

const std::vector<std::string>& lf_similarPrefixes(std::string_view prefix) {
    static const std::vector<std::string> kNone;
    const auto found = g_similarPrefixes.find(prefix);
    if (found == g_similarPrefixes.end()) return kNone;
    gf_shuffle(found->second);
    return found->second;
}
