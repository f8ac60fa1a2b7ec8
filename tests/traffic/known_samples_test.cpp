// New samples of aircraft already in the table: the queue limit and the
// broken hold, push-back and pushed-back streams, the watch over a parked
// aircraft's stream, take-offs and touch-and-goes read from the stream, the
// landing rules and the collapse of stationary runs.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "ground_fixture.h"
#include "traffic/known_samples.h"
#include "traffic/motion_math.h"

namespace {

using ground_test::GroundTest;
using ground_test::metresBetween;
using ground_test::moved;
using ground_test::sampleAt;

class KnownSamples : public GroundTest {
protected:
    KnownSamples() { g_tick = 10000; }
    // A taxiing B738 heading east on the taxiway with `count` samples queued
    // 20 m apart at 10 kt, 300 ticks apart.
    LiveAc& taxiing(int count = 1) {
        LiveAc& aircraft = place("B738", AcPhase::taxi, taxiway(2), 90.0);
        aircraft.samples.clear();
        for (int k = 0; k < count; ++k) aircraft.samples.push_back(next(aircraft, k * 20.0, 10.0, k * 300));
        return aircraft;
    }
    static PosSample next(const LiveAc& aircraft, double metresEast, double speedKt, std::int32_t afterTicks,
                          double altitudeFt = 0.0) {
        return sampleAt(moved({aircraft.lat, aircraft.lon}, 90.0, metresEast), speedKt, 10000 + afterTicks,
                        altitudeFt);
    }
    // A B738 parked on stand 4, its path extended a week ahead.
    LiveAc& parkedOnFour() {
        g_liveAcs.clear();
        stand(4).occupied = 0;
        LiveAc& aircraft = parkedOn(4, "B738");
        aircraft.refillState = 1;
        aircraft.samples.front().dueTick = g_tick + 60480000;
        return aircraft;
    }
    // A report `metres` south of stand 4, taken at the gate and passed on.
    void reportSouthOfFour(LiveAc& aircraft, double metres, double kt, std::int32_t due) {
        PosSample report = sampleAt(moved(standPoint(4), 180.0, metres), kt, due);
        report.streamTick = report.dueTick;
        aircraft.reportGate.taken.push_back(report);
        decodeExisting(aircraft, report);
    }
};

TEST_F(KnownSamples, TheTwoHundredFirstSampleAndAHoldBrokenFarAwayRemoveTheAircraft) {
    struct Case {
        const char* name;
        int queued;
        bool holding;
        double metresFromFront;
        bool removed;
        std::int32_t heldTicks = 0;
        // A report taken 10 s before the sample, this far east of the front.
        std::optional<double> heardM = std::nullopt;
    };
    // Beyond 250 m it may lie as far again as 30 kt take it in the time held,
    // or in the time since a report taken before it (the aircraft holds
    // behind its stream, its push run while the stream went on).
    const Case cases[] = {
        {"200 queued: the next is queued", 200, false, 4100, false},
        {"201 queued: removed instead", 201, false, 4100, true},
        {"holding, 249 m from the front", 1, true, 249, false},
        {"holding, 251 m from the front", 1, true, 251, true},
        {"held 20 s, 550 m from the front", 1, true, 550, false, 2000},
        {"held 20 s, 570 m from the front", 1, true, 570, true, 2000},
        {"holding, 600 m from the front, 350 m on from a report taken 10 s before", 1, true, 600, false, 0, 250.0},
        {"holding, 750 m from the front, 500 m on from a report taken 10 s before", 1, true, 750, true, 0, 250.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(c.queued);
        aircraft.holding = c.holding ? 1 : 0;
        aircraft.holdStartTick = static_cast<std::uint32_t>(g_tick - c.heldTicks);
        aircraft.refillState = c.holding ? 1 : 0;
        PosSample sample = next(aircraft, c.metresFromFront, 10.0, 100000);
        if (c.heardM) {
            sample.streamTick = 90000;
            PosSample heard = next(aircraft, *c.heardM, 10.0, 0);
            heard.streamTick = sample.streamTick - 1000;
            aircraft.reportGate.taken = {heard, sample};
        }
        decodeExisting(aircraft, sample);
        EXPECT_EQ(aircraft.lifeState, c.removed ? AcLifeState::removingfromsim : AcLifeState::active);
        if (c.holding) {
            EXPECT_EQ(log.contains(fmt::format("removed: its stream resumed {:.0f} m from where it held",
                                               c.metresFromFront)),
                      c.removed)
                << "a hold broken far away says so in the log";
        }
        EXPECT_EQ(aircraft.samples.size(), static_cast<std::size_t>(c.queued + (c.removed ? 0 : 1)));
        EXPECT_EQ(aircraft.holding, 0) << "a broken hold and a fitting sample both end it";
    }
}

TEST_F(KnownSamples, DuringPushBackNothingIsQueuedAndTheTurnSideIsReadOnce) {
    struct Case {
        const char* name;
        double headingDeg;
        int countdown;
        std::optional<double> trueHeadingDeg;
        double trackDeg;
        bool straightOnly;
        bool known, clockwise;
    };
    const Case cases[] = {
        {"heading clockwise of the aircraft's", 180, 2, 200.0, 0.0, false, true, true},
        {"a heading not turned yet tells nothing", 180, 2, 182.0, 0.0, false, false, false},
        {"track anticlockwise", 180, 2, std::nullopt, 160.0, false, true, false},
        {"track clockwise across north", 355, 2, std::nullopt, 5.0, false, true, true},
        {"a track of 0 tells nothing", 180, 2, std::nullopt, 0.0, false, false, false},
        {"straight push-backs only", 180, 2, 200.0, 0.0, true, false, false},
        {"after the first sample", 180, 1, 200.0, 0.0, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(3);
        aircraft.phase = AcPhase::pushing_back;
        aircraft.heading = c.headingDeg * kDegToRad;
        aircraft.pushBackCountdown = c.countdown;
        STRAIGHT_PBS_ONLY.value = c.straightOnly;
        PosSample sample = sampleAt(moved(standPoint(3), 180.0, 30.0), 3.0, 12000);
        if (c.trueHeadingDeg) sample.trueHeading = *c.trueHeadingDeg * kDegToRad;
        sample.trackDeg = c.trackDeg;
        decodeExisting(aircraft, sample);
        EXPECT_EQ(aircraft.samples.size(), 1U);
        EXPECT_EQ(aircraft.turnSide[1], c.known ? 1 : 0);
        EXPECT_EQ(aircraft.turnSide[0], c.clockwise ? 1 : 0);
    }
}

TEST_F(KnownSamples, APushedBackAircraftHoldsUntilItsStreamHasMovedAway) {
    struct Case {
        const char* name;
        double radii, lastRadii;
        bool movesOn;
        double speedKt = 5.0;
        // Where the stream stood since the push: this many metres north of
        // the sample (none: it has not stood yet).
        std::optional<double> stoodNorthM = std::nullopt;
        // A report taken 10.5 s before, nearer on the way, its positions
        // showing this pace (kt) to the sample.
        std::optional<double> shownKt = std::nullopt;
        // The stream's last report where the aircraft stands, due then.
        std::optional<std::int32_t> stoodTick = std::nullopt;
        // That report lies this far aside (east) of the aircraft instead,
        // the one before it 3 m farther: where the stream stood last.
        double stoodAsideM = 0.0;
    };
    const Case cases[] = {
        {"2.8 radii, closer than the last sample", 2.8, 3.0, false},
        {"2.8 radii, farther than the last sample", 2.8, 2.5, true},
        {"2.7 radii", 2.7, 0.0, false},
        {"6.1 radii, however close the last was", 6.1, 7.0, true},
        // Once the stream has stood, where it stood tells: a standing report
        // within the scatter of it is no move, one 31 m off it is.
        {"2.8 radii, farther than the last, standing 12 m from where its stream stood", 2.8, 2.5, false, 0.0, 12.0},
        {"2.8 radii, farther than the last, at 5 kt 12 m from where its stream stood", 2.8, 2.5, true, 5.0, 12.0},
        {"2 radii, standing 31 m from where its stream stood (a tow)", 2.0, 1.5, true, 0.0, 31.0},
        {"2 radii, standing 29 m from where its stream stood", 2.0, 1.5, false, 0.0, 29.0},
        // Stood and standing again 50 m from the aircraft: towed in a pause.
        {"50 m off, where its stream stood, the last report a little farther", 50.0 / 17.9, 3.0, true, 0.0, 0.0},
        // The first report after the push already standing beyond the
        // scatter past its radius (30 + 17.9 m): it stands elsewhere.
        {"its first standing report 50 m off", 50.0 / 17.9, 3.0, true, 0.0},
        {"its first standing report 45 m off", 45.0 / 17.9, 3.0, false, 0.0},
        // Released as late as the stream's pace gets it there: a stale 0
        // has its positions tell the pace; never before the delayed stream
        // stood where the aircraft stands for the last time.
        {"6.1 radii at a stale 0, its positions showing 15 kt", 6.1, 7.0, true, 0.0, std::nullopt, 15.0},
        {"6.1 radii at 5 kt, the stream standing where it stood 2 s before", 6.1, 7.0, true, 5.0, std::nullopt,
         std::nullopt, 11800},
        {"6.1 radii at 5 kt, the stream standing twice 12 m aside 2 s before", 6.1, 7.0, true, 5.0, std::nullopt,
         std::nullopt, 11800, 12.0},
        // A field as slow as a push's says nothing of where the stream stands.
        {"2 radii at a push's 2.7 kt", 2.0, 1.5, false, 2.7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        stand(3).occupied = 0;
        LiveAc& aircraft = parkedOn(3);
        aircraft.phase = AcPhase::pushed_back;
        aircraft.samples.push_back(aircraft.samples.front());  // the hold sample
        aircraft.refillState = 1;
        const double r = aircraft.radiusNm;
        aircraft.lastPushBackDist = c.lastRadii * r;
        const GeoPoint at = moved({aircraft.lat, aircraft.lon}, 180.0, c.radii * r * kMetersPerNm);
        if (c.stoodNorthM) {
            const GeoPoint stood = moved(at, 0.0, *c.stoodNorthM);
            aircraft.pushedStoodLat = stood.lat;
            aircraft.pushedStoodLon = stood.lon;
        }
        PosSample sample = sampleAt(at, c.speedKt, 12000);
        sample.streamTick = sample.dueTick;
        if (c.stoodTick) {
            const GeoPoint there = moved({aircraft.lat, aircraft.lon}, 90.0, c.stoodAsideM);
            if (c.stoodAsideM > 0.0) {
                PosSample before = sampleAt(moved(there, 90.0, 3.0), 0.0, *c.stoodTick - 300);
                before.streamTick = before.dueTick;
                aircraft.reportGate.taken.push_back(before);
            }
            PosSample stood = sampleAt(there, 0.0, *c.stoodTick);
            stood.streamTick = stood.dueTick;
            aircraft.reportGate.taken.push_back(stood);
        }
        if (c.shownKt) {
            PosSample nearer = sampleAt(moved(at, 0.0, *c.shownKt * kMetersPerNm / 3600.0 * 10.5), *c.shownKt, 10950);
            nearer.streamTick = nearer.dueTick;
            aircraft.reportGate.taken.push_back(nearer);
        }
        aircraft.reportGate.taken.push_back(sample);
        decodeExisting(aircraft, sample);
        if (c.movesOn) {
            EXPECT_EQ(aircraft.phase, AcPhase::taxi);
            EXPECT_EQ(aircraft.standId, 0);
            EXPECT_EQ(aircraft.samples.size(), 3U);
            // The hold ends when the delayed stream leaves: as late as taxi
            // speed (or the stream's, when faster) still gets it to the sample.
            const double kt = std::max({aircraft.taxiSpeedKt, c.speedKt, c.shownKt.value_or(0.0)});
            const std::int32_t leaves = 12000 - gf_roundTicks(c.radii * r * kTicksPerHour / kt);
            EXPECT_EQ(aircraft.samples.front().dueTick,
                      std::max({g_tick.load() + 1, leaves, c.stoodTick.value_or(0)}))
                << "the hold sample is released";
            EXPECT_EQ(aircraft.refillState, 0);
            EXPECT_EQ(aircraft.holding, 0);
        } else {
            EXPECT_EQ(aircraft.phase, AcPhase::pushed_back);
            EXPECT_EQ(aircraft.samples.size(), 2U);
            EXPECT_EQ(aircraft.holding, 1);
            EXPECT_EQ(aircraft.holdStartTick, 10000U);
            EXPECT_NEAR(aircraft.lastPushBackDist, c.radii * r, 1e-9);
            // Where it stood is learned from a report showing no move.
            if (!c.stoodNorthM) EXPECT_EQ(aircraft.pushedStoodLat == sample.lat, c.speedKt < 1.0);
        }
    }
}

TEST_F(KnownSamples, TheStreamOfAParkedAircraftIsWatchedAndStartsItsDeparture) {
    enum Outcome { watched, leaves, removed, givesUp, ignored };
    struct Case {
        const char* name;
        double metres;
        AcPhase prevPhase;
        Outcome outcome;
        AcPhase phase = AcPhase::parked;
        double silenceS = 0.0;  // the feed quiet this long before the report
        std::optional<double> beforeM = std::nullopt;  // a report this far south 5 s before, taken too
        std::optional<int> onStand = std::nullopt;     // the report on this stand, not `metres` south
        std::optional<double> searchedFromM = std::nullopt;  // the stand search looked from this far north of it
    };
    const Case cases[] = {
        {"50 m from the stand", 50, AcPhase::taxi, watched},
        {"84 m", 84, AcPhase::taxi, watched},
        {"86 m: the departure starts", 86, AcPhase::taxi, leaves},
        {"150 m: the departure starts", 150, AcPhase::taxi, leaves},
        {"150 m just after arriving", 150, AcPhase::parking, watched},
        {"175 m just after arriving", 175, AcPhase::parking, leaves},
        {"199 m", 199, AcPhase::taxi, leaves},
        {"210 m: one report there moves nothing", 210, AcPhase::taxi, ignored},
        {"210 m after one 205 m off: the stream is elsewhere", 210, AcPhase::taxi, removed, AcPhase::parked, 0.0,
         205.0},
        {"210 m after one 205 m off 5 s before it, 300 m north: one report there moves nothing", 210, AcPhase::taxi,
         ignored, AcPhase::parked, 0.0, -300.0},
        // A B738 taxis at 30 kt at most: in a minute 926 m.
        {"1100 m after a pause of a minute: it left unheard", 1100, AcPhase::taxi, leaves, AcPhase::parked, 60.0},
        {"1150 m after a pause of a minute: one report there moves nothing", 1150, AcPhase::taxi, ignored,
         AcPhase::parked, 60.0},
        {"50 m while driving onto the stand", 50, AcPhase::taxi, watched, AcPhase::parking},
        {"100 m while driving onto the stand: given up", 100, AcPhase::taxi, givesUp, AcPhase::parking},
        {"250 m while driving onto the stand: given up", 250, AcPhase::taxi, givesUp, AcPhase::parking},
        // Parked by the wide search while its stream was quiet, the stream
        // resuming on the next stand: it went there.
        {"the first report since it parked on the next stand: the departure starts", 60, AcPhase::parking, leaves,
         AcPhase::parked, 0.0, std::nullopt, 3},
        {"the first report while driving onto the stand on the next one: given up", 60, AcPhase::taxi, givesUp,
         AcPhase::parking, 0.0, std::nullopt, 3},
        // The stream still stands where the search looked from, which found
        // this stand rather than the nearer one (too small for the aircraft
        // but right under its stream): it went nowhere.
        {"the first report on the next stand, 8 m from where the search looked from: it stays", 60,
         AcPhase::parking, watched, AcPhase::parked, 0.0, std::nullopt, 3, 8.0},
        {"the first report on the next stand, 12 m from where the search looked from: the departure starts", 60,
         AcPhase::parking, leaves, AcPhase::parked, 0.0, std::nullopt, 3, 12.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        standOptions.clear();
        stand(4).occupied = 0;
        LiveAc& aircraft = parkedOn(4);
        aircraft.phase = c.phase;
        aircraft.prevPhase = c.prevPhase;
        if (c.searchedFromM) {
            const GeoPoint from = moved(standPoint(*c.onStand), 0.0, *c.searchedFromM);
            aircraft.lastSearchLat = from.lat;
            aircraft.lastSearchLon = from.lon;
        }
        clock100ns = 777;
        if (c.beforeM) {
            PosSample before = sampleAt(moved(standPoint(4), 180.0, *c.beforeM), 5.0, 11500);
            before.streamTick = before.dueTick;
            decodeExisting(aircraft, before);
            EXPECT_EQ(aircraft.lifeState, AcLifeState::active) << "one report far off moves nothing";
            if (aircraft.lifeState != AcLifeState::active) continue;
        }
        // The report carries the silence the gate took it with; the gate's
        // own figure is the newest report's (one passed on after it, 4 s on).
        aircraft.reportGate.silenceS = 4.0;
        PosSample sample = sampleAt(c.onStand ? standPoint(*c.onStand) : moved(standPoint(4), 180.0, c.metres),
                                    c.onStand ? 0.0 : 5.0, 12000);
        sample.streamTick = sample.dueTick;
        sample.silenceS = static_cast<float>(c.silenceS);
        decodeExisting(aircraft, sample);
        EXPECT_EQ(aircraft.pathExtended, 1);
        switch (c.outcome) {
            case watched:
                EXPECT_EQ(aircraft.samples.size(), 1U);
                EXPECT_EQ(aircraft.parkedSince, 777);
                EXPECT_EQ(aircraft.leavingStand, 0);
                EXPECT_EQ(stand(4).occupied, c.phase == AcPhase::parked ? 1 : 0)
                    << "a parked aircraft seen at its stand holds it";
                EXPECT_TRUE(standOptions.empty());
                break;
            case givesUp:
                EXPECT_EQ(aircraft.phase, AcPhase::taxi);
                EXPECT_EQ(aircraft.prevPhase, AcPhase::parking);
                ASSERT_EQ(aircraft.samples.size(), 2U);
                EXPECT_EQ(aircraft.samples.back().stationary, 0);
                EXPECT_EQ(aircraft.lifeState, AcLifeState::active);
                EXPECT_TRUE(standOptions.empty());
                break;
            case leaves:
                EXPECT_EQ(aircraft.samples.size(), 2U);
                EXPECT_EQ(aircraft.leavingStand, 1);
                EXPECT_EQ(stand(4).occupied, 0);
                EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{4, 2}}));
                break;
            case removed:
                EXPECT_EQ(aircraft.lifeState, AcLifeState::removingfromsim);
                EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{4, 3}}));
                break;
            case ignored:
                EXPECT_EQ(aircraft.lifeState, AcLifeState::active);
                EXPECT_EQ(aircraft.samples.size(), 1U);
                EXPECT_EQ(aircraft.leavingStand, 0);
                EXPECT_TRUE(standOptions.empty());
                break;
        }
        if (c.outcome == leaves) {
            EXPECT_EQ(aircraft.decidedLeave.afterPause, c.silenceS > 0.0 || c.onStand ? 1 : 0);
        }
    }
}

