#include "airports/offline_learning.h"

#include <fmt/format.h>

#include <system_error>

#include "airports/airport_list.h"
#include "airports/airport_files.h"
#include "app/services/controls.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/window_host.h"
#include "settings/file_names.h"
#include "settings/program_version.h"
#include "settings/settings.h"

namespace fs = std::filesystem;

namespace {
std::string utf8(const fs::path& path) { return gf_wideToUtf8(path.u16string()); }

// Copies one generated file into "tblo"; the generated file goes when a
// pointer to an archived file stands beside it, so that the archived file
// stays the one in use.
void collect(const AirportCode& code, const fs::path& tblo) {
    const fs::path source = g_myThirdpartyFolder / gf_airportXmlPath(code);
    const fs::path target = tblo / gf_airportXmlPath(code);
    std::error_code error;
    fs::copy_file(source, target, fs::copy_options::overwrite_existing, error);
    if (error) {
        gf_logMarked(fmt::format("'{}' failed to copy '{}': {}", utf8(source), utf8(target), error.message()));
        return;
    }
    gf_log(fmt::format("{} copied to {}", code.text(), utf8(target)));
    const fs::path pointer = g_myThirdpartyFolder / gf_airportTxtPath(code);
    const bool linked = fs::exists(pointer, error);
    if (error) {
        gf_logMarked(fmt::format("exists({}) failed: {}", utf8(pointer), error.message()));
        return;
    }
    if (linked && !fs::remove(source, error) && error)
        gf_logMarked(fmt::format("remove({}) failed: {}", utf8(source), error.message()));
}
}  // namespace

void lf_afterAirportScan(const std::vector<AirportCode>& codes) {
    const fs::path tblo = g_tbloName;
    for (const AirportCode& code : codes)
        if (gf_isSupportedAirport(code)) collect(code, tblo);
    const std::size_t count = gf_countDirectoryEntries(tblo);
    if (count == 0) {
        g_tbloFileCount = 0;
        gf_log("All your third party airports are recognised, no off line learning needed.");
        return;
    }
    const fs::path zip = tblo / g_tbloZipName;
    if (!gf_zipFolder(zip)) gf_logMarked("Zippen TBLO folder failed");
    gf_removeXMLFilesFromDirectory(tblo);
    g_tbloFileCount = count;
    gf_enableControl(g_tbloZipButton);
    std::error_code error;
    const fs::path shown = fs::absolute(zip, error);
    gf_log(fmt::format("\n! Mail {} to {}, please: the program's maker learns the real use of the stands of your "
                       "third party airports from it.",
                       utf8(error ? zip : shown), kSupportAddress));
    platform::invalidateBand(kWholeWindowBand);
}

std::optional<std::string> lf_readFileBytes(const fs::path& path) {
    const StdioFile file = gf_openStdioFile(path, "rb");
    if (!file) return std::nullopt;
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    if (!bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file.get()) != bytes.size()) return std::nullopt;
    return bytes;
}
