#include "liveries/regcodes.h"

#include <fmt/format.h>
#include <pugixml.hpp>

#include <string_view>
#include <system_error>

#include "app/services/status_line.h"
#include "foundation/decrypt.h"
#include "foundation/file_helpers.h"
#include "foundation/info_block.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "liveries/livery_indexes.h"
#include "liveries/state.h"
#include "settings/file_names.h"
#include "traffic/ac_texts.h"

namespace fs = std::filesystem;

namespace {
constexpr std::size_t kMinListLine = 6;
constexpr std::size_t kMinRegcode = 3;
constexpr std::size_t kMaxRegcode = 12;

fs::path lf_offlineRegcodesPath() { return g_infoFolder / "OfflineRegcodes.txt"; }

std::string_view lf_liveriesWord(std::size_t count) { return count == 1 ? "livery" : "liveries"; }

void lf_logEntriesRead(std::size_t count, const fs::path& file) {
    gf_log(fmt::format("{:5} {} read from {}", count, lf_liveriesWord(count), gf_pathToUtf8(file.filename())));
}

std::vector<std::string_view> lf_splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(';', start);
        fields.push_back(line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return fields;
        start = end + 1;
    }
}

bool lf_regcodeLengthOk(const std::string& regcode) {
    return regcode.size() >= kMinRegcode && regcode.size() <= kMaxRegcode;
}

// One line of a user's list; false when a code of wrong length was dropped.
bool lf_readListLine(std::string_view line, const fs::path& file, std::vector<RegcodeEntry>& entries) {
    if (line.size() < kMinListLine) return true;
    const std::vector<std::string_view> fields = lf_splitFields(line);
    if (fields.size() > 3) return true;
    RegcodeEntry entry{std::string(fields[0]), {}, false};
    if (fields.size() == 1) {
        entries.push_back(std::move(entry));
        return true;
    }
    bool ok = true;
    const auto logWrongLength = [&ok, &file](const std::string& regcode) {
        gf_logMarked(fmt::format("wrong regcode length '{}' in {}", regcode, gf_pathToUtf8(file.filename())));
        ok = false;
    };
    std::vector<std::string> regcodes = gf_splitCommaList(fields[1]);
    if (regcodes.size() == 1) {
        if (!lf_regcodeLengthOk(regcodes.front())) {
            logWrongLength(regcodes.front());
            return ok;
        }
        entry.regcodes = std::move(regcodes);
        entry.special = true;
    } else if (regcodes.size() > 1) {
        for (std::string& regcode : regcodes) {
            if (lf_regcodeLengthOk(regcode)) {
                entry.regcodes.push_back(std::move(regcode));
            } else {
                logWrongLength(regcode);
            }
        }
        entry.special = !entry.regcodes.empty() && fields.size() == 3 && fields[2] == "#";
    }
    entries.push_back(std::move(entry));
    return ok;
}

std::string lf_upperExtension(const fs::path& path) {
    std::string extension = gf_pathToUtf8(path.extension());
    gf_toUpper(extension);
    return extension;
}
}  // namespace

PlainFileGuard::~PlainFileGuard() { gf_removeFileIfExists(path_); }

bool lf_readAigRegcodeXml(std::vector<RegcodeEntry>& entries) {
    const fs::path& path = g_aigRegcodesXmlPath;
    pugi::xml_document document;
    if (!document.load_file(path.c_str())) {
        gf_logMarked(fmt::format("Failed to load {}", gf_pathToUtf8(path)));
        if (fs::exists(path)) fs::remove(path);
        return false;
    }
    if (!gf_readInfoBlock(document)) {
        gf_logMarked(fmt::format("{} has no information block; its titles are not used", gf_pathToUtf8(path)));
        return false;
    }
    const pugi::xml_node aig = document.child("root").child("aig");
    if (!aig) {
        gf_logMarked("No <aig> node found in XML.");
        return false;
    }
    bool ok = true;
    std::string_view previous;  // the title accepted last; none yet
    bool accepted = false;
    for (const pugi::xml_node element : aig.children("l")) {
        const std::string_view title = element.attribute("t").value();
        if (title.empty()) continue;
        if (accepted && title == previous) {
            gf_logMarked(fmt::format("Duplicate title '{}' (same as previous)", title));
            ok = false;
            continue;
        }
        previous = title;
        accepted = true;
        entries.push_back(RegcodeEntry{std::string(title), gf_splitCommaList(element.attribute("r").value()),
                                       element.attribute("s").as_bool()});
    }
    lf_logEntriesRead(entries.size(), path);
    return ok;
}

bool lf_readRegcodeFiles(const fs::path& folder, std::vector<RegcodeEntry>& entries) {
    bool ok = true;
    try {
        for (const fs::directory_entry& file : fs::directory_iterator(folder)) {
            if (!file.is_regular_file() || lf_upperExtension(file.path()) != ".TXT") continue;
            const FileLines read = gf_readLines(file.path(), 1024);
            for (const std::string& line : read.lines) ok = lf_readListLine(line, file.path(), entries) && ok;
            lf_logEntriesRead(entries.size(), file.path());
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("Error reading regcode files in {}, what: {}", gf_pathToUtf8(folder), e.what()));
    }
    return ok;
}

