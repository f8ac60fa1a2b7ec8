// The simulator client thread, a producer thread and the traffic thread's
// per-tick hand-over running together against the stand-in, for the thread
// sanitizer to watch. CI runs it for 2 seconds; VLNT_SIMLINK_STRESS_SECONDS
// makes it longer (30 for a soak run).
#include <gtest/gtest.h>

#include <cstdlib>

#include "link_fixture.h"
#include "simlink/link_jobs.h"
#include "stand_in_session.h"

using namespace simlink_test;

namespace {

int stressSeconds() {
    const char* text = std::getenv("VLNT_SIMLINK_STRESS_SECONDS");
    const int seconds = text != nullptr ? std::atoi(text) : 0;
    return seconds > 0 ? seconds : 2;
}

// The objects the traffic thread learnt of, shared with the producer.
struct KnownObjects {
    std::mutex mutex;
    std::vector<std::uint32_t> ids;

    std::vector<std::uint32_t> copy() {
        const std::lock_guard lock(mutex);
        return ids;
    }
    void add(std::uint32_t id) {
        const std::lock_guard lock(mutex);
        ids.push_back(id);
    }
};

}  // namespace

TEST_F(SimLinkSession, ClientProducerAndFrameSenderRunTogether) {
    startStandIn("frame-rate 60");
    startClient();
    ASSERT_TRUE(knowTheUserAircraft());

    std::atomic<bool> stop{false};
    KnownObjects known;
    int created = 0;

    // Another thread queues creations, lights and engines, asks for the
    // user's position and reads what the window paints.
    std::thread producer([&] {
        std::uint32_t round = 0;
        std::size_t painted = 0;
        while (!stop) {
            if (round < 24 && round % 2 == 0) {
                SpawnRequest r;
                r.position = {47.4590 + 0.0001 * round, 8.5490, 1425.0, 0.0, 0.0, 90.0, 1, 0};
                r.callsign = fmt::format("TST{}", round);
                r.liveryTitle = "Stand-in B738 Livery";
                r.hexId = 5000000 + round;
                gf_queueCreateAc(r);
            }
            // Lights and engines about once a second, as the engine sets them.
            if (round % 40 == 0)
                for (const std::uint32_t id : known.copy()) {
                    gf_queueLights(id, round % 80 == 0, 1, 0, 1, 0, 1, 1);
                    gf_queueEngineStart(id);
                }
            gf_requestUserPosition();
            painted += gf_copyUserText(g_simNameText).size() + gf_copyUserText(g_userTitle).size();
            painted += g_simRunningShown ? 1 : 0;
            ++round;
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
        EXPECT_GT(painted, 0u);
    });

    // The traffic thread: events first, then the position blocks of every
    // known object, the hand-over, and now and then the radius request.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(stressSeconds());
    std::vector<std::uint32_t> objects;
    for (int tick = 0; std::chrono::steady_clock::now() < end; ++tick) {
        for (const AcEvent& e : takeAcEvents()) {
            if (e.kind == AcEventKind::liveCreated) {
                objects.push_back(e.objectId);
                known.add(e.objectId);
                ++created;
            }
        }
        const double wiggle = 0.00001 * (tick % 10);
        for (const std::uint32_t id : objects)
            g_posUpdates.write().push_back({47.4590 + wiggle, 8.5490, 0.0, 0.0, 1.5, 1425.0, 0.0, 5.0, id});
        gf_swapPosUpdates();
        if (tick % 20 == 0) requestAircraftInRange();
        const UserAircraftFix fix = gf_userAircraftFix();
        EXPECT_NE(fix.position.lat, 0.0);
        if (gf_takeNewUserSample()) {
            EXPECT_TRUE(gf_isSimRunning());
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    stop = true;
    producer.join();

    EXPECT_GT(created, 0);
    for (const std::uint32_t id : objects) gf_queueRemoveAc(id);
    EXPECT_TRUE(waitFor([&] {
        std::size_t removed = 0;
        for (const AcEvent& e : takeAcEvents()) removed += e.kind == AcEventKind::removed ? 1 : 0;
        created -= static_cast<int>(removed);
        return created <= 0;
    }));
    EXPECT_FALSE(g_simError);
    EXPECT_FALSE(g_stopRequested);
    gf_joinSimClient();
    EXPECT_EQ(stopStandIn(), 0) << faultsText(standIn_->sim());
}
