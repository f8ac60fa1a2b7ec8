#include "liveries/results_file.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/services/state.h"
#include "foundation/file_helpers.h"
#include "foundation/info_block.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "liveries/state.h"
#include "refdata/code_tables.h"
#include "settings/program_version.h"

namespace fs = std::filesystem;

namespace {
bool appendAttribute(pugi::xml_node element, const char* name, std::string_view value) {
    return element.append_attribute(name).set_value(std::string(value).c_str());
}

// One "l" element, attributes in the file's order: a, o (only with a second
// airline), m, c (only for cargo), t, r (only with a registration).
bool appendLivery(pugi::xml_node liveries, const LiveryData& livery) {
    pugi::xml_node element = liveries.append_child("l");
    if (!element) return false;
    bool complete = appendAttribute(element, "a", gf_airlineCodeText(livery.airline));
    if (livery.airline2 != 0) complete = appendAttribute(element, "o", gf_airlineCodeText(livery.airline2)) && complete;
    complete = appendAttribute(element, "m", gf_modelCodeText(livery.model)) && complete;
    if (livery.cargo != 0) complete = element.append_attribute("c").set_value(true) && complete;
    complete = appendAttribute(element, "t", livery.title) && complete;
    if (!livery.regcode.empty()) complete = appendAttribute(element, "r", livery.regcode) && complete;
    return complete;
}

// For each id (indexed by id), the rank of its code text among the given
// ids' texts: ids of equal texts share a rank.
std::vector<std::uint32_t> lf_textRanks(std::vector<std::uint16_t>& ids, std::string_view (*text)(std::uint16_t)) {
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    std::vector<std::pair<std::string_view, std::uint16_t>> texts;
    texts.reserve(ids.size());
    for (const std::uint16_t id : ids) texts.emplace_back(text(id), id);
    std::sort(texts.begin(), texts.end());
    std::vector<std::uint32_t> ranks(ids.empty() ? 0 : std::size_t{ids.back()} + 1, 0);
    std::uint32_t rank = 0;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0 && texts[i].first != texts[i - 1].first) ++rank;
        ranks[texts[i].second] = rank;
    }
    return ranks;
}

// The attributes of one livery element, taken in one walk over them (the
// first of each name counts). Throws 999 for the first of a, m, t that is
// absent; present but empty is fine.
struct LiveryAttributes {
    std::string_view airline, airline2, model, title, regcode;
    bool cargo = false;
};

LiveryAttributes lf_liveryAttributes(const pugi::xml_node& element) {
    LiveryAttributes read;
    const pugi::xml_attribute* seen[6] = {};  // a, o, m, t, r, c
    pugi::xml_attribute attributes[6];
    for (const pugi::xml_attribute attribute : element.attributes()) {
        const char* name = attribute.name();
        if (name[0] == '\0' || name[1] != '\0') continue;
        const std::size_t slot = std::string_view("aomtrc").find(name[0]);
        if (slot == std::string_view::npos || seen[slot] != nullptr) continue;
        attributes[slot] = attribute;
        seen[slot] = &attributes[slot];
    }
    for (const auto& [slot, name] : {std::pair{0, "a"}, std::pair{2, "m"}, std::pair{3, "t"}})
        if (seen[slot] == nullptr)
            throw vlt::UserErrorException(
                999, fmt::format("Missing required attribute '{}' in <{}>", name, element.name()));
    read.airline = attributes[0].value();
    read.airline2 = attributes[1].value();
    read.model = attributes[2].value();
    read.title = attributes[3].value();
    read.regcode = attributes[4].value();
    read.cargo = attributes[5].as_bool();
    return read;
}
}  // namespace

