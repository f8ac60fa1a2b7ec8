// The main window's painting as a display list: what is drawn where, in
// which colour, for a given state of the program.
#include "app/display_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/log_capture.h"

namespace {
std::optional<DrawItem> textAt(const DisplayList& list, int x, int y) {
    for (const DrawItem& item : list)
        if (item.kind == DrawKind::text && item.left == x && item.top == y) return item;
    return std::nullopt;
}

// The colour of the last fill whose top-left corner is (x, y).
std::optional<Rgb> fillAt(const DisplayList& list, int x, int y) {
    std::optional<Rgb> colour;
    for (const DrawItem& item : list)
        if (item.kind == DrawKind::fill && item.left == x && item.top == y) colour = item.colour;
    return colour;
}

std::vector<std::string> textsBetween(const DisplayList& list, int top, int bottom) {
    std::vector<std::string> texts;
    for (const DrawItem& item : list)
        if (item.kind == DrawKind::text && item.top >= top && item.top < bottom) texts.push_back(item.text);
    return texts;
}

std::string describe(const std::optional<DrawItem>& item) {
    return item ? item->text + " in " + gf_colourName(item->colour) : std::string("nothing");
}

// A park airport whose file was read, with every statistic set.
PaintState parkState() {
    PaintState s;
    s.parkAirportText = "EHAM (AMS)";
    s.parkFileLoaded = true;
    s.parkFileRead = true;
    s.detailText1 = "Publisher";
    s.detailText2 = "handmade";
    s.detailText3 = "good";
    s.trafficWeek = 12;
    s.standUseUpdates = 7;
    s.standCount = 210;
    s.parkedLiveCount = 4;
    s.staticCount = 60;
    s.maxPark = 63;
    s.maxParkPercent = 30;
    return s;
}
}  // namespace

