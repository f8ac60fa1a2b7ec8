#include "updater/version_check.h"

#include <fmt/format.h>

#include <cstdint>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>

#include "app/services/status_line.h"
#include "app/services/window_bands.h"
#include "foundation/decrypt.h"
#include "foundation/download_site.h"
#include "foundation/downloader.h"
#include "foundation/file_helpers.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "platform/files.h"
#include "platform/window_host.h"
#include "settings/control_updates.h"
#include "settings/parameter_store.h"
#include "settings/program_version.h"
#include "settings/settings.h"
#include "updater/new_version.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
// A data set shipped as a file of the input folder.
struct DataFile {
    const char* item;
    StringParam& setting;
    const std::string& fileName;
    const fs::path& target;
};

// Fetches the version list into the working folder and reads it; the file
// is removed once read. None when it cannot be fetched, opened or parsed
// (each logged): the start-up then goes on with the data it has.
std::optional<json> lf_readVersionList() {
    const fs::path listPath = kVersionListName;
    {
        const CurlHandle handle = gf_makeCurlHandle();
        if (!Downloader(handle.get()).download(gf_versionListUrl(), listPath, false)) {
            gf_logMarked("Downloading version info from my web site failed!");
            return std::nullopt;
        }
    }
    std::optional<json> root;
    {
        std::ifstream in(listPath);
        if (!in) {
            gf_logMarked("Cannot open versions.json");
            return std::nullopt;
        }
        // A page that is not JSON (a proxy's login page, a cut-off reply) is
        // no reason to keep the program from starting.
        try {
            root = json::parse(in);
        } catch (const json::exception& e) {
            gf_logMarked(fmt::format("{} is not valid JSON: {}", kVersionListName, e.what()));
        }
    }
    fs::remove(listPath);
    return root;
}

std::int32_t lf_versionField(const json& item, const char* name) {
    const auto member = item.find(name);
    if (member == item.end()) throw std::runtime_error(fmt::format("\"{}\" is missing", name));
    constexpr std::int64_t low = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t high = std::numeric_limits<std::int32_t>::max();
    if (member->is_number_unsigned() && member->get<std::uint64_t>() <= static_cast<std::uint64_t>(high))
        return static_cast<std::int32_t>(member->get<std::uint64_t>());
    if (member->is_number_integer() && !member->is_number_unsigned()) {
        const std::int64_t value = member->get<std::int64_t>();
        if (value >= low && value <= high) return static_cast<std::int32_t>(value);
    }
    throw std::runtime_error(fmt::format("\"{}\" is not a 32-bit integer: {}", name, member->dump()));
}

// The item's web version; none when the list has no such item (logged).
// Throws std::runtime_error when the item lacks one of its three integers.
std::optional<VersionData> lf_webVersion(const json& root, const char* item) {
    if (!root.is_object() || !root.contains(item)) {
        lf_logVersionNotFound(item);
        return std::nullopt;
    }
    const json& version = root.at(item);
    if (!version.is_object()) throw std::runtime_error("not an object");
    return VersionData(lf_versionField(version, "major"), lf_versionField(version, "minor"),
                       lf_versionField(version, "patch"));
}

VersionData lf_localVersion(const StringParam& setting) { return VersionData(std::string_view(setting.value.get())); }

// Fetches the data file next to the installed one and puts it in place only
// when it deciphers with the program's key. A damaged or foreign file the
// site serves whole (a 200 reply) would otherwise replace a good one, and the
// version saved with it would keep every later start from fetching it again.
bool lf_downloadDataFile(const DataFile& data) {
    fs::path fresh = data.target;
    fresh += ".new";
    fs::path check = data.target;
    check += ".check";
    if (!gf_downloadFromSite(data.fileName, fresh)) return false;
    const bool deciphers = gf_streamDecrypt(fresh, check);
    gf_removeFileIfExists(check);
    if (!deciphers) {
        gf_removeFileIfExists(fresh);
        gf_setStatus(fmt::format("{} from the download site is damaged; the installed one is kept", data.fileName),
                     false);
        gf_logMarked(fmt::format("'{}' from the download site does not decipher: the installed file is kept",
                                 data.fileName));
        return false;
    }
    std::error_code error;
    if (!platform::replaceFile(fresh, data.target, error)) {
        gf_removeFileIfExists(fresh);
        gf_logMarked(fmt::format("Cannot replace '{}': {}", gf_pathToUtf8(data.target), error.message()));
        return false;
    }
    return true;
}

