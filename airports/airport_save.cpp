// Saving the park airport's learned data when the airport is left: the
// learned uses, changed stands and hand-made stands (or, for a handmade file,
// the whole stand list with its quality factors) go to the learned file,
// unless that file could not be read whole: it is then left as it is.
#include <fmt/format.h>

#include <algorithm>

#include "airports/airport_files.h"
#include "airports/airport_services.h"
#include "airports/learned_file.h"
#include "airports/stand_file.h"
#include "airports/state.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_convert.h"
#include "foundation/time_texts.h"
#include "settings/file_names.h"
#include "traffic/state.h"

namespace fs = std::filesystem;

namespace {
// The learned file's path when its reading gave none: by the publisher,
// which never leads out of the learned folder; empty when it names no folder.
fs::path learnedPathByPublisher(const std::string& publisher, const AirportCode& code) {
    if (publisher == "stock") return g_learnedStockFolder / gf_airportXmlPath(code);
    if (publisher == "simaddon") return g_learnedSimaddonFolder / gf_airportXmlPath(code);
    const std::string folder = lf_learnedPublisherFolder(publisher);
    if (folder.empty()) return {};
    return g_learnedThirdpartyFolder / gf_utf8Path(folder) / gf_airportXmlPath(code);
}

// What a file that is not handmade keeps: learned, active uses and the
// stands that have them or were changed. The park airport's own uses leave
// the stand table too.
std::vector<Stand> learnedStands() {
    std::vector<Stand> kept;
    for (Stand& stand : g_stands) {
        std::erase_if(stand.uses, [](const StandUse& use) { return use.fromAirportFile == 1 || use.active == 0; });
        if (stand.manual != 0 || !stand.uses.empty() || stand.radiusChanged != 0 || stand.cargoChanged != 0)
            kept.push_back(stand);
    }
    return kept;
}

// hh:mm:ss of the current time.
std::string timeOfDay() {
    const std::string text = gf_timeText(gf_currentTime());
    return text.size() >= 13 ? text.substr(text.size() - 13, 8) : text;
}
}  // namespace

void gf_saveAirportFile() {
    const bool handmade = g_handmade.load();
    AirportFileData data;
    data.code = g_parkAirport.code;
    data.airport_name = g_parkAirportInfo.airport_name;
    data.publisher = g_parkAirportInfo.publisher;
    data.altitude = g_parkAirportInfo.altitude;
    if (handmade) {
        data.stands = g_stands;
        const QualityFactors quality = lf_qualityFactors();
        data.Qf_real = quality.real;
        data.Qf_soft = quality.soft;
    } else {
        data.stands = learnedStands();
    }
    // Learned data goes back where it was read, so the next visit finds it.
    const fs::path target =
        g_learnedFilePath.empty() ? learnedPathByPublisher(data.publisher, data.code) : g_learnedFilePath;
    const std::string time = timeOfDay();
    const std::int32_t updates = g_airportFileUpdates;
    g_airportFileUpdates = 0;
    if (target.empty()) {
        gf_logMarked(fmt::format("{} saving the learned file of {} did not succeed: publisher '{}' names no folder",
                                 time, data.code.text(), data.publisher));
        return;
    }
    if (!g_learnedFileFault.empty()) {
        const std::string refusal = fmt::format("learned file '{}' not saved, it could not be read whole: {}",
                                                lf_pathText(target), g_learnedFileFault);
        gf_logMarked(fmt::format("{} {}", time, refusal));
        gf_setStatus(refusal, false);
        return;
    }
    if (gf_writeAirportFile(data, target, kParkAirportFileKind, g_infoSimNumber.load()))
        gf_log(fmt::format("{}{} '{}' saved with {} update{}", time, handmade ? " handmade" : "", lf_pathText(target),
                           updates, gf_plural(updates)));
    else
        gf_log(fmt::format("{} saving '{}' did not succeed", time, lf_pathText(target)));
}