TEST(DisplayList, TextsAndColoursByState) {
    struct Case {
        const char* name;
        std::function<void(PaintState&)> set;
        int x, y;
        std::optional<std::string> text;  // none: nothing is drawn there
        Rgb colour;
    };
    const std::vector<Case> cases = {
        {"no liveries scanned", [](PaintState&) {}, 5, 91, "# liveries: ...", kRed},
        {"liveries scanned", [](PaintState& s) { s.liveryCount = 1234; }, 5, 91, "# liveries: 1234", kLimeGreen},
        {"no simaddon airports", [](PaintState&) {}, 141, 91, "# simaddon: ...", kYellow},
        {"simaddon airports", [](PaintState& s) { s.simAddonCount = 3; }, 141, 91, "# simaddon: 3", kLimeGreen},
        {"no thirdp airports", [](PaintState&) {}, 278, 91, "# thirdp: ...", kYellow},
        {"both maxima 0: park red", [](PaintState& s) { s.maxParkSel = s.maxLiveSel = 0; }, 171, 315,
         "Max park (static+live):", kRed},
        {"both maxima 0: live red", [](PaintState& s) { s.maxParkSel = s.maxLiveSel = 0; }, 401, 315,
         "Max live (park incl):", kRed},
        {"park maximum 0 alone", [](PaintState& s) { s.maxParkSel = 0; }, 171, 315, "Max park (static+live):", kYellow},
        {"live maximum 0 alone", [](PaintState& s) { s.maxLiveSel = 0; }, 401, 315, "Max live (park incl):", kYellow},
        {"live maximum set", [](PaintState& s) { s.maxParkSel = 0; }, 401, 315, "Max live (park incl):", kBlack},
        {"initial load only", [](PaintState& s) { s.parkFileLoaded = s.initialLoadOnly = true; }, 5, 343,
         "(no next ... )", kBlack},
        {"renewal in 20 minutes", [](PaintState& s) { s.parkFileLoaded = true; }, 5, 343, std::nullopt, kBlack},
        {"renewal in 19 minutes", [](PaintState& s) { s.parkFileLoaded = true, s.staticUpdateMinutes = 19; }, 5, 343,
         "(next in 19 min)", kBlack},
        {"renewal in 1 minute", [](PaintState& s) { s.parkFileLoaded = true, s.staticUpdateMinutes = 1; }, 5, 343,
         "(next in 1 min)", kBlack},
        {"renewal while locked", [](PaintState& s) { s.parkFileLoaded = s.settingsLocked = true, s.staticUpdateMinutes = 5; },
         5, 343, std::nullopt, kBlack},
        {"renewal without park file", [](PaintState& s) { s.staticUpdateMinutes = 5; }, 5, 343, std::nullopt, kBlack},
        {"settings locked", [](PaintState& s) { s.settingsLocked = true; }, 5, 315, "Airport parking", kYellow},
        {"status shown", [](PaintState& s) { s.statusText = "New destination: EDDF"; }, 3, 455,
         "New destination: EDDF", kYellow},
        {"error hides the status",
         [](PaintState& s) { s.statusText = "hidden", s.errorText = "41: Velantra_P3D must be run from the Velantra_P3D folder!"; },
         3, 455, "41: Velantra_P3D must be run from the Velantra_P3D folder!", kYellow},
        {"scan for liveries on", [](PaintState& s) { s.scanLiveries = true; }, 25, 147, "Scan for liveries", kYellow},
        {"scan for liveries off", [](PaintState&) {}, 25, 147, "Scan for liveries", kBlack},
        {"light aircraft disabled", [](PaintState& s) { s.lightAircraftEnabled = false; }, 343, 203, "Light aircraft", kGrey},
        {"helicopters enabled", [](PaintState&) {}, 450, 203, "Helicopters", kBlack},
        {"GUID changes off", [](PaintState& s) { s.guidChanges = false; }, 768, 203, "GUID changes", kYellow},
        {"Aerowinx off", [](PaintState&) {}, 672, 203, "Aerowinx", kBlack},
        {"Aerowinx on", [](PaintState& s) { s.aerowinx = true; }, 672, 203, "Aerowinx", kYellow},
        {"auto radius off", [](PaintState& s) { s.autoRange = false; }, 430, 231, "Ah:", kGrey},
        {"straight push backs off", [](PaintState&) {}, 672, 315, "Straight push backs only", kGrey},
        {"straight push backs on", [](PaintState& s) { s.straightPushBacksOnly = true; }, 672, 315,
         "Straight push backs only", kBlack},
        {"mail hint", [](PaintState& s) { s.mailHint = true; }, 303, 175,
         std::string("<=== Mail tblo.zip to ") + g_supportAddress + ", pls", kRed},
        {"no mail hint", [](PaintState&) {}, 303, 175, std::nullopt, kRed},
        {"simulator not connected: no texts", [](PaintState& s) { s.simName = "Prepar3D v5"; }, 5, 35, std::nullopt, kRed},
        {"simulator with user stand",
         [](PaintState& s) { s.simConnected = s.simRunning = true, s.simName = "Prepar3D v5", s.userTitle = "A320", s.userStand = "D7"; },
         5, 35, "Prepar3D v5, user stand D7", kLimeGreen},
        {"user size unknown", [](PaintState& s) { s.simConnected = true, s.userTitle = "A320", s.userSizeKnown = false; },
         5, 63, "A320", kYellow},
        {"RealTraffic off: no qnh", [](PaintState& s) { s.qnhReader = 1, s.qnh = 1013; }, 642, 63, std::nullopt, kRed},
        {"qnh", [](PaintState& s) { s.rtActive = true, s.qnhReader = 2, s.qnh = 998; }, 642, 63, "qnh:  998", kLimeGreen},
        {"qnh below 1", [](PaintState& s) { s.rtActive = true, s.qnhReader = 1, s.qnh = 0; }, 642, 63, std::nullopt, kRed},
        {"live count", [](PaintState& s) { s.rtActive = true, s.trafficReader = 1, s.liveCount = 7; }, 642, 91, "live:   7",
         kLimeGreen},
        {"traffic reader stopped: no count", [](PaintState& s) { s.rtActive = true, s.liveCount = 7; }, 642, 91,
         std::nullopt, kRed},
        {"edition while no data", [](PaintState& s) { s.rtActive = true, s.trafficReader = 2, s.rtVersion = "RT 9 edition: prof"; },
         458, 35, "RT 9 edition: prof", kYellow},
        {"weather receiving", [](PaintState& s) { s.rtActive = true, s.qnhReader = 1; }, 458, 63, "Weather", kLimeGreen},
        {"weather no data", [](PaintState& s) { s.rtActive = true, s.qnhReader = 2; }, 458, 63, "Weather", kYellow},
        {"weather stopped", [](PaintState& s) { s.rtActive = true; }, 458, 63, std::nullopt, kRed},
        {"traffic no data", [](PaintState& s) { s.rtActive = true, s.trafficReader = 2; }, 458, 91, "Traffic", kYellow},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintState state;
        c.set(state);
        const std::optional<DrawItem> item = textAt(lf_paintMainWindow(state), c.x, c.y);
        if (!c.text) {
            EXPECT_FALSE(item) << describe(item);
            continue;
        }
        ASSERT_TRUE(item);
        EXPECT_EQ(item->text, *c.text);
        EXPECT_EQ(gf_colourName(item->colour), gf_colourName(c.colour));
    }
}

