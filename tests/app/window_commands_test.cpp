// The main window's buttons, check boxes, lists and edit fields, driven as a
// user drives them: command lines to the headless host ("click ID",
// "select ID INDEX", "type ID TEXT"), carried out by its message loop on
// this thread. The traffic thread's part of a command runs when the test
// ticks the run loop, as the traffic thread would next.
#ifndef _WIN32
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "airports/state.h"
#include "app/closing_down.h"
#include "app/headless/headless_host.h"
#include "app/paint_state.h"
#include "app/run_loop.h"
#include "app/services/run_flags.h"
#include "app/services/settings_lock.h"
#include "app/services/state.h"
#include "app/services/status_line.h"
#include "app/services/window_messages.h"
#include "app/start_up.h"
#include "liveries/categories.h"
#include "liveries/livery_services.h"
#include "rtlink/state.h"
#include "settings/settings.h"
#include "support/shell_fixture.h"
#include "support/temp_dir.h"
#include "traffic/state.h"

namespace fs = std::filesystem;
using testing_support::ShellTest;

namespace {
std::string id(const WindowControl& control) { return std::to_string(control.controlId); }

class WindowCommandsTest : public ShellTest {
public:
    WindowCommandsTest() : host(out, parametersPath()) {
        host.createWindow();
        gf_setControlUpdates(&host.controlUpdates());
        prepareWindow();
    }

    // What the start-up does before the user can work with the window.
    void prepareWindow() {
        lf_fillRadiusCombo();
        for (const WindowControl* c : std::initializer_list<const WindowControl*>{
                 &g_callsignToOidButton, &g_rereadButton, &g_flushStaticButton, &g_nowButton,
                 &DESTINATION, &ALL_INSTALL_PATH, &g_tbloZipButton})
            host.controls().setEnabled(c->controlId, true);
        g_nowAllowed = true;
        clearCalls();
    }

    // Carries the command lines out on the window thread (this one).
    void run(const std::vector<std::string>& lines) {
        for (const std::string& line : lines) host.postCommand(line);
        host.postAppMessage(WM_APP_QUIT);
        host.runMessageLoop();
    }
    void run(const std::string& line) { run(std::vector<std::string>{line}); }

    ControlModel::Control control(const WindowControl& c) { return host.controls().control(c.controlId); }
    bool enabled(const WindowControl& c) { return host.controls().isEnabled(c.controlId); }
    std::string status() { return gf_statusLineText(); }
    bool called(const std::string& call) {
        const auto all = calls();
        return std::find(all.begin(), all.end(), call) != all.end();
    }
    int count(const std::string& call) {
        const auto all = calls();
        return static_cast<int>(std::count(all.begin(), all.end(), call));
    }

    std::ostringstream out;
    HeadlessHost host;
};

AirportRecord airport(const char* code, double lat, double lon) {
    AirportRecord record;
    record.code = AirportCode(code);
    record.latitude = lat;
    record.longitude = lon;
    return record;
}
}  // namespace

TEST_F(WindowCommandsTest, EachCheckBoxTogglesItsMarkSavesItsSettingAndSaysWhatItMeans) {
    g_awaitingRealTraffic = false;  // the scan boxes only announce the next start
    const std::string kKept = "an earlier status";  // boxes that are only saved leave the status alone
    struct Case {
        CheckBoxParam& box;
        std::string status;  // after one click from the default
        std::function<void(WindowCommandsTest&)> check = {};
    };
    const std::vector<Case> cases = {
        {SCAN_LIVERIES, ""},
        {LIG_PRIORITIZE, ""},
        {ALWAYS_ON_TOP, "Velantra_P3D's window will remain visible",
         [](WindowCommandsTest& t) { EXPECT_TRUE(t.called("topmost 1")); }},
        {SCAN_AIRPORTS, ""},
        {NAV_LIGHTS_WHILE_PARKED, kKept, [](WindowCommandsTest&) { EXPECT_EQ(g_navLightsRequest.load(), 0); }},
        {LIGHT_AIRCRAFT, kKept},
        {HELICOPTERS, kKept},
        {HIGH_PERF_AIRCRAFT, kKept},
        {AEROWINX, "Aerowinx mode serves users of the Aerowinx simulator only; restart Velantra_P3D to use it"},
        {GUID_CHANGES, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!"},
        {AUTO_RANGE, "",
         [](WindowCommandsTest& t) {
             EXPECT_FALSE(t.enabled(AR_ABOVE_HEIGHT));
             EXPECT_TRUE(t.enabled(RANGE)) << "the radius is the user's choice again";
             EXPECT_EQ(g_rangeNm.load(), static_cast<double>(RANGE.value.load())) << "the manual radius is back";
         }},
        {AIRBORNE_ONLY, "Be aware, airborne live traffic only!  (greater than 300 ft above ground ...)"},
        {COLLISION_USER_GND,
         "Be aware, user aircraft may collide with (run through) live aircraft and static parked on the ground"},
        {COLLISION_USER_AIR, "Be aware, user aircraft may collide with (run through) live aircraft in the air"},
        {COLLISION_LIVE_PARKED_GND, ""},
        {STRAIGHT_PBS_ONLY, kKept},
        {INITIAL_LOAD_ONLY,
         "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes",
         [](WindowCommandsTest& t) { EXPECT_FALSE(t.enabled(g_nowButton)); }},
        {WEEK, kKept},
        {PARK_SOFT, kKept},
    };
    ASSERT_EQ(cases.size(), g_checkBoxParams.size());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.box.key);
        gf_setStatus(kKept, false);
        const bool before = c.box.value;
        ASSERT_EQ(control(c.box).checked, before) << "the box shows its setting from the start";
        run("click " + id(c.box));
        EXPECT_EQ(c.box.value.load(), !before);
        EXPECT_EQ(control(c.box).checked, !before);
        EXPECT_EQ(storedValue(c.box.key), !before ? "true" : "false");
        EXPECT_EQ(status(), c.status);
        if (c.check) c.check(*this);
    }
    EXPECT_FALSE(g_stopRequested.load()) << "no box restarts the run once RealTraffic is connected";
}

