#include "app/display_list.h"

#include <fmt/format.h>

#include <exception>
#include <functional>

#include "app/services/window_bands.h"
#include "foundation/log.h"
#include "foundation/text_convert.h"
#include "settings/program_version.h"
#include "settings/settings.h"

const char* const g_titleNote = "Prepar3D v5/v6";
// The same address as the log's request to mail the off-line learning zip.
const char* const g_supportAddress = kSupportAddress;

namespace {
constexpr int kCanvasWidth = 880;
constexpr int kCanvasHeight = 516;

struct Segment {
    int x1, y1, x2, y2;
};
// The separators of the controls band.
constexpr Segment kSeparators[] = {{0, 140, 880, 140}, {0, 168, 642, 168}, {0, 196, 642, 196}, {0, 224, 642, 224},
                                   {0, 252, 642, 252}, {0, 280, 642, 280}, {0, 308, 880, 308}, {642, 140, 642, 308}};

void fill(DisplayList& list, int left, int top, int right, int bottom, Rgb colour) {
    list.push_back(DrawItem{DrawKind::fill, left, top, right, bottom, colour, {}});
}

void fill(DisplayList& list, const platform::Band& band, Rgb colour) {
    fill(list, band.left, band.top, band.right, band.bottom, colour);
}

void line(DisplayList& list, int x1, int y1, int x2, int y2, Rgb colour) {
    list.push_back(DrawItem{DrawKind::line, x1, y1, x2, y2, colour, {}});
}

Rgb limeOr(bool lime, Rgb otherwise) { return lime ? kLimeGreen : otherwise; }

// A count in lime, or "..." in its place in the other colour while it is 0.
void countText(DisplayList& list, int x, int y, const char* format, std::uint64_t count, Rgb zeroColour) {
    if (count > 0)
        lf_textOut(list, x, y, fmt::format(fmt::runtime(format), count), kLimeGreen);
    else
        lf_textOut(list, x, y, fmt::format(fmt::runtime(format), "..."), zeroColour);
}

Rgb simColour(const PaintState& s) {
    if (!s.simConnected) return kRed;
    return s.simRunning && !s.userTitle.empty() ? kLimeGreen : kYellow;
}

Rgb rtColour(const PaintState& s) {
    if (s.rtBlocked) return kBlack;
    if (!s.rtActive) return kRed;
    return s.trafficReader == 1 ? kLimeGreen : kYellow;
}

Rgb maxLabelColour(std::int32_t own, const PaintState& s) {
    if (s.maxParkSel == 0 && s.maxLiveSel == 0) return kRed;
    return own != 0 ? kBlack : kYellow;
}

struct Label {
    const char* text;
    int x;
    const WindowControl& rowOf;
    std::function<Rgb(const PaintState&)> colour;
};

Rgb black(const PaintState&) { return kBlack; }

const std::vector<Label>& labels() {
    static const std::vector<Label> table = {
        {"Install path:", 5, ALL_INSTALL_PATH, black},
        {"Scan for liveries", 25, SCAN_LIVERIES, [](const PaintState& s) { return s.scanLiveries ? kYellow : kBlack; }},
        {"Prioritize", 556, LIG_PRIORITIZE, black},
        {"Meta:", 652, ALWAYS_ON_TOP, black},
        {"Stay on top", 768, ALWAYS_ON_TOP, black},
        {"Scan for addon airports", 25, SCAN_AIRPORTS,
         [](const PaintState& s) { return s.scanAirports ? kYellow : kBlack; }},
        {"Nav lights", 768, NAV_LIGHTS_WHILE_PARKED, black},
        {"Max aircraft matching depth", 5, MATCHING_DEPTH, black},
        {"Optional:", 258, LIGHT_AIRCRAFT, black},
        {"Light aircraft", 343, LIGHT_AIRCRAFT,
         [](const PaintState& s) { return s.lightAircraftEnabled ? kBlack : kGrey; }},
        {"Helicopters", 450, HELICOPTERS, [](const PaintState& s) { return s.helicoptersEnabled ? kBlack : kGrey; }},
        {"FighterJets", 556, HIGH_PERF_AIRCRAFT,
         [](const PaintState& s) { return s.highPerfEnabled ? kBlack : kGrey; }},
        {"Aerowinx", 672, AEROWINX, [](const PaintState& s) { return s.aerowinx ? kYellow : kBlack; }},
        {"GUID changes", 768, GUID_CHANGES, [](const PaintState& s) { return s.guidChanges ? kBlack : kYellow; }},
        {"Traffic injection", 5, RANGE, black},
        {"Radius:", 163, RANGE, black},
        {"nm, or", 270, RANGE, black},
        {"Auto radius", 343, AUTO_RANGE, black},
        {"Ah:", 430, AR_ABOVE_HEIGHT, [](const PaintState& s) { return s.autoRange ? kBlack : kGrey; }},
        {"ft", 536, AR_ABOVE_HEIGHT, [](const PaintState& s) { return s.autoRange ? kBlack : kGrey; }},
        {"AirOnly", 592, AIRBORNE_ONLY, [](const PaintState& s) { return s.airborneOnly ? kYellow : kBlack; }},
        {"Block callsign:", 5, BLOCK_CALLSIGN, black},
        {"Collision avoidance", 5, COLLISION_USER_GND, black},
        {"User ground", 237, COLLISION_USER_GND, black},
        {"User air", 343, COLLISION_USER_AIR, black},
        {"Live X parked", 450, COLLISION_LIVE_PARKED_GND, black},
        {"Airport parking", 5, MAX_PARK_SEL, [](const PaintState& s) { return s.settingsLocked ? kYellow : kBlack; }},
        {"Max park (static+live):", 171, MAX_PARK_SEL,
         [](const PaintState& s) { return maxLabelColour(s.maxParkSel, s); }},
        {"Max live (park incl):", 401, MAX_LIVE_SEL,
         [](const PaintState& s) { return maxLabelColour(s.maxLiveSel, s); }},
        {"Straight push backs only", 672, STRAIGHT_PBS_ONLY,
         [](const PaintState& s) { return s.straightPushBacksOnly ? kBlack : kGrey; }},
        {"Destination:", 137, DESTINATION, black},
        {"Range:", 303, AIRP_RANGE, black},
        {"nm", 403, AIRP_RANGE, black},
        {"Height above gnd:", 440, AIRP_HEIGHT, black},
        {"ft", 646, AIRP_HEIGHT, black},
        {"ILO", 25, INITIAL_LOAD_ONLY, [](const PaintState& s) { return s.initialLoadOnly ? kYellow : kBlack; }},
        {"Week", 91, WEEK, black},
        {"Soft", 171, PARK_SOFT, black},
        {"Target: ", 264, parking_percentage, black},
        {"%", 378, parking_percentage, black},
        {"Max fit:", 506, AMAX_FIT_FL, black},
        {"hrs", 632, AMAX_FIT_FL, black},
    };
    return table;
}

// The note on the next static-parking renewal, empty when none is drawn.
std::string renewalNote(const PaintState& s) {
    if (!s.parkFileLoaded || s.settingsLocked) return {};
    if (s.initialLoadOnly) return "(no next ... )";
    if (s.staticUpdateMinutes < 1 || s.staticUpdateMinutes > 19) return {};
    return fmt::format("(next in {} min)", s.staticUpdateMinutes);
}

std::string passMark(const PaintState& s) {
    if (s.staticPass && s.weekPass) return "*WS*";
    if (s.staticPass) return "*S*";
    if (s.weekPass) return "*W*";
    return {};
}
}  // namespace