TEST(DisplayList, BoxAndBandColoursByFlags) {
    struct Case {
        const char* name;
        std::function<void(PaintState&)> set;
        Rgb sim, rt, status;
    };
    const std::vector<Case> cases = {
        {"at start", [](PaintState&) {}, kRed, kBlack, kLimeGreen},
        {"connected, no flight", [](PaintState& s) { s.simConnected = true, s.userTitle = "A320"; }, kYellow, kBlack, kLimeGreen},
        {"flight without title", [](PaintState& s) { s.simConnected = s.simRunning = true; }, kYellow, kBlack, kLimeGreen},
        {"flight with title", [](PaintState& s) { s.simConnected = s.simRunning = true, s.userTitle = "A320"; }, kLimeGreen,
         kBlack, kLimeGreen},
        {"running but not connected", [](PaintState& s) { s.simRunning = true, s.userTitle = "A320"; }, kRed, kBlack,
         kLimeGreen},
        {"RealTraffic unblocked, not up", [](PaintState& s) { s.rtBlocked = false; }, kRed, kRed, kLimeGreen},
        {"RealTraffic up, no data", [](PaintState& s) { s.rtBlocked = false, s.rtActive = true, s.trafficReader = 2; },
         kRed, kYellow, kLimeGreen},
        {"RealTraffic receiving", [](PaintState& s) { s.rtBlocked = false, s.rtActive = true, s.trafficReader = 1; }, kRed,
         kLimeGreen, kLimeGreen},
        {"blocked while receiving", [](PaintState& s) { s.rtActive = true, s.trafficReader = 1; }, kRed, kBlack, kLimeGreen},
        {"error", [](PaintState& s) { s.errorText = "Error"; }, kRed, kBlack, kRed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintState state;
        c.set(state);
        const DisplayList list = lf_paintMainWindow(state);
        EXPECT_EQ(fillAt(list, 397, 30), c.sim);
        EXPECT_EQ(fillAt(list, 425, 30), c.rt);
        EXPECT_EQ(fillAt(list, 0, 448), c.status);
        // The bands themselves never change.
        EXPECT_EQ(fillAt(list, 0, 112), kLightBlue);
        EXPECT_EQ(fillAt(list, 0, 392), kBlack);
        EXPECT_EQ(fillAt(list, 0, 28), kBlack);
    }
}

TEST(DisplayList, AnErrorHidesTheStatusUntilItIsCleared) {
    PaintState state;
    state.statusText = "Waiting for RealTraffic";
    state.errorText = "SimConnect request error";
    EXPECT_EQ(textsBetween(lf_paintMainWindow(state), 448, 476), std::vector<std::string>{"SimConnect request error"});
    state.errorText.clear();
    const DisplayList list = lf_paintMainWindow(state);
    EXPECT_EQ(textsBetween(list, 448, 476), std::vector<std::string>{"Waiting for RealTraffic"});
    EXPECT_EQ(fillAt(list, 0, 448), kLimeGreen);
}

TEST(DisplayList, ParkStatistics) {
    struct Case {
        const char* name;
        std::function<void(PaintState&)> set;
        std::vector<std::string> texts;  // the statistics band's texts in painting order
    };
    const std::vector<Case> cases = {
        {"no park airport", [](PaintState& s) { s = PaintState{}; }, {}},
        {"file not read", [](PaintState& s) { s.parkFileRead = false; }, {"EHAM (AMS)"}},
        {"read",
         [](PaintState&) {},
         {"EHAM (AMS)", " Publisher, handmade, wk=12", "qf: good", "# updates:    7", "# stands: 210",
          "parked live:   4", "static:  60", "max park:  63 (=30 %)"}},
        {"history, both passes, reserved stand, averages",
         [](PaintState& s) {
             s.parkFileFromHistory = s.staticPass = s.weekPass = true;
             s.reservedStand = "D7";
             s.liveFitAverage = 2.3f;
             s.staticFitAverage = 3.0f;  // not shown while the week pass runs
             s.staticReplacedCount = 2;
         },
         {"EHAM (AMS)", " Publisher, handmade (h), wk=12", "*WS*", "qf: good", "reserved stand: D7", "# updates:    7",
          "# stands: 210", "parked live:   4", "average fit: 2.3", "static:  60", " (2)", "max park:  63 (=30 %)"}},
        {"static pass only, static average",
         [](PaintState& s) { s.staticPass = true, s.staticFitAverage = 3.04f; },
         {"EHAM (AMS)", " Publisher, handmade, wk=12", "*S*", "qf: good", "# updates:    7", "# stands: 210",
          "parked live:   4", "static:  60", "average fit: 3.0", "max park:  63 (=30 %)"}},
        {"no maximum",
         [](PaintState& s) { s.maxPark = 0, s.weekPass = true, s.staticFitAverage = 3.0f; },
         {"EHAM (AMS)", " Publisher, handmade, wk=12", "*W*", "qf: good", "# updates:    7", "# stands: 210",
          "parked live:   4", "no max park live"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PaintState state = parkState();
        c.set(state);
        const DisplayList list = lf_paintMainWindow(state);
        EXPECT_EQ(textsBetween(list, 392, 448), c.texts);
    }
    PaintState unread = parkState();
    unread.parkFileRead = false;
    EXPECT_EQ(textAt(lf_paintMainWindow(unread), 5, 399)->colour, kYellow);
    PaintState confirmed = parkState();
    confirmed.reservedStand = "D7";
    EXPECT_EQ(textAt(lf_paintMainWindow(confirmed), 571, 399)->colour, kRed);
    confirmed.reservedStandConfirmed = true;
    EXPECT_EQ(textAt(lf_paintMainWindow(confirmed), 571, 399)->colour, kLimeGreen);
    EXPECT_EQ(textAt(lf_paintMainWindow(confirmed), 500, 427), std::nullopt) << "no replaced statics, no count";
}

TEST(DisplayList, TextThatIsNotUtf8IsLoggedAndSkipped) {
    testing_support::LogCapture log;
    PaintState state;
    state.simConnected = true;
    state.simName = "Prepar3D v5";
    state.userTitle = "Airbus \xff\xfe A320";
    const DisplayList list = lf_paintMainWindow(state);
    EXPECT_FALSE(textAt(list, 5, 63)) << "the broken title is not drawn";
    EXPECT_EQ(textAt(list, 5, 35)->text, "Prepar3D v5") << "the texts around it are";
    EXPECT_TRUE(log.contains("TextOut utf8  to wide failed for 'Airbus \xff\xfe A320': "));
}

TEST(DisplayList, TitleAndLines) {
    PaintState state;
    state.programVersion = "11.0.2";
    const DisplayList list = lf_paintMainWindow(state);
    EXPECT_EQ(textsBetween(list, 0, 28), (std::vector<std::string>{"Version 11.0.2", "Velantra_P3D", "Prepar3D v5/v6"}));
    const auto white = std::count_if(list.begin(), list.end(), [](const DrawItem& item) {
        return item.kind == DrawKind::line && item.colour == kWhite && item.left == 0 && item.right == 880;
    });
    EXPECT_EQ(white, 4);
    const auto black = std::count_if(list.begin(), list.end(), [](const DrawItem& item) {
        return item.kind == DrawKind::line && item.colour == kBlack;
    });
    EXPECT_EQ(black, 9) << "seven separators, the vertical one, and the one between the link boxes";
}