TEST_F(WindowCommandsTest, SwitchingBackTurnsTheWarningsOff) {
    run({"click " + id(COLLISION_USER_AIR), "click " + id(COLLISION_USER_AIR)});
    EXPECT_EQ(status(), "");
    EXPECT_TRUE(COLLISION_USER_AIR.value.load());
    run({"click " + id(INITIAL_LOAD_ONLY), "click " + id(INITIAL_LOAD_ONLY)});
    EXPECT_TRUE(enabled(g_nowButton)) << "Now comes back when the settings were unlocked before";
    g_nowAllowed = false;
    run({"click " + id(INITIAL_LOAD_ONLY), "click " + id(INITIAL_LOAD_ONLY)});
    EXPECT_FALSE(enabled(g_nowButton));
}

TEST_F(WindowCommandsTest, ScanBoxesRestartTheRunOnlyBeforeRealTrafficConnected) {
    const struct {
        CheckBoxParam& box;
        bool awaitingRealTraffic;
        std::string status;
        bool restart;
        bool liveryReset;
    } cases[] = {
        {SCAN_LIVERIES, true, "Your liveries will be scanned", true, true},
        {SCAN_AIRPORTS, true, "Your airports will be scanned", true, false},
        {SCAN_LIVERIES, false, "Your liveries will be scanned at the next start of Velantra_P3D", false, false},
        {SCAN_AIRPORTS, false, "Your airports will be scanned at the next start of Velantra_P3D", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.status);
        testing_support::resetShellState();
        g_awaitingRealTraffic = c.awaitingRealTraffic;
        c.box.value = false;
        host.controls().setChecked(c.box.controlId, false);
        run("click " + id(c.box));
        EXPECT_EQ(status(), c.status);
        EXPECT_EQ(g_stopRequested.load(), c.restart);
        EXPECT_EQ(g_exitReason.load(), c.restart ? ExitReason::NewSettings : ExitReason::NotYetSet);
        EXPECT_EQ(g_restartDelay.load(), c.restart ? 2 : 0);
        EXPECT_EQ(g_liveryReprocessRequest.load(), c.liveryReset);
        EXPECT_EQ(log.contains(c.status), c.restart) << "only the restart is logged";
    }
    // A second restart request leaves the first one's reason and delay.
    testing_support::resetShellState();
    gf_requestStop(ExitReason::ReaderError, 15);
    SCAN_AIRPORTS.value = false;
    host.controls().setChecked(SCAN_AIRPORTS.controlId, false);
    run("click " + id(SCAN_AIRPORTS));
    EXPECT_EQ(g_exitReason.load(), ExitReason::ReaderError);
    EXPECT_EQ(g_restartDelay.load(), 15);
}

