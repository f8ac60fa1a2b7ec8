// The user aircraft's data as the simulator sends it: the once-a-second
// on-ground flag, the position block with its jump test and time, the title,
// the model and its wing span, and the stand saved for the park airport.
#include <gtest/gtest.h>

#include "foundation/user_error.h"
#include "link_fixture.h"
#include "refdata/code_tables.h"
#include "refdata/state.h"
#include "simlink/sim_ids.h"
#include "simlink/user_aircraft.h"
#include "support/log_capture.h"

using namespace simlink_test;
using testing_support::LogCapture;

namespace {

constexpr double kA320HalfSpan = 35.8 * 0.5 / 1852;
constexpr double kA319HalfSpan = 34.2 * 0.5 / 1852;
constexpr double kE190HalfSpan = 28.7 * 0.5 / 1852;
constexpr double kMaxHalfSpan = 79.75 * 0.5 / 1852;

class UserAircraft : public ::testing::Test {
protected:
    UserAircraft() : savedMaxHalfSpan_(g_maxHalfSpan) {
        resetLink();
        lf_fillWingspan("A320", kA320HalfSpan);
        lf_fillWingspan("A319", kA319HalfSpan);
        lf_fillWingspan("E190", kE190HalfSpan);
        g_maxHalfSpan = kMaxHalfSpan;
    }
    ~UserAircraft() override {
        g_maxHalfSpan = savedMaxHalfSpan_;
        resetLink();
    }

    static void userBlock(const UserBlock& block, std::uint32_t objectId = 1) {
        dispatch(dataMessage(8, REQ_USER_STATE, objectId, DEF_USER_STATE, userStateBlock(block)));
    }
    static void title(const std::string& text) {
        dispatch(dataMessage(8, REQ_USER_TITLE, 1, DEF_TITLE, textBlock(text, text.size() + 4)));
    }
    static void model(const std::string& text) {
        dispatch(dataMessage(8, REQ_USER_MODEL, 1, DEF_ATC_MODEL, textBlock(text, 32)));
    }

    LogCapture log_;
    double savedMaxHalfSpan_;
};

}  // namespace

TEST_F(UserAircraft, OnGroundCountsOnlyOnceThePositionIsKnown) {
    dispatch(dataMessage(8, REQ_USER_ON_GROUND, 1, DEF_SIM_ON_GROUND, int64Block(1)));
    EXPECT_TRUE(g_newUserSample.exchange(false));
    EXPECT_FALSE(g_userOnGroundKnown);

    userBlock({});
    dispatch(dataMessage(8, REQ_USER_ON_GROUND, 1, DEF_SIM_ON_GROUND, int64Block(1)));
    EXPECT_TRUE(g_newUserSample.exchange(false));
    EXPECT_TRUE(g_userOnGroundKnown);
    EXPECT_TRUE(g_userOnGround);
    // Only the low 32 bits count.
    dispatch(dataMessage(8, REQ_USER_ON_GROUND, 1, DEF_SIM_ON_GROUND, int64Block(std::int64_t{1} << 32)));
    EXPECT_FALSE(g_userOnGround);
}

TEST_F(UserAircraft, TheBlockIsKeptWithItsObjectId) {
    userBlock({.lat = 47.5, .lon = 8.5, .altitudeFt = -12.0, .groundVelocityKt = 3.5}, 7);
    const UserState user = gf_copyUserState();
    EXPECT_EQ(user.lat, 47.5);
    EXPECT_EQ(user.lon, 8.5);
    EXPECT_EQ(user.altitudeFt, 0.0);  // never below the sea
    EXPECT_EQ(user.heading, 4.9);
    EXPECT_EQ(user.groundVelocityKt, 3.5);
    EXPECT_EQ(user.zuluYear, 2025);
    EXPECT_EQ(user.lightStates, 5);
    EXPECT_EQ(g_userObjectId, 7u);
    EXPECT_EQ(g_prevUserPos.lat, 47.5);
    EXPECT_EQ(g_simTimeEpoch, 0);  // RealTraffic did not ask for the time
}

