// Entries of the run's job table that no whole run can show (the list and
// the reasons are in scripts/noop-jobs.sh), called through the real table as
// the run loop calls them, on the subsystems' own state.
#include "app/run_jobs.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <set>
#include <string>

#include "airports/state.h"
#include "settings/file_names.h"
#include "support/temp_dir.h"
#include "traffic/engine_jobs.h"
#include "traffic/park_airport.h"
#include "traffic/static_fixture.h"

using namespace static_test;

namespace {

// Schiphol as the park airport with stands A1, A2, A3 100 m apart, and the
// user on the ground off the stands (on a stand, the user's own stand is the
// reserved one and the list's is not taken over).
class RunJobsOnTraffic : public StaticTest {
protected:
    RunJobsOnTraffic() {
        std::filesystem::create_directories(g_airportsFolder);
        setAirports({airport("EHAM", 52.3, 4.76, 0)});
        EXPECT_TRUE(lf_parkAirportText(AirportCode("EHAM")));
        setStands({standAt("A1", 0, 0, 20), standAt("A2", 0, 100, 20), standAt("A3", 0, 200, 20)});
        setUser(pointAt(0, 500), true);
    }
    ~RunJobsOnTraffic() override {
        const std::lock_guard lock(g_parkAirportsMutex);
        g_parkAirportList.clear();
    }

    const RunJobs jobs = gf_subsystemJobs();
};

}  // namespace

// A stand becomes reserved (the user names it in the park airport list and
// presses Re-read) while a live aircraft drives onto it, or is still being
// created on it: the Re-read clears only what is parked there already, so it
// is the run loop's five-second job that takes the aircraft away once it has
// parked.
TEST_F(RunJobsOnTraffic, TheReservedStandsJobRemovesAnAircraftThatParkedThereAfterTheReservation) {
    struct Case {
        const char* name;
        AcLifeState state;
        AcPhase phase;
    } cases[] = {
        {"driving onto the stand", AcLifeState::active, AcPhase::parking},
        {"still being created on the stand", AcLifeState::adding2sim, AcPhase::parked},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        g_removeQueue.clear();
        g_reservedStand.clear();
        g_stands[2].excluded = 0;
        LiveAc& aircraft = addLiveParked(g_stands[2], key("KLM", "B738"), "KLM1", "PH-BXA");
        const std::uint32_t objectId = aircraft.objectId;
        aircraft.lifeState = c.state;
        aircraft.phase = c.phase;
        if (c.state == AcLifeState::adding2sim) aircraft.objectId = 0;

        testing_support::writeFile(g_myParkAirportsPath, "EHAM,A3\n");
        std::string text;
        ASSERT_TRUE(jobs.checkParkAirports(true, text));
        ASSERT_EQ(text, "reserved stand changed from '' to 'A3'");
        EXPECT_EQ(aircraft.lifeState, c.state) << "not parked yet: the Re-read leaves it";

        // It comes to rest on the stand, its object made active.
        aircraft.lifeState = AcLifeState::active;
        aircraft.phase = AcPhase::parked;
        aircraft.objectId = objectId;
        jobs.clearReservedStand(jobs.reservedStandName());
        EXPECT_EQ(aircraft.lifeState, AcLifeState::removingfromsim);
        EXPECT_EQ(removalsQueued(), std::set<std::uint32_t>{objectId});
    }
}