TEST_F(WindowCommandsTest, BlockAndUnblockACallsign) {
    const struct {
        std::string typed;
        std::string status;
        std::string blocked;  // BLOCK_CALLSIGN afterwards, also in the field and the file
        bool unblockEnabled;
    } steps[] = {
        {"klm1234", "", "KLM1234", true},
        {"KLM1234", "callsign 'KLM1234' was already set ...", "KLM1234", true},
        {"abc", "callsign 'abc' is not valid", "KLM1234", true},
        {"ABCDEFGHI", "callsign 'ABCDEFGHI' is not valid", "KLM1234", true},
        {"dlh4", "", "DLH4", true},
        {"", "no more blocking of live aircraft 'DLH4'", "", false},
        {"", "", "", false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("typed '" + step.typed + "'");
        g_blockingChanged = false;
        const std::string before = BLOCK_CALLSIGN.value.get();
        run("type " + id(BLOCK_CALLSIGN) + " " + step.typed);
        EXPECT_EQ(status(), step.status);
        EXPECT_EQ(BLOCK_CALLSIGN.value.get(), step.blocked);
        EXPECT_EQ(control(BLOCK_CALLSIGN).text, step.blocked) << "the field shows the stored callsign";
        EXPECT_EQ(storedValue("BLOCK_CALLSIGN"), step.blocked.empty() && before.empty() ? "" : step.blocked);
        EXPECT_EQ(enabled(g_unblockButton), step.unblockEnabled);
        EXPECT_EQ(g_blockingChanged.load(), step.blocked != before);
    }
    EXPECT_TRUE(log.contains("callsign 'abc' is not valid"));

    // The buttons: block a callsign, then unblock it.
    run("type " + id(BLOCK_CALLSIGN) + " AFR1");
    run("click " + id(g_unblockButton));
    EXPECT_EQ(status(), "no more blocking of live aircraft 'AFR1'");
    EXPECT_FALSE(enabled(g_unblockButton)) << "a disabled Unblock takes no more clicks";
    run("click " + id(g_unblockButton));
    EXPECT_NE(out.str().find("[command] control disabled: click 32829"), std::string::npos);
}

TEST_F(WindowCommandsTest, UnblockWithNothingBlocked) {
    host.controls().setEnabled(g_blockButton.controlId, true);
    host.controls().setEnabled(g_unblockButton.controlId, true);
    run("click " + id(g_unblockButton));
    EXPECT_EQ(status(), "Nothing to block or unblock...");
    EXPECT_FALSE(log.contains("Nothing to block")) << "button statuses are not logged";
    EXPECT_FALSE(enabled(g_blockButton)) << "no callsign chosen: nothing to block";
}

TEST_F(WindowCommandsTest, BlockTheCallsignChosenFromTheList) {
    // "cs->oid:" asks the traffic thread for the moving callsigns.
    run("click " + id(g_callsignToOidButton));
    EXPECT_TRUE(g_callsignListRequest.load());
    EXPECT_FALSE(enabled(g_blockButton));
    // ... which it hands to the list at its next sample.
    onCall = [](const std::string& call) {
        if (call == "listMovingCallsigns") CALLSIGN_2_OBJECTID.setCallsigns({"AFR12", "DLH4", "KLM1234"});
    };
    newSamples = 1;
    lf_tick();
    EXPECT_EQ(control(CALLSIGN_2_OBJECTID).items, (std::vector<std::string>{"AFR12", "DLH4", "KLM1234"}));
    EXPECT_TRUE(enabled(CALLSIGN_2_OBJECTID));

    run("select " + id(CALLSIGN_2_OBJECTID) + " 1");
    EXPECT_EQ(CALLSIGN_2_OBJECTID.value.get(), "DLH4");
    EXPECT_TRUE(enabled(g_blockButton)) << "nothing is blocked yet";
    run("click " + id(g_blockButton));
    EXPECT_EQ(BLOCK_CALLSIGN.value.get(), "DLH4");
    EXPECT_EQ(storedValue("BLOCK_CALLSIGN"), "DLH4");
    EXPECT_TRUE(g_blockingChanged.load());
    EXPECT_TRUE(enabled(g_unblockButton));
    EXPECT_FALSE(enabled(g_blockButton));
    EXPECT_EQ(control(CALLSIGN_2_OBJECTID).items, std::vector<std::string>{""}) << "the list is emptied";
    EXPECT_FALSE(enabled(CALLSIGN_2_OBJECTID));
    EXPECT_EQ(CALLSIGN_2_OBJECTID.value.get(), "");

    // The traffic thread removes the blocked aircraft at its next sample.
    LiveAc dlh(PosSample{}, AcBase{}, 0.0);
    dlh.hexId = 4;
    dlh.callsign = "DLH4";
    dlh.lifeState = AcLifeState::active;
    g_liveAcs = {dlh};
    newSamples = 1;
    lf_tick();
    EXPECT_TRUE(called("removeAircraftFromSim 4"));
}

TEST_F(WindowCommandsTest, EachCommandEnablesAndDisablesItsControls) {
    const auto listOfTwo = [](WindowCommandsTest& t) {
        CALLSIGN_2_OBJECTID.setCallsigns({"AFR12", "DLH4"});
        t.host.controlUpdates().fillCallsignChoice(CALLSIGN_2_OBJECTID);
        t.host.controls().setEnabled(CALLSIGN_2_OBJECTID.controlId, true);
    };
    const auto eddfKnown = [](WindowCommandsTest&) { g_airports = {airport("EDDF", 50.03, 8.57)}; };
    const std::string choose = "select " + id(CALLSIGN_2_OBJECTID) + " 1";
    const std::string block = "type " + id(BLOCK_CALLSIGN) + " klm1234";
    struct Case {
        const char* name;
        std::function<void(WindowCommandsTest&)> setUp;
        std::vector<std::string> commands;
        std::vector<std::pair<const WindowControl*, bool>> enabled;  // afterwards
    };
    const std::vector<Case> cases = {
        {"a callsign chosen, nothing blocked", listOfTwo, {choose}, {{&g_blockButton, true}, {&g_unblockButton, false}}},
        {"a callsign chosen while one is blocked", listOfTwo, {block, choose},
         {{&g_blockButton, false}, {&g_unblockButton, true}}},
        {"the chosen callsign blocked", listOfTwo, {choose, "click " + id(g_blockButton)},
         {{&g_blockButton, false}, {&g_unblockButton, true}, {&CALLSIGN_2_OBJECTID, false}}},
        {"unblocked with a callsign chosen", listOfTwo, {block, choose, "click " + id(g_unblockButton)},
         {{&g_unblockButton, false}, {&g_blockButton, true}}},
        {"a new callsign list asked for", listOfTwo, {choose, "click " + id(g_callsignToOidButton)},
         {{&g_blockButton, false}}},
        {"Re-read", {}, {"click " + id(g_rereadButton)}, {{&g_rereadButton, false}, {&DESTINATION, false}}},
        {"a destination", eddfKnown, {"type " + id(DESTINATION) + " eddf"}, {{&g_rereadButton, false}}},
        {"the destination emptied", eddfKnown, {"type " + id(DESTINATION) + " eddf", "type " + id(DESTINATION) + " "},
         {{&g_rereadButton, true}}},
        {"Flush static", {}, {"click " + id(g_flushStaticButton)}, {{&g_flushStaticButton, false}}},
        {"automatic radius off", {}, {"click " + id(AUTO_RANGE)}, {{&RANGE, true}, {&AR_ABOVE_HEIGHT, false}}},
        {"automatic radius on again", {}, {"click " + id(AUTO_RANGE), "click " + id(AUTO_RANGE)},
         {{&RANGE, false}, {&AR_ABOVE_HEIGHT, true}}},
        {"initial load only", {}, {"click " + id(INITIAL_LOAD_ONLY)}, {{&g_nowButton, false}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing_support::resetShellState();
        host.createWindow();
        prepareWindow();
        if (c.setUp) c.setUp(*this);
        run(c.commands);
        for (const auto& [control, expected] : c.enabled) EXPECT_EQ(enabled(*control), expected) << id(*control);
    }
}

TEST_F(WindowCommandsTest, TheSettingsLockCoversTheNineParkingControls) {
    const std::vector<const WindowControl*> locked = {&parking_percentage, &AMAX_FIT_FL, &MAX_PARK_SEL,
                                                      &MAX_LIVE_SEL,       &WEEK,        &PARK_SOFT,
                                                      &g_flushStaticButton, &g_rereadButton, &g_nowButton};
    const std::vector<const WindowControl*> untouched = {&INITIAL_LOAD_ONLY, &DESTINATION, &AIRP_RANGE,
                                                         &AIRP_HEIGHT, &MATCHING_DEPTH, &RANGE};
    const struct {
        const char* name;
        std::function<void(WindowCommandsTest&)> act;
        bool lockedEnabled;  // the nine, "Now" apart
        bool nowEnabled;
    } steps[] = {
        {"locked", [](WindowCommandsTest&) { gf_lockSettings(); }, false, false},
        {"unlocked", [](WindowCommandsTest&) { gf_unlockSettings(); }, true, true},
        // "Now" stays off while the statics are placed once only.
        {"locked with initial load only",
         [](WindowCommandsTest& t) {
             t.run("click " + id(INITIAL_LOAD_ONLY));
             gf_lockSettings();
         },
         false, false},
        {"unlocked with initial load only", [](WindowCommandsTest&) { gf_unlockSettings(); }, true, false},
    };
    RANGE.value = 40;
    host.controls().setEnabled(RANGE.controlId, true);
    for (const auto& step : steps) {
        SCOPED_TRACE(step.name);
        step.act(*this);
        EXPECT_EQ(g_settingsLocked.load(), !step.lockedEnabled);
        for (const WindowControl* control : locked)
            EXPECT_EQ(enabled(*control), control == &g_nowButton ? step.nowEnabled : step.lockedEnabled) << id(*control);
        for (const WindowControl* control : untouched) EXPECT_TRUE(enabled(*control)) << id(*control);
    }
}

TEST_F(WindowCommandsTest, TypingTheChosenCallsignEmptiesTheList) {
    CALLSIGN_2_OBJECTID.setCallsigns({"AFR12", "DLH4"});
    CALLSIGN_2_OBJECTID.value = "DLH4";
    run("type " + id(BLOCK_CALLSIGN) + " dlh4");
    EXPECT_EQ(BLOCK_CALLSIGN.value.get(), "DLH4");
    EXPECT_EQ(*CALLSIGN_2_OBJECTID.callsigns(), std::vector<std::string>{""});
    EXPECT_FALSE(enabled(g_blockButton));
}

TEST_F(WindowCommandsTest, ButtonsThatHandWorkToTheTrafficThread) {
    run("click " + id(g_rereadButton));
    EXPECT_TRUE(g_reReadRequest.load());
    EXPECT_FALSE(enabled(g_rereadButton));
    EXPECT_FALSE(enabled(DESTINATION));

    run("click " + id(g_flushStaticButton));
    EXPECT_EQ(status(), "All static parked aircraft will be removed ...");
    EXPECT_TRUE(g_removeAllStaticsRequest.load());
    EXPECT_FALSE(enabled(g_flushStaticButton));
    EXPECT_FALSE(called("removeAllStatics")) << "the window only asks";
    newSamples = 1;
    lf_tick();
    EXPECT_EQ(count("removeAllStatics"), 1);
    EXPECT_TRUE(INITIAL_LOAD_ONLY.value.load()) << "the statics are not placed again";
    EXPECT_TRUE(control(INITIAL_LOAD_ONLY).checked);
}

TEST_F(WindowCommandsTest, NowAnnouncesTheStaticParkingUpdate) {
    run("click " + id(g_nowButton));
    EXPECT_FALSE(g_staticUpdateRequest.load()) << "no park airport's file: nothing to update";
    parkFile = true;
    g_seconds = 3;
    g_staticUpdateMinutes = 4;
    g_staticUpdateMinutesShown = 4;
    run("click " + id(g_nowButton));
    EXPECT_TRUE(g_staticUpdateRequest.load());
    EXPECT_EQ(status(), "Velantra_P3D will update static parking in 12 seconds ...");
    EXPECT_EQ(g_staticUpdateMinutes.load(), 20);
    EXPECT_EQ(g_staticUpdateMinutesShown.load(), 20);
    EXPECT_TRUE(g_settingsLocked.load());
    EXPECT_FALSE(enabled(g_flushStaticButton)) << "the settings are locked while the update runs";

    testing_support::resetShellState();
    parkFile = true;
    INITIAL_LOAD_ONLY.value = true;
    host.controls().setEnabled(g_nowButton.controlId, true);
    gf_setStatus("old", false);
    run("click " + id(g_nowButton));
    EXPECT_FALSE(g_staticUpdateRequest.load());
    EXPECT_EQ(status(), "");
}

TEST_F(WindowCommandsTest, TbloZipOpensItsFolder) {
    fs::create_directories("tblo");
    testing_support::writeFile("tblo/tblo.zip", "PK");
    testing::internal::CaptureStdout();
    run("click " + id(g_tbloZipButton));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "[open] " + (fs::current_path() / "tblo").string() + "\n");
}

TEST_F(WindowCommandsTest, IntegerListsSaveTheChosenValue) {
    const struct {
        ChoiceParam& list;
        int index;
        std::int32_t value;
    } cases[] = {
        {MATCHING_DEPTH, 1, 2}, {MAX_PARK_SEL, 2, 25},   {parking_percentage, 20, 100}, {RANGE, 0, 2},
        {AIRP_RANGE, 5, 30},    {AR_ABOVE_HEIGHT, 0, 18000}, {AIRP_HEIGHT, 9, 36000},  {MAX_LIVE_SEL, 6, 500},
    };
    RANGE.value = 40;
    AUTO_RANGE.value = false;
    host.controls().setEnabled(RANGE.controlId, true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list.key);
        run("select " + id(c.list) + " " + std::to_string(c.index));
        EXPECT_EQ(c.list.value.load(), c.value);
        EXPECT_EQ(storedValue(c.list.key), std::to_string(c.value));
        EXPECT_EQ(control(c.list).selected, c.index);
    }
    EXPECT_EQ(g_rangeNm.load(), 2.0) << "RANGE sets the radius at once";
    EXPECT_EQ(g_rangeMeters.load(), 2 * 1852);
    EXPECT_FALSE(g_matchCacheClearRequest.load()) << "a lower matching depth keeps the no-match list";
    run("select " + id(MATCHING_DEPTH) + " 3");
    EXPECT_TRUE(g_matchCacheClearRequest.load()) << "a deeper search tries the unmatched aircraft again";
    run("select " + id(MATCHING_DEPTH) + " 9");
    EXPECT_NE(out.str().find("[command] no such item: select 32808 9"), std::string::npos);
}

TEST_F(WindowCommandsTest, MaxFitHoursBecomeHalfHourSteps) {
    const struct {
        int index;
        const char* hours;
        std::int32_t maxFit;
    } cases[] = {{0, "0.5", 0}, {1, "1.0", 1}, {10, "6.0", 11}, {15, "12.0", 23}, {19, "24.0", 47}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hours);
        run("select " + id(AMAX_FIT_FL) + " " + std::to_string(c.index));
        EXPECT_EQ(control(AMAX_FIT_FL).items[static_cast<std::size_t>(c.index)], c.hours);
        EXPECT_EQ(MAX_FIT.value.load(), c.maxFit);
        EXPECT_EQ(storedValue("MAX_FIT"), std::to_string(c.maxFit));
        EXPECT_EQ(storedValue("AMAX_FIT_FL"), "<none>") << "the hours themselves are not stored";
    }
}

