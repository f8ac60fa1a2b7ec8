#include "liveries/fltsim_section.h"

#include <fmt/format.h>

#include <optional>
#include <system_error>

#include "foundation/log.h"
#include "foundation/strings.h"
#include "liveries/cfg_lines.h"
#include "liveries/scan_reports.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "refdata/state.h"
#include "settings/file_names.h"
#include "traffic/size_category.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLongestRegcode = 12;
constexpr std::string_view kPrivateAirlineCode = "PVT";
constexpr std::string_view kDroppedAirlineCode = "RFO";

// An atc_parking_codes value of four letters ending in X or C names the
// airline by its first three.
void lf_cutAirlineSuffix(std::string& code) {
    if (code.size() == 4 && (code[3] == 'X' || code[3] == 'C')) code.resize(3);
}

// The airline rule; true when it took the line.
bool lf_readAirlineLine(const std::string& line, SectionKeys& keys, const std::string& header,
                        const fs::path& cfgPath) {
    const std::string value = lf_readAtcParkingCodesKey(line);
    if (value.empty()) return false;
    const std::vector<std::string> pieces = gf_splitTrimmed(value);
    if (pieces.empty()) return false;
    std::string code = gf_trimmed(pieces.front());
    lf_cutAirlineSuffix(code);
    if (!code.empty() && g_icaoAirlineCodes.contains(code)) {
        keys.airline = std::move(code);
    } else if (code == kDroppedAirlineCode) {
        keys.dropped = true;
    } else {
        lf_appendInvalidAirlineCode(code, lf_scanPathText(cfgPath), header);
    }
    return true;
}

// The registration rule: one valid piece becomes the regcode; several valid
// pieces leave it empty without an entry; an invalid value is reported.
void lf_readRegcodeValue(std::string value, SectionKind kind, SectionKeys& keys) {
    if (kind == SectionKind::Fltsim) {
        // What follows ";" is a comment; the blanks before it are not part of the registration.
        value.resize(std::min(value.find(';'), value.size()));
        gf_trim(value);
    }
    const std::vector<std::string_view> pieces = gf_splitCommaViews(value);
    bool valid = !pieces.empty();
    for (const std::string_view piece : pieces)
        if (piece.empty() || piece == " " || piece.size() > kLongestRegcode || piece.find('*') != std::string_view::npos)
            valid = false;
    if (!valid) {
        // The two readers word the entry a little differently.
        const std::string_view in = kind == SectionKind::Fltsim ? "in:" : "in";
        lf_appendIncompleteSection(fmt::format("invalid atc_id={} {} {}", value, in, keys.title));
    } else if (pieces.size() == 1) {
        keys.regcode = std::string(pieces.front());
    }
}

// The kinds of the paths asked about while one file is read; null outside.
thread_local std::vector<std::pair<fs::path, fs::file_type>>* t_pathKinds = nullptr;

fs::file_type lf_pathKind(const fs::path& path) {
    if (t_pathKinds != nullptr)
        for (const auto& [known, type] : *t_pathKinds)
            if (known == path) return type;
    std::error_code error;
    fs::file_type type = fs::status(path, error).type();
    if (type == fs::file_type::unknown) type = fs::file_type::not_found;
    // A name the file system refuses (too long, or with characters it does
    // not allow) names nothing that is there: the section's path is missing,
    // and the file's other sections are still read.
    if (error == std::errc::filename_too_long || error == std::errc::invalid_argument)
        type = fs::file_type::not_found;
    if (error && type != fs::file_type::not_found) throw fs::filesystem_error("status", path, error);
    if (t_pathKinds != nullptr) t_pathKinds->emplace_back(path, type);
    return type;
}

bool lf_hasKind(const fs::path& path, fs::file_type kind) { return lf_pathKind(path) == kind; }

std::optional<RegCodes> lf_registrationCodes(const std::string& regcode) {
    if (regcode.empty()) return std::nullopt;
    const std::optional<RegCodes> found = gf_findRegistration(regcode);
    if (found && found->airlineId != 0) return found;
    return std::nullopt;
}