bool gf_writeLiveriesXml(const std::list<LiveryData>& liveries, const fs::path& path) {
    if (liveries.empty()) return true;
    pugi::xml_document document;
    InfoRecord info;
    info.version = g_programVersion.toString();
    info.sim = g_infoSimNumber.load();
    gf_writeInfoBlock(document, info);
    pugi::xml_node root = document.child("root");
    if (!root) return false;
    pugi::xml_node list = root.append_child("liveries");
    bool complete = static_cast<bool>(list);
    for (const LiveryData& livery : liveries) {
        if (!complete) break;
        complete = appendLivery(list, livery);
    }
    const std::string pathText = gf_pathToUtf8(path);
    std::error_code ignored;
    if (path.has_parent_path()) fs::create_directories(path.parent_path(), ignored);
    if (!complete || !gf_saveXmlDocument(document, path)) {
        gf_logMarked(fmt::format("{} liveries could not be written to {}", liveries.size(), pathText));
        return false;
    }
    gf_log(fmt::format("{} liveries in {}", liveries.size(), pathText));
    return true;
}

bool gf_writeLiveriesXml() { return gf_writeLiveriesXml(g_liveries); }

void lf_sortLiveries(std::list<LiveryData>& liveries) {
    if (liveries.size() < 2) return;
    // The order of lf_liveryLess, with each code text looked up once: every
    // id gets the rank of its text among the ids of the list (equal texts,
    // equal ranks), and the records are compared by rank.
    std::vector<std::uint16_t> airlineIds, modelIds;
    for (const LiveryData& livery : liveries) {
        airlineIds.push_back(livery.airline);
        airlineIds.push_back(livery.airline2);
        modelIds.push_back(livery.model);
    }
    const std::vector<std::uint32_t> airlineRank = lf_textRanks(airlineIds, gf_airlineCodeText);
    const std::vector<std::uint32_t> modelRank = lf_textRanks(modelIds, gf_modelCodeText);
    struct Keyed {
        std::uint32_t airline, airline2, model;
        std::list<LiveryData>::iterator livery;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(liveries.size());
    for (auto it = liveries.begin(); it != liveries.end(); ++it)
        keyed.push_back({airlineRank[it->airline], airlineRank[it->airline2], modelRank[it->model], it});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        const LiveryData& a = *x.livery;
        const LiveryData& b = *y.livery;
        if (x.airline != y.airline || a.airline != b.airline) return x.airline < y.airline;
        if (x.airline2 != y.airline2 || a.airline2 != b.airline2) return x.airline2 < y.airline2;
        if (x.model != y.model || a.model != b.model) return x.model < y.model;
        return a.title < b.title;
    });
    std::list<LiveryData> sorted;
    for (const Keyed& entry : keyed) sorted.splice(sorted.end(), liveries, entry.livery);
    liveries.swap(sorted);
}

void gf_readLiveriesXml(const fs::path& path) {
    g_liveries.clear();
    const std::string pathText = gf_pathToUtf8(path);
    pugi::xml_document document;
    if (!document.load_file(path.c_str()))
        throw vlt::UserErrorException(51, fmt::format("File {} not found", pathText));
    gf_readInfoBlock(document);
    if (const pugi::xml_node root = document.child("root")) {
        const pugi::xml_node liveries = root.child("liveries");
        if (!liveries)
            throw vlt::UserErrorException(52, fmt::format("{} does not contain a <liveries> section", pathText));
        // The code tables stay locked for the whole list (other threads that
        // intern codes wait): one lock instead of three per livery.
        CodeInterner airlines = CodeInterner::airlines();
        CodeInterner models = CodeInterner::models();
        for (const pugi::xml_node element : liveries.children()) {
            if (element.type() != pugi::node_element) continue;
            const LiveryAttributes read = lf_liveryAttributes(element);
            LiveryData& livery = g_liveries.emplace_back();
            livery.title = read.title;
            livery.regcode = read.regcode;
            livery.airline = airlines.id(read.airline);
            livery.airline2 = airlines.id(read.airline2);
            livery.model = models.id(read.model);
            livery.cargo = read.cargo ? 1 : 0;
        }
    }
    if (g_liveries.empty()) throw vlt::UserErrorException(533, pathText + " does not contain liveries");
    lf_sortLiveries(g_liveries);
    gf_log(fmt::format("{:5} liveries read from {}", g_liveries.size(), pathText));
}
