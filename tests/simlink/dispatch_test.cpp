// The handlers of the simulator's messages, fed with messages built byte by
// byte: the open reply's checks, exceptions, system events, and the matching
// of new AI objects to the program's creations.
#include <gtest/gtest.h>

#include "foundation/user_error.h"
#include "link_fixture.h"
#include "simlink/sim_ids.h"
#include "settings/control_updates.h"
#include "support/log_capture.h"
#include "support/store_fixture.h"

using namespace simlink_test;
using testing_support::LogCapture;

namespace {

class Dispatch : public ::testing::Test {
protected:
    Dispatch() {
        resetLink();
        g_userObjectId = 1;
        gf_setControlUpdates(&controls_);
    }
    ~Dispatch() override {
        gf_setControlUpdates(nullptr);
        resetLink();
    }

    // The user aircraft is known to stand somewhere.
    static void placeUser() { dispatch(dataMessage(8, REQ_USER_STATE, 1, DEF_USER_STATE, userStateBlock({}))); }

    LogCapture log_;
    testing_support::ControlRecorder controls_;
};

struct OpenCase {
    const char* name;
    std::uint32_t major, minor;
    std::int32_t required;
    const char* installPath;
    const char* error;  // empty: accepted
};

}  // namespace

TEST_F(Dispatch, OpenAcceptsOnlyThePrepar3DVersionTheUserRuns) {
    const OpenCase cases[] = {
        {"Lockheed Martin\xC2\xAE Prepar3D\xC2\xAE v5", 5, 4, 5, "", ""},
        {"Lockheed Martin Prepar3D v6", 6, 0, 6, "", ""},
        {"Lockheed Martin Prepar3D v6", 6, 0, 5, "D:\\Prepar3D V6", ""},
        {"Lockheed Martin Prepar3D v5", 5, 4, 6, "D:\\P3Dv5", ""},
        {"Lockheed Martin Prepar3D v6", 6, 0, 5, "",
         "78: wrong P3D version 'Lockheed Martin Prepar3D v6 (6.0.7.8)' connects ... ?)"},
        {"Lockheed Martin Prepar3D", 5, 4, 5, "D:\\P3Dv5",
         "78: wrong P3D version 'Lockheed Martin Prepar3D (5.4.7.8)' connects ... ?)"},
        {"KittyHawk", 11, 0, 5, "", "78: KittyHawk, (MSFS) not being P3D connects ... ?"},
        {"Sun-Rise!", 1, 0, 5, "", "78: SunRise, (MSFS) not being P3D connects ... ?"},
        {"Kitty Hawk", 11, 0, 5, "", "78: wrong P3D version 'Kitty Hawk (11.0.7.8)' connects ... ?)"},
    };
    for (const OpenCase& c : cases) {
        SCOPED_TRACE(c.name);
        resetLink();
        controls_.clear();
        g_requiredSimVersion = c.required;
        SIM_INSTALL_PATH.value = std::string(c.installPath);
        gf_setStatus("Waiting for Prepar3Dv5 ...", false);
        Bytes open = testing_support::openMessage(c.name, c.major, c.minor);
        for (int k = 0; k < 4; ++k) open[276 + k] = std::byte{k == 0 ? std::uint8_t{7} : std::uint8_t{0}};
        for (int k = 0; k < 4; ++k) open[280 + k] = std::byte{k == 0 ? std::uint8_t{8} : std::uint8_t{0}};
        if (c.error[0] == '\0') {
            dispatch(open);
            EXPECT_EQ(statusText(), "");
            const std::string text = gf_copyUserText(g_simNameText);
            EXPECT_EQ(text.find("Lockheed Martin Prepar3D v"), 0u) << text;
            EXPECT_TRUE(log_.contains(text + " connected"));
        } else {
            try {
                dispatch(open);
                ADD_FAILURE() << "no error";
            } catch (const vlt::UserErrorException& e) {
                EXPECT_STREQ(e.what(), c.error);
            }
        }
        // A wrong version lets the user type the simulator's install path.
        const bool wrongVersion = std::string(c.error).find("wrong P3D version") != std::string::npos;
        EXPECT_EQ(controls_.updates(),
                  wrongVersion ? std::vector<std::string>{"enable ALL_INSTALL_PATH 1"} : std::vector<std::string>{});
        EXPECT_TRUE(g_simConnected);
    }
    EXPECT_TRUE(log_.contains("Lockheed Martin Prepar3D v5 (5.4.7.8) connected"));
}

TEST_F(Dispatch, OpenWithoutANameChangesNothing) {
    dispatch(testing_support::openMessage("", 5, 4));
    EXPECT_FALSE(g_simConnected);
    EXPECT_TRUE(log_.contains("! Simulator name empty?"));
}