TEST_F(WindowCommandsTest, OnlyASelectionChangeChangesAList) {
    WindowContext window{host.controls(), parametersPath()};
    host.controls().selectItem(MAX_PARK_SEL.controlId, 1);
    constexpr std::uint16_t kDropDown = 7;  // CBN_DROPDOWN
    EXPECT_FALSE(lf_HandleWMCOMMAND(window, MAX_PARK_SEL.controlId, kDropDown));
    EXPECT_EQ(MAX_PARK_SEL.value.load(), 500);
    EXPECT_EQ(bandTops(), std::vector<int>{112}) << "an unhandled command repaints the controls band";
    EXPECT_TRUE(lf_HandleWMCOMMAND(window, MAX_PARK_SEL.controlId, kSelectionChanged));
    EXPECT_EQ(MAX_PARK_SEL.value.load(), 10);
}

TEST_F(WindowCommandsTest, LoweringMaxLiveRemovesTheFarthestActiveAircraftOnTheTrafficThread) {
    // 14 active live aircraft, aircraft k at k nautical miles north of the user.
    for (std::uint32_t k = 1; k <= 14; ++k) {
        LiveAc aircraft(PosSample{}, AcBase{}, 0.0);
        aircraft.hexId = 20000 + k;
        aircraft.lat = k / 60.0;
        aircraft.lifeState = AcLifeState::active;
        g_liveAcs.push_back(aircraft);
    }
    LiveAc buffered(PosSample{}, AcBase{}, 0.0);  // not in the simulator yet: does not count
    buffered.hexId = 30000;
    buffered.lat = 1.0;
    g_liveAcs.push_back(buffered);
    removeFarthest = [](double) {
        const auto farthest = std::max_element(g_liveAcs.begin(), g_liveAcs.end(), [](const LiveAc& a, const LiveAc& b) {
            const auto key = [](const LiveAc& ac) { return ac.lifeState == AcLifeState::active ? ac.lat : -1.0; };
            return key(a) < key(b);
        });
        if (farthest->lifeState != AcLifeState::active) return true;
        farthest->lifeState = AcLifeState::removingfromsim;
        return false;
    };
    run("select " + id(MAX_LIVE_SEL) + " 1");
    EXPECT_EQ(MAX_LIVE_SEL.value.load(), 10);
    EXPECT_EQ(storedValue("MAX_LIVE_SEL"), "10");
    EXPECT_FALSE(called("removeFarthestAc -1")) << "the window thread never touches the aircraft table";

    lf_tick();  // the traffic thread's next tick
    EXPECT_EQ(count("removeFarthestAc -1"), 4);
    std::vector<std::uint32_t> removed;
    for (const LiveAc& aircraft : g_liveAcs)
        if (aircraft.lifeState == AcLifeState::removingfromsim) removed.push_back(aircraft.hexId);
    EXPECT_EQ(removed, (std::vector<std::uint32_t>{20011, 20012, 20013, 20014}));
    lf_tick();
    EXPECT_EQ(count("removeFarthestAc -1"), 4) << "the request was carried out once";

    // Raising it again removes nothing.
    run("select " + id(MAX_LIVE_SEL) + " 6");
    lf_tick();
    EXPECT_EQ(count("removeFarthestAc -1"), 4);
}

