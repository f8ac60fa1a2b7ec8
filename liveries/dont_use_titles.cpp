#include "liveries/dont_use_titles.h"

#include <fmt/format.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/decrypt.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "liveries/regcodes.h"
#include "liveries/state.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
// Takes the titles without codes; the count of those added.
std::size_t lf_addDontUseTitles(const std::vector<RegcodeEntry>& entries) {
    std::size_t added = 0;
    for (const RegcodeEntry& entry : entries) {
        if (!entry.regcodes.empty()) continue;
        g_dontUseTitles.insert(entry.title);
        ++added;
    }
    return added;
}

// The report list is emptied before the regcode report is written, so the
// line also goes to the log, where the user sees it.
void lf_reportError(const std::string& line) {
    g_regcodeReport.push_back(line);
    gf_logMarked(line);
}
}  // namespace

void lf_readDontUseTitleFile() {
    std::vector<RegcodeEntry> entries;
    entries.reserve(7000);
    if (!lf_readAigRegcodeXml(entries))
        lf_reportError(fmt::format("There were errors in processing the file '{}', see the Log.txt",
                                   gf_pathToUtf8(g_aigRegcodesXmlPath)));
    const std::size_t added = lf_addDontUseTitles(entries);
    gf_log(fmt::format("{:5} don't use title{} read", added, gf_plural(std::uint64_t{added})));
}

void lf_readDontUseTitleFolder() {
    std::vector<RegcodeEntry> entries;
    entries.reserve(1000);
    const std::string folderText = gf_pathToUtf8(g_myRegcodesFolder);
    if (!lf_readRegcodeFiles(g_myRegcodesFolder, entries))
        lf_reportError(fmt::format("There were errors in processing the regcode files in folder '{}', see the Log.txt",
                                   folderText));
    const std::size_t added = lf_addDontUseTitles(entries);
    gf_log(fmt::format("{:5} don't use title{} read from files in {}", added, gf_plural(std::uint64_t{added}),
                       folderText));
}

void lf_readDontUseTitles() {
    g_dontUseTitles.clear();
    try {
        if (gf_streamDecrypt(g_aigRegcodesEncPath, g_aigRegcodesXmlPath)) {
            const PlainFileGuard plain(g_aigRegcodesXmlPath);
            lf_readDontUseTitleFile();
        }
        if (fs::exists(g_myRegcodesFolder) && gf_countDirectoryEntries(g_myRegcodesFolder) > 0)
            lf_readDontUseTitleFolder();
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("exception: {}", e.what()));
    }
}

bool lf_isDontUseTitle(std::string_view title) { return g_dontUseTitles.contains(title); }