std::string gf_colourName(Rgb colour) {
    static const std::pair<Rgb, const char*> kNames[] = {
        {kLimeGreen, "lime"}, {kRed, "red"},   {kYellow, "yellow"},     {kBlack, "black"},
        {kGrey, "grey"},      {kWhite, "white"}, {kLightBlue, "light blue"}};
    for (const auto& [rgb, name] : kNames)
        if (rgb == colour) return name;
    return fmt::format("#{:02x}{:02x}{:02x}", colour.r, colour.g, colour.b);
}

void lf_textOut(DisplayList& list, int x, int y, const std::string& text, Rgb colour) {
    if (text.empty()) return;  // draws nothing
    try {
        utf8_to_wide(text);
    } catch (const std::exception& e) {
        gf_logUnlessStopping(fmt::format("TextOut utf8  to wide failed for '{}': {}", text, e.what()));
        return;
    }
    list.push_back(DrawItem{DrawKind::text, x, y, x, y, colour, text});
}

DisplayList lf_paintMainWindow(const PaintState& state) {
    DisplayList list;
    // The canvas starts black; the five bands cover all but its foot.
    fill(list, 0, 0, kCanvasWidth, kCanvasHeight, kBlack);
    fill(list, platform::Band{0, 0, kCanvasWidth, kIndicatorsBand.top}, kBlack);
    fill(list, kIndicatorsBand, kBlack);
    fill(list, kControlsBand, kLightBlue);
    fill(list, kStatisticsBand, kBlack);
    fill(list, kStatusBand, kLimeGreen);
    for (const int y : {28, 113, 449, 392}) line(list, 0, y, kCanvasWidth, y, kWhite);

    lf_textOut(list, 3, 7, fmt::format("Version {}", state.programVersion), kLimeGreen);
    lf_textOut(list, 390, 7, "Velantra_P3D", kLimeGreen);
    lf_textOut(list, 632, 7, g_titleNote, kLimeGreen);
    for (const Segment& s : kSeparators) line(list, s.x1, s.y1, s.x2, s.y2, kBlack);

    lf_paintCounters(list, state);
    if (state.rtActive) {
        if (state.qnhReader == 1 || state.qnhReader == 2)
            lf_textOut(list, 642, 63, state.qnh < 1 ? std::string() : fmt::format("qnh: {:4}", state.qnh), kLimeGreen);
        if (state.trafficReader == 1 || state.trafficReader == 2)
            lf_textOut(list, 642, 91, fmt::format("live: {:3}", state.liveCount), kLimeGreen);
    }
    lf_paintLabels(list, state);
    lf_paintParkingStats(list, state);
    lf_paintStatusLine(list, state);
    return list;
}