// A parked aircraft's front sample is its path extension, one week after
// the moment its stream ran dry: a stream that moves off the stand soon
// after that shows a tow rather than a taxi, by category.
TEST_F(KnownSamples, AStreamLeavingSoonAfterItRanDryShowsATow) {
    struct Case {
        const char* type;
        std::int32_t ticksSinceDry;
        bool wantsStand;
        bool towed;
    };
    const Case cases[] = {
        {"B744", 359999, true, true},  {"B744", 360000, true, false}, {"B738", 149999, true, true},
        {"B738", 150000, true, false}, {"C56X", 89999, true, true},   {"C56X", 90000, true, false},
        {"C172", 10, true, false},     {"EC35", 10, true, false},     {"B744", 10, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(fmt::format("{} {} ticks", c.type, c.ticksSinceDry));
        g_liveAcs.clear();
        standOptions.clear();
        LiveAc& aircraft = parkedOn(4, c.type);
        aircraft.prevPhase = AcPhase::parking;
        aircraft.refillState = 1;
        aircraft.wantsStand = c.wantsStand ? 1 : 0;
        aircraft.maxAdvance = aircraft.maxDelay = 1000;
        aircraft.samples.front().dueTick = g_tick + 60480000 - c.ticksSinceDry;
        stand(4).occupied = 1;
        decodeExisting(aircraft, sampleAt(moved(standPoint(4), 180.0, 180.0), 5.0, 12000));
        EXPECT_EQ(aircraft.towed, c.towed ? 1 : 0);
        EXPECT_EQ(aircraft.wantsStand, 0);
        EXPECT_EQ(aircraft.leavingStand, 1);
        EXPECT_EQ(aircraft.phase, AcPhase::parked);
        ASSERT_EQ(aircraft.samples.size(), 2U);
        EXPECT_EQ(aircraft.samples.front().dueTick, g_tick + 1) << "the extension sample is released";
        EXPECT_EQ(aircraft.samples.back().stationary, 0);
        EXPECT_EQ(aircraft.refillState, 0);
        EXPECT_EQ(aircraft.maxDelay, 3000);
        EXPECT_EQ(stand(4).occupied, 0);
        EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{4, 2}}));
    }
}

