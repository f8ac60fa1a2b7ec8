#include "liveries/ivao_reader.h"

#include <fmt/format.h>

#include <array>
#include <optional>
#include <utility>

#include "foundation/log.h"
#include "liveries/cfg_lines.h"
#include "liveries/fltsim_section.h"
#include "liveries/scan_reports.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kSetFolder = "ivao_mtl";
constexpr std::string_view kModelFolderPrefix = "ivao_";
constexpr std::string_view kCfgName = "aircraft.cfg";
constexpr std::string_view kNoModelCode = "  ";

// Folder codes the data base spells differently.
constexpr std::array<std::pair<std::string_view, std::string_view>, 9> kFolderCodes = {{
    {"B744F", "B744"},
    {"T154M", "T154"},
    {"T154B2", "T154"},
    {"GLID_SH", "GLID"},
    {"GLID_A13", "GLID"},
    {"GLID_A25", "GLID"},
    {"GLID_KA6", "GLID"},
    {"GLID_KA8", "GLID"},
    {"GLID_L13", "GLID"},
}};

char lf_lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
bool lf_isWordChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool lf_isSeparator(char c) { return c == '\\' || c == '/'; }
// "." of the patterns: any character but LF and CR.
bool lf_isAnyChar(char c) { return c != '\n' && c != '\r'; }

bool lf_equalsNoCase(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (lf_lower(text[i]) != lower[i]) return false;
    return true;
}

// The file name "aircraft.cfg" as the pattern reads it: the dot stands for any character.
bool lf_isCfgName(std::string_view name) {
    if (name.size() != kCfgName.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (i == 8 ? !lf_isAnyChar(name[i]) : lf_lower(name[i]) != kCfgName[i]) return false;
    return true;
}

// The folder name's code of a path ending in <any>/IVAO_MTL/IVAO_<code>/aircraft.cfg
// (either separator, any case); none when the path does not end so.
std::optional<std::string> lf_folderCodeOf(std::string_view path) {
    const std::size_t nameStart = path.find_last_of("\\/");
    if (nameStart == std::string_view::npos || !lf_isCfgName(path.substr(nameStart + 1))) return std::nullopt;
    const std::size_t folderStart = path.find_last_of("\\/", nameStart - 1);
    if (folderStart == std::string_view::npos || nameStart == 0) return std::nullopt;
    const std::string_view folder = path.substr(folderStart + 1, nameStart - folderStart - 1);
    if (folder.size() <= kModelFolderPrefix.size() ||
        !lf_equalsNoCase(folder.substr(0, kModelFolderPrefix.size()), kModelFolderPrefix))
        return std::nullopt;
    const std::string_view code = folder.substr(kModelFolderPrefix.size());
    for (const char c : code)
        if (!lf_isWordChar(c)) return std::nullopt;
    if (folderStart < kSetFolder.size() + 2) return std::nullopt;  // room for the set folder and something before it
    const std::size_t setStart = folderStart - kSetFolder.size() - 1;
    if (!lf_isSeparator(path[setStart]) ||
        !lf_equalsNoCase(path.substr(setStart + 1, kSetFolder.size()), kSetFolder))
        return std::nullopt;
    for (const char c : path.substr(0, setStart))
        if (!lf_isAnyChar(c)) return std::nullopt;
    return std::string(code);
}

std::string lf_sectionReport(const std::string& folderText, const std::string& header, std::string_view what) {
    return fmt::format("{} {} {}", folderText, header, what);
}

// The first of the section's three paths that is missing, if any.
std::optional<fs::path> lf_missingPath(const fs::path& cfgFolder, const SectionKeys& keys) {
    const fs::path model = lf_modelFolder(cfgFolder, keys);
    if (!lf_isFolder(model)) return model;
    const fs::path flightModel = lf_flightModelFile(cfgFolder, keys);
    if (!lf_isRegularFile(flightModel)) return flightModel;
    const fs::path texture = lf_textureFolder(cfgFolder, keys);
    if (!lf_isFolder(texture)) return texture;
    return std::nullopt;
}

LiveryData lf_makeIvaoLivery(int folderNumber, const RegCodes& codes, const SectionKeys& keys,
                             const std::string& folderText, const std::string& header) {
    LiveryData livery = lf_makeLiveryOnce(folderNumber, codes, keys.title, keys.regcode);
    if (lf_liveryIncomplete(livery))
        lf_appendIncompleteSection(lf_sectionReport(folderText, header, "title already exists: " + keys.title));
    return livery;
}
}  // namespace

std::string lf_ivaoFolderCode(std::string code) {
    if (!code.empty() && code.back() == 'w') {
        code.pop_back();
        return code;
    }
    for (const auto& [folderCode, modelCode] : kFolderCodes)
        if (code == folderCode) return std::string(modelCode);
    return code;
}