TEST_F(WindowCommandsTest, NavLightsOfParkedAircraftFollowTheCheckBox) {
    AcBase staticAc;
    staticAc.objectId = 501;
    staticAc.lifeState = AcLifeState::active;
    AcBase goneStatic = staticAc;
    goneStatic.objectId = 502;
    goneStatic.lifeState = AcLifeState::removingfromsim;
    g_staticAcs = {staticAc, goneStatic};
    LiveAc parked(PosSample{}, AcBase{}, 0.0);
    parked.objectId = 601;
    parked.lifeState = AcLifeState::active;
    parked.phase = AcPhase::parked;
    LiveAc taxiing = parked;
    taxiing.objectId = 602;
    taxiing.phase = AcPhase::taxi;
    g_liveAcs = {parked, taxiing};

    run("click " + id(NAV_LIGHTS_WHILE_PARKED));
    EXPECT_FALSE(called("queueNavLights 501 0"));
    lf_tick();
    const auto lights = [this] {
        std::vector<std::string> out;
        for (const std::string& call : calls())
            if (call.rfind("queueNavLights", 0) == 0) out.push_back(call);
        return out;
    };
    EXPECT_EQ(lights(), (std::vector<std::string>{"queueNavLights 501 0", "queueNavLights 601 0"}));
    clearCalls();
    run("click " + id(NAV_LIGHTS_WHILE_PARKED));
    simRunning = false;  // also while the flight is paused
    lf_tick();
    EXPECT_EQ(lights(), (std::vector<std::string>{"queueNavLights 501 1", "queueNavLights 601 1"}));
}