TEST_F(KnownSamples, AFailingStepIsLoggedWithTheEntryAndThrownOnToTheCaller) {
    LiveAc& aircraft = parkedOn(4, "B738", "KLM9");
    g_engineServices.addRealStandOption = [](std::int32_t, LiveAc&, int) {
        throw std::runtime_error("stand table gone");
    };
    // The second report far off the stand, borne out, gives the stand up.
    PosSample first = sampleAt(moved(standPoint(4), 180.0, 205.0), 5.0, 11500);
    first.streamTick = first.dueTick;
    decodeExisting(aircraft, first);
    PosSample second = sampleAt(moved(standPoint(4), 180.0, 210.0), 5.0, 12000);
    second.streamTick = second.dueTick;
    EXPECT_THROW(decodeExisting(aircraft, second), std::runtime_error);
    EXPECT_TRUE(log.contains("==> decodeExisting exception stand table gone"));
}

TEST_F(KnownSamples, ThreeStepsOfThreeMetresAwayStartTheDeparture) {
    // Half the B738's radius is 9 m: three steps of 3 m each beyond the
    // farthest so far, 10.5 m from where it stood, start it; a step back resets.
    struct Case {
        const char* name;
        std::vector<double> metres;  // south of the stand, at 2 kt
        std::vector<int> awayCounts;
        bool leaves;
        // Where the stream stands, metres south of the stand: the mean of
        // the reports about it that step no farther than any before.
        double standsM;
    };
    const Case cases[] = {
        {"three steps", {2.0, 5.5, 9.0, 12.5}, {0, 1, 2, 3}, true, 2.0},
        {"a step back between", {2.0, 5.5, 9.0, 5.0, 12.5}, {0, 1, 2, 0, 1}, false, 3.5},
        // A slow push's steps of 2 m, its field showing it: each counts.
        {"a slow push's short steps", {2.0, 4.0, 6.0, 8.0, 10.0, 12.5}, {0, 1, 2, 3, 4, 5}, true, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = parkedOn(4);
        for (std::size_t k = 0; k < c.metres.size(); ++k) {
            SCOPED_TRACE(c.metres[k]);
            decodeExisting(aircraft, sampleAt(moved(standPoint(4), 180.0, c.metres[k]), 2.0,
                                              12000 + static_cast<std::int32_t>(k)));
            EXPECT_EQ(aircraft.awayCount, static_cast<std::uint32_t>(c.awayCounts[k]));
            EXPECT_EQ(aircraft.leavingStand, c.leaves && k + 1 == c.metres.size() ? 1 : 0);
        }
        EXPECT_NEAR(aircraft.standDistFirst * kMetersPerNm, c.standsM, 0.01);
    }
}

// A standing stream wanders a few metres: slower than 3 kt and within 10 m
// of where it was first seen at the stand it starts no departure, however
// it steps away (three steps of 3 m, or more than a small aircraft's radius).
TEST_F(KnownSamples, AParkedStreamWanderingAFewMetresStartsNoDeparture) {
    struct Case {
        const char* name;
        const char* type;
        std::vector<double> metres;  // south of the stand, one sample each
        double speedKt;
        bool leaves;
        AcPhase phase = AcPhase::parked;
        bool calledOff = false;  // a leave was decided, then called off
        std::int32_t due = 12000;  // the first sample's due tick
        std::optional<std::int32_t> leavesAt = std::nullopt;  // the tick the leave starts at
        std::vector<double> speedsKt = {};  // each sample's, where they differ
        std::optional<std::size_t> queued = std::nullopt;  // the samples queued, where more than the leave's
        double quietBeforeLastS = 0.0;  // the feed quiet this long before the last report
        bool heardOnce = false;         // the first report heard once (else three times, or once before four)
        // A report heard after the last one (waiting at the gate), this far
        // south of the stand; none when absent.
        std::optional<double> nextHeardM = std::nullopt;
        bool gate = false;  // each report taken at the gate before it comes here
    };
    const Case cases[] = {
        {"B738, three steps of 3 m to 9.8 m at 0 kt", "B738", {0.5, 3.6, 6.7, 9.8}, 0.0, false},
        {"B738, the same at 3 kt", "B738", {0.5, 3.6, 6.7, 9.8}, 3.0, true},
        {"C172, 6 m on at 0 kt", "C172", {0.5, 6.5}, 0.0, false},
        {"C172, 11 m on at 0 kt", "C172", {0.5, 11.5}, 0.0, true},
        // Where it stands is the mean of its reports about the stand: the
        // first one, which the feed's grid put 5 m out, tells it no better
        // than the others.
        {"C172, first seen 5 m south, then about the stand, then 11.5 m south at 0 kt", "C172",
         {5.0, -1.0, 0.0, 0.5, 11.5}, 0.0, true},
        {"C172, first seen 5 m south, then about the stand, then 9.5 m south at 0 kt", "C172",
         {5.0, -1.0, 0.0, 0.5, 9.5}, 0.0, false},
        // A stream standing exactly on its stand, 0 m off, is on it all the
        // same: its push is a push.
        {"B744 exactly on its stand, then 13 m on at 0 kt", "B744", {0.0, 0.0, 13.0}, 0.0, true},
        // A heavy's radius is 32 m: one report of a push 13 m on, at a stale
        // 0 kt, is a departure all the same (the feed may say no more for a
        // minute); the report comes borne out by those after it.
        {"B744, 11 m on at 0 kt", "B744", {0.5, 11.5}, 0.0, false},
        {"B744, 13 m on at 0 kt", "B744", {0.5, 13.5}, 0.0, true},
        {"B744, 16 m on at 0 kt", "B744", {0.5, 16.5}, 0.0, true},
        // A push that passes over the stand's point: 13 m from where the
        // stream stood, 7 m from the stand.
        {"B744 standing 6 m north of its stand, 7 m south of it at 0 kt", "B744", {-6.0, 7.0}, 0.0, true},
        // Unless the next report says otherwise: back where it stood, or, after
        // a report that showed no speed, not clearly on away.
        {"B744, 20 m on at 0 kt, then back on the stand", "B744", {0.5, 20.5, 1.5}, 0.0, false, AcPhase::parked,
         true},
        // Standing again 20 m or more off the stand, by the report that
        // decided the leave: pushed while the feed said nothing.
        {"B744, 20 m on at 0 kt, then 3 m farther", "B744", {0.5, 20.5, 23.5}, 0.0, true},
        {"B744, 20 m on at 0 kt, then 8 m nearer", "B744", {0.5, 20.5, 12.5}, 0.0, false, AcPhase::parked, true},
        // Unless the report heard after that one lies off where it stood
        // again, no nearer: a push on the feed's coarse grid, a step back.
        {"B744, 20 m on at 0 kt, then 8 m nearer, the report heard after it 16 m on", "B744", {0.5, 20.5, 12.5}, 0.0,
         true, AcPhase::parked, false, 12000, std::nullopt, {}, std::nullopt, 0.0, false, 16.5},
        {"B744, 20 m on at 0 kt, then 8 m nearer, the report heard after it 9 m on", "B744", {0.5, 20.5, 12.5}, 0.0,
         false, AcPhase::parked, true, 12000, std::nullopt, {}, std::nullopt, 0.0, false, 9.5},
        {"B744, 20 m on at 0 kt, then 12 m farther", "B744", {0.5, 20.5, 32.5}, 0.0, true},
        // A stream whose reports wandered 2 m about its stand: standing again
        // 15 m on, by the report that decided the leave, it was pushed.
        {"B738 within 2 m of its stand, then 14 m on at 0 kt, then 15 m on", "B738",
         {0.5, -1.0, 1.0, 0.0, -0.5, 14.0, 15.0}, 0.0, true},
        {"B744, 20 m on at 2 kt, then standing back on the stand", "B744", {0.5, 20.5, 1.5}, 2.0, false,
         AcPhase::parked, true, 12000, std::nullopt, {0.0, 2.0, 0.0}},
        {"B744, 20 m on at 2 kt, then moving near the stand", "B744", {0.5, 20.5, 1.5}, 2.0, true},
        // Decided on a moving report 8 m on (the feed's grid), the next report
        // at the same node, standing, is no way back.
        {"C172, 8 m on at 3 kt, then there again at 0 kt", "C172", {0.5, 8.5, 8.5}, 0.0, true, AcPhase::parked,
         false, 12000, std::nullopt, {0.0, 3.0, 0.0}},
        {"B744, 20 m on at 2 kt, then 5 m nearer", "B744", {0.5, 20.5, 15.5}, 2.0, true},
        {"B744, 20 m on at 0 kt, then 3 m farther at 2 kt", "B744", {0.5, 20.5, 23.5}, 0.0, true, AcPhase::parked,
         false, 12000, std::nullopt, {0.0, 0.0, 2.0}},
        {"B744, 20 m on at 0.8 kt (a push's stale speed), then 5 m nearer", "B744", {0.5, 20.5, 15.5}, 0.8, true},
        {"B744, 80 m on at 0 kt, then 60 m on: a departure curving round", "B744", {0.5, 80.5, 60.5}, 0.0, true},
        // A slow push whose reports all read 0 kt, stepping off a few metres
        // at a time: its steps, each farther off than any before, are no
        // standing stream's scatter that its leave must get beyond.
        {"C56X pushed slowly, its reports at 0 kt", "C56X",
         {0.5, 0.0, 1.0, 8.0, 10.0, 12.5, 11.0, 16.5, 22.5, 26.5, 28.0, 31.5, 37.0, 41.0}, 0.0, true},
        // A stream that stood still on one node of the feed's coarse grid
        // (its fields 0 to 1.3 kt, too few of them 0 for its scatter to be
        // known), one step of 18 m at 0 kt, then there again at 1.5 kt: a
        // push that stands on the next node. The step, no wander of it, is
        // no scatter while the stream stays there, and the report at 1.5 kt
        // decides the leave.
        {"A320 still 8.5 m off its stand, one step of 18 m at 0 kt, then there at 1.5 kt", "A320",
         {8.5, 8.5, 8.5, 8.5, 8.5, 26.5, 26.5}, 0.0, true, AcPhase::parked, false, 12000, std::nullopt,
         {0.0, 1.3, 0.8, 0.0, 1.0, 0.0, 1.5}},
        // The same stream flipping between the two nodes: the step comes
        // back, it is scatter, and the same report at 1.5 kt lies within it.
        {"A320 still 8.5 m off its stand, flipping 18 m on and back at 0 kt, then 18 m on at 1.5 kt", "A320",
         {8.5, 8.5, 8.5, 8.5, 8.5, 26.5, 8.5, 26.5, 8.5, 26.5}, 0.0, false, AcPhase::parked, false, 12000,
         std::nullopt, {0.0, 1.3, 0.8, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.5}},
        // Still driving onto its stand, an arrival whose stream stands off the
        // stand and scatters does not leave it.
        {"C56X driving onto its stand, its stream 20 m on at 0 kt", "C56X", {0.5, 20.5}, 0.0, false,
         AcPhase::parking},
        // Due at once, a leave decided on a report that showed no speed goes
        // at once too: the report was judged with those after it.
        {"B744, 16 m on at 0 kt, due at once", "B744", {0.5, 16.5}, 0.0, true, AcPhase::parked, false, 100, 1},
        {"B744, 16 m on at 2 kt, due at once", "B744", {0.5, 16.5}, 2.0, true, AcPhase::parked, false, 100, 1},
        // Decided, the leave waits for the delayed stream, which may be far
        // off by then (a helicopter lifting off): the aircraft stays.
        {"EC35, 20 m on at 10 kt, then 300 m on", "EC35", {0.5, 20.5, 300.5}, 10.0, true, AcPhase::parked, false, 12000,
         std::nullopt, {}, 3U},
        // After the feed was quiet two and a half minutes, its stream 340 m
        // on, as far as it gets unheard: it left the stand then, rather than
        // being some other stream.
        {"B738, quiet 150 s, then 340 m on at 16 kt", "B738", {0.5, 340.0}, 16.0, true, AcPhase::parked, false, 12000,
         std::nullopt, {}, std::nullopt, 150.0},
        // Heard once where it stands, that report may lie as far off as the
        // feed's noise: the next one off it twice as far, and a field as slow
        // as the feed's speed noise reads about a standing aircraft, is no
        // leave yet; a stray's is called off, and the next report tells anew
        // where the stream stands.
        {"C56X heard once on its stand, then 11 m on at 0.8 kt", "C56X", {0.5, 11.5}, 0.8, false, AcPhase::parked,
         false, 12000, std::nullopt, {}, std::nullopt, 0.0, true},
        {"C172 heard once on its stand, then 11 m on at a slow tow's 1.5 kt", "C172", {0.5, 11.5}, 1.5, true,
         AcPhase::parked, false, 12000, std::nullopt, {}, std::nullopt, 0.0, true},
        // Off that one report as far as a standing stream wanders, then where
        // the report before lay at a field as slow as the speed noise reads:
        // the stream stands there still, as it did a report ago.
        {"C172 heard once on its stand, then 9 m on at rest, then 1.5 m farther at 1.4 kt", "C172", {0.5, 9.5, 11.0},
         0.0, false, AcPhase::parked, false, 12000, std::nullopt, {0.0, 0.0, 1.4}, std::nullopt, 0.0, true,
         std::nullopt, true},
        {"C172 heard once on its stand, then 9 m on at rest, then 4 m farther at 1.4 kt", "C172", {0.5, 9.5, 13.5},
         0.0, true, AcPhase::parked, false, 12000, std::nullopt, {0.0, 0.0, 1.4}, std::nullopt, 0.0, true,
         std::nullopt, true},
        {"A320 heard once 27 m off its stand, then on it at 0.6 kt, then twice at 0 kt", "A320",
         {27.5, 0.5, 0.5, 0.5}, 0.0, false, AcPhase::parked, true, 12000, std::nullopt, {0.0, 0.6, 0.0, 0.0},
         std::nullopt, 0.0, true},
        {"C56X heard once on its stand, quiet 60 s, then 15 m on at 0 kt", "C56X", {0.5, 15.5}, 0.0, false,
         AcPhase::parked, false, 12000, std::nullopt, {}, std::nullopt, 60.0, true},
        {"C56X heard once on its stand, quiet 60 s, then 21 m on at 0 kt", "C56X", {0.5, 21.5}, 0.0, true,
         AcPhase::parked, false, 12000, std::nullopt, {}, std::nullopt, 60.0, true},
    };
    constexpr std::int32_t kExtensionDue = 60480000 + 5000;
    const auto callsOff = [this] {
        const std::vector<std::string> lines = log.lines();
        return std::count_if(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find("stays: its stream is back at the stand") != std::string::npos;
        });
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        const auto calledOffBefore = callsOff();
        LiveAc& aircraft = parkedOn(4, c.type);
        aircraft.phase = c.phase;
        // Its path extended a week ahead; an arrival that wanted its stand.
        aircraft.refillState = 1;
        aircraft.samples.front().dueTick = kExtensionDue;
        aircraft.wantsStand = 1;
        // 0 m: exactly on the stand's point, as a feed without grid or noise
        // puts it. Standing there a while first (three reports at least): its
        // reports' scatter is known.
        const auto southOfTheStand = [&](double metres) {
            return metres == 0.0 ? standPoint(4) : moved(standPoint(4), 180.0, metres);
        };
        const auto decode = [&](PosSample sample) {
            if (c.gate) {
                sample.streamTick = sample.dueTick;
                aircraft.reportGate.taken.push_back(sample);
            }
            decodeExisting(aircraft, sample);
        };
        for (std::int32_t k = c.metres.size() <= 3 && !c.heardOnce ? 2 : 0; k >= 0; --k)
            decode(sampleAt(southOfTheStand(c.metres.front()), c.speedsKt.empty() ? c.speedKt : c.speedsKt.front(),
                            c.due - k));
        for (std::size_t k = 1; k < c.metres.size(); ++k) {
            PosSample sample = sampleAt(southOfTheStand(c.metres[k]), c.speedsKt.empty() ? c.speedKt : c.speedsKt[k],
                                        c.due + static_cast<std::int32_t>(k));
            if (k + 1 == c.metres.size()) {
                aircraft.reportGate.silenceS = c.quietBeforeLastS;
                if (c.nextHeardM) {
                    sample.streamTick = sample.dueTick;
                    PosSample after = sampleAt(southOfTheStand(*c.nextHeardM), 0.0, sample.dueTick + 500);
                    after.streamTick = after.dueTick;
                    aircraft.reportGate.queued.push_back({after, 0.0, 0, 0});
                }
            }
            decode(sample);
        }
        EXPECT_EQ(aircraft.leavingStand, c.leaves ? 1 : 0);
        EXPECT_EQ(aircraft.samples.size(), c.queued.value_or(c.leaves ? 2U : 1U));
        EXPECT_EQ(aircraft.lifeState, AcLifeState::active) << "never removed";
        EXPECT_EQ(callsOff() - calledOffBefore, c.calledOff ? 1 : 0);
        if (c.leavesAt) {
            EXPECT_EQ(aircraft.samples.front().dueTick, g_tick + *c.leavesAt);
        }
        if (c.leaves || c.phase != AcPhase::parked) continue;
        // As before the leave: the stand held, the path's extension a week
        // ahead, the arrival not taken for towed.
        EXPECT_EQ(stand(4).occupied, 1);
        EXPECT_EQ(aircraft.samples.front().dueTick, kExtensionDue);
        EXPECT_EQ(aircraft.refillState, 1);
        EXPECT_EQ(aircraft.wantsStand, 1);
        EXPECT_EQ(aircraft.towed, 0);
    }
}