TEST_F(UserAircraft, AJumpOfMoreThanTenMilesIsANewFlight) {
    struct Case {
        const char* name;
        std::vector<GeoPoint> positions;
        bool newFlight;
    };
    const Case cases[] = {
        {"first block far away", {{10.0, 10.0}}, false},
        {"5 nm", {{47.0, 8.0}, {47.0833, 8.0}}, false},
        {"10.5 nm", {{47.0, 8.0}, {47.175, 8.0}}, true},
        {"back to (0, 0)", {{47.0, 8.0}, {0.0, 0.0}}, false},
        {"from (0, 0)", {{0.0, 0.0}, {47.0, 8.0}}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetLink();
        for (const GeoPoint& p : c.positions) userBlock({.lat = p.lat, .lon = p.lon});
        EXPECT_EQ(g_stopRequested, c.newFlight);
        if (c.newFlight) {
            EXPECT_EQ(g_exitReason, ExitReason::NewFlight);
            EXPECT_EQ(g_restartDelay, 30);
        }
    }
    EXPECT_TRUE(log_.contains("Teleport"));
}

TEST_F(UserAircraft, SimulatorTimeForRealTrafficLevel2) {
    g_rtLevel2 = true;
    userBlock({.zuluTime = 43200, .zuluDayOfYear = 182, .zuluYear = 2025});
    EXPECT_EQ(g_simTimeEpoch, 1751371200);  // 2025-07-01 12:00:00 UTC

    const auto epoch = [](std::int64_t year, std::int64_t day, std::int64_t time) {
        UserState s;
        s.zuluYear = year;
        s.zuluDayOfYear = day;
        s.zuluTime = time;
        return lf_simTimeEpoch(s);
    };
    EXPECT_EQ(epoch(1970, 1, 0), 0);
    EXPECT_EQ(epoch(2024, 366, 86399), 1735689599);  // 2024-12-31 23:59:59, a leap year
    EXPECT_EQ(epoch(2000, 60, 0), 951782400);        // 2000-02-29
    EXPECT_EQ(epoch(0, 1, 0), std::nullopt);
    EXPECT_EQ(epoch(2025, 0, 0), std::nullopt);
    userBlock({.zuluTime = 0, .zuluDayOfYear = 400, .zuluYear = 2025});
    EXPECT_EQ(g_simTimeEpoch, 1751371200);  // a block without a calendar date leaves the time
}

TEST_F(UserAircraft, TitleKeepsAtMost48Characters) {
    const std::string title48 = "Stand-in Airbus A320-214 Lufthansa D-AIZA 123456";
    ASSERT_EQ(title48.size(), 48u);
    title(title48);
    EXPECT_EQ(gf_copyUserText(g_userTitle), title48);
    title(title48 + "X");
    EXPECT_EQ(gf_copyUserText(g_userTitle), title48);
    // Characters, not bytes: the 48th is a two-byte one.
    const std::string accented = std::string(47, 'a') + "\xE9" + "b";  // the simulator's code page
    title(accented);
    EXPECT_EQ(gf_copyUserText(g_userTitle), std::string(47, 'a') + "\xC3\xA9");
    title("");
    EXPECT_EQ(gf_copyUserText(g_userTitle), std::string(47, 'a') + "\xC3\xA9");

    const auto lines = log_.lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "          SimConnect: User aircraft title: " + title48), 1);
    EXPECT_TRUE(log_.contains("! Title of your aircraft is empty?"));
    EXPECT_EQ(lf_firstCharacters("\xE2\x82\xAC\xE2\x82\xAC", 1), "\xE2\x82\xAC");
}

