#include "airports/scanned_airports.h"

#include <fmt/format.h>

#include <algorithm>
#include <system_error>

#include "airports/airport_files.h"
#include "airports/stand_file.h"
#include "app/services/state.h"
#include "foundation/file_helpers.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/text_files.h"
#include "refdata/state.h"
#include "settings/file_names.h"

namespace fs = std::filesystem;

namespace {
constexpr std::int32_t kGeneratedKind = 1;

std::string blanksEncoded(const std::string& publisher) {
    std::string encoded;
    for (const char c : publisher) encoded += c == ' ' ? std::string("%20") : std::string(1, c);
    return encoded;
}

void writePointerFile(const std::string& archivePath, const AirportCode& code, const fs::path& folder) {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    (void)gf_writeTextFile(archivePath, folder / gf_airportTxtPath(code));
}
}  // namespace

const fs::path& gf_scannedAirportFolder(const std::string& publisher) {
    return publisher == kSimaddonPublisher ? g_myOrbxFolder : g_myThirdpartyFolder;
}

bool lf_linkScannedAirport(AirportFileData& record, std::int32_t& archivedCount, const fs::path& bglPath) {
    archivedCount = 0;
    record.BGLpath = gf_pathToUtf8(bglPath);
    record.publisher = gf_publisherFromFilename(bglPath);
    if (record.publisher.empty()) return false;
    const std::string code = record.code.text();
    if (record.publisher == kSimaddonPublisher) {
        const std::optional<std::string> archived = lf_findArchivedSimaddon(record.code);
        if (!archived) return false;
        writePointerFile(*archived, record.code, g_myOrbxFolder);
        gf_addScanLogLine(fmt::format("{} airport {} linked to {}", kSimaddonPublisher, code, *archived));
        return true;
    }
    const std::optional<std::string> archived = lf_findArchivedThirdparty(record.publisher, record.code, archivedCount);
    if (!archived) return false;
    writePointerFile(*archived, record.code, g_myThirdpartyFolder);
    gf_addScanLogLine(fmt::format("thirdparty airport {} linked to {}", code, *archived));
    return true;
}

std::optional<std::string> lf_findArchivedSimaddon(const AirportCode& code) {
    std::string path = fmt::format("archive/{}/{}", kSimaddonPublisher, gf_airportFileName(code));
    if (g_simaddonAirports.contains(code.text())) return path;
    gf_addScanLogLine(fmt::format("{} does not exist as simaddon", code.text()));
    return std::nullopt;
}

std::optional<std::string> lf_findArchivedThirdparty(const std::string& publisher, const AirportCode& code,
                                                     std::int32_t& archivedCount) {
    std::string path = fmt::format("archive/thirdparty/{}/{}", blanksEncoded(publisher), gf_airportFileName(code));
    for (const ThirdPartyRecord& record : g_thirdParties) {
        if (record.publisher != publisher) continue;
        for (const std::string& entry : record.airports)
            if (gf_parseFourNumbers(publisher, code, archivedCount, entry)) return path;
    }
    gf_addScanLogLine(fmt::format("thirdparty {} {} does not exist", publisher, code.text()));
    return std::nullopt;
}

void lf_generateAirportFile(AirportFileData& record, std::int32_t helipadCounter) {
    const std::size_t count = record.stands.size();
    if (count == 0) return;
    const fs::path& folder = gf_scannedAirportFolder(record.publisher);
    const std::int32_t helipads = helipadCounter - 1;
    const std::string helipadText =
        helipadCounter < 2 ? std::string() : fmt::format(", of which {} helipad{}", helipads, gf_plural(helipads));
    gf_addScanLogLine(fmt::format("Generated {}: {} position{}{}", gf_airportFileName(record.code), count,
                                  gf_plural(static_cast<std::uint64_t>(count)), helipadText));
    std::sort(record.stands.begin(), record.stands.end(),
              [](const Stand& a, const Stand& b) { return a.name < b.name; });
    if (!fs::exists(folder)) fs::create_directory(folder);
    const fs::path target = folder / gf_airportXmlPath(record.code);
    if (!gf_writeAirportFile(record, target, kGeneratedKind, g_infoSimNumber.load()))
        gf_addScanLogLine(fmt::format("{}Generating {} did not succeed", "===> ", gf_pathToUtf8(target)));
}