TEST_F(Dispatch, SimEventAndQuitFollowTheRunningFlight) {
    dispatch(eventMessage(EVT_SIM, 1));
    EXPECT_TRUE(g_simRunning);
    EXPECT_TRUE(g_simRunningShown);
    dispatch(eventMessage(EVT_SIM, 0));
    EXPECT_FALSE(g_simRunning);
    dispatch(eventMessage(EVT_SIM, 1));
    dispatch(message(3, {}));
    EXPECT_FALSE(g_simRunning);
    EXPECT_FALSE(g_simRunningShown);
    EXPECT_FALSE(g_stopRequested);
}

TEST_F(Dispatch, ANewFlightStopsTheRunWithDelay30) {
    struct Case {
        Bytes message;
        const char* line;
    };
    Bytes fileName = message(6, {0xFFFFFFFFu, EVT_FLIGHT_LOADED, 0});
    appendText(fileName, "Flights\\Default.fxml", 260);
    appendU32(fileName, 0);
    setSize(fileName);
    const Case cases[] = {
        {eventMessage(EVT_POSITION_CHANGED, 0), "==> User ac position changed"},
        {eventMessage(EVT_FLIGHT_LOADED, 0), "SimConnect: flight loaded event"},
        {fileName, "==> SimConnect: New file event"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        resetLink();
        dispatch(c.message);
        EXPECT_TRUE(g_stopRequested);
        EXPECT_EQ(g_exitReason, ExitReason::NewFlight);
        EXPECT_EQ(g_restartDelay, 30);
        EXPECT_TRUE(log_.contains(c.line));
    }
    // The first trigger decides.
    g_exitReason = ExitReason::SimConnectError;
    g_restartDelay = 9;
    dispatch(eventMessage(EVT_POSITION_CHANGED, 0));
    EXPECT_EQ(g_exitReason, ExitReason::SimConnectError);
    EXPECT_EQ(g_restartDelay, 9);
}

TEST_F(Dispatch, ObjectsAddedAreNotedAndObjectsRemovedGoToTheEngine) {
    dispatch(addRemoveMessage(EVT_OBJECT_ADDED, 100));
    dispatch(addRemoveMessage(EVT_OBJECT_ADDED, 1));       // the user aircraft
    dispatch(addRemoveMessage(EVT_OBJECT_ADDED, 101, 3));  // not an aircraft
    EXPECT_EQ(g_addedObjects, std::vector<std::uint32_t>{100});
    dispatch(addRemoveMessage(EVT_OBJECT_REMOVED, 100));
    dispatch(addRemoveMessage(EVT_OBJECT_REMOVED, 102, 3));
    const auto events = takeAcEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].objectId, 100u);
    EXPECT_EQ(events[0].kind, AcEventKind::removed);
}

TEST_F(Dispatch, NewObjectsAreMatchedToSentCreationsByAtcId) {
    g_sentCreates = {{7, 4001234, "DLH4AB"}, {8, 4005678, "SWR12"}, {9, 4009999, "DLH4AB"}, {10, 77, "STATIC77"}};
    for (const std::uint32_t id : {100u, 101u, 102u, 103u}) dispatch(addRemoveMessage(EVT_OBJECT_ADDED, id));
    dispatch(dataMessage(9, REQ_AI_IN_RANGE, 1, DEF_AI_IN_RANGE, inRangeBlock(0.0, 1416.0, 1, "N320SI")));  // the user
    dispatch(dataMessage(9, REQ_AI_IN_RANGE, 100, DEF_AI_IN_RANGE, inRangeBlock(9.5, 1416.0, 1, "DLH4AB")));
    dispatch(dataMessage(9, REQ_AI_IN_RANGE, 101, DEF_AI_IN_RANGE, inRangeBlock(9.5, 1416.0, 1, "STATIC77")));
    dispatch(dataMessage(9, REQ_AI_IN_RANGE, 102, DEF_AI_IN_RANGE, inRangeBlock(0.4, 1416.0, 1, "HB-JVA")));
    dispatch(dataMessage(9, REQ_AI_IN_RANGE, 103, DEF_AI_IN_RANGE, inRangeBlock(3000.0, 1416.0, 0, "")));

    const auto events = takeAcEvents();
    ASSERT_EQ(events.size(), 2u);
    // The first of two creations with one callsign is taken.
    EXPECT_EQ(events[0].objectId, 100u);
    EXPECT_EQ(events[0].id, 4001234u);
    EXPECT_EQ(events[0].kind, AcEventKind::liveCreated);
    EXPECT_EQ(events[0].value1, 0.0);
    EXPECT_EQ(events[0].value2, 9.5);
    EXPECT_EQ(events[1].objectId, 101u);
    EXPECT_EQ(events[1].id, 77u);
    EXPECT_EQ(events[1].kind, AcEventKind::staticCreated);
    EXPECT_EQ(events[1].value2, 0.0);

    // Each matched object is frozen where the program puts it.
    const std::vector<SimEventRequest> freezes = g_simEventQueue;
    ASSERT_EQ(freezes.size(), 6u);
    for (std::size_t k = 0; k < 6; ++k) {
        EXPECT_EQ(freezes[k].objectId, k < 3 ? 100u : 101u);
        EXPECT_EQ(freezes[k].eventId, EVT_FREEZE_LATITUDE_LONGITUDE_SET + k % 3);
        EXPECT_EQ(freezes[k].value, 1u);
    }
    // The last entry takes the place of a matched one.
    ASSERT_EQ(g_sentCreates.size(), 2u);
    EXPECT_EQ(g_sentCreates[0].hexId, 4009999u);
    EXPECT_EQ(g_sentCreates[1].hexId, 4005678u);
    EXPECT_TRUE(g_addedObjects.empty());
    EXPECT_TRUE(log_.contains("just spawned, but not by Velantra_P3D, oid: 102, callsign 'HB-JVA', altaboveGnd:0 ft, "
                              "onground:1, gnd_alt:1416 ft"));
    EXPECT_TRUE(log_.contains("just spawned, but not by Velantra_P3D, oid: 103, callsign '', altaboveGnd:3000 ft"));
}