void lf_updateDataFile(const DataFile& data, const VersionData& web, const fs::path& parametersPath) {
    if (!lf_isNewer(web, lf_localVersion(data.setting)) && fs::exists(data.target)) {
        lf_logUpToDate(data.item);
        return;
    }
    // A failed download keeps the old version, so the next start tries again.
    if (!lf_downloadDataFile(data)) return;
    gf_setStringParam(data.setting, web.toString(), parametersPath);
    lf_logUpdated(data.item, web);
}

// The scan runs at this start and the data's version is recorded.
void lf_switchScanOn(const char* item, CheckBoxParam& scan, StringParam& setting, const VersionData& web,
                     const fs::path& parametersPath) {
    scan.value = true;
    gf_saveBoolParam(scan, parametersPath);
    ControlUpdateBatch batch;
    batch.setCheck(scan, true);
    batch.apply();
    platform::invalidateBand(kControlsBand);
    gf_setStringParam(setting, web.toString(), parametersPath);
    lf_logUpdated(item, web);
}

// Handles one item of the list; false when the run must end for a new program.
bool lf_checkItem(const std::string& item, const VersionData& web, const fs::path& parametersPath) {
    if (item == "p3d") {
        gf_log(fmt::format("{} program version at web = {}", item, web.toString()));
        if (lf_isNewer(web, g_programVersion)) return lf_prepareNewVersion(web);
        lf_logUpToDate(item);
    } else if (item == "airports") {
        lf_updateDataFile({"airports", AIRPORTS_VERSION, g_airportsEncName, g_airportsEncPath}, web, parametersPath);
    } else if (item == "aig") {
        lf_updateDataFile({"aig", AIG_VERSION, g_aigRegcodesEncName, g_aigRegcodesEncPath}, web, parametersPath);
    } else if (item == "dbase") {
        lf_updateDataFile({"dbase", DBASE_VERSION, g_dbaseEncName, g_dbaseEncPath}, web, parametersPath);
    } else if (item == "liveries") {
        if (lf_isNewer(web, lf_localVersion(LIV_SCAN_VERSION)) || !fs::exists(g_liveriesScannedPath))
            lf_switchScanOn("liveries", SCAN_LIVERIES, LIV_SCAN_VERSION, web, parametersPath);
        else
            lf_logUpToDate(item);
    } else if (item == "addons") {
        if (lf_isNewer(web, lf_localVersion(ADDONS_SCAN_VERSION)))
            lf_switchScanOn("addons", SCAN_AIRPORTS, ADDONS_SCAN_VERSION, web, parametersPath);
        else
            lf_logUpToDate(item);
    }
    return true;
}
}  // namespace

bool lf_isNewer(const VersionData& web, const VersionData& local) { return web > local; }

void lf_logUpdated(const std::string& item, const VersionData& version) {
    gf_log(fmt::format("{} updated to {}", item, version.toString()));
}

void lf_logUpToDate(const std::string& item) { gf_log(fmt::format("{} version up-to-date", item)); }

void lf_logVersionNotFound(const std::string& item) { gf_logMarked(fmt::format("{} version not found", item)); }

bool gf_checkVersions(const fs::path& parametersPath) {
    const std::optional<json> root = lf_readVersionList();
    if (!root) return true;
    for (const char* item : {"p3d", "airports", "aig", "liveries", "addons", "dbase"}) {
        std::optional<VersionData> web;
        try {
            web = lf_webVersion(*root, item);
        } catch (const std::runtime_error& e) {
            // One broken item says nothing about the others.
            gf_logMarked(fmt::format("{} version unreadable in {}: {}", item, kVersionListName, e.what()));
            continue;
        }
        if (web && !lf_checkItem(item, *web, parametersPath)) return false;
    }
    return true;
}
