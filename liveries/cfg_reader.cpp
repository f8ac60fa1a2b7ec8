#include "liveries/cfg_reader.h"

#include <fmt/format.h>

#include <charconv>
#include <cstdint>
#include <functional>
#include <system_error>

#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "liveries/cfg_lines.h"
#include "liveries/fltsim_section.h"
#include "liveries/scan_reports.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kLinesReserved = 4096;
constexpr std::size_t kSectionLinesReserved = 48;
constexpr std::uint32_t kHighestSectionNumber = 10000;
// A line whose first "[" stands at an index up to this one heads another section.
constexpr std::size_t kLastHeaderIndex = 5;

// The section number of the header digits; none when it is beyond the
// signed 32-bit range.
std::optional<std::int32_t> lf_sectionNumber(std::string_view digits) {
    std::int32_t number = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
    return number;
}
}  // namespace

fs::path lf_cfgPath(const std::string& text) { return gf_utf8Path(text); }

bool lf_readCfgLines(const fs::path& cfgPath, CfgLines& lines, bool markNoEncoding) {
    const std::int32_t encoding = gf_detectCharset(cfgPath);
    if (encoding == kEncodingNoneFound) {
        const std::string line = fmt::format("! No text encoding detected for {}", lf_scanPathText(cfgPath));
        if (markNoEncoding) {
            gf_logMarked(line);
        } else {
            gf_log(line);
        }
    } else {
        if (lines.capacity() < kLinesReserved) lines.reserve(kLinesReserved);
        if (gf_readTextFileUtf8(encoding, cfgPath, lines)) return true;
        gf_log(fmt::format("! Failed reading {}", lf_scanPathText(cfgPath)));
    }
    // The user finds the file in the report, not only in the log.
    lf_appendInvalidCfgFile(lf_scanPathText(cfgPath) + " could not be read");
    return false;
}

bool lf_fltsimNumber(const CfgLines& lines, const fs::path& cfgPath) {
    bool found = false;
    bool tooHigh = false;
    for (const std::string& line : lines) {
        const std::string digits = lf_fltsimHeader(line);
        if (digits.empty()) continue;
        const std::optional<std::int32_t> number = lf_sectionNumber(digits);
        if (!number) {
            gf_logMarked(fmt::format("fltsim num {} incorrect", line));
            return false;
        }
        found = true;
        if (static_cast<std::uint32_t>(*number) > kHighestSectionNumber) tooHigh = true;
    }
    if (!found) {
        lf_appendEmptyCfgFile(lf_scanPathText(cfgPath));
        return true;
    }
    if (tooHigh) {
        lf_appendInvalidCfgFile(lf_scanPathText(cfgPath) + " contains a [fltsim.x] section with a number < 0 or > " +
                                std::string(kHighestFltsimNumber));
        return false;
    }
    return true;
}

std::string lf_checkedModelCode(const std::string& code, const fs::path& cfgPath) {
    if (g_icaoModelCodes.contains(code)) return code;
    if (std::optional<std::string> fixed = lf_fixedModelCode(code)) {
        lf_appendLiveryLog(fmt::format("Model fix: {} found in {} changed into {}", code, lf_scanPathText(cfgPath), *fixed));
        return *fixed;
    }
    lf_appendInvalidModelCode(code, lf_scanPathText(cfgPath));
    return {};
}

std::string lf_readGeneralAtcModel(const fs::path& cfgPath, const CfgLines& lines) {
    for (const std::string& line : lines) {
        const std::string value = lf_readAtcModelKey(line);
        if (!value.empty()) return lf_checkedModelCode(value, cfgPath);
    }
    lf_appendInvalidCfgFile("Line atc_model= is missing in [General] section of " + lf_scanPathText(cfgPath));
    return {};
}

void lf_forEachSection(const CfgLines& lines, bool (*endsSection)(const std::string& line),
                       const std::function<void(const CfgLines& section)>& process) {
    CfgLines section;
    section.reserve(kSectionLinesReserved);
    bool inSection = false;
    const auto processSection = [&] {
        process(section);
        section.clear();
    };
    for (const std::string& line : lines) {
        if (!lf_fltsimHeader(line).empty()) {
            if (!section.empty()) processSection();
            inSection = true;
            section.push_back(line);
        } else if (endsSection(line)) {
            if (inSection && !section.empty()) processSection();
            inSection = false;
        } else if (inSection) {
            section.push_back(line);
        }
    }
    if (inSection && !section.empty()) processSection();
}

LiveryList lf_walkFltSimSections(int folderNumber, const CfgLines& lines, const std::string& atcModel,
                                 const fs::path& cfgPath, const fs::path& cfgFolder) {
    LiveryList liveries;
    lf_forEachSection(
        lines, [](const std::string& line) { return !line.empty() && line.find('[') <= kLastHeaderIndex; },
        [&](const CfgLines& section) {
            liveries.splice(liveries.end(), lf_procesFltSimSection(folderNumber, section, atcModel, cfgPath, cfgFolder));
        });
    return liveries;
}

LiveryList lf_searchLiveriesinFile(int folderNumber, const fs::path& cfgPath) {
    try {
        std::error_code error;
        if (!fs::exists(cfgPath, error) || error) return {};
        const fs::path cfgFolder = cfgPath.parent_path();
        CfgLines lines;
        if (!lf_readCfgLines(cfgPath, lines, false)) return {};
        if (!lf_fltsimNumber(lines, cfgPath)) return {};
        const std::string atcModel = lf_readGeneralAtcModel(cfgPath, lines);
        if (atcModel.empty()) return {};
        const PathKindMemo memo;
        return lf_walkFltSimSections(folderNumber, lines, atcModel, cfgPath, cfgFolder);
    } catch (const std::exception& e) {
        gf_log(fmt::format("! Exception in lf_searchLiveriesinFile {}: {}", lf_scanPathText(cfgPath), e.what()));
        throw;
    }
}
