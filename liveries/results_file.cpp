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

// The attribute's text; throws 999 when it is absent (present but empty is fine).
std::string_view requiredAttribute(const pugi::xml_node& element, const char* name) {
    const pugi::xml_attribute attribute = element.attribute(name);
    if (!attribute)
        throw vlt::UserErrorException(999,
                                      fmt::format("Missing required attribute '{}' in <{}>", name, element.name()));
    return attribute.value();
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
    // Each comparison would look the code texts up again under the tables'
    // locks: look them up once per livery instead. The texts live as long
    // as the tables.
    struct Keyed {
        LiveryCodeTexts texts;
        std::list<LiveryData>::iterator livery;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(liveries.size());
    for (auto it = liveries.begin(); it != liveries.end(); ++it) keyed.push_back({lf_liveryCodeTexts(*it), it});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& x, const Keyed& y) {
        return lf_liveryLess(*x.livery, x.texts, *y.livery, y.texts);
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
        for (const pugi::xml_node element : liveries.children()) {
            if (element.type() != pugi::node_element) continue;
            const std::string_view airline = requiredAttribute(element, "a");
            const std::string_view model = requiredAttribute(element, "m");
            const std::string_view title = requiredAttribute(element, "t");
            LiveryData& livery = g_liveries.emplace_back();
            livery.title = title;
            livery.regcode = element.attribute("r").value();
            livery.airline = gf_airlineId(airline);
            livery.airline2 = gf_airlineId(element.attribute("o").value());
            livery.model = gf_modelId(model);
            livery.cargo = element.attribute("c").as_bool() ? 1 : 0;
        }
    }
    if (g_liveries.empty()) throw vlt::UserErrorException(533, pathText + " does not contain liveries");
    lf_sortLiveries(g_liveries);
    gf_log(fmt::format("{:5} liveries read from {}", g_liveries.size(), pathText));
}
