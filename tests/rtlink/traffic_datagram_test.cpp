#include "rtlink/traffic_datagram.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "refdata/code_tables.h"
#include "rtlink/state.h"
#include "rtlink/traffic_record.h"
#include "settings/settings.h"
#include "support/log_capture.h"
#include "support/mutations.h"
#include "traffic/state.h"

namespace {
// A datagram near EHAM with the fields the parser reads; tests change one field at a time.
struct Datagram {
    std::vector<std::string> f = std::vector<std::string>(31, "");
    Datagram() {
        f[0] = "rtv2";
        f[1] = "4840133";      // hex id
        f[2] = "52.3500";      // lat
        f[3] = "4.9000";       // lon
        f[4] = "7000";         // altitude
        f[5] = "-640";         // vertical speed
        f[7] = "183.5";        // track
        f[8] = "250";          // ground speed
        f[9] = "KLM1234";      // callsign
        f[10] = "B738";        // type
        f[11] = "PH-BXA";      // registration
        f[12] = "lhr";         // origin
        f[13] = "AMS";         // destination
        f[14] = "1767618249.25";
        f[17] = "adsb_icao";
        f[20] = "310";         // TAS
        f[23] = "10";          // roll
        f[25] = "181.0";       // true heading
        f[28] = "A3";          // category
    }
    Datagram& set(std::size_t i, std::string value) {
        f[i] = std::move(value);
        return *this;
    }
    std::string text() const {
        std::string out;
        for (std::size_t i = 0; i < f.size(); ++i) out += (i ? "," : "") + f[i];
        return out;
    }
};

struct TrafficDatagramTest : ::testing::Test {
    void SetUp() override {
        gf_setTrafficRefPos(GeoPoint{52.31, 4.76});
        gf_setReaderParkAirport(ReaderParkAirport{});
        g_rangeNm = 40.0;
        AIRBORNE_ONLY.value = false;
        g_trafficTime = 0;
        g_tick = 500;
        setAccepting(true);
        g_trafficFeed.errorLines.reset(&testing_support::newSecondEveryCall);
    }
    void TearDown() override {
        g_trafficFeed.errorLines.reset();
        setAccepting(false);
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack.clear();
    }
    static void setAccepting(bool on) {
        const std::lock_guard lock(g_addingStackMutex);
        g_acceptTraffic = on;
    }
    LineVerdict feed(const Datagram& d) { return lf_onTrafficData(g_trafficFeed, d.text()); }
    StreamRecord last() {
        const std::lock_guard lock(g_addingStackMutex);
        return g_addingStack.back();
    }
    void parkAt(double lat, double lon, double elevationFt) {
        gf_setReaderParkAirport(ReaderParkAirport{AirportCode("EHAM"), GeoPoint{lat, lon}, elevationFt});
    }
    testing_support::LogCapture log;
};
constexpr double kPi = std::numbers::pi;
}  // namespace

TEST_F(TrafficDatagramTest, AFullDatagramBecomesOneRecord) {
    ASSERT_EQ(feed(Datagram()), LineVerdict::queued);
    const StreamRecord r = last();
    EXPECT_EQ(r.hexId, 4840133u);
    EXPECT_EQ(r.timestamp, 1767618249.25);
    EXPECT_EQ(g_trafficTime, 1767618249.25);
    EXPECT_EQ(r.ident.callsign, "KLM1234");
    EXPECT_EQ(r.ident.registration, "PH-BXA");
    EXPECT_EQ(r.ident.origin.text(), "LHR");
    EXPECT_EQ(r.ident.destination.text(), "AMS");
    EXPECT_EQ(r.ident.modelKey.modelId, gf_modelId("B738"));
    EXPECT_EQ(r.sample.altitudeFt, 7000.0);
    EXPECT_EQ(r.sample.airborne, 1);
    EXPECT_EQ(r.sample.trackDeg, 183.5);
    EXPECT_EQ(r.sample.verticalSpeed, -640.0);
    EXPECT_EQ(r.sample.trueAirspeedKt, 310.0);
    EXPECT_NEAR(*r.sample.bank, -0.17453292519943295, 1e-12);
    EXPECT_NEAR(*r.sample.trueHeading, 181.0 * kPi / 180, 1e-12);
    EXPECT_EQ(r.sample.adsbHeading, 1);
    EXPECT_EQ(r.sample.dueTick, 3500);
}