LiveryList lf_sectionLivery(int folderNumber, const CfgLines& section, const std::string& atcModel,
                            const fs::path& cfgPath, const fs::path& cfgFolder) {
    const std::string& header = section.front();
    const std::string folderText = lf_scanPathText(cfgFolder);
    SectionKeys keys = lf_readSectionKeys(section, SectionKind::Fltsim, folderText, cfgPath);
    const auto report = [&](std::string_view what) {
        lf_appendIncompleteSection(fmt::format("{} {} {}", folderText, header, what));
        return LiveryList{};
    };

    if (keys.airline.empty())
        lf_appendIncompleteSection(
            fmt::format("{} {} icao_airline is missing, or it has invalid info ", lf_scanPathText(cfgPath), header));
    if (keys.dropped) return {};
    const fs::path modelFolder = lf_modelFolder(cfgFolder, keys);
    if (!lf_isFolder(modelFolder) || !lf_isFolder(lf_textureFolder(cfgFolder, keys)) ||
        !lf_isRegularFile(lf_flightModelFile(cfgFolder, keys))) {
        lf_appendIncompleteSection(lf_scanPathText(modelFolder) + " or related path does not exist: " + header);
        return {};
    }
    if (keys.title.empty()) return report("misses title");
    if (keys.title.find("Fictional") != std::string::npos) return {};
    if (keys.title.find("Generic") != std::string::npos) keys.airline = g_genericAirlineCode;
    if (lf_isScanDontUseTitle(keys.title)) return {};
    if (keys.airline == g_genericAirlineCode) keys.regcode.clear();

    std::optional<RegCodes> codes = lf_registrationCodes(keys.regcode);
    if (keys.airline.empty()) {
        const bool heavy = gf_modelCodeCategory(atcModel) == SizeCategory::Heavy;
        if (keys.regcode.empty()) {
            if (heavy) {
                lf_appendIncompleteSection(
                    fmt::format("'{}' '{}' has no airline and no regcode info", folderText, header));
                return {};
            }
            keys.airline = kPrivateAirlineCode;
            keys.regcode = gf_regPrefixIn(keys.title).value_or("");
            codes = lf_registrationCodes(keys.regcode);
        } else if (!codes) {
            if (heavy) {
                lf_appendIncompleteSection(
                    fmt::format("'{}' '{}' has no airline and regcode not in dbase", folderText, header));
                return {};
            }
            keys.airline = kPrivateAirlineCode;
        }
    }
    if (!codes) {
        const bool cargo = keys.parkingTypes.find("CARGO") != std::string::npos;
        codes = RegCodes{gf_airlineId(keys.airline), 0, gf_modelId(atcModel), static_cast<std::uint8_t>(cargo ? 1 : 0)};
    }
    LiveryData livery = lf_makeLiveryOnce(folderNumber, *codes, keys.title, keys.regcode);
    if (lf_liveryIncomplete(livery)) {
        lf_appendIncompleteSection(fmt::format("{} {} title '{}' already exists", folderText, header, keys.title));
        return {};
    }
    LiveryList liveries;
    liveries.push_back(std::move(livery));
    return liveries;
}
}  // namespace

SectionKeys lf_readSectionKeys(const CfgLines& section, SectionKind kind, const std::string& cfgFolderText,
                               const fs::path& cfgPath) {
    SectionKeys keys;
    const std::string& header = section.front();
    const auto drop = [&](std::string_view format) {
        lf_appendIncompleteSection(fmt::format(fmt::runtime(format), cfgFolderText, header));
        keys.dropped = true;
    };
    std::string value;
    for (const std::string& line : section) {
        if (keys.title.empty()) {
            if (lf_readTitleKey(line, keys.title)) continue;
        } else if (!lf_matchKey(line, kTitleKey).empty()) {
            drop("{} {} has more than one title key");
            break;
        }
        if (kind == SectionKind::Fltsim) {
            if (keys.airline.empty()) {
                if (lf_readAirlineLine(line, keys, header, cfgPath)) {
                    if (keys.dropped) break;
                    continue;
                }
            } else if (line.find(kAtcParkingCodesKey) != std::string::npos) {
                drop("{} {} has more than one atc_parking_codes key");
                break;
            }
        }
        if (keys.parkingTypes.empty()) {
            if (lf_readAtcParkingTypesKey(line, value)) {
                gf_trim(value);
                gf_toUpper(value);
                keys.parkingTypes = value;
                continue;
            }
        } else if (lf_hasAtcParkingTypesKey(line)) {
            drop("{} {} has more than one atc_parking_types key");
            break;
        }
        if (keys.regcode.empty()) {
            if (lf_readAtcIdKey(line, value)) {
                lf_readRegcodeValue(value, kind, keys);
                continue;
            }
        } else if (lf_hasAtcIdKey(line)) {
            drop("{}, {}, has more than one atc_id key");
            break;
        }
        if (keys.model.empty() && lf_readModelKey(line, keys.model)) continue;
        if (keys.sim.empty() && lf_readSimKey(line, keys.sim)) continue;
        if (keys.texture.empty()) lf_readTextureKey(line, keys.texture);
    }
    return keys;
}

PathKindMemo::PathKindMemo() : previous_(t_pathKinds) { t_pathKinds = &kinds_; }
PathKindMemo::~PathKindMemo() { t_pathKinds = previous_; }

fs::path lf_modelFolder(const fs::path& cfgFolder, const SectionKeys& keys) {
    return cfgFolder / lf_cfgPath("model." + keys.model);
}
fs::path lf_textureFolder(const fs::path& cfgFolder, const SectionKeys& keys) {
    return cfgFolder / lf_cfgPath("texture." + keys.texture);
}
fs::path lf_flightModelFile(const fs::path& cfgFolder, const SectionKeys& keys) {
    return cfgFolder / lf_cfgPath(keys.sim + ".air");
}
bool lf_isFolder(const fs::path& path) { return lf_hasKind(path, fs::file_type::directory); }
bool lf_isRegularFile(const fs::path& path) { return lf_hasKind(path, fs::file_type::regular); }

LiveryList lf_procesFltSimSection(int folderNumber, const CfgLines& section, const std::string& atcModel,
                                  const fs::path& cfgPath, const fs::path& cfgFolder) {
    try {
        return lf_sectionLivery(folderNumber, section, atcModel, cfgPath, cfgFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("Exception in lf_procesFltSimSection: {}, file: {}", e.what(), lf_scanPathText(cfgPath)));
        throw;
    }
}