std::string lf_ivaoModelFix(const fs::path& cfgPath) {
    const std::optional<std::string> code = lf_folderCodeOf(lf_scanPathText(cfgPath));
    if (!code) {
        lf_appendInvalidModelCode(kNoModelCode, lf_scanPathText(cfgPath));
        return {};
    }
    return lf_checkedModelCode(lf_ivaoFolderCode(*code), cfgPath);
}

std::string lf_ivaoTitleAirline(std::string_view title, std::string_view modelCode) {
    if (title.size() < modelCode.size()) return {};
    for (std::size_t i = 0; i < modelCode.size(); ++i)
        if (lf_lower(title[i]) != lf_lower(modelCode[i])) return {};
    std::size_t at = modelCode.size();
    while (at < title.size() && lf_isCfgSpace(title[at])) ++at;
    if (title.size() - at < 3) return {};
    const std::string_view airline = title.substr(at, 3);
    for (const char c : airline)
        if (!lf_isWordChar(c)) return {};
    for (const char c : title.substr(at + 3))
        if (!lf_isAnyChar(c)) return {};
    return std::string(airline);
}

LiveryData lf_procesIvaoFltSimSection(int folderNumber, const CfgLines& section, const std::string& atcModel,
                                      const fs::path& cfgPath, const fs::path& cfgFolder) {
    const std::string& header = section.front();
    const std::string folderText = lf_scanPathText(cfgFolder);
    SectionKeys keys = lf_readSectionKeys(section, SectionKind::Ivao, folderText, cfgPath);
    if (keys.dropped) return {};
    if (const std::optional<fs::path> missing = lf_missingPath(cfgFolder, keys)) {
        lf_appendIncompleteSection(fmt::format("{} {} does not exist", lf_scanPathText(*missing), header));
        return {};
    }
    if (keys.title.empty()) {
        lf_appendIncompleteSection(lf_sectionReport(folderText, header, "misses title"));
        return {};
    }
    if (lf_isScanDontUseTitle(keys.title)) return {};
    const std::string airline = lf_ivaoTitleAirline(keys.title, atcModel);
    if (!airline.empty()) {
        if (!gf_isKnownAirlineCode(airline)) {
            lf_appendInvalidAirlineCode(airline, lf_scanPathText(cfgPath), header);
            return {};
        }
        if (airline == g_genericAirlineCode) keys.regcode.clear();
        const RegCodes codes{gf_airlineId(airline), 0, gf_modelId(atcModel), 0};
        return lf_makeIvaoLivery(folderNumber, codes, keys, folderText, header);
    }
    const std::string missingAirline = "misses airlinecode in title: " + keys.title;
    if (keys.regcode.empty()) {
        lf_appendIncompleteSection(lf_sectionReport(folderText, header, missingAirline + ", and no regcode"));
        return {};
    }
    const std::optional<RegCodes> codes = gf_findRegistration(keys.regcode);
    if (!codes) {
        lf_appendIncompleteSection(
            lf_sectionReport(folderText, header, missingAirline + ", and regcode unknown " + keys.regcode));
        return {};
    }
    return lf_makeIvaoLivery(folderNumber, *codes, keys, folderText, header);
}

LiveryList lf_walkIvaoSections(int folderNumber, const CfgLines& lines, const std::string& atcModel,
                               const fs::path& cfgPath, const fs::path& cfgFolder) {
    LiveryList liveries;
    lf_forEachSection(
        lines, [](const std::string& line) { return line.find('[') != std::string::npos; },
        [&](const CfgLines& section) {
            LiveryData livery = lf_procesIvaoFltSimSection(folderNumber, section, atcModel, cfgPath, cfgFolder);
            if (!lf_liveryIncomplete(livery)) liveries.push_back(std::move(livery));
        });
    return liveries;
}

LiveryList lf_searchLiveriesinIVAOFile(int folderNumber, const fs::path& cfgPath) {
    try {
        const std::string atcModel = lf_ivaoModelFix(cfgPath);
        if (atcModel.empty()) return {};
        const fs::path cfgFolder = cfgPath.parent_path();
        CfgLines lines;
        if (!lf_readCfgLines(cfgPath, lines, true)) return {};
        if (!lf_fltsimNumber(lines, cfgPath)) return {};
        const PathKindMemo memo;
        return lf_walkIvaoSections(folderNumber, lines, atcModel, cfgPath, cfgFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinIVAOFile {}: {}", lf_scanPathText(cfgPath), e.what()));
        throw;
    } catch (...) {
        gf_log(fmt::format("! Unknown exception in lf_searchLiveriesinIVAOFile {}", lf_scanPathText(cfgPath)));
        throw;
    }
}