void lf_paintCounters(DisplayList& list, const PaintState& s) {
    const Rgb sim = simColour(s);
    fill(list, 397, 30, 426, 113, sim);
    lf_textOut(list, 398, 63, "Sim", kLimeGreen);
    if (s.simConnected) {
        const std::string stand = s.userStand.empty() ? std::string() : ", user stand " + s.userStand;
        lf_textOut(list, 5, 35, s.simName + stand, sim);
        lf_textOut(list, 5, 63, s.userTitle, s.userSizeKnown ? sim : kYellow);
    }
    countText(list, 5, 91, "# liveries: {}", s.liveryCount, kRed);
    countText(list, 141, 91, "# simaddon: {}", s.simAddonCount, kYellow);
    countText(list, 278, 91, "# thirdp: {}", s.thirdPartyCount, kYellow);

    fill(list, 425, 30, 454, 113, rtColour(s));
    lf_textOut(list, 430, 63, "RT", kLimeGreen);
    if (s.rtActive) {
        lf_textOut(list, 458, 35, s.rtVersion, limeOr(s.trafficReader == 1, kYellow));
        if (s.qnhReader != 3) lf_textOut(list, 458, 63, "Weather", limeOr(s.qnhReader == 1, kYellow));
        if (s.trafficReader != 3) lf_textOut(list, 458, 91, "Traffic", limeOr(s.trafficReader == 1, kYellow));
    }
    line(list, 425, 29, 425, 112, kBlack);
}

void lf_paintLabels(DisplayList& list, const PaintState& s) {
    for (const Label& label : labels()) lf_textOut(list, label.x, label.rowOf.row, label.text, label.colour(s));
    if (s.mailHint)
        lf_textOut(list, 303, SCAN_AIRPORTS.row, fmt::format("<=== Mail tblo.zip to {}, pls", g_supportAddress), kRed);
    lf_textOut(list, 5, AIRP_RANGE.row, renewalNote(s), kBlack);
}

void lf_paintParkingStats(DisplayList& list, const PaintState& s) {
    if (s.parkAirportText.empty()) return;
    lf_textOut(list, 5, 399, s.parkAirportText, limeOr(s.parkFileRead, kYellow));
    if (!s.parkFileRead) return;
    lf_textOut(list, 90, 399,
               fmt::format(" {}, {}{}, wk={}", s.detailText1, s.detailText2, s.parkFileFromHistory ? " (h)" : "",
                           s.trafficWeek),
               kLimeGreen);
    lf_textOut(list, 370, 399, passMark(s), kLimeGreen);
    lf_textOut(list, 430, 399, fmt::format("qf: {}", s.detailText3), kLimeGreen);
    if (!s.reservedStand.empty())
        lf_textOut(list, 571, 399, fmt::format("reserved stand: {}", s.reservedStand),
                   limeOr(s.reservedStandConfirmed, kRed));
    lf_textOut(list, 748, 399, fmt::format("# updates: {:4}", s.standUseUpdates), kLimeGreen);
    lf_textOut(list, 5, 427, fmt::format("# stands: {:3}", s.standCount), kLimeGreen);
    lf_textOut(list, 111, 427, fmt::format("parked live: {:3}", s.parkedLiveCount), kLimeGreen);
    if (s.liveFitAverage > 0.0f)
        lf_textOut(list, 249, 427, fmt::format("average fit: {:.1f}", s.liveFitAverage), kLimeGreen);
    if (s.maxPark > 0) {
        lf_textOut(list, 430, 427, fmt::format("static: {:3}", s.staticCount), kLimeGreen);
        if (s.staticReplacedCount != 0)
            lf_textOut(list, 500, 427, fmt::format(" ({})", s.staticReplacedCount), kYellow);
        if (!s.weekPass && s.staticFitAverage > 0.0f)
            lf_textOut(list, 571, 427, fmt::format("average fit: {:.1f}", s.staticFitAverage), kLimeGreen);
    }
    lf_textOut(list, 708, 427,
               s.maxPark != 0 ? fmt::format("max park: {:3} (={} %)", s.maxPark, s.maxParkPercent)
                              : std::string("no max park live"),
               kLimeGreen);
}

void lf_paintStatusLine(DisplayList& list, const PaintState& s) {
    const bool error = !s.errorText.empty();
    fill(list, kStatusBand.left, kStatusBand.top, kStatusBand.right + 1, kStatusBand.bottom + 1,
         error ? kRed : kLimeGreen);
    lf_textOut(list, 3, 455, error ? s.errorText : s.statusText, kYellow);
}
