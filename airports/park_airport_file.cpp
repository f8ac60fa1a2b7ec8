#include "airports/park_airport_file.h"

#include <fmt/format.h>

#include <system_error>

#include "airports/airport_files.h"
#include "airports/airport_services.h"
#include "airports/airport_settings.h"
#include "airports/learned_file.h"
#include "airports/stand_file.h"
#include "app/services/controls.h"
#include "app/services/window_bands.h"
#include "foundation/geodesy.h"
#include "foundation/info_block.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "foundation/user_error.h"
#include "platform/window_host.h"
#include "rtlink/traffic_feed.h"
#include "settings/file_names.h"
#include "settings/parameter_store.h"
#include "settings/settings.h"
#include "settings/xml_params.h"
#include "traffic/state.h"

namespace fs = std::filesystem;

namespace {
constexpr const char* kOperation = "gf_readApf";
constexpr int kMissingParameterCode = 65;
constexpr double kNeighbourMargin = 1.1;

void logDetail(std::string_view name, const std::string& value) { gf_logContinued(fmt::format("{:24}: {}", name, value)); }

void readLearnedOrAdapt(const std::string& located, const ParkAirportInfo& info, const std::string& bglPath) {
    g_learnedFilePath = lf_learnedFilePath(located, info.publisher, bglPath);
    if (!g_learnedFilePath.empty() && fs::exists(g_learnedFilePath)) {
        lf_readLearned(g_learnedFilePath, info.airport_name);
        g_qualityFactors = lf_qualityFactors();
        if (g_handmade) gf_log("A handmade airport file overruled the archived file!");
        return;
    }
    gf_logAndFlush("learned does not exist");
    lf_adaptSettingsToAirport(g_qualityFactors, g_parkAirport.code);
}

// Steps after the file is at hand; a vlt::UserErrorException is the caller's.
std::string readParkAirport(const std::string& located, const fs::path& file, ParkAirportInfo& info) {
    g_handmade = false;
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_file(file.c_str());
    if (!parsed) return fmt::format("{}: could not load file: {}", located, parsed.description());
    if (!gf_readInfoBlock(document)) return fmt::format("{}: refused to load", located);

    g_rtTrafficWeek = gf_readXmlIntParam(document, "RT_traffic_week").value_or(0);
    info.publisher = gf_readXmlStringParam(document, "publisher").value_or(std::string());
    const auto altitude = gf_readXmlIntParam(document, "altitude");
    if (!altitude) throw vlt::UserErrorException(kMissingParameterCode, fmt::format("Parameter {} not found", "altitude"));
    info.altitude = *altitude;
    g_parkAirportElevation = static_cast<float>(*altitude);
    info.airport_name = gf_readXmlStringParam(document, "airport_name").value_or(std::string());

    lf_readStands(document);
    const auto qfReal = gf_readXmlIntParam(document, "Qf_real");
    const auto qfSoft = gf_readXmlIntParam(document, "Qf_soft");
    if (qfReal && qfSoft) g_qualityFactors = QualityFactors{*qfReal, *qfSoft};
    // The user's own values come back when the airport is left.
    gf_backupGlobalSettings();
    readLearnedOrAdapt(located, info, gf_readXmlStringParam(document, "BGLpath").value_or(std::string()));

    g_standCount = static_cast<std::int64_t>(g_stands.size());
    platform::invalidateBand(kStatisticsBand);
    lf_numberAndLinkStands();

    gf_log(fmt::format("Airport file read from '{}' for {}", g_handmade ? lf_pathText(g_learnedFilePath) : located,
                       info.airport_name));
    g_parkPublisherText = info.publisher;
    logDetail("publisher", info.publisher);
    logDetail("altitude", fmt::format("{} ft", info.altitude));
    logDetail("num_parkpos", std::to_string(g_standCount.load()));
    logDetail("quality factor", lf_qualityFactorText());
    logDetail("RT traffic week", std::to_string(g_rtTrafficWeek.load()));
    g_qualityText = lf_qualityFactorText();
    g_airportFileRead = true;
    platform::invalidateBand(kStatisticsBand);
    gf_enableControl(g_flushStaticButton);
    gf_setReaderParkAirport(ReaderParkAirport{
        g_parkAirport.code, GeoPoint{g_parkAirport.latitude, g_parkAirport.longitude}, static_cast<double>(*altitude)});
    return g_stands.empty() ? "no stands found" : "";
}
}  // namespace

fs::path lf_parkAirportCopyPath() { return g_airportsFolder / "park_airport.xml"; }

std::string gf_readApf(const std::string& located, ParkAirportInfo& info) {
    // Nothing of the airport before is carried over: its quality factors
    // would switch WEEK and PARK_SOFT, its learned file would be saved to.
    g_qualityFactors = QualityFactors{};
    g_learnedFilePath.clear();
    g_learnedFileFault.clear();
    if (located.empty()) return fmt::format("{}: xml is empty", kOperation);
    if (!g_parkAirport.code.isSet()) return fmt::format("{}: no park airport set", kOperation);
    fs::path file = gf_utf8Path(located);
    if (!lf_isLocalAirportFile(located)) {
        file = lf_parkAirportCopyPath();
        std::error_code error;
        fs::create_directories(file.parent_path(), error);
        std::string failure = lf_downloadAirportFile(located, file);
        if (!failure.empty()) return failure;
    }
    try {
        return readParkAirport(located, file, info);
    } catch (const vlt::UserErrorException& e) {
        return fmt::format("{}: {}", kOperation, e.what());
    }
}

void lf_numberAndLinkStands() {
    std::int32_t id = 0;
    for (Stand& stand : g_stands) stand.standId = ++id;
    for (Stand& a : g_stands) {
        for (const Stand& b : g_stands) {
            if (a.standId == b.standId) continue;
            const double distance = gf_distanceNm(a.latitude, a.longitude, b.latitude, b.longitude);
            if (distance * kNeighbourMargin < a.radius + b.radius) a.adjacentIds.push_back(b.standId);
        }
        a.adjacentIds.shrink_to_fit();
    }
}

std::string lf_qualityFactorText() {
    const QualityFactors& q = g_qualityFactors;
    if (q.real < 0 && q.soft < 0) return "  ";
    if (q.real < 45) return fmt::format("{:2}/{:2}", q.real, q.soft);
    return fmt::format("{:2}", q.real);
}
