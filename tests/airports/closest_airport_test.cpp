#include "airports/closest_airport.h"

#include <gtest/gtest.h>

#include <cmath>

#include "airport_fixture.h"
#include "foundation/download_site.h"
#include "settings/file_names.h"
#include "support/environment.h"
#include "support/http_test_server.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;
using namespace airports_test;
using testing_support::writeFile;

namespace {
const GeoPoint kUser{50.0, 8.0};

// An airport the given nautical miles north of the user.
AirportRecord northOfUser(const char* code, double nm, std::int32_t stands = 0) {
    return airport(code, kUser.lat + nm / 60.0, kUser.lon, stands);
}

void standFile(const char* code, const std::string& name, const GeoPoint& position) {
    writeFile(g_myThirdpartyFolder / (std::string(code) + ".xml"),
              standFileXml({{"altitude", "0"}}, fmt::format("<parkpos id=\"{}\" latitude=\"{:.8f}\" longitude=\"{:.8f}\"/>",
                                                           name, position.lat, position.lon)));
}

std::int64_t g_testMilliseconds = 0;
std::int64_t testClock() { return g_testMilliseconds; }

std::string code(const std::optional<AirportCode>& airport) { return airport ? airport->text() : "none"; }

using ClosestAirport = AirportTest;
}  // namespace

TEST_F(ClosestAirport, TheClosestAirportWithin5NmAndItsNeighbour) {
    setAirports({northOfUser("EHPP", 3.0), northOfUser("EHQQ", 1.0), northOfUser("EHRR", 2.0), northOfUser("EHSS", 5.5)});
    EXPECT_EQ(code(gf_closestAirportStand(kUser)), "EHQQ");
    EXPECT_TRUE(logged("Airport EHQQ is closest, neighbour is EHPP"));
    EXPECT_FALSE(logged("neighbour is EHRR"));

    setAirports({northOfUser("EHSS", 5.01)});
    EXPECT_EQ(code(gf_closestAirportStand(kUser)), "none");
    setAirports({northOfUser("EHSS", 4.99)});
    EXPECT_EQ(code(gf_closestAirportStand(kUser)), "EHSS");
    // Exactly 5.0 nm still counts.
    EXPECT_TRUE(lf_airportServes(5.0));
    EXPECT_FALSE(lf_airportServes(std::nextafter(5.0, 6.0)));
}

TEST_F(ClosestAirport, ANeighboursCloserStandWins) {
    fs::create_directories(g_myThirdpartyFolder);
    setAirports({northOfUser("EHPP", 3.0), northOfUser("EHQQ", 1.0)});
    standFile("EHPP", "P1", {kUser.lat + 100.0 / 1852.0 / 60.0, kUser.lon});
    standFile("EHQQ", "Q1", {kUser.lat + 300.0 / 1852.0 / 60.0, kUser.lon});
    EXPECT_EQ(code(gf_closestAirportStand(kUser)), "EHPP");
    EXPECT_TRUE(logged("Airport EHQQ is closest, but stand P1 at neighbouring airport EHPP is closer at 100 meters ..."));

    // Equal distances keep the closest airport.
    lf_forgetClosestStands();
    standFile("EHQQ", "Q1", {kUser.lat + 100.0 / 1852.0 / 60.0, kUser.lon});
    EXPECT_EQ(code(gf_closestAirportStand(kUser)), "EHQQ");
}

TEST_F(ClosestAirport, TheDistanceToAnAirportsClosestStand) {
    testing_support::HttpTestServer server;
    testing_support::ScopedEnvironment noProxy{"no_proxy", "*"};
    testing_support::ScopedEnvironment site{kDownloadSiteVariable, server.url("/downloads/")};
    server.route("/downloads/P3D/archive/stock/EDDF.xml",
                 {200, standFileXml({{"altitude", "364"}},
                                    fmt::format("<parkpos id=\"V101\" latitude=\"{}\" longitude=\"{}\"/>"
                                                "<parkpos id=\"V102\" latitude=\"{}\" longitude=\"{}\"/>",
                                                kUser.lat + 2.0 / 60.0, kUser.lon, kUser.lat + 1.0 / 60.0, kUser.lon))});
    setAirports({northOfUser("EDDF", 1.0, 1), northOfUser("EDDX", 1.0, 0), northOfUser("EDDY", 1.0, 1)});
    std::string name;
    EXPECT_EQ(gf_readDestApfForClosestStand(AirportCode("EDDX"), kUser, name), 100.0);
    EXPECT_EQ(name, "");
    EXPECT_EQ(gf_readDestApfForClosestStand(AirportCode("EDDY"), kUser, name), 100.0) << "the archive has none";
    EXPECT_EQ(name, "");
    EXPECT_NEAR(gf_readDestApfForClosestStand(AirportCode("EDDF"), kUser, name), 1.0, 1e-9);
    EXPECT_EQ(name, "V102");
    EXPECT_FALSE(fs::exists(lf_destinationCopyPath())) << "the downloaded copy is removed";
    // Each airport's file is fetched once in a run.
    EXPECT_NEAR(gf_readDestApfForClosestStand(AirportCode("EDDF"), {kUser.lat + 2.0 / 60.0, kUser.lon}, name), 0.0,
                1e-9);
    EXPECT_EQ(name, "V101");
    EXPECT_EQ(server.requests().size(), 2u);

    // What could not be read is not kept for the run: it is asked for again
    // ten minutes later.
    lf_forgetClosestStands(&testClock);
    const std::string eddy = "/downloads/P3D/archive/stock/EDDY.xml";
    const auto asked = [&] { return server.requests().size(); };
    g_testMilliseconds = 5'000;
    EXPECT_EQ(gf_readDestApfForClosestStand(AirportCode("EDDY"), kUser, name), 100.0);
    EXPECT_EQ(asked(), 3u);
    server.route(eddy, {200, standFileXml({{"altitude", "0"}}, fmt::format("<parkpos id=\"Y1\" latitude=\"{}\" "
                                                                            "longitude=\"{}\"/>",
                                                                            kUser.lat + 0.5 / 60.0, kUser.lon))});
    g_testMilliseconds = 5'000 + 599'999;
    EXPECT_EQ(gf_readDestApfForClosestStand(AirportCode("EDDY"), kUser, name), 100.0);
    EXPECT_EQ(asked(), 3u);
    g_testMilliseconds = 5'000 + 600'000;
    EXPECT_NEAR(gf_readDestApfForClosestStand(AirportCode("EDDY"), kUser, name), 0.5, 1e-9);
    EXPECT_EQ(name, "Y1");
    EXPECT_EQ(asked(), 4u);
    // Read once, it is kept.
    g_testMilliseconds += 3'600'000;
    EXPECT_NEAR(gf_readDestApfForClosestStand(AirportCode("EDDY"), kUser, name), 0.5, 1e-9);
    EXPECT_EQ(asked(), 4u);
}