TEST_F(WindowCommandsTest, DestinationField) {
    g_airports = {airport("EDDF", 50.03, 8.57), airport("EHAM", 52.31, 4.76)};
    const struct {
        std::string typed;
        std::string status;
        std::string destination;  // DESTINATION and its field afterwards
        bool rereadEnabled;
    } steps[] = {
        {"eddf", "New destination: EDDF", "EDDF", false},
        {"EDDF", "destination 'EDDF' was already set ...", "EDDF", false},
        {"zzzz", "destination 'ZZZZ' is unknown ...", "EDDF", false},
        {"ED!F", "destination 'ED!F' is not valid", "EDDF", false},
        {"EDD", "destination 'EDD' is not valid", "EDDF", false},
        {"eham", "New destination: EHAM", "EHAM", false},
        {"", "destination set to empty", "", true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE("typed '" + step.typed + "'");
        run("type " + id(DESTINATION) + " " + step.typed);
        EXPECT_EQ(status(), step.status);
        EXPECT_EQ(DESTINATION.value.get(), step.destination);
        if (!step.destination.empty()) {
            EXPECT_EQ(control(DESTINATION).text, step.destination);
        }
        EXPECT_EQ(enabled(g_rereadButton), step.rereadEnabled);
        EXPECT_TRUE(log.contains(step.status));
    }
    EXPECT_EQ(storedValue("DESTINATION"), "EHAM") << "emptying it is not saved here; closing down saves it";
    EXPECT_FALSE(called("addParkAirport EDDF")) << "the park-airport list belongs to the traffic thread";
    lf_tick();
    std::vector<std::string> added;
    for (const std::string& call : calls())
        if (call.rfind("addParkAirport", 0) == 0) added.push_back(call);
    EXPECT_EQ(added, (std::vector<std::string>{"addParkAirport EDDF", "addParkAirport EHAM"}));
}

TEST_F(WindowCommandsTest, ATypedInstallPathThatExistsRestartsTheRun) {
    testing_support::TempDir simulator;
    const std::string missing = (simulator / "nowhere").string();
    run("type " + id(ALL_INSTALL_PATH) + " " + missing);
    EXPECT_EQ(status(), "This install path does not exist: " + missing);
    EXPECT_FALSE(g_stopRequested.load());

    // After error 151 the run waits for the path.
    gf_setError("151: No P3D install path detected. Type the full Install Path above, then press Enter");
    g_exitReason = ExitReason::SystemError;
    run("type " + id(ALL_INSTALL_PATH) + " " + simulator.path().string());
    EXPECT_EQ(status(), "Install path exists, Velantra_P3D will restart") << "the error line is cleared";
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), simulator.path().string());
    EXPECT_EQ(storedValue("SIM_INSTALL_PATH"), simulator.path().string());
    EXPECT_EQ(g_exitReason.load(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelay.load(), 3);
    lf_closingDown(parametersPath());
    EXPECT_EQ(posted().back(), WM_APP_START) << "the run starts again";
    EXPECT_TRUE(log.contains("Restarting after 3 seconds"));

    // A start-up that failed with a standard exception set the stop flag
    // before the user typed the path: the path still restarts the run.
    testing_support::resetShellState();
    gf_setError("reading data files failed!");
    gf_requestStop(ExitReason::SystemError, 0);
    run("type " + id(ALL_INSTALL_PATH) + " " + simulator.path().string());
    EXPECT_EQ(status(), "Install path exists, Velantra_P3D will restart");
    EXPECT_EQ(g_exitReason.load(), ExitReason::NewSettings);
    EXPECT_EQ(g_restartDelay.load(), 3);
    clearCalls();
    onSleep = [](int count) {
        if (count == 100) gf_requestEnd();  // the user gives up waiting
    };
    lf_closingDown(parametersPath());
    EXPECT_EQ(posted().back(), WM_APP_START) << "the run starts again";
    onSleep = nullptr;

    // An empty path forgets the stored one.
    testing_support::resetShellState();
    SIM_INSTALL_PATH.value = simulator.path().string();
    run("type " + id(ALL_INSTALL_PATH) + " ");
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), "");
    EXPECT_EQ(storedValue("SIM_INSTALL_PATH"), "");
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(WindowCommandsTest, ARestartShowsTheDestinationAndTheBlockingThatClosingDownEmptied) {
    g_airports = {airport("EDDF", 50.03, 8.57)};
    run({"type " + id(DESTINATION) + " eddf", "type " + id(BLOCK_CALLSIGN) + " klm1234"});
    ASSERT_EQ(control(DESTINATION).text, "EDDF");
    ASSERT_TRUE(enabled(g_unblockButton));
    gf_requestStop(ExitReason::NewSettings, 2);
    lf_closingDown(parametersPath());
    ASSERT_EQ(posted().back(), WM_APP_START);
    // What the next start-up shows before the user types anything.
    lf_fillRadiusCombo();
    EXPECT_EQ(control(DESTINATION).text, "");
    EXPECT_EQ(control(BLOCK_CALLSIGN).text, "");
    EXPECT_FALSE(enabled(g_unblockButton)) << "nothing is blocked any more";
    EXPECT_EQ(storedValue("DESTINATION"), "");
    EXPECT_EQ(storedValue("BLOCK_CALLSIGN"), "");
}

