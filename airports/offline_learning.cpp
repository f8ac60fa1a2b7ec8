#include "airports/offline_learning.h"

#include <fmt/format.h>

#include <optional>
#include <system_error>

#include "airports/airport_list.h"
#include "airports/airport_files.h"
#include "app/services/controls.h"
#include "app/services/state.h"
#include "app/services/window_bands.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/zip_archive.h"
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

namespace {
// Closes the archive (which writes it) and judges the result.
bool lf_zipClose(ZipArchive& archive, const fs::path& zipPath, std::uint64_t added) {
    bool closed = true;
    try {
        archive.close();
    } catch (const std::exception& e) {
        closed = false;
        gf_log(fmt::format("[zip] {}", e.what()));
    }
    std::error_code error;
    const bool exists = fs::exists(zipPath, error);
    std::uintmax_t size = 0;
    if (exists) {
        size = fs::file_size(zipPath, error);
        if (error) size = static_cast<std::uintmax_t>(-1);
    }
    gf_log(fmt::format("[zip] Added {} files, ok_close={}, exists={}, size={} bytes", added, closed, exists, size));
    return added > 0 && exists && size != 0;
}
}  // namespace

bool gf_zipFolder(const fs::path& zipPath) {
    const fs::path source = g_tbloName;
    std::error_code error;
    const fs::file_status status = fs::status(source, error);
    if (error && error != std::errc::no_such_file_or_directory) throw fs::filesystem_error("status", source, error);
    if (!fs::is_directory(status)) {
        gf_log(fmt::format("[zip] Not a directory: {}", utf8(source)));
        return false;
    }
    if (zipPath.has_parent_path()) fs::create_directories(zipPath.parent_path(), error);  // a failure shows at opening
    const fs::path target = fs::absolute(zipPath);
    const fs::path folder = fs::absolute(source);
    gf_log(fmt::format("[zip] Target file: {}", utf8(target)));
    gf_log(fmt::format("[zip] Source dir : {}", utf8(folder)));
    if (fs::exists(target, error)) {
        gf_log(fmt::format("[zip] Removing old zip {}", utf8(target)));
        fs::remove(target, error);
    }
    std::optional<ZipArchive> archive;
    try {
        archive.emplace(target, ZipMode::New);
    } catch (const std::exception&) {
        gf_log("[zip] Could not open archive for writing");
        return false;
    }
    std::uint64_t added = 0;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) continue;
        const fs::path& file = it->path();
        std::optional<std::string> bytes = lf_readFileBytes(file);
        if (!bytes) {
            gf_log(fmt::format("[zip] READ FAIL: {}", utf8(file)));
            continue;
        }
        // The bare file name: no entry can lead out of the folder it is unpacked into.
        const std::string name = utf8(file.filename());
        gf_log(fmt::format("[zip] Adding (data) {} -> {} ({} bytes)", utf8(file), name, bytes->size()));
        try {
            archive->addData(name, std::move(*bytes));
        } catch (const std::exception&) {
            gf_log(fmt::format("[zip] ERROR addData({})", name));
            break;
        }
        ++added;
    }
    return lf_zipClose(*archive, target, added);
}