// Hex ids up to 10000 number the static parked aircraft.
TEST_F(Dispatch, TheLiveAndStaticKindsPartAt10000) {
    const struct {
        std::uint32_t hexId;
        AcEventKind kind;
    } cases[] = {{1, AcEventKind::staticCreated},
                 {10000, AcEventKind::staticCreated},
                 {10001, AcEventKind::liveCreated},
                 {4294967295u, AcEventKind::liveCreated}};
    std::uint32_t object = 100;
    for (const auto& c : cases) {
        g_sentCreates = {{7, c.hexId, "CS" + std::to_string(c.hexId)}};
        dispatch(addRemoveMessage(EVT_OBJECT_ADDED, object));
        dispatch(dataMessage(9, REQ_AI_IN_RANGE, object, DEF_AI_IN_RANGE,
                             inRangeBlock(0.0, 1416.0, 1, "CS" + std::to_string(c.hexId))));
        const auto events = takeAcEvents();
        ASSERT_EQ(events.size(), 1u) << c.hexId;
        EXPECT_EQ(events[0].id, c.hexId);
        EXPECT_EQ(events[0].kind, c.kind) << c.hexId;
        ++object;
    }
}

// An aircraft whose creation the engine gave up sends another under the same
// callsign: an object answers its latest creation, and the earlier one left
// takes the next object of that callsign, which the engine then removes.
TEST_F(Dispatch, AnObjectAnswersTheLatestCreationOfItsAircraft) {
    struct Reported {
        std::uint32_t hexId, serial;
        bool operator==(const Reported&) const = default;
    };
    struct Case {
        const char* name;
        std::vector<SentCreate> sent;
        std::vector<Reported> reported;  // for two objects called DLH4AB, in turn
    };
    const Case cases[] = {
        {"one creation", {{7, 4001234, "DLH4AB", 3}}, {{4001234, 3}}},
        {"the given-up creation listed first",
         {{7, 4001234, "DLH4AB", 3}, {8, 4001234, "DLH4AB", 5}},
         {{4001234, 5}, {4001234, 3}}},
        {"the given-up creation listed last",
         {{8, 4001234, "DLH4AB", 5}, {7, 4001234, "DLH4AB", 3}},
         {{4001234, 5}, {4001234, 3}}},
        {"another aircraft of that callsign keeps its turn",
         {{7, 4009999, "DLH4AB", 3}, {8, 4001234, "DLH4AB", 5}},
         {{4009999, 3}, {4001234, 5}}},
        {"the later creation under another callsign",
         {{7, 4001234, "DLH4AB", 3}, {8, 4001234, "DLH4AC", 5}},
         {{4001234, 3}}},
    };
    std::uint32_t object = 100;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_sentCreates = c.sent;
        std::vector<Reported> reported;
        for (int k = 0; k < 2; ++k) {
            dispatch(addRemoveMessage(EVT_OBJECT_ADDED, object));
            dispatch(dataMessage(9, REQ_AI_IN_RANGE, object, DEF_AI_IN_RANGE, inRangeBlock(0.0, 1416.0, 1, "DLH4AB")));
            ++object;
            for (const AcEvent& e : takeAcEvents()) {
                EXPECT_EQ(e.kind, AcEventKind::liveCreated);
                reported.push_back({e.id, e.createSerial});
            }
        }
        EXPECT_EQ(reported, c.reported);
        EXPECT_EQ(g_sentCreates.size(), c.sent.size() - c.reported.size());
        g_addedObjects.clear();
        g_simEventQueue.clear();
    }
}