// The leave starts when the delayed stream leaves: the stream's first report
// off the stand is due later than the aircraft needs to get there at taxi
// speed. Meanwhile a report nearer the stand (a slow push, noise) calls the
// leave off no more than a farther one times or learns it again.
TEST_F(KnownSamples, ALeaveWaitsForTheDelayedStreamAndStaysDecided) {
    LiveAc& aircraft = parkedOn(4, "B744");
    aircraft.refillState = 1;
    aircraft.samples.front().dueTick = g_tick + 60480000;  // its path's extension
    const auto south = [](double metres, std::int32_t due) {
        return sampleAt(moved(standPoint(4), 180.0, metres), 2.0, due);
    };
    decodeExisting(aircraft, south(0.5, 12000));
    decodeExisting(aircraft, south(40.0, 13000));
    // 40 m at the heavy's 3 kt take 2592 ticks.
    const std::int32_t leaves = 13000 - 2592;
    EXPECT_EQ(aircraft.samples.front().dueTick, leaves);
    decodeExisting(aircraft, south(30.0, 13300));
    EXPECT_EQ(aircraft.leavingStand, 1);
    EXPECT_EQ(stand(4).occupied, 0) << "the stand it leaves stays free";
    decodeExisting(aircraft, south(90.0, 13600));
    EXPECT_EQ(aircraft.leavingStand, 1);
    EXPECT_EQ(aircraft.phase, AcPhase::parked);
    EXPECT_EQ(aircraft.samples.front().dueTick, leaves);
    EXPECT_EQ(aircraft.samples.size(), 3U) << "the extension, the first report off the stand and the farther one";
    EXPECT_EQ(standOptions, (std::vector<std::pair<std::int32_t, int>>{{4, 2}})) << "its leaving is learned once";
}