void lf_mergeRegcodes(const std::vector<RegcodeEntry>& entries) {
    std::size_t added = 0, replaced = 0, special = 0;
    std::size_t codes = 0;
    for (const RegcodeEntry& entry : entries) codes += entry.regcodes.size();
    g_titleByRegcode.reserve(g_titleByRegcode.size() + codes);
    for (const RegcodeEntry& entry : entries) {
        const std::string_view title = lf_findScannedTitle(entry.title);
        if (title.empty()) continue;
        const bool single = entry.special && entry.regcodes.size() == 1;
        for (const std::string& regcode : entry.regcodes) {
            const auto [stored, inserted] = g_titleByRegcode.try_emplace(regcode, title);
            if (inserted) {
                ++added;
            } else if (stored->second != title) {
                g_regcodeReport.push_back(fmt::format("   regcode {} for '{}', instead of the same for '{}'", regcode,
                                                      title, stored->second));
                stored->second = title;
                ++replaced;
            }
            if (single) g_singleSpecialRegcodes.insert(regcode);
        }
        if (entry.special) {
            g_specialLiveries.push_back(title);
            g_specialTitles.insert(title);
            ++special;
        }
    }
    std::string summary = fmt::format("{} new regcode{} added", added, gf_plural(std::uint64_t{added}));
    if (replaced != 0) summary += fmt::format(", {} regcode{} replaced", replaced, gf_plural(std::uint64_t{replaced}));
    if (special != 0)
        summary += fmt::format(", {} regcode{} defined as special", special, gf_plural(std::uint64_t{special}));
    g_regcodeReport.push_back(std::move(summary));
}

void lf_inlineRegcodes() {
    std::vector<std::string> clashes;
    g_regcodeByTitle.reserve(g_liveries.size());
    for (const LiveryData& livery : g_liveries) {
        if (livery.regcode.empty()) continue;
        const std::string_view title = lf_findScannedTitle(livery.title);
        if (title.empty()) {
            const RegCodes codes = gf_liveryCodes(livery);
            clashes.push_back(fmt::format("==> [{}] {} '{}' not available, system error, should not happen?",
                                          gf_modelKeyText(ModelKey{codes.airlineId, codes.secondAirlineId,
                                                                   codes.modelId, codes.cargo}),
                                          livery.regcode, livery.title));
            continue;
        }
        const auto [byRegcode, newRegcode] = g_titleByRegcode.try_emplace(livery.regcode, title);
        if (!newRegcode && byRegcode->second != title)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", livery.regcode, title, byRegcode->second));
        const auto [byTitle, newTitle] = g_regcodeByTitle.try_emplace(title, livery.regcode);
        if (!newTitle && byTitle->second != livery.regcode)
            clashes.push_back(fmt::format("{} '{}' => already in use by '{}'", title, livery.regcode, byTitle->second));
    }
    if (clashes.empty()) return;
    if (!fs::exists(g_errorsFolder)) fs::create_directory(g_errorsFolder);
    if (!gf_writeLines(clashes, g_inlineRegcodesPath)) {
        gf_logMarked(fmt::format("{} could not be written", gf_pathToUtf8(g_inlineRegcodesPath)));
        return;
    }
    gf_log(fmt::format("{:5} in-line regcode clashes, see '{}'", clashes.size(), gf_pathToUtf8(g_inlineRegcodesPath)));
}

void lf_processAigRegcodeFile() {
    const std::string pathText = gf_pathToUtf8(g_aigRegcodesXmlPath);
    g_regcodeReport.push_back(fmt::format("Processing file {}", pathText));
    std::vector<RegcodeEntry> entries;
    entries.reserve(7000);
    if (!lf_readAigRegcodeXml(entries))
        g_regcodeReport.push_back(
            fmt::format("There were errors processing the AIG-regcode file '{}', see Log.txt", pathText));
    lf_mergeRegcodes(entries);
}

void lf_processRegcodeFolder() {
    if (!fs::exists(g_myRegcodesFolder) || gf_countDirectoryEntries(g_myRegcodesFolder) == 0) return;
    const std::string folderText = gf_pathToUtf8(g_myRegcodesFolder);
    g_regcodeReport.push_back(fmt::format("Processing files in {}", folderText));
    std::vector<RegcodeEntry> entries;
    entries.reserve(1000);
    if (!lf_readRegcodeFiles(g_myRegcodesFolder, entries))
        gf_setStatus(
            fmt::format("There were errors processing the regcode files in folder '{}', see Log.txt", folderText),
            true);
    lf_mergeRegcodes(entries);
}

void lf_processOfflineRegcodes() {
    g_regcodeReport.clear();
    try {
        {
            // Without the AIG file the user's own lists still count.
            const bool deciphered = gf_streamDecrypt(g_aigRegcodesEncPath, g_aigRegcodesXmlPath);
            const PlainFileGuard plain(g_aigRegcodesXmlPath);
            if (deciphered) lf_processAigRegcodeFile();
        }
        lf_processRegcodeFolder();
        const fs::path reportPath = lf_offlineRegcodesPath();
        if (fs::exists(reportPath)) fs::remove(reportPath);
        if (g_regcodeReport.empty()) return;
        const std::string reportText = gf_pathToUtf8(reportPath);
        if (gf_writeLines(g_regcodeReport, reportPath)) {
            gf_log(fmt::format("Offline regcode files processed, results can be found in '{}'", reportText));
        } else {
            gf_logMarked(fmt::format("{} could not be written", reportText));
        }
        if (!g_specialLiveries.empty()) gf_log(fmt::format("{:5} special liveries", g_specialLiveries.size()));
        if (!g_singleSpecialRegcodes.empty())
            gf_log(fmt::format("{:5} unique liveries", g_singleSpecialRegcodes.size()));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception: {}", e.what()));
    }
}