TEST_F(Dispatch, KnownObjectsReportGroundAndHeightUnlessHighOrUnnamed) {
    struct Case {
        std::uint32_t object;
        double altAboveGround;
        std::int64_t onGround;
        const char* atcId;
        bool reported;
    };
    const Case cases[] = {
        {100, 9.0, 1, "DLH4AB", true},   {101, 2500.0, 0, "SWR12", true},  {102, 2500.5, 0, "SWR13", false},
        {103, 10.0, 1, "", false},       {104, 10.0, 1, "EZY12*", false}, {1, 10.0, 1, "N320SI", false},
        {0, 10.0, 1, "N320SI", false},
    };
    for (const Case& c : cases)
        dispatch(dataMessage(9, REQ_AI_IN_RANGE, c.object, DEF_AI_IN_RANGE,
                             inRangeBlock(c.altAboveGround, 1416.0, c.onGround, c.atcId)));
    // Answers to other requests are not the engine's.
    dispatch(dataMessage(9, REQ_STATIC_CG, 105, DEF_AI_IN_RANGE, inRangeBlock(1.0, 1416.0, 1, "X")));
    const auto events = takeAcEvents();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].objectId, 100u);
    EXPECT_EQ(events[0].id, 1u);
    EXPECT_EQ(events[0].kind, AcEventKind::onGround);
    EXPECT_EQ(events[0].value1, 1416.0);
    EXPECT_EQ(events[0].value2, 9.0);
    EXPECT_EQ(events[1].objectId, 101u);
    EXPECT_EQ(events[1].id, 0u);
    EXPECT_TRUE(g_simEventQueue.empty());
}

TEST_F(Dispatch, AFailedCreationIsMatchedByItsPacketSerial) {
    g_sentCreates = {{7, 4001234, "DLH4AB"}, {8, 4005678, "SWR12"}, {9, 0, "ZERO"}};
    dispatch(exceptionMessage(22, 8, 1));
    dispatch(exceptionMessage(22, 9, 1));   // no aircraft behind it
    dispatch(exceptionMessage(22, 42, 1));  // not one of ours
    const auto events = takeAcEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].objectId, 0u);
    EXPECT_EQ(events[0].id, 4005678u);
    EXPECT_EQ(events[0].kind, AcEventKind::createFailed);
    ASSERT_EQ(g_sentCreates.size(), 1u);
    EXPECT_EQ(g_sentCreates[0].callsign, "DLH4AB");
}

TEST_F(Dispatch, ExceptionsAreLoggedOrShownByCode) {
    dispatch(exceptionMessage(3, 80));  // no user aircraft yet: silent
    EXPECT_FALSE(log_.contains("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));
    placeUser();
    dispatch(exceptionMessage(3, 81));
    EXPECT_TRUE(log_.contains("==> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));

    dispatch(exceptionMessage(11, 82));
    EXPECT_EQ(statusText(), "SimConnect: too many objects (max 1000)");
    EXPECT_TRUE(log_.contains("SimConnect: too many objects (max 1000)"));
    dispatch(exceptionMessage(19, 83));
    dispatch(exceptionMessage(23, 84));
    dispatch(exceptionMessage(24, 85));
    dispatch(exceptionMessage(7, 86));
    const auto lines = log_.lines();
    for (const char* line : {"SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE", "==> SimConnect exception: load flight plan failed",
                             "SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE", "==> SIMCONNECT_EXCEPTION #7"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;

    try {
        dispatch(exceptionMessage(5, 1, 2));
        ADD_FAILURE() << "no error";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "95: SimConnect Version Mismatch, dwIndex: 2");
    }
}

TEST_F(Dispatch, UnrecognizedIdIsSilentWhileTheRunStops) {
    placeUser();
    g_stopRequested = true;
    dispatch(exceptionMessage(3, 80));
    EXPECT_FALSE(log_.contains("SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));
}

TEST_F(Dispatch, UnknownShortAndIgnoredMessages) {
    dispatch(message(77, {}));
    dispatch(message(12, {104, 100}));
    dispatch(message(16, {}));
    dispatch(message(1, {22}));  // an exception without its send id
    lf_dispatchProc(nullptr, 0, nullptr);
    const auto lines = log_.lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "! Unknown Dispatch dwID 77"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "! SimConnect message 1 too short: 16 bytes"), lines.end());
    EXPECT_EQ(lines.size(), 3u);  // the header line and these two
    EXPECT_TRUE(takeAcEvents().empty());
}