// A slow push decided only on a report well off (the reports before it lay
// within a standing stream's scatter, off where it stood all the same)
// leaves with the first report of that run: the delayed stream had left by
// then, while the push's pace to the deciding report would have it leave
// late. A report farther off than a push gets so soon (a jump) is timed by
// its pace alone.
TEST_F(KnownSamples, ALeaveDecidedLateGoesWithTheFirstReportOffWhereItStood) {
    struct Case {
        const char* name;
        double metres, kt;  // the report deciding the leave, south of the stand
        std::int32_t leaves;
    };
    const Case cases[] = {
        // 30 m at the B738's 4 kt would have it leave at 12043.
        {"30 m off at 2 kt: with the first report of the run", 30.0, 2.0, 11500},
        {"45 m off at 10 kt: as late as its pace gets it there", 45.0, 10.0, 13500 - 875},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LiveAc& aircraft = parkedOnFour();
        const auto south = [&](double metres, double kt, std::int32_t due) {
            reportSouthOfFour(aircraft, metres, kt, due);
        };
        south(0.5, 0.0, 11000);
        south(11.5, 0.0, 11500);
        south(13.0, 0.0, 12500);
        EXPECT_EQ(aircraft.leavingStand, 0) << "within the scatter a report without speed may show";
        south(c.metres, c.kt, 13500);
        ASSERT_EQ(aircraft.leavingStand, 1);
        EXPECT_EQ(aircraft.samples.front().dueTick, c.leaves);
    }
}