TEST_F(WindowCommandsTest, CategoryBoxesStayAsTheLiveryProcessingLeftThemAfterARestart) {
    // The scanned liveries hold no light aircraft, helicopter or fighter jet
    // (the processing runs once per process: a restart does not run it again).
    gf_resetLiveryProcessing();
    for (const SizeCategory category : {SizeCategory::Light, SizeCategory::HighPerf, SizeCategory::Rotorcraft})
        lf_categorySummary(category, parametersPath());
    // The restart's start-up fills and enables the setting controls again.
    lf_fillRadiusCombo();
    const DisplayList painted = lf_paintMainWindow(lf_capturePaintState(host.controls()));
    const auto labelColour = [&](const std::string& text) {
        for (const DrawItem& item : painted)
            if (item.kind == DrawKind::text && item.text == text) return gf_colourName(item.colour);
        return std::string("not drawn");
    };
    const struct {
        CheckBoxParam& box;
        const char* label;
    } boxes[] = {{LIGHT_AIRCRAFT, "Light aircraft"}, {HELICOPTERS, "Helicopters"}, {HIGH_PERF_AIRCRAFT, "FighterJets"}};
    for (const auto& b : boxes) {
        SCOPED_TRACE(b.box.key);
        EXPECT_FALSE(enabled(b.box)) << "nothing of the kind can be matched";
        EXPECT_FALSE(b.box.value.load());
        EXPECT_FALSE(control(b.box).checked);
        EXPECT_EQ(labelColour(b.label), gf_colourName(kGrey));
    }
    EXPECT_TRUE(enabled(GUID_CHANGES)) << "the other boxes are enabled as usual";
}

TEST_F(WindowCommandsTest, DisabledControlsAndUnknownCommandsAreRefused) {
    run({"click 32857", "click 1", "select 32788 0", "type 32798 x", "hello", "click " + id(g_flushStaticButton)});
    // Flush static is enabled by the fixture; disable it and try again.
    host.controls().setEnabled(g_flushStaticButton.controlId, false);
    g_removeAllStaticsRequest = false;
    run("click " + id(g_flushStaticButton));
    EXPECT_FALSE(g_removeAllStaticsRequest.load());
    const std::string printed = out.str();
    for (const char* line : {"[command] no such control: click 1", "[command] not a list: select 32788 0",
                             "[command] not an edit field: type 32798 x", "[command] unknown: hello",
                             "[command] control disabled: click 32857"})
        EXPECT_NE(printed.find(line), std::string::npos) << line;
}
#endif