TEST_F(TrafficDatagramTest, GroundVehiclesAreIgnoredWhole) {
    EXPECT_EQ(feed(Datagram().set(9, "FOLLOW VEH")), LineVerdict::dropped);
    EXPECT_EQ(g_trafficTime, 0.0);  // not even the timestamp is read
    EXPECT_EQ(feed(Datagram().set(9, "VEHIC1")), LineVerdict::queued);
}

TEST_F(TrafficDatagramTest, HexIds) {
    EXPECT_EQ(feed(Datagram().set(1, "10000")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(1, "10001")), LineVerdict::queued);
    EXPECT_EQ(feed(Datagram().set(1, "123456abc")), LineVerdict::queued);
    EXPECT_EQ(last().hexId, 123456u);
    EXPECT_EQ(feed(Datagram().set(1, "4294967295")), LineVerdict::queued);
    EXPECT_EQ(feed(Datagram().set(1, "abc")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: hexid incorrectabc"));
    EXPECT_EQ(feed(Datagram().set(1, "4294967296")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: hexid incorrect4294967296"));
}

TEST_F(TrafficDatagramTest, PositionsAndRange) {
    EXPECT_EQ(feed(Datagram().set(2, "0.00005").set(3, "-0.00009")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: invalid lalo: 0.000050,-0.000090"));
    EXPECT_EQ(feed(Datagram().set(2, "91").set(3, "4")), LineVerdict::failed);
    EXPECT_EQ(feed(Datagram().set(2, "x")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: lat:x"));
    EXPECT_EQ(feed(Datagram().set(3, "nan")), LineVerdict::failed);  // NaN never reaches the simulator
    EXPECT_TRUE(log.contains("exception in processLineSub: lon:nan"));
    EXPECT_EQ(feed(Datagram().set(3, "inf")), LineVerdict::failed);

    gf_setTrafficRefPos(GeoPoint{0.0, 5.0});
    g_rangeNm = 60.0;
    EXPECT_EQ(feed(Datagram().set(2, "0.0").set(3, "5.0")), LineVerdict::queued);  // lat 0 alone is fine
    EXPECT_EQ(feed(Datagram().set(2, "1.0").set(3, "5.0")), LineVerdict::queued);  // exactly at the limit
    EXPECT_EQ(feed(Datagram().set(2, "1.0000001").set(3, "5.0")), LineVerdict::dropped);
}

TEST_F(TrafficDatagramTest, AltitudeRules) {
    // 1000 ft at 30 kt is on the ground: kept only within 5 nm of a park airport.
    EXPECT_EQ(feed(Datagram().set(4, "1000").set(8, "30")), LineVerdict::dropped);
    parkAt(52.3086, 4.7639, 500);
    EXPECT_EQ(feed(Datagram().set(2, "52.31").set(3, "4.77").set(4, "1000").set(8, "30")), LineVerdict::queued);
    EXPECT_EQ(last().sample.altitudeFt, 0.0);
    EXPECT_EQ(last().sample.airborne, 0);
    EXPECT_FALSE(last().sample.bank.has_value());  // roll is not read on the ground
    EXPECT_EQ(last().sample.trueAirspeedKt, 310.0);
    // Elevation 500 ft: 540 ft at 100 kt is ground, 620 ft at 100 kt flies.
    EXPECT_EQ(feed(Datagram().set(2, "52.31").set(3, "4.77").set(4, "540").set(8, "100")), LineVerdict::queued);
    EXPECT_EQ(last().sample.altitudeFt, 0.0);
    EXPECT_EQ(feed(Datagram().set(4, "620").set(8, "100")), LineVerdict::queued);
    EXPECT_EQ(last().sample.altitudeFt, 620.0);
    EXPECT_EQ(feed(Datagram().set(4, "nope")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: altitude nope incorrect, from: rtv2,4840133,"));
}

TEST_F(TrafficDatagramTest, WithoutParkAirportOnlyTheSpeedRuleGrounds) {
    EXPECT_EQ(feed(Datagram().set(4, "100").set(8, "120")), LineVerdict::queued);
    EXPECT_EQ(last().sample.altitudeFt, 100.0);
    EXPECT_EQ(feed(Datagram().set(4, "100").set(8, "35")), LineVerdict::dropped);  // ground, no park airport
}

TEST_F(TrafficDatagramTest, AirborneOnlyDropsAircraftNearTheFieldElevation) {
    AIRBORNE_ONLY.value = true;
    EXPECT_EQ(feed(Datagram().set(4, "299")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(4, "301")), LineVerdict::queued);
    AIRBORNE_ONLY.value = false;
}

TEST_F(TrafficDatagramTest, TrueHeadingAndTrack) {
    EXPECT_EQ(feed(Datagram().set(25, "0")), LineVerdict::queued);
    EXPECT_DOUBLE_EQ(*last().sample.trueHeading, 2 * kPi);
    EXPECT_EQ(feed(Datagram().set(25, "361")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: trueheading: 361.00"));
    EXPECT_EQ(feed(Datagram().set(25, "-5")), LineVerdict::queued);
    EXPECT_FALSE(last().sample.trueHeading.has_value());
    EXPECT_EQ(last().sample.adsbHeading, 0);
    EXPECT_EQ(feed(Datagram().set(17, "X_adsb_icao").set(25, "90")), LineVerdict::queued);
    EXPECT_EQ(last().sample.adsbHeading, 1);
    EXPECT_EQ(feed(Datagram().set(17, "mlat").set(25, "garbage")), LineVerdict::queued);
    EXPECT_FALSE(last().sample.trueHeading.has_value());
    EXPECT_EQ(feed(Datagram().set(7, "0").set(25, "90")), LineVerdict::queued);
    EXPECT_DOUBLE_EQ(last().sample.trackDeg, 90.0);
    EXPECT_EQ(feed(Datagram().set(7, "").set(17, "mlat")), LineVerdict::queued);
    EXPECT_EQ(last().sample.trackDeg, 0.0);
    EXPECT_EQ(feed(Datagram().set(7, "x1")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: track incorrect x1"));
}

TEST_F(TrafficDatagramTest, BankAndDefaultAirspeed) {
    EXPECT_EQ(feed(Datagram().set(23, "-1")), LineVerdict::queued);
    EXPECT_FALSE(last().sample.bank.has_value());
    EXPECT_EQ(feed(Datagram().set(23, "0")), LineVerdict::queued);
    EXPECT_FALSE(last().sample.bank.has_value());
    struct Case {
        const char* altitude;
        double tas;
    } cases[] = {{"2000", 180}, {"5000", 220}, {"7000", 250}, {"20000", 350}, {"25000", 430}};
    for (const auto& c : cases) {
        EXPECT_EQ(feed(Datagram().set(4, c.altitude).set(20, "-1")), LineVerdict::queued);
        EXPECT_EQ(last().sample.trueAirspeedKt, c.tas) << c.altitude;
    }
    EXPECT_EQ(feed(Datagram().set(20, "fast")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: TAS incorrectfast"));
}

TEST_F(TrafficDatagramTest, IdentityRules) {
    EXPECT_EQ(feed(Datagram().set(11, "ABCDEFGHIJKLM")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(11, "ABCDEFGHIJKL")), LineVerdict::queued);
    EXPECT_EQ(feed(Datagram().set(11, "null")), LineVerdict::queued);
    EXPECT_EQ(last().ident.registration, "");
    EXPECT_EQ(feed(Datagram().set(9, "KLM@1")), LineVerdict::queued);
    EXPECT_EQ(last().ident.callsign, "");
    EXPECT_EQ(feed(Datagram().set(9, "KLM@1").set(11, "null")), LineVerdict::dropped);
    for (const char* skipped : {"ERARMTR1", "AIRPORT1", "00000000"})
        EXPECT_EQ(feed(Datagram().set(9, skipped)), LineVerdict::dropped) << skipped;
    EXPECT_EQ(feed(Datagram().set(12, "AM")), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: FixedCode: invalid string (length/charset)"));
    EXPECT_EQ(feed(Datagram().set(13, "A-S")), LineVerdict::failed);
    EXPECT_EQ(feed(Datagram().set(12, "null").set(13, "null")), LineVerdict::queued);
    EXPECT_FALSE(last().ident.origin.isSet());
}

TEST_F(TrafficDatagramTest, TypeAndCategoryFilters) {
    EXPECT_EQ(feed(Datagram().set(10, "C172").set(28, "B1")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(10, "BALLO")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(10, "GND")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(10, "null")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(10, "")), LineVerdict::dropped);
    EXPECT_EQ(feed(Datagram().set(28, "")), LineVerdict::queued);
    EXPECT_EQ(feed(Datagram().set(28, "b1")), LineVerdict::queued);  // case-sensitive
}

TEST_F(TrafficDatagramTest, NotAcceptingStillUpdatesTimeAndCallsigns) {
    setAccepting(false);
    g_trafficFeed.startCollecting();
    EXPECT_EQ(feed(Datagram().set(14, "1767618300")), LineVerdict::discarded);
    EXPECT_EQ(g_trafficTime, 1767618300.0);
    {
        const std::lock_guard lock(g_addingStackMutex);
        EXPECT_TRUE(g_addingStack.empty());
    }
    feed(Datagram().set(9, "DLH4AB").set(1, "5"));  // dropped later, still collected
    feed(Datagram().set(9, "null"));
    feed(Datagram().set(9, "X@Y"));
    const auto callsigns = g_trafficFeed.takeCallsigns();
    EXPECT_EQ(callsigns, (std::unordered_set<std::string>{"KLM1234", "DLH4AB"}));
    feed(Datagram().set(9, "AFR12"));
    EXPECT_TRUE(g_trafficFeed.takeCallsigns().empty());  // no longer collecting
}

namespace {
std::int64_t g_floodClockMs = 0;
std::int64_t floodClock() { return g_floodClockMs; }
}  // namespace

// Any host on the network can send junk: 20000 bad datagrams in 2.5 s add a
// few kilobytes to the log, and no byte of them can start a line of its own.
TEST_F(TrafficDatagramTest, AFloodOfJunkKeepsTheLogSmallAndItsLinesWhole) {
    g_floodClockMs = 0;
    g_trafficFeed.errorLines.reset(&floodClock);
    const std::size_t before = log.lines().size();
    const std::string junk = Datagram().set(4, "\n==> forged line " + std::string(600, 'x') + "\r").text();
    for (int i = 0; i < 20000; ++i) {
        g_floodClockMs = i / 8;  // 8 datagrams a millisecond
        EXPECT_EQ(lf_onTrafficData(g_trafficFeed, junk), LineVerdict::failed);
    }
    g_trafficFeed.errorLines.flushDropped();
    const auto lines = log.lines();
    std::size_t bytes = 0;
    int errors = 0, reports = 0;
    for (std::size_t k = before; k < lines.size(); ++k) {
        bytes += lines[k].size() + 1;
        EXPECT_FALSE(lines[k].starts_with("==> forged")) << lines[k];
        errors += lines[k].starts_with("exception in processLineSub: altitude \\x0A==> forged line xxx");
        reports += lines[k].ends_with("more traffic datagram error lines were not logged");
    }
    EXPECT_EQ(errors, 30) << "ten in each of the three seconds";
    EXPECT_EQ(reports, 3);
    EXPECT_LT(bytes, 16u * 1024u);
    EXPECT_TRUE(log.contains(fmt::format("... ({} bytes)", junk.size())));
}

TEST_F(TrafficDatagramTest, AFullAddingStackDropsItsOldestWithOneLinePerBurst) {
    const auto feedIds = [&](std::uint32_t first, std::uint32_t count) {
        for (std::uint32_t id = first; id < first + count; ++id)
            ASSERT_EQ(feed(Datagram().set(1, std::to_string(id))), LineVerdict::queued) << id;
    };
    const auto burstLines = [&] {
        int count = 0;
        for (const auto& line : log.lines())
            count += line.starts_with("==> The adding stack holds 4000 traffic records: the oldest are dropped");
        return count;
    };
    const auto front = [] {
        const std::lock_guard lock(g_addingStackMutex);
        return g_addingStack.front().hexId;
    };
    feedIds(20000, kAddingStackLimit + 250);
    {
        const std::lock_guard lock(g_addingStackMutex);
        EXPECT_EQ(g_addingStack.size(), kAddingStackLimit);
        EXPECT_EQ(g_addingStack.back().hexId, 20000 + kAddingStackLimit + 249);
    }
    EXPECT_EQ(front(), 20250u) << "the oldest 250 went";
    EXPECT_EQ(burstLines(), 1);

    // The engine takes records, but not below half the limit: still one burst.
    const auto take = [](std::size_t count) {
        const std::lock_guard lock(g_addingStackMutex);
        g_addingStack.erase(g_addingStack.begin(), g_addingStack.begin() + static_cast<std::ptrdiff_t>(count));
    };
    take(1000);
    feedIds(40000, 1100);
    EXPECT_EQ(burstLines(), 1);
    // Once it has drained to half, the next overflow is a new burst.
    take(kAddingStackLimit / 2 + 1);
    feedIds(50000, kAddingStackLimit / 2 + 5);
    EXPECT_EQ(burstLines(), 2);
}

TEST_F(TrafficDatagramTest, ShortDatagramsAreRefusedWithoutReadingPastTheEnd) {
    EXPECT_EQ(lf_onTrafficData(g_trafficFeed, "a,b,c"), LineVerdict::failed);
    EXPECT_TRUE(log.contains("exception in processLineSub: 3 fields, at least 29 expected"));
    Datagram d;
    d.f.resize(29);
    EXPECT_EQ(feed(d), LineVerdict::queued);
}

TEST_F(TrafficDatagramTest, SeededRandomDatagramsNeverCrashAndQueueOnlySaneRecords) {
    std::mt19937 engine(20261207);
    const std::string base = Datagram().text();
    int queued = 0;
    for (int i = 0; i < 20000; ++i) {
        const std::string text = testing_support::mutated(base, engine, 8, ",-.0e9n");
        if (lf_onTrafficData(g_trafficFeed, text) != LineVerdict::queued) continue;
        ++queued;
        const StreamRecord r = last();
        ASSERT_GT(r.hexId, 10000u) << text;
        ASSERT_TRUE(std::isfinite(r.sample.lat) && std::fabs(r.sample.lat) <= 90) << text;
        ASSERT_TRUE(std::isfinite(r.sample.lon) && std::fabs(r.sample.lon) <= 180) << text;
        ASSERT_TRUE(std::isfinite(r.sample.altitudeFt) && r.sample.altitudeFt >= 0) << text;
        ASSERT_TRUE(std::isfinite(r.sample.trueAirspeedKt)) << text;
        ASSERT_FALSE(r.ident.callsign.empty() && r.ident.registration.empty()) << text;
    }
    EXPECT_GT(queued, 100);  // the mutations leave many datagrams valid
}