// A slow push on the feed's coarse grid: its first step lies within a
// standing stream's wander, and the leave is decided only on a report well
// off. The reports heard after that one (the stream plays 30 s late) show
// how slowly it went: the aircraft goes as much earlier than its taxi speed
// would have it, though never before the last report that still showed the
// stream where it stood.
TEST_F(KnownSamples, ALeaveOnASlowPushGoesAsEarlyAsThePaceHeardAfterItShows) {
    struct Case {
        const char* name;
        std::vector<double> afterM;  // south of the stand, at 14600, 15100 and 15500
        std::int32_t leaves;
    };
    const Case cases[] = {
        // 16.1 m from the stand at the B738's 4 kt take 782 ticks.
        {"standing where it decided: at taxi speed", {16.0, 16.5, 15.8}, 14300 - 782},
        // 9.9 m off where it stood in 12 s: 16.1 m take 1952 ticks.
        {"on at 1.6 kt", {14.1, 24.9, 26.0}, 14300 - 1952},
        {"on so slowly that it left before the last report where it stood", {14.1, 20.0, 23.0}, 12000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LiveAc& aircraft = parkedOnFour();
        // Standing about the stand every 5 s, then on the grid's next node.
        const double standingM[] = {0.5, 1.0, 0.0, 8.7, 7.7};
        const double standingKt[] = {0.0, 0.0, 0.0, 0.2, 2.2};
        for (int k = 0; k < 5; ++k) reportSouthOfFour(aircraft, standingM[k], standingKt[k], 11000 + 500 * k);
        EXPECT_EQ(aircraft.leavingStand, 0) << "the grid's next node lies within a standing stream's wander";
        reportSouthOfFour(aircraft, 16.1, 1.6, 14300);
        ASSERT_EQ(aircraft.leavingStand, 1);
        EXPECT_EQ(aircraft.samples.front().dueTick, 14300 - 782) << "nothing heard after it yet";
        const std::int32_t ticks[] = {14600, 15100, 15500};
        for (std::size_t k = 0; k < c.afterM.size(); ++k) reportSouthOfFour(aircraft, c.afterM[k], 1.5, ticks[k]);
        EXPECT_EQ(aircraft.leavingStand, 1);
        EXPECT_NEAR(aircraft.samples.front().dueTick, c.leaves, 1);
    }
}

// A take-off is read from a run speeding up report after report, or from
// two reports in a row off the ground; a stream first heard slowing down on
// the runway has landed; one that slows down again gives its take-off up.
TEST_F(KnownSamples, TakeOffsAndTouchAndGoesAreReadFromTheStream) {
    struct Report {
        double kt, altitudeFt;
    };
    struct Case {
        const char* name;
        bool landed;
        std::vector<Report> reports;  // the first one queued, the others fed in turn
        bool seen;
        bool rollsOut = false;       // slowing down on the runway: it has landed
        bool seenBefore = false;     // a take-off was seen already
        double ownKt = 0.0;          // how fast the aircraft itself rolls
        double stepM = 300.0;        // between reports 3 s apart
        bool streamTimed = false;    // the reports carry the stream's times
        // The aircraft held at the first report (its sample there reads 0 kt
        // and stands), each report taken at the gate first.
        bool held = false;
    };
    const Case cases[] = {
        {"40 kt, 43 kt, then faster", false, {{40, 0}, {43, 0}, {45, 0}}, true},
        {"43 kt, then faster: one faster report", false, {{43, 0}, {45, 0}}, false},
        {"42 kt before 45 kt", false, {{40, 0}, {42, 0}, {45, 0}}, true},
        {"45 kt twice: a stale speed field", false, {{40, 0}, {45, 0}, {45, 0}}, false},
        {"60 kt, then 59.4 kt: rolling out", false, {{60, 0}, {59.4, 0}}, false, true},
        {"61 kt, then 60.6 kt: no change worth reading", false, {{61, 0}, {60.6, 0}}, false},
        // Slower than a take-off yet faster than any taxi, a roll given up,
        // or a slow field after a roll: the positions between bear it out.
        {"45 kt, 41 kt, 65 m on in 3 s (42 kt), then 38 kt: rolling out", false, {{45, 0}, {41, 0}, {38, 0}}, false,
         true, false, 0.0, 65.0, true},
        {"45 kt, 41 kt, 65 m on in 3 s, then 41 kt: a stale field", false, {{45, 0}, {41, 0}, {41, 0}}, false, false,
         false, 0.0, 65.0, true},
        {"39 kt, then 37 kt, 58 m on in 3 s: a taxi's speed", false, {{39, 0}, {37, 0}}, false, false, false, 0.0,
         58.0, true},
        {"56 kt, 29 kt, 68 m on in 3 s (44 kt), then 20 kt: rolling out", false, {{56, 0}, {29, 0}, {20, 0}}, false,
         true, false, 0.0, 68.0, true},
        {"56 kt, 29 kt, 100 m on in 3 s (65 kt), then 20 kt: a low field on a take-off run", false,
         {{56, 0}, {29, 0}, {20, 0}}, false, false, false, 0.0, 100.0, true},
        {"56 kt, 29 kt, 45 m on in 3 s (29 kt), then 20 kt: a taxi's pace", false, {{56, 0}, {29, 0}, {20, 0}}, false,
         false, false, 0.0, 45.0, true},
        // Held at its last report (the feed fell quiet, say), the aircraft's
        // sample there reads 0 kt: the report as heard tells the roll.
        {"held at a report of 41 kt, then 28 kt, 55 m on in 3 s (36 kt), then 20 kt: rolling out", false,
         {{41, 0}, {28, 0}, {20, 0}}, false, true, false, 0.0, 55.0, true, true},
        {"rolling out at 60 kt, every other speed field 1.5 kt high", false, {{60, 0}, {61.5, 0}, {57, 0}, {58.5, 0}},
         false, true},
        {"two airborne reports at 120 and 130 kt", false, {{100, 0}, {120, 200}, {130, 300}}, true},
        {"one airborne report", false, {{30, 0}, {120, 200}}, false},
        {"an airborne report at 120 kt after 130 kt: a flipped flag in a roll-out", false, {{130, 0}, {120, 200}},
         false, true},
        {"60 kt twice, the second airborne: a flipped flag, a stale speed", false, {{60, 0}, {60, 200}}, false},
        // Lifting off, its first report in the air a little slower (a noisy
        // field): no roll-out, and the next one in the air tells.
        {"61.6 kt, then airborne at 60.9 and 63.4 kt: a lift-off", false, {{61.6, 0}, {60.9, 200}, {63.4, 300}},
         true},
        {"two airborne samples after a touch-down", true, {{120, 100}, {130, 300}}, true},
        {"one airborne sample after a touch-down", true, {{120, 0}, {130, 300}}, false},
        // Given up on the runway it rolls out; slowed to taxi speed it taxis.
        {"a take-off seen, 100 kt, 90 kt, then 80 kt", false, {{100, 0}, {90, 0}, {80, 0}}, false, true, true},
        {"a take-off seen, 40 kt, 35 kt, then 30 kt", false, {{40, 0}, {35, 0}, {30, 0}}, false, false, true},
        // Itself still fast when a report already slow comes (after a pause
        // of the feed, say), it rolls out rather than taxiing at that speed;
        // so does one that still has the stream's roll ahead of it.
        {"a take-off seen, rolling at 70 kt itself, 40 kt, 35 kt, then 30 kt", false, {{40, 0}, {35, 0}, {30, 0}},
         false, true, true, 70.0},
        {"a take-off seen, 60 kt, 50 kt, then 30 kt, the 60 kt and 50 kt still ahead", false,
         {{60, 0}, {50, 0}, {30, 0}}, false, true, true},
        // Given up only by reports that slow down one after another: one
        // slower report (a noisy speed field) gives none up; one at the same
        // speed (a stale field) breaks no run of slower ones.
        {"a take-off seen, 92 kt, then 90.5 kt", false, {{92, 0}, {90.5, 0}}, true, false, true},
        {"a take-off seen, 92 kt, 90.5 kt, then 95 kt", false, {{92, 0}, {90.5, 0}, {95, 0}}, true, false, true},
        {"a take-off seen, 100 kt, 90 kt, 90 kt, then 80 kt", false, {{100, 0}, {90, 0}, {90, 0}, {80, 0}}, false,
         true, true},
        {"a take-off seen, 100 kt, then 120 kt", false, {{100, 0}, {120, 0}}, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(1);
        aircraft.samples.front() = next(aircraft, 0.0, c.reports.front().kt, 0, c.reports.front().altitudeFt);
        aircraft.landed = c.landed ? 1 : 0;
        aircraft.takeOffSeen = c.seenBefore ? 1 : 0;
        aircraft.approach = 0;
        aircraft.wantsStand = 1;
        // Its step east along the taxiway, each tick.
        aircraft.lonStep = c.ownKt * kMetersPerNm / kTicksPerHour / gf_metresPerDegreeLon(aircraft.lat);
        if (c.streamTimed) aircraft.samples.front().streamTick = aircraft.samples.front().dueTick;
        if (c.held) {
            aircraft.reportGate.taken.push_back(aircraft.samples.front());
            aircraft.samples.front().groundSpeedKt = 0.0;
            aircraft.samples.front().stationary = 1;
        }
        for (std::size_t k = 1; k < c.reports.size(); ++k) {
            PosSample report = next(aircraft, c.stepM * static_cast<double>(k), c.reports[k].kt,
                                    300 * static_cast<std::int32_t>(k), c.reports[k].altitudeFt);
            if (c.streamTimed) report.streamTick = report.dueTick;
            if (c.held) aircraft.reportGate.taken.push_back(report);
            decodeExisting(aircraft, report);
        }
        ASSERT_EQ(aircraft.samples.size(), c.reports.size());
        EXPECT_EQ(aircraft.takeOffSeen, c.seen ? 1 : 0);
        if (!c.seenBefore) {
            EXPECT_EQ(aircraft.wantsStand, c.seen ? 0 : 1);
        }
        if (!c.landed) {
            EXPECT_EQ(aircraft.landed, c.rollsOut ? 1 : 0);
        }
        if (c.rollsOut) {
            EXPECT_NEAR(aircraft.touchdownHeading, 90.0 * kDegToRad, 1e-3) << "the runway's way is the stream's";
            EXPECT_EQ(aircraft.rolledOnTheWay, c.landed || c.seenBefore ? 1 : 0) << "it turns off once on that way";
        }
        if (c.seenBefore && !c.seen) {
            EXPECT_EQ(aircraft.lastThrottle, 0U) << "idle";
            EXPECT_EQ(aircraft.maxDelay, 3000);
        }
        if (!c.seen || c.seenBefore) continue;
        EXPECT_EQ(aircraft.lastThrottle, c.landed ? 3U : 0U);
        EXPECT_EQ(aircraft.lastFlaps, 1U);
        EXPECT_EQ(aircraft.maxDelay, 5000);
        EXPECT_EQ(aircraft.phase, AcPhase::taxi);
    }
}

// Reports queued while the aircraft was created are read at its activation:
// a stream already slowing down from a roll has landed; one speeding up
// report after report is a take-off run.
TEST_F(KnownSamples, AStreamQueuedWhileTheAircraftWasCreatedRollsItOut) {
    struct Case {
        const char* name;
        std::vector<double> kt;  // queued, 60 m and 3 s apart
        bool rollsOut;
    };
    const Case cases[] = {
        {"81 kt, then 71 kt", {81, 71}, true},
        {"a field read as 0, 81 kt, 0, 71 kt", {0, 81, 0, 71}, true},
        {"50, 60, 70, then 69.4 kt: a take-off run, one noisy field", {50, 60, 70, 69.4}, false},
        {"60, 70, 69.4 kt: one faster report, then slower", {60, 70, 69.4}, true},
        {"20, 15, then 10 kt: taxiing", {20, 15, 10}, false},
        // Below a take-off's speed the positions (60 m in 3 s, 39 kt) bear
        // a roll out, and the report after it slower still.
        {"42, 35, then 30 kt", {42, 35, 30}, true},
        {"42, 35, then 35 kt: a stale field", {42, 35, 35}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(0);
        for (std::size_t k = 0; k < c.kt.size(); ++k) {
            aircraft.samples.push_back(
                next(aircraft, 60.0 * static_cast<double>(k), c.kt[k], 300 * static_cast<std::int32_t>(k)));
            aircraft.samples.back().streamTick = aircraft.samples.back().dueTick;
        }
        lf_rollOutFromTheQueue(aircraft);
        EXPECT_EQ(aircraft.landed, c.rollsOut ? 1 : 0);
        EXPECT_EQ(aircraft.wantsStand, c.rollsOut ? 1 : 0);
    }
}

// Making up a pause of the feed, the aircraft heads for its stream's run,
// due late at the pause's pace; the stream climbs away: the take-off seen
// hurries the leg, and the climbing reports are due at their own times,
// after it, not after the leg as it was due before.
TEST_F(KnownSamples, AReportIsDueAfterTheLegAsATakeOffSeenHurriedIt) {
    LiveAc& aircraft = taxiing(1);
    aircraft.samples.front().stationary = 1;
    PosSample run = next(aircraft, 300.0, 60.0, 3000);
    run.streamTick = 10000 + 500;  // due by the stream 5 s from now, due late at the pause's pace
    aircraft.samples.push_back(run);
    aircraft.samples.pop_front();  // under way to the run's report
    aircraft.makingUpAPause = 1;
    aircraft.lonStep = 5.0 / gf_metresPerDegreeLon(aircraft.lat) / 100.0;  // 5 m/s
    for (int k = 1; k <= 2; ++k) {
        PosSample climb = next(aircraft, 300.0 + 200.0 * k, 120.0 + 10.0 * k, 500 + 400 * k, 200.0 * k);
        climb.streamTick = climb.dueTick;
        climb.verticalSpeed = 1500.0;
        decodeExisting(aircraft, climb);
    }
    ASSERT_EQ(aircraft.takeOffSeen, 1);
    ASSERT_EQ(aircraft.samples.size(), 3U);
    EXPECT_LT(aircraft.samples[0].dueTick, 13000) << "the leg hurried";
    EXPECT_EQ(aircraft.samples[1].dueTick, std::max(10900, aircraft.samples[0].dueTick + 1));
    EXPECT_EQ(aircraft.samples[2].dueTick, 11300);
}

TEST_F(KnownSamples, StationarySamplesBehindTheLastMovingOneGoWhenTheStreamMovesOn) {
    struct Case {
        const char* name;
        double metresFromLastMoving;
        std::int32_t stationaryGap;  // ticks between the stationary samples
        std::size_t left;
    };
    const Case cases[] = {
        {"10 m on, long wait", 10, 1000, 3},
        {"30 m on, long wait", 30, 1000, 6},
        {"30 m on, short wait", 30, 400, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(2);
        aircraft.landed = 1;  // rolling out at 40 kt: no 0.00015 degree box, 10 m is a move
        const PosSample lastMoving = aircraft.samples.back();
        for (int k = 1; k <= 3; ++k) {
            PosSample still = lastMoving;
            still.stationary = 1;
            still.groundSpeedKt = 0.0;
            still.dueTick = lastMoving.dueTick + k * c.stationaryGap;
            aircraft.samples.push_back(still);
        }
        PosSample moving = sampleAt(moved(gf_samplePoint(lastMoving), 90.0, c.metresFromLastMoving), 40.0, 20000);
        decodeExisting(aircraft, moving);
        EXPECT_EQ(aircraft.samples.size(), c.left);
        EXPECT_EQ(aircraft.samples.back().groundSpeedKt, 40.0);
        EXPECT_EQ(aircraft.samples.back().dueTick, 20000);
    }
}

TEST_F(KnownSamples, AnAircraftNotYetCreatedQueuesWhatTheLandingCheckAccepts) {
    LiveAc& aircraft = taxiing(1);
    aircraft.phase = AcPhase::birth;
    aircraft.samples.front().dueTick = 15000;
    decodeExisting(aircraft, next(aircraft, 300.0, 10.0, 100));  // due 10100, before the queued one
    ASSERT_EQ(aircraft.samples.size(), 2U);
    EXPECT_EQ(aircraft.samples.back().dueTick, 15001);
    EXPECT_EQ(aircraft.samples.front().dueTick, 15000) << "nothing is released before the aircraft exists";

    PosSample inTheAir = next(aircraft, 300.0, 150.0, 9000, 500.0);
    decodeExisting(aircraft, inTheAir);  // the same place, airborne: refused
    EXPECT_EQ(aircraft.samples.size(), 2U);
    EXPECT_EQ(aircraft.phase, AcPhase::birth);

    aircraft.samples.clear();
    decodeExisting(aircraft, next(aircraft, 600.0, 10.0, 9000));
    EXPECT_TRUE(aircraft.samples.empty());
}

// A hold or path extension in place (the stream had stopped): the first
// fitting sample ends it and the held sample is released; in the air a
// sample lying 100 degrees or more off the heading does not fit.
TEST_F(KnownSamples, AFittingSampleEndsAHoldAndInTheAirOnlyAheadFits) {
    struct Case {
        const char* name;
        bool inTheAir;
        double offDeg;  // bearing from the last queued sample, against the heading
        bool accepted;
    };
    const Case cases[] = {
        {"in the air, 99 degrees off", true, 99.0, true},
        {"in the air, 101 degrees off", true, 101.0, false},
        {"in the air, -101 degrees off", true, -101.0, false},
        {"on the ground, 150 degrees off", false, 150.0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(1);
        const double altitudeFt = c.inTheAir ? 3000.0 : 0.0;
        if (c.inTheAir) {
            aircraft.phase = AcPhase::flying;
            aircraft.groundMode = 0;
            aircraft.samples.front().altitudeFt = altitudeFt;
            aircraft.samples.front().airborne = 1;
        }
        aircraft.samples.front().dueTick = 10000 + 800;  // an extension sample
        aircraft.refillState = 3;
        aircraft.holding = 1;
        aircraft.holdStartTick = 9000;
        aircraft.maxAdvance = aircraft.maxDelay = 1000;
        const GeoPoint ahead = moved({aircraft.lat, aircraft.lon}, 90.0 + c.offDeg, 200.0);  // within the hold's 250 m
        decodeExisting(aircraft, sampleAt(ahead, 140.0, 12000, altitudeFt));
        EXPECT_EQ(aircraft.samples.size(), c.accepted ? 2U : 1U);
        EXPECT_EQ(aircraft.refillState, c.accepted ? 0 : 3);
        EXPECT_EQ(aircraft.holding, c.accepted ? 0 : 1);
        EXPECT_EQ(aircraft.maxAdvance, c.accepted ? 3000 : 1000);
        EXPECT_EQ(aircraft.samples.front().dueTick, c.accepted ? g_tick + 1 : 10800);
    }
}

TEST_F(KnownSamples, TwoStandingSamplesReleaseTheFrontAndANewDueTickIsNeverEarlier) {
    LiveAc& aircraft = taxiing(1);
    aircraft.samples.front().groundSpeedKt = 0.0;
    aircraft.samples.front().stationary = 1;
    aircraft.samples.front().dueTick = 15000;
    decodeExisting(aircraft, next(aircraft, 0.0, 0.0, 100));  // due 10100, before the queued one
    ASSERT_EQ(aircraft.samples.size(), 2U);
    EXPECT_EQ(aircraft.samples.front().dueTick, g_tick + 1);
    EXPECT_EQ(aircraft.samples.back().dueTick, 15001);
    EXPECT_EQ(aircraft.samples.back().stationary, 1);
}

TEST_F(KnownSamples, LandingCheck) {
    struct Case {
        const char* name;
        double metres;  // from the last queued sample (10 m lies in the 0.00015 degree box)
        double speedKt, altitudeFt, lastKt;
        bool takeOffSeen;
        SizeCategory category;
        bool accepted, becomesLast;
        // The reports taken at rest before it put the stream this far east
        // (north with `north`) of the last sample (4 of them, scattering 2 m
        // about it); none when negative.
        double restsAtM = -1.0;
        bool north = false;  // the sample lies north (the box is longer that way), not east
        double beforeM = -1.0;  // the report taken before it this far north; none when negative
        // Two reports taken between the ones at rest and the one before it,
        // this far north at its speed (a push's first ones); none when negative.
        double firstOffM = -1.0;
        // The report heard after it, at 0 kt this far east of the last
        // sample, waits at the gate; none when negative.
        double nextM = -1.0;
        bool stops = false;  // it stands where the sample lies, no speed on it
        std::int32_t afterTicks = 500;  // the sample due this long after the last
        // It ran out of samples at its last one, a report taken at `lastKt`,
        // and holds there for its stream (a standing copy queued after it).
        bool held = false;
        bool heard = false;  // both the last sample and this one with their times in the stream
    };
    const Case cases[] = {
        {"same place on the ground", 0, 3, 0, 10, false, SizeCategory::Large, true, false},
        // Out of the box east-west (it is narrower that way), yet the reports
        // at rest before it stand 5 m off it: the stream still stands.
        {"13 m off a standing aircraft, the stream at rest 5 m off it", 13, 0, 0, 0, false, SizeCategory::Large, true,
         true, 8},
        {"13 m off a standing aircraft, the stream at rest where it stands", 13, 0, 0, 0, false, SizeCategory::Large,
         true, false, 0},
        {"13 m off a standing aircraft, nothing at rest before", 13, 0, 0, 0, false, SizeCategory::Large, true, false},
        {"same place in the air", 0, 150, 500, 150, false, SizeCategory::Large, false, false},
        {"same place, rolling fast after take-off seen", 0, 3, 0, 30, true, SizeCategory::Large, false, false},
        {"same place, a helicopter in the air", 0, 0, 500, 0, false, SizeCategory::Rotorcraft, true, false},
        {"10 m on the ground after moving: the last bit of the way", 10, 3, 0, 10, false, SizeCategory::Large, true,
         false},
        // A field still at a taxi's speed whose way (31 m in 5 s at 12 kt) the
        // positions fall short of by more than 20 m is stale: the stream came
        // to rest there. Short of it by less, the fields are slowing.
        {"4 m on at 12 kt after 12 kt: a stale field, it stops there", 4, 12, 0, 12, false, SizeCategory::Large,
         true, false, -1.0, false, -1.0, -1.0, -1.0, true},
        {"8 m on at 12 kt after 12 kt: the last bit of the way", 8, 12, 0, 12, false, SizeCategory::Large, true,
         false},
        {"2 m on at 8.5 kt after 12 kt: slowing on its last bit", 2, 8.5, 0, 12, false, SizeCategory::Large, true,
         false},
        {"2 m on at 10 kt after 2 kt: a stale field on a slow push, it stands", 2, 10, 0, 2, false,
         SizeCategory::Large, true, true},
        // A slow push's noisy field: 5.5 kt over 10 s is 28 m, yet no taxi's.
        {"3 m on in 10 s at 5.5 kt after 3 kt: the push goes on", 3, 5.5, 0, 3, false, SizeCategory::Large, true,
         false, -1.0, false, -1.0, -1.0, -1.0, false, 1000},
        {"10 m on the ground standing, at 2 kt", 10, 2, 0, 0, false, SizeCategory::Large, true, true},
        {"10 m on the ground standing, off at 4 kt", 10, 4, 0, 0, false, SizeCategory::Large, true, false},
        // The report after it is back where the aircraft stands: a noisy
        // field on scatter. One still as far on shows the move.
        {"10 m on standing, off at 4 kt, the next report back 3 m off", 10, 4, 0, 0, false, SizeCategory::Large, true,
         true, -1.0, false, -1.0, -1.0, 3.0},
        {"10 m on standing, off at 4 kt, the next report 10 m off", 10, 4, 0, 0, false, SizeCategory::Large, true,
         false, -1.0, false, -1.0, -1.0, 10.0},
        {"10 m on, pushed at 2 kt after 2 kt: the push goes on", 10, 2, 0, 2, false, SizeCategory::Large, true, false},
        {"10 m on at 0.5 kt after 2 kt: it stands", 10, 0.5, 0, 2, false, SizeCategory::Large, true, true},
        // Within the box: a push at 2 kt shows its speed 14 m off, on from
        // the report before; a field slower than 1 kt, a report before as
        // far (a spot it flickers to) or none is noise.
        {"14 m north standing, off at 2 kt on from 6 m: a slow push", 14, 2, 0, 0, false, SizeCategory::Large, true,
         false, -1.0, true, 6.0},
        {"14 m north standing, at 0.5 kt on from 6 m", 14, 0.5, 0, 0, false, SizeCategory::Large, true, true, -1.0,
         true, 6.0},
        // The aircraft stopped at a report short of where the stream came to
        // rest: off at 2 kt from its sample, the report is within the noise
        // of the reports at rest.
        {"14 m north standing, off at 2 kt on from 6 m, the stream at rest 8 m north", 14, 2, 0, 0, false,
         SizeCategory::Large, true, true, 8.0, true, 6.0},
        {"14 m north standing, at 2 kt, the report before 13 m north", 14, 2, 0, 0, false, SizeCategory::Large, true,
         true, -1.0, true, 13.0},
        {"14 m north standing, at 2 kt, no report before", 14, 2, 0, 0, false, SizeCategory::Large, true, true, -1.0,
         true},
        // On the feed's coarse grid the push's next report falls on the node
        // of the one before it: both off where the stream stood at rest.
        {"14 m north at 2 kt, the report before 13 m north, the stream at rest where it stands", 14, 2, 0, 0, false,
         SizeCategory::Large, true, false, 0.0, true, 13.0},
        // The push's first reports, off where it stood, do not count among
        // the ones at rest.
        {"13 m north at 2 kt on from 9 m, two before at 11 m, the stream at rest where it stands", 13, 2, 0, 0, false,
         SizeCategory::Large, true, false, 0.0, true, 9.0, 11.0},
        // Run out of samples at a report still moving, it holds there: the
        // next report at rest, farther off than a standing stream wanders,
        // shows where the stream stopped. Within that wander, or held at a
        // report at rest, it stands.
        {"13 m north at rest, held at a report at 4 kt: the last bit of its way", 13, 0, 0, 4, false,
         SizeCategory::Large, true, false, -1.0, true, -1.0, -1.0, -1.0, false, 500, true},
        {"8 m north at rest, held at a report at 4 kt: it stands", 8, 0, 0, 4, false, SizeCategory::Large, true,
         true, -1.0, true, -1.0, -1.0, -1.0, false, 500, true},
        {"13 m north at rest, held at a report at rest", 13, 0, 0, 0, false, SizeCategory::Large, true, true, -1.0,
         true, -1.0, -1.0, -1.0, false, 500, true},
        {"10 m in the air", 10, 150, 500, 150, false, SizeCategory::Large, false, false},
        {"10 m, 50 kt after take-off seen", 10, 3, 0, 50, true, SizeCategory::Large, false, false},
        {"far, standing", 100, 0, 0, 10, false, SizeCategory::Large, true, false},
        {"far, standing after take-off seen from 50 kt", 100, 0, 0, 50, true, SizeCategory::Large, false, false},
        {"far, standing after take-off seen from 49 kt", 100, 0, 0, 49, true, SizeCategory::Large, true, false},
        // On a take-off run a report far on that reads 0 (across a pause of
        // the feed, say) goes on at the run's pace its position shows; at a
        // taxi's pace it is no run going on.
        {"1420 m on in 24 s at 0 kt after take-off seen from 67 kt: a stale field", 1420, 0, 0, 67, true,
         SizeCategory::Large, true, false, -1.0, false, -1.0, -1.0, -1.0, false, 2400, false, true},
        {"300 m on in 24 s at 0 kt after take-off seen from 67 kt", 300, 0, 0, 67, true, SizeCategory::Large, false,
         false, -1.0, false, -1.0, -1.0, -1.0, false, 2400, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        LiveAc& aircraft = taxiing(1);
        aircraft.sizeCategory = c.category;
        aircraft.takeOffSeen = c.takeOffSeen ? 1 : 0;
        aircraft.samples.front().groundSpeedKt = c.lastKt;
        if (c.held) {
            PosSample& last = aircraft.samples.front();
            last.streamTick = last.dueTick;
            aircraft.reportGate.taken.push_back(last);
            PosSample hold = last;
            hold.groundSpeedKt = 0.0;
            hold.stationary = 1;
            hold.dueTick += 200;
            aircraft.samples.push_back(hold);
            aircraft.holding = 1;
        }
        if (c.restsAtM >= 0.0) {
            for (int k = 0; k < 4; ++k) {
                const double m = c.restsAtM + (k % 2 == 0 ? 2.0 : -2.0);
                PosSample rest = next(aircraft, m, 0.0, -2000 + k * 500);
                if (c.north) {
                    const GeoPoint at = moved({aircraft.lat, aircraft.lon}, 0.0, m);
                    rest.lat = at.lat;
                    rest.lon = at.lon;
                }
                rest.streamTick = rest.dueTick;
                aircraft.reportGate.taken.push_back(rest);
            }
        }
        for (int k = 0; c.firstOffM >= 0.0 && k < 2; ++k) {
            PosSample off = next(aircraft, 0.0, c.speedKt, 100 + k * 50);
            const GeoPoint at = moved({aircraft.lat, aircraft.lon}, 0.0, c.firstOffM);
            off.lat = at.lat;
            off.lon = at.lon;
            off.streamTick = off.dueTick;
            aircraft.reportGate.taken.push_back(off);
        }
        if (c.beforeM >= 0.0) {
            PosSample before = next(aircraft, 0.0, c.speedKt, 200);
            const GeoPoint at = moved({aircraft.lat, aircraft.lon}, 0.0, c.beforeM);
            before.lat = at.lat;
            before.lon = at.lon;
            before.streamTick = before.dueTick;
            aircraft.reportGate.taken.push_back(before);
        }
        PosSample sample = next(aircraft, c.metres, c.speedKt, c.afterTicks);
        if (c.north) {
            const GeoPoint at = moved({aircraft.lat, aircraft.lon}, 0.0, c.metres);
            sample.lat = at.lat;
            sample.lon = at.lon;
        }
        sample.altitudeFt = c.altitudeFt;
        sample.airborne = c.altitudeFt > 0 ? 1 : 0;
        aircraft.reportGate.queued.clear();
        if (c.heard) {
            aircraft.samples.back().streamTick = aircraft.samples.back().dueTick;
            sample.streamTick = sample.dueTick;
        }
        if (c.nextM >= 0.0) {
            sample.streamTick = sample.dueTick;
            PosSample after = next(aircraft, c.nextM, 0.0, 900);
            after.streamTick = after.dueTick;
            aircraft.reportGate.queued.push_back({after, 0.0, 0, 0});
        }
        EXPECT_EQ(lf_landingCheck(aircraft, sample), c.accepted);
        if (!c.accepted) continue;
        EXPECT_EQ(sample.stationary, c.metres == 0 || c.becomesLast || c.stops ? 1 : 0);
        if (c.heard && c.speedKt == 0.0)
            EXPECT_NEAR(sample.groundSpeedKt, c.metres / kMetersPerNm * 3600.0 / (c.afterTicks / 100.0), 1.0);
        if (c.stops) {
            EXPECT_NE(sample.lon, aircraft.samples.front().lon) << "where the sample lies";
            EXPECT_EQ(sample.groundSpeedKt, 0.0);
        }
        if (c.becomesLast) {
            EXPECT_EQ(sample.lat, aircraft.samples.front().lat);
            EXPECT_EQ(sample.dueTick, aircraft.samples.front().dueTick + c.afterTicks)
                << "standing until the stream moves on";
            EXPECT_EQ(sample.groundSpeedKt, 0.0);
        }
    }
}

TEST_F(KnownSamples, AfterTouchDownSamplesBehindTheAircraftAreDropped) {
    LiveAc& aircraft = taxiing(3);
    aircraft.landed = 1;
    // The last two queued samples lie behind a new one 30 m east of the first.
    aircraft.samples[1] = next(aircraft, 60.0, 50.0, 300);
    aircraft.samples[2] = next(aircraft, 90.0, 50.0, 600);
    PosSample ahead = next(aircraft, 30.0, 60.0, 900);
    EXPECT_TRUE(checkNewPosDuringLanding(aircraft, ahead));
    EXPECT_EQ(aircraft.samples.size(), 1U);

    // Alone in the queue: a sample 150 degrees off puts the queued one where
    // the aircraft is; a faster one above 40 kt keeps the queued speed.
    aircraft.samples.front() = next(aircraft, 50.0, 50.0, 300);
    PosSample behind = next(aircraft, -40.0, 60.0, 900);
    EXPECT_TRUE(checkNewPosDuringLanding(aircraft, behind));
    EXPECT_EQ(aircraft.samples.front().lat, aircraft.lat);
    EXPECT_EQ(aircraft.samples.front().lon, aircraft.lon);
    EXPECT_EQ(aircraft.samples.front().dueTick, g_tick + 1);
    EXPECT_EQ(behind.groundSpeedKt, 50.0);

    aircraft.approach = 1;
    aircraft.samples.front() = next(aircraft, 50.0, 50.0, 300);
    PosSample back = next(aircraft, 10.0, 50.0, 900);
    EXPECT_FALSE(checkNewPosDuringLanding(aircraft, back)) << "90 degrees off on approach";

    // Exactly where the last sample lies (a field there read 36 kt, stale
    // after a pause of the feed): a report at rest shows the roll-out came to
    // rest there, one on the move is a repeat.
    aircraft.approach = 0;
    aircraft.samples.front() = next(aircraft, 300.0, 36.0, 300);
    PosSample repeat = next(aircraft, 300.0, 36.0, 900);
    EXPECT_FALSE(checkNewPosDuringLanding(aircraft, repeat));
    PosSample rest = next(aircraft, 300.0, 0.0, 900);
    EXPECT_TRUE(checkNewPosDuringLanding(aircraft, rest));
    EXPECT_EQ(rest.stationary, 1);
}

}  // namespace