TEST_F(UserAircraft, ModelGivesTheUserAircraftsSpanAndCategory) {
    struct Case {
        const char* title;
        const char* model;
        double span;
        bool known;
        const char* line;
    };
    const Case cases[] = {
        {"Any", "A320", kA320HalfSpan, true, "SimConnect: User aircraft model: A320, half wing span: 17.9 meter, "
                                             "category: Light"},
        {"Aerosoft A319 Lufthansa", "AIRBUS A319-100", kA319HalfSpan, true,
         "SimConnect: User aircraft model deduced from title: A319, half wing span: 17.1 meter, category: Light"},
        {"Other A319", "AIRBUS A319-100", kMaxHalfSpan, false,
         "SimConnect: User aircraft model: AIRBUS A319-100, category: Light"},
        // A code the data base has no span for is as unknown as a long name.
        {"Aerosoft A320 Lufthansa", "ZZ9", kA320HalfSpan, true,
         "SimConnect: User aircraft model deduced from title: A320, half wing span: 17.9 meter, category: Light"},
        {"My jet", "ZZ9", kMaxHalfSpan, false, "SimConnect: User aircraft model: ZZ9, category: Light"},
        {"Camera", "camerapod", kE190HalfSpan, true, "SimConnect: User aircraft model: camerapod"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        resetLink();
        gf_resetStatusLine();
        title(c.title);
        model(c.model);
        EXPECT_DOUBLE_EQ(g_userHalfSpan, c.span);
        EXPECT_TRUE(g_userHalfSpanSet);
        EXPECT_EQ(g_userSizeKnown, c.known);
        EXPECT_EQ(g_userCategory, SizeCategory::Light);
        EXPECT_TRUE(log_.contains(std::string("          ") + c.line));
        EXPECT_TRUE(log_.contains(std::string("          model raw: ") + c.model));
        EXPECT_EQ(statusText(),
                  c.known ? "" : "User aircraft wing span unknown, max is taken instead, please report in my Forum!");
    }
}

TEST_F(UserAircraft, AModelThatIsEmptyOrCutShortEndsTheLink) {
    try {
        model("");
        ADD_FAILURE() << "no error";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "71: atc_model= in [General] section of your aircraft.cfg is empty or missing");
    }
    try {
        dispatch(dataMessage(8, REQ_USER_MODEL, 1, DEF_ATC_MODEL, textBlock("A320", 8)));
        ADD_FAILURE() << "no error";
    } catch (const vlt::UserErrorException& e) {
        EXPECT_STREQ(e.what(), "73: It looks like you have not selected an aircraft as user vehicle");
    }
}

TEST_F(UserAircraft, StaticCentreOfGravityGoesToTheEngine) {
    Bytes block;
    appendF64(block, 8.5);
    appendF64(block, 0.012);
    dispatch(dataMessage(8, REQ_STATIC_CG, 100, DEF_STATIC_CG, block));
    const auto events = takeAcEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].objectId, 100u);
    EXPECT_EQ(events[0].kind, AcEventKind::staticCgAndPitch);
    EXPECT_EQ(events[0].value1, 8.5);
    EXPECT_EQ(events[0].value2, 0.012);
}

TEST_F(UserAircraft, TheParkAirportsFirstEntryTakesTheUsersStand) {
    const AirportCode lszh("LSZH"), eddf("EDDF");
    AirportRecord park;
    park.code = lszh;
    struct Case {
        const char* name;
        std::list<ParkAirportEntry> list;
        AirportRecord park;
        bool taken;
    };
    const Case cases[] = {
        {"first entry is the park airport", {{"A12", 47.45, 8.55, 0.3, lszh}}, park, true},
        {"same stand", {{"B34", 47.45, 8.55, 0.3, lszh}}, park, false},
        {"another airport first", {{"A12", 50.03, 8.57, 150.0, eddf}, {"", 47.45, 8.55, 0.3, lszh}}, park, false},
        {"empty list", {}, park, false},
        {"no park airport", {{"A12", 47.45, 8.55, 0.3, lszh}}, AirportRecord{}, false},
    };
    for (Case c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(lf_takeUserParkStand(c.list, c.park, "B34"), c.taken);
        if (c.taken) {
            EXPECT_EQ(c.list.front().stand, "B34");
        }
    }
}
