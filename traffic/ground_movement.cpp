#include "traffic/ground_movement.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <utility>

#include "airports/airport_services.h"
#include "foundation/geodesy.h"
#include "simlink/request_queues.h"
#include "traffic/ai_controls.h"
#include "traffic/air_motion.h"
#include "traffic/engine_jobs.h"
#include "traffic/known_samples.h"
#include "traffic/motion_math.h"
#include "traffic/report_gate.h"
#include "traffic/stand_moves.h"
#include "traffic/stand_parking.h"
#include "traffic/state.h"

namespace {
struct NearUserRow {
    double distanceNm;
    double altitudeFt;
    double lateralFt;
};
constexpr NearUserRow kNearUserRows[] = {{4.0, 1000.0, 700.0}, {6.0, 3000.0, 4000.0}};

constexpr double kFiftyMetresNm = 0.02699784017278618;
constexpr double kHundredMetresNm = 100.0 / kMetersPerNm;
constexpr double kThirtyMetresNm = 0.01619870410367171;
constexpr double kCreepNm = 0.018898488120950324;  // 35 m
constexpr double kNoTurnDeg = 3.0;
constexpr double kMidSampleTurnDeg = 45.0;
constexpr double kCurveTurnDeg = 160.0;
// A pace this many times another is a change the curve would hide.
constexpr double kPaceChangeShare = 2.0;
constexpr double kMidSampleMostKt = 43.0;
constexpr std::int32_t kMidSampleGapTicks = 600;
constexpr double kSpeedChangeKt = 5.0;
constexpr double kCreepKt = 5.0;
// Under this (kt) a speed field or the pace of the positions shows no motion.
constexpr double kStandingShownKt = 2.0;
// A stream going on to its next report at less than this share of the pace
// it came in at stood meanwhile.
constexpr double kCameToRestShare = 0.5;
constexpr std::int64_t kQuietBesideAStandTicks = 6000;
// A control point of a taxi curve is brought onto the line ahead of the nose
// when it lies at least this share of its distance ahead.
constexpr double kControlAheadShare = 0.25;
constexpr double kControlShiftM = 10.0;
constexpr double kBehindNm = 0.5 / kMetersPerNm;  // farther from a standing sample than this is behind it
constexpr double kLeastStreamKt = 5.0;
constexpr double kCatchUpFactor = 2.0;
// An aircraft this many times as fast as its stream at least catches up.
constexpr double kCatchUpLeastShare = 1.2;
// Positions show a stream faster than its speed fields by this share at most
// (a roll's fields may lag a little); more is a report off the way.
constexpr double kPositionsShare = 1.25;
// Over this long (ticks) the positions of the reports queued show the
// stream's speed whatever its speed fields say (stale at a take-off roll's
// start, say): the feed's grid steps average out, and a stray report no
// aircraft could have reached is not among them.
constexpr std::int64_t kLongSpanTicks = 1000;
// Samples this far apart in the stream bridge a pause of the feed.
constexpr std::int64_t kPauseTicks = 2000;
// At its last sample this long after it fell due, the aircraft waited there.
constexpr std::int64_t kWaitedAtTheLastTicks = 500;
constexpr double kRollAheadDeg = 20.0;
// An aircraft this far beside a run's line and behind its report joins the
// line before it rolls.
constexpr double kJoinLeastM = 30.0;
// A report this far beside the line of a roll lies off the runway.
constexpr double kOffTheRollM = 60.0;
// A run's line is drawn between reports at least this far apart.
constexpr double kRunLineLeastM = 100.0;
// A roll goes on this share of its distance beside the line it came along
// at most (a few degrees off it).
constexpr double kLinedUpAsideShare = 0.06;
// How fast an aircraft starting to taxi speeds up (m/s each second).
constexpr double kSpeedUpMps2 = 0.5;
// A helicopter lifting into a hover-taxi is at its pace within a few seconds.
constexpr double kHoverSpeedUpMps2 = 2.0;

}  // namespace

double gf_taxiCeilingKt(SizeCategory category) {
    switch (category) {
        case SizeCategory::Light:
            return 20.0;
        case SizeCategory::Rotorcraft:
            return 40.0;
        default:
            return 30.0;
    }
}

namespace {

// The length (nm) of the way to s1: along the curve, or straight from where
// the aircraft is.
double wayToNextNm(const LiveAc& aircraft) {
    if (gf_hasCurve(aircraft.curve)) return gf_curveLengthM(aircraft.curve, aircraft.curve.t, 1.0) / kMetersPerNm;
    return gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(aircraft.samples[1]));
}

std::int32_t now() { return g_tick.load(std::memory_order_relaxed); }

double distanceNm(const PosSample& a, const PosSample& b) {
    return gf_distanceNm(gf_samplePoint(a), gf_samplePoint(b));
}

// The curve's turn in ticks: 90 degrees at the turn rate (radians per tick,
// so "a / turnRate / 100" is the count the motion tables were tuned for).
std::int32_t turnTicks(double angleDeg, double turnRate) {
    return gf_roundTicks(angleDeg / turnRate / 100.0);
}

// A parked aircraft whose stream leaves the stand: forwards when the stream
// lies ahead of the stand, backwards otherwise.
void lf_leaveParked(LiveAc& aircraft) {
    const PosSample& last = aircraft.samples.back();
    const double bearing = gf_bearingRad(GeoPoint{aircraft.standLat, aircraft.standLon}, gf_samplePoint(last));
    const double offDeg = std::round(gf_normaliseRad(bearing - aircraft.standHeading) * kRadToDeg);
    if (std::fabs(offDeg) < 90.0)
        lf_pullOut(aircraft);
    else
        lf_startPushBack(aircraft);
}

void lf_pushBackStep(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    --aircraft.pushBackCountdown;
    if (aircraft.pushBackCountdown == 1) {
        if (aircraft.turnSide[1] != 0 && queue.size() >= 3) {
            if (aircraft.turnSide[0] != 0) queue.back() = aircraft.pushBackAltEnd;
            lf_buildCurve(aircraft);
            aircraft.curve.tStep = 1.0 / std::max(turnTicks(90.0, aircraft.turnRate), 1);
            aircraft.curve.angleDeg = 90.0;
        } else if (queue.size() >= 3) {
            queue.pop_back();  // a straight push-back
        }
        return;
    }
    if (aircraft.pushBackCountdown >= 1) return;
    aircraft.targetBearing = aircraft.heading;
    gf_queueEngineStart(aircraft.objectId);
    gf_setThrottle(aircraft, 0);
    gf_setFlaps(aircraft, 1);
    gf_setPhase(aircraft, AcPhase::pushed_back);
    aircraft.pushBackCountdown = 1;
    aircraft.lastPushBackDist = kNoReportSinceThePushNm;
    aircraft.pushedStoodLat = aircraft.pushedStoodLon = 0.0;
    aircraft.refillState = 0;
    aircraft.leavingStand = 0;
    // A report farther from the stand than the push took the aircraft shows
    // the stream gone on, and so does one off the stand the other way (the
    // stream standing on another stand); one nearer, on the push's way, is
    // the stream's own push still coming.
    const GeoPoint stand{aircraft.standLat, aircraft.standLon};
    if (const std::optional<PosSample> heard = std::exchange(aircraft.heardWhilePushing, std::nullopt)) {
        const double pushedNm = gf_distanceNm(stand, gf_acPoint(aircraft));
        const double offStandNm = gf_distanceNm(stand, gf_samplePoint(*heard));
        if (offStandNm > pushedNm ||
            (offStandNm > kStandingNoiseNm &&
             gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(*heard)) > pushedNm + kStandingNoiseNm))
            decodeExisting(aircraft, *heard);
    }
}

// Whether the stream goes much faster from s1 on than to it (a roll
// starting after a slow line-up): a curve through s1, which only shapes the
// way to s2, would spread the leg's time evenly and leave early. (A sharper
// turn, onto the runway, say, keeps its curve: turning at s1 it would leave
// late.)
bool lf_speedsUpAt(const PosSample& s0, const PosSample& s1, const PosSample& s2) {
    const double before = static_cast<double>(static_cast<std::int64_t>(s1.dueTick) - s0.dueTick);
    const double after = static_cast<double>(static_cast<std::int64_t>(s2.dueTick) - s1.dueTick);
    if (before <= 0.0 || after <= 0.0) return false;
    const double beforeKt = distanceNm(s0, s1) * kTicksPerHour / before;
    const double afterKt = distanceNm(s1, s2) * kTicksPerHour / after;
    return afterKt - beforeKt > kSpeedChangeKt && afterKt > kPaceChangeShare * beforeKt;
}

// Taxi turns: a curve through s1, a mid sample before a sharp turn, or a
// mid sample where the speed changes much.
void lf_taxiTurn(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue[1].stationary != 0) return;
    if (queue.size() >= 3 && queue[2].stationary == 0) {
        const double turnDeg = std::fabs(gf_turnAngle(aircraft) * kRadToDeg);
        if (turnDeg <= kNoTurnDeg) {
            lf_checkSpeedChange(aircraft);
        } else if (turnDeg > kMidSampleTurnDeg && distanceNm(queue[0], queue[1]) > kFiftyMetresNm &&
                   !gf_bridgesAPause(aircraft, queue[0], queue[1]) &&
                   queue[0].groundSpeedKt <= kMidSampleMostKt &&
                   static_cast<std::int64_t>(queue[1].dueTick) - queue[0].dueTick >= kMidSampleGapTicks) {
            lf_insertMidSample(aircraft);
        } else if (turnDeg <= kCurveTurnDeg && !gf_samePosition(queue[0], queue[2]) &&
                   !(turnDeg <= kMidSampleTurnDeg && lf_speedsUpAt(queue[0], queue[1], queue[2]))) {
            lf_buildCurve(aircraft);
            aircraft.curve.angleDeg = turnDeg;
        } else {
            lf_checkSpeedChange(aircraft);
        }
    } else if (queue.size() >= 3) {
        lf_checkSpeedChange(aircraft);
    } else if (aircraft.refillState < 1) {
        lf_checkSpeedChange(aircraft);
    }
    if (gf_hasCurve(aircraft.curve)) {
        aircraft.turningToBearing = 0;
    } else {
        // The shorter way round: 359 and 1 degrees are 2 degrees apart.
        aircraft.turnToBearingDeg = gf_headingDifferenceDeg(aircraft.heading, aircraft.targetBearing);
        aircraft.turningToBearing = aircraft.turnToBearingDeg > kNoTurnDeg ? 1 : 0;
    }
}

// An arrival creeping to the end of its stream looks for a stand there;
// any aircraft whose stream has been quiet a minute beside a stand has
// parked there (towed there, say, its transponder off).
void lf_lookForStand(LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (queue.back().stationary == 0 || !gf_parkFileLoaded()) return;
    const AcPhase before = aircraft.prevPhase;
    // A departure that stops on its way out waits.
    const bool departure = aircraft.towed == 0 && (before == AcPhase::parked || before == AcPhase::pushing_back ||
                                                   before == AcPhase::pushed_back);
    if (aircraft.refillState < 1) {
        if (!departure && queue.size() >= 2 && queue[1].groundSpeedKt <= kCreepKt &&
            gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(queue.back())) <= kCreepNm)
            try2Park(aircraft, false);
        return;
    }
    const bool quietLong = aircraft.holding != 0 &&
                           static_cast<std::int64_t>(now()) - aircraft.holdStartTick >= kQuietBesideAStandTicks;
    if (departure && !quietLong) return;
    try2Park(aircraft, aircraft.wantsStand != 0 || quietLong);
}

// The pace (kt) at which an aircraft behind the delayed stream makes up the
// way: twice the pace the positions of its samples show from sample `from`
// on, at taxi speed at most; none on a take-off run or a roll-out still
// faster than a taxi, whose pace is the stream's (one rolled out, standing on
// the runway through a pause of the feed, say, makes the way up as a taxi).
double lf_behindKt(const LiveAc& aircraft, std::size_t from) {
    if (aircraft.takeOffSeen != 0) return 0.0;
    if (aircraft.landed != 0 && gf_ownGroundSpeedKt(aircraft) > gf_taxiCeilingKt(aircraft.sizeCategory)) return 0.0;
    const double kt = std::min(gf_streamSpeedOnKt(aircraft, from), gf_taxiCeilingKt(aircraft.sizeCategory));
    return kt > 0.0 ? gf_groundCeilingKt(aircraft, kt) : 0.0;
}

// Whether the stream stood at a report taken: neither its speed field nor
// the positions over the ten seconds before it show it moving (a slow tow
// the aircraft stopped behind when its samples ran out shows its motion),
// or they show it coming in at a crawl and its next sample lies much
// nearer than going on at that pace till then takes it (it came to rest,
// then the feed was quiet a while).
bool lf_streamStoodAt(const LiveAc& aircraft, const PosSample& at, const PosSample& next) {
    if (at.streamTick == 0) return false;
    for (std::size_t k = 0;; ++k) {
        const PosSample* report = gf_takenReport(aircraft, k);
        if (report == nullptr || report->streamTick < at.streamTick) return false;
        if (report->streamTick != at.streamTick) continue;
        if (report->groundSpeedKt >= kStandingShownKt) return false;
        const double shownKt = gf_shownUpToKt(aircraft, *report);
        if (shownKt < kStandingShownKt) return true;
        const double ticks = static_cast<double>(static_cast<std::int64_t>(next.dueTick) - report->streamTick);
        return ticks > 0.0 && distanceNm(at, next) * kTicksPerHour / ticks < kCameToRestShare * shownKt;
    }
}

// Ticks to go from standing at s0 to s1, speeding up to s1's speed as an
// aircraft starting to taxi does, and on at it: a sample far on at taxi
// speed (the feed's next report a quarter minute after the stream moved off)
// is no speed-up all the way there, which would have the aircraft leave long
// before the delayed stream. Its speed is s1's, or, where s1 shows a
// crawl, s2's where the stream goes on faster (up to taxi speed: a speed
// field a few knots low says the stream crawled there). A speed field of 0
// on a sample that moved is stale: its speed is the one its position shows
// on the way to s2. Without s2 going on from it (its report still waits at
// the gate, or lies on s1's node of the feed's coarse grid), where the
// stream stood at s0 it moved off at some unknown time before s1: at a
// creep, so that the aircraft does not roll off long before the delayed
// stream did. Otherwise none (0).
std::int32_t ticksFromStanding(const LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    const double ceilingKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    double speedKt = queue[1].groundSpeedKt;
    const bool goesOn = queue.size() >= 3 && queue[2].stationary == 0 && queue[2].dueTick > queue[1].dueTick;
    if (speedKt <= 0.0 && goesOn)
        speedKt = distanceNm(queue[1], queue[2]) * kTicksPerHour /
                  static_cast<double>(static_cast<std::int64_t>(queue[2].dueTick) - queue[1].dueTick);
    if (goesOn && speedKt < kCreepKt) speedKt = std::max(speedKt, std::min(queue[2].groundSpeedKt, ceilingKt));
    if (speedKt <= 0.0 && !goesOn && lf_streamStoodAt(aircraft, queue[0], queue[1])) speedKt = kCreepKt;
    if (speedKt <= 0.0) return 0;
    const double metres = distanceNm(queue[0], queue[1]) * kMetersPerNm;
    const double mps = speedKt * kMetersPerNm / 3600.0;
    const double speedUp = aircraft.sizeCategory == SizeCategory::Rotorcraft ? kHoverSpeedUpMps2 : kSpeedUpMps2;
    const double speedUpM = mps * mps / (2.0 * speedUp);
    const double seconds = metres <= speedUpM ? 2.0 * metres / mps : metres / mps + mps / (2.0 * speedUp);
    return std::max(gf_roundTicks(seconds * 100.0), kMinSampleTicks);
}

// The way (radians) the stream goes on from a report it resumed with: to the
// first report queued after it that lies far enough on to show a way, else
// its track field (none: it had none).
std::optional<double> lf_resumedWayRad(const LiveAc& aircraft, const PosSample& to) {
    for (const PosSample& s : aircraft.samples)
        if (s.streamTick > to.streamTick && distanceNm(to, s) >= kThirtyMetresNm)
            return gf_bearingRad(gf_samplePoint(to), gf_samplePoint(s));
    if (to.trackDeg == 0.0) return std::nullopt;
    return to.trackDeg * kDegToRad;
}

// Whether the report taken before `to` showed the aircraft rolling (faster
// than it taxies) on the ground.
bool lf_rollingBefore(const LiveAc& aircraft, const PosSample& to) {
    const PosSample* before = gf_takenBefore(aircraft, to);
    return before != nullptr && before->airborne == 0 &&
           before->groundSpeedKt > gf_taxiCeilingKt(aircraft.sizeCategory);
}

// Whether the report taken before `to` showed the aircraft rolling (faster
// than it taxies) on the ground, and `to` lies well beside the line the
// roll went along to it (a runway's), however small the angle over a long
// way: the roll is no longer what the stream shows at `to`.
bool lf_besideTheRollBefore(const LiveAc& aircraft, const PosSample& to) {
    if (!lf_rollingBefore(aircraft, to)) return false;
    const PosSample* before = gf_takenBefore(aircraft, to);
    const PosSample* earlier = gf_takenBefore(aircraft, *before);
    const double way = earlier != nullptr && distanceNm(*earlier, *before) >= kThirtyMetresNm
                           ? gf_bearingRad(gf_samplePoint(*earlier), gf_samplePoint(*before))
                           : before->trackDeg * kDegToRad;
    const double metres = distanceNm(*before, to) * kMetersPerNm;
    const double off = gf_normaliseRad(gf_bearingRad(gf_samplePoint(*before), gf_samplePoint(to)) - way);
    return metres * std::fabs(std::sin(off)) > std::max(kJoinLeastM, kLinedUpAsideShare * metres);
}

// Whether the stream's roll through `to` goes straight ahead of the nose:
// the aircraft is lined up for it, not still taxiing to the runway. (Far
// behind `to` and well beside the roll's line, a small angle still takes it
// across the field: it is not on the runway.)
bool lf_linedUpFor(const LiveAc& aircraft, const PosSample& to) {
    if (gf_headingDifferenceDeg(aircraft.heading, gf_bearingRad(gf_acPoint(aircraft), gf_samplePoint(to))) >
        kRollAheadDeg)
        return false;
    const std::optional<double> rollRad = lf_resumedWayRad(aircraft, to);
    if (!rollRad) return true;
    const double metres = gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(to)) * kMetersPerNm;
    const double off = gf_normaliseRad(gf_bearingRad(gf_acPoint(aircraft), gf_samplePoint(to)) - *rollRad);
    return gf_headingDifferenceDeg(aircraft.heading, *rollRad) <= kRollAheadDeg &&
           metres * std::fabs(std::sin(off)) <= std::max(kJoinLeastM, kLinedUpAsideShare * metres);
}

// Where the aircraft, beside the line (radians `way`) a run goes along
// through `to` and well behind `to`, joins it: the nearest point of the
// line, a sample of its own due at taxi speed. None when it lies near the
// line already, or not behind the report.
std::optional<PosSample> lf_joinOnto(const LiveAc& aircraft, const PosSample& to, double way) {
    const double north = (aircraft.lat - to.lat) * kMetresPerDegreeLat;
    const double east = gf_lonDifference(to.lon, aircraft.lon) * gf_metresPerDegreeLon(to.lat);
    const double along = north * std::cos(way) + east * std::sin(way);
    const double aside = -north * std::sin(way) + east * std::cos(way);
    // Beside the line, well behind the report: far enough to line up first.
    if (along > -kJoinLeastM || std::fabs(aside) < kJoinLeastM) return std::nullopt;
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    PosSample join = to;
    join.lat = to.lat + along * std::cos(way) / kMetresPerDegreeLat;
    join.lon = to.lon + along * std::sin(way) / gf_metresPerDegreeLon(to.lat);
    join.groundSpeedKt = join.trueAirspeedKt = taxiKt;
    join.trackDeg = way * kRadToDeg;
    join.streamTick = 0;
    join.silenceS = 0.0F;
    join.stationary = 0;
    join.airborne = 0;
    join.dueTick = gsl::narrow<std::int32_t>(
        now() + std::max(gf_roundTicks(std::fabs(aside) / kMetersPerNm * kTicksPerHour / taxiKt), kMinSampleTicks));
    return join;
}

// A take-off run the stream resumed after a pause of the feed, across the
// way of an aircraft that waited for it (at the holding point, say): the
// aircraft taxies to the run's line first, at taxi speed, and lines up there;
// its run goes on along that line, not across the field to the first report.
void lf_joinTheRollsLine(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2 || aircraft.phase != AcPhase::taxi || aircraft.landed != 0 || aircraft.takeOffSeen != 0) return;
    const PosSample& s1 = queue[1];
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    if (s1.airborne != 0 || s1.groundSpeedKt <= taxiKt || !gf_bridgesAPause(aircraft, queue[0], s1)) return;
    // Rolling already when the feed fell quiet (first heard rolling out,
    // its fields stale after), it waited at no holding point for a run.
    if (lf_rollingBefore(aircraft, s1)) return;
    const std::optional<double> way = lf_resumedWayRad(aircraft, s1);
    if (!way) return;
    const std::optional<PosSample> join = lf_joinOnto(aircraft, s1, *way);
    if (!join) return;
    queue.insert(queue.begin() + 1, *join);
}

// A sample's speed field as its report said it (a sample's own may have
// been set for the motion's sake: a hold's 0, say).
double lf_reportedKt(const LiveAc& aircraft, const PosSample& sample) {
    double kt = sample.groundSpeedKt;
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k)
        if (sample.streamTick != 0 && report->streamTick == sample.streamTick) kt = std::max(kt, report->groundSpeedKt);
    return kt;
}

// Reports of a run (faster than the aircraft taxies) lying well beside the
// line the aircraft is on, their track fields along it: the feed's
// positions jump while its fields hold, and a run never goes 60 m sideways.
// Each is brought onto the line, as far along it as it lay: the aircraft
// rolls on down the runway, not across the grass to it. The line runs along
// the track fields through the aircraft, rolling with its nose along them
// or standing where its stream stood before the run (its nose may point
// anywhere: it came onto the runway round a bend).
// (A field read 0 amid the run's is the run's too; a report slower than a
// taxi may be turning off. A landing's roll-out turns off at its exit, not
// along the line, and is left alone; so is a report after a pause of the
// feed, which may have turned off meanwhile.)
void lf_keepToTheRollsLine(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (aircraft.landed != 0 || aircraft.groundMode == 0 || aircraft.sizeCategory == SizeCategory::Rotorcraft) return;
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    const PosSample& s0 = queue[0];
    const bool standsWhereItStood =
        s0.streamTick != 0 && lf_reportedKt(aircraft, s0) < kStandingShownKt &&
        gf_ownGroundSpeedKt(aircraft) < kStandingShownKt &&
        gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(s0)) <= kScatterReachNm;
    // Taxiing, the aircraft is on no run: a report at a run's pace is a jump
    // the gate read as one, not a roll along its nose.
    if (!standsWhereItStood && gf_ownGroundSpeedKt(aircraft) <= taxiKt && lf_reportedKt(aircraft, s0) <= taxiKt) return;
    bool run = false;
    for (std::size_t k = 1; k < queue.size(); ++k) {
        PosSample& s = queue[k];
        if (s.airborne != 0 || s.streamTick == 0 || s.stationary != 0 || s.silenceS * 100.0 >= kPauseTicks) return;
        run = s.groundSpeedKt > taxiKt || (run && s.groundSpeedKt == 0.0);
        if (!run || s.trackDeg == 0.0) return;
        const double way = s.trackDeg * kDegToRad;
        if (!standsWhereItStood && gf_headingDifferenceDeg(aircraft.heading, way) > kRollAheadDeg) return;
        const double north = (s.lat - aircraft.lat) * kMetresPerDegreeLat;
        const double east = gf_lonDifference(aircraft.lon, s.lon) * gf_metresPerDegreeLon(aircraft.lat);
        const double along = north * std::cos(way) + east * std::sin(way);
        const double aside = -north * std::sin(way) + east * std::cos(way);
        if (along <= 0.0 || std::fabs(aside) <= kOffTheRollM) continue;
        s.lat = aircraft.lat + along * std::cos(way) / kMetresPerDegreeLat;
        s.lon = aircraft.lon + along * std::sin(way) / gf_metresPerDegreeLon(aircraft.lat);
    }
}

// Having waited out a pause of the feed where its stream was last heard
// moving, the aircraft is behind the delayed stream, which went on along the
// way to the report it resumed with at the pace its positions show over the
// pause. It catches up at its ceiling's pace (twice the stream's, taxi speed
// at most) to where it meets the stream on that way, a sample of its own,
// and goes on from there at the stream's pace: not at one pace all the way,
// behind until it gets there. (One that stood when the feed fell quiet left
// at some unknown time: the aircraft makes that way up as it did.)
void lf_catchUpOverThePause(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    // (A curve through s1 shapes the way on to s2: no meeting on the way to s1.)
    if (queue.size() < 2 || aircraft.landed != 0 || aircraft.takeOffSeen != 0 ||
        aircraft.sizeCategory == SizeCategory::Rotorcraft || gf_hasCurve(aircraft.curve))
        return;
    const PosSample& s0 = queue[0];
    const PosSample& s1 = queue[1];
    if (s0.streamTick == 0 || s1.streamTick <= s0.streamTick || s1.stationary != 0 || s1.airborne != 0 ||
        s1.groundSpeedKt > gf_taxiCeilingKt(aircraft.sizeCategory) || !gf_bridgesAPause(aircraft, s0, s1) ||
        lf_streamStoodAt(aircraft, s0, s1))
        return;
    const double wayNm = distanceNm(s0, s1);
    const double streamPerTick = wayNm / static_cast<double>(static_cast<std::int64_t>(s1.streamTick) - s0.streamTick);
    const double streamKt = streamPerTick * kTicksPerHour;
    const double ownPerTick = gf_groundCeilingKt(aircraft, streamKt) / kTicksPerHour;
    const double t0 = now();
    const double streamGoneNm = streamPerTick * (t0 - s0.streamTick);
    if (ownPerTick <= kCatchUpLeastShare * streamPerTick || streamGoneNm < kScatterReachNm) return;
    // Where the aircraft going at its pace from s0 now and the stream going on
    // at its pace from s0 since it was there meet.
    const double meetTick = (ownPerTick * t0 - streamPerTick * s0.streamTick) / (ownPerTick - streamPerTick);
    const double meetNm = ownPerTick * (meetTick - t0);
    if (meetNm >= wayNm - kScatterReachNm) return;
    const double share = meetNm / wayNm;
    PosSample meet = s1;
    meet.lat = s0.lat + (s1.lat - s0.lat) * share;
    meet.lon = s0.lon + gf_lonDifference(s0.lon, s1.lon) * share;
    meet.groundSpeedKt = streamKt;
    meet.streamTick = 0;
    meet.silenceS = 0.0F;
    meet.dueTick = gsl::narrow<std::int32_t>(std::llround(meetTick));
    queue.insert(queue.begin() + 1, meet);
}

// An aircraft standing still (s0 at 0 kt) whose next sample moves leaves
// when the delayed stream does: as late as speeding up from 0 to s1's speed
// still brings it to s1 by s1's due tick. Until then it stands: a standing
// copy of s0 due then becomes s1. True when it waits.
bool lf_waitToLeave(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue[0].groundSpeedKt != 0.0 || queue[1].stationary != 0) return false;
    const std::int32_t leaving = ticksFromStanding(aircraft);
    const std::int64_t wait = static_cast<std::int64_t>(queue[1].dueTick) - now() - leaving;
    if (leaving == 0 || wait <= kMinSampleTicks) return false;
    PosSample standing = queue[0];
    standing.stationary = 1;
    standing.dueTick = gsl::narrow<std::int32_t>(now() + wait);
    queue.insert(queue.begin() + 1, standing);
    return true;
}

// An aircraft that fell behind (slowed in a turn) and whose next sample
// stands still first drives the rest of the way there, at the speed it had
// (taxi speed at least), then stops: a moving copy of s1 becomes s1.
bool lf_finishTheWay(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue[1].stationary == 0) return false;
    const double restNm = gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(queue[1]));
    if (restNm <= kBehindNm) return false;
    // Close by but off to its side or behind, the sample lies inside the
    // circle the aircraft turns on at a creep: it would go round it for ever.
    // Within the stream's noise of it, it has arrived.
    const double offNose = std::fabs(
        gf_normaliseRad(gf_bearingRad(gf_acPoint(aircraft), gf_samplePoint(queue[1])) - aircraft.heading));
    if (restNm <= kStandingNoiseNm && offNose >= kCreepRoundOffRad) return false;
    PosSample there = queue[1];
    there.stationary = 0;
    // On at the speed it goes (late for where the stream stands, it came on
    // faster than the stream's last field), not slowing to a crawl short of it.
    there.groundSpeedKt = std::max({queue[0].groundSpeedKt, aircraft.taxiSpeedKt, 1.0,
                                    std::min(gf_ownGroundSpeedKt(aircraft), gf_taxiCeilingKt(aircraft.sizeCategory))});
    there.dueTick = gsl::narrow<std::int32_t>(
        now() + std::max(gf_roundTicks(restNm * kTicksPerHour / there.groundSpeedKt), kMinSampleTicks));
    if (queue[1].dueTick <= there.dueTick) queue[1].dueTick = there.dueTick + kMinSampleTicks;
    queue.insert(queue.begin() + 1, there);
    return true;
}

// Moving samples close beside or behind the nose, as near as the feed's
// reports wander (a stale speed field on reports scattering about where the
// aircraft comes to rest): the aircraft would creep round a circle to each.
// It passes them; the last one it stands at, where it is. (Pushed tail
// first, its way lies behind it: the samples beside or ahead of its tail are.)
void lf_passCloseBehind(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    const double facing = aircraft.reversing != 0 ? aircraft.heading + kPi : aircraft.heading;
    while (queue.size() >= 2 && queue[1].stationary == 0) {
        const GeoPoint next = gf_samplePoint(queue[1]);
        const double offNose = std::fabs(gf_normaliseRad(gf_bearingRad(gf_acPoint(aircraft), next) - facing));
        if (gf_distanceNm(gf_acPoint(aircraft), next) > kStandingNoiseNm || offNose < kCreepRoundOffRad) return;
        if (queue.size() >= 3) {
            queue.erase(queue.begin() + 1);
            continue;
        }
        queue[1].lat = aircraft.lat;
        queue[1].lon = aircraft.lon;
        queue[1].groundSpeedKt = 0.0;
        queue[1].stationary = 1;
        return;
    }
}

double normalised(double angle) { return gf_normaliseRad(angle); }
}  // namespace

void nextPosGround(LiveAc& aircraft) {
    if (aircraft.samples.size() < 2) return;
    switch (aircraft.phase) {
        case AcPhase::pushing_back:
            lf_pushBackStep(aircraft);
            break;
        case AcPhase::parked:
            aircraft.maxDelay = aircraft.takeOffSeen != 0 ? 5000 : 3000;
            aircraft.maxAdvance = 3000;
            if (aircraft.leavingStand != 0) lf_leaveParked(aircraft);
            break;
        default:
            if (aircraft.phase == AcPhase::taxi) lf_passCloseBehind(aircraft);
            if (aircraft.phase == AcPhase::taxi) lf_joinTheRollsLine(aircraft);
            lf_keepToTheRollsLine(aircraft);
            if (aircraft.samples.size() < 2 || lf_waitToLeave(aircraft) || lf_finishTheWay(aircraft)) break;
            lf_taxiTurn(aircraft);
            if (aircraft.phase == AcPhase::taxi) lf_catchUpOverThePause(aircraft);
            if (aircraft.phase == AcPhase::taxi) lf_lookForStand(aircraft);
            break;
    }
    if (aircraft.samples.size() >= 2) lf_scheduleNextSample(aircraft);
}

void lf_scheduleNextSample(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample& s0 = queue[0];
    const PosSample& s1 = queue[1];
    aircraft.turnsAtTaxi = 0;
    if (s1.stationary != 0) {
        aircraft.legPaceKt = 0.0;
        const std::int64_t gap = std::max<std::int64_t>(static_cast<std::int64_t>(s1.dueTick) - s0.dueTick, 25);
        std::int64_t ticks = std::max<std::int64_t>(static_cast<std::int64_t>(s0.dueTick) - now() + gap, 25);
        // On its stand an aircraft stops once its nose is round onto the stand's heading.
        if (aircraft.phase == AcPhase::parking && aircraft.turnRateBase > 0.0)
            ticks = std::max<std::int64_t>(
                ticks, gf_roundTicks(std::fabs(gf_normaliseRad(aircraft.standHeading - aircraft.heading)) /
                                     aircraft.turnRateBase));
        lf_setNextDue(aircraft, gsl::narrow<std::int32_t>(ticks));
        return;
    }
    aircraft.turnRate = aircraft.turnRateBase;
    const double d = distanceNm(s0, s1);
    // On the ground the aircraft keeps to the delayed stream: it reaches s1
    // at s1's due tick. At the speeds the samples report it would run ahead
    // after a pause in the reports or with a stale speed, and lag behind a
    // hold's 0 kt.
    const std::int32_t n = gf_ticksTo(s1.dueTick, now());
    const bool curve = gf_hasCurve(aircraft.curve);
    const double turnDeg = curve                              ? aircraft.curve.angleDeg
                           : aircraft.turningToBearing != 0 ? aircraft.turnToBearingDeg
                                                            : 0.0;
    if (curve || aircraft.turningToBearing != 0) {
        const std::int32_t k = turnTicks(turnDeg, aircraft.turnRate);
        if (turnDeg > 0.0 && d > 0.0) {
            // r: the time there is for the turn against the time the turn rate needs.
            const double r = static_cast<double>(n) / std::max(k, 1);
            if (turnDeg <= 45.0) {
                if (r >= 1.2) {
                    const double m = std::min(r * 10.0 / turnDeg, r * kThirtyMetresNm / d);
                    if (m > 0.0) aircraft.turnRate *= 1.0 / m;
                } else if (r > 0.0) {
                    aircraft.turnRate *= 1.0 / r;
                }
            } else {
                aircraft.turnRate *= std::min(r, std::min(turnDeg, 90.0) / 30.0);
                if (turnDeg >= 90.0) {
                    aircraft.maxAdvance = std::max(aircraft.maxAdvance, 2000);
                    aircraft.maxDelay = std::max(aircraft.maxDelay, 2000);
                }
            }
        }
    }
    lf_setNextDue(aircraft, n);
    // However late the aircraft is (a pause in the reports, a hold), it never
    // dashes: s1 is due no sooner than the ceiling's pace gets it there. The
    // stream's speed is the one it shows here and on to s2: a stream that
    // speeds up (a take-off run) has the aircraft faster at s1 than at s0.
    // A leg that makes up a pause of the feed has its speed from the pause
    // alone (see gf_streamSpeedKt), and keeps it while the aircraft catches up.
    aircraft.makingUpAPause = gf_bridgesAPause(aircraft, s0, s1) ? 1 : 0;
    double streamKt = gf_streamSpeedKt(aircraft, s0, s1);
    if (aircraft.makingUpAPause == 0) {
        streamKt = std::max(streamKt, gf_streamSpeedOnKt(aircraft, 0));
        if (queue.size() >= 3 && queue[2].stationary == 0)
            streamKt = std::max(streamKt, gf_streamSpeedKt(aircraft, s1, queue[2]));
    }
    // Behind the delayed stream (it waited out a pause of the feed, or held
    // where its push ended), it goes at least twice the pace the stream has
    // shown since s1, at taxi speed at most: a stream that stood through
    // most of a pause shows little speed over it, and one taxiing on since
    // would leave the aircraft behind for good.
    double ceilingKt = std::max(gf_groundCeilingKt(aircraft, streamKt), lf_behindKt(aircraft, 1));
    // Late for a stream that stands, it drives there as a taxi: the stream
    // stood there for some unknown while (a roll-out that came to rest early
    // in a pause of the feed, a taxi that ended while the aircraft was still
    // pushed back), and its pace since says nothing of the way there.
    // (Stands: its field and, out of a pause, its last reports' positions.)
    // So does one making up a pause of the feed towards a stream that goes
    // on: the stream's pace over the pause (it stood at a hold for much of
    // it, say) says nothing of how far behind the aircraft now is. Nor does
    // its pace before a stretch of reports as long that were all dropped
    // (jumps): the stream went on unheard meanwhile as in a pause.
    const bool unheardBefore = s0.streamTick != 0 && s1.streamTick - s0.streamTick >= kPauseTicks;
    if (s1.streamTick != 0 &&
        (aircraft.makingUpAPause != 0 || unheardBefore ||
         (s1.groundSpeedKt < kCreepKt && distanceNm(s0, s1) > kScatterReachNm &&
          gf_shownUpToKt(aircraft, s1) < kCreepKt)))
        ceilingKt = std::max(ceilingKt, gf_taxiCeilingKt(aircraft.sizeCategory));
    // An aircraft on no roll of its own turns (onto the runway, say) at taxi
    // speed at most: a stream already rolling there is joined once the
    // aircraft lines up. One as fast as a take-off is its roll, seen or not,
    // unless the aircraft already rolls faster than a taxi and the report
    // lies off the runway's width beside its line: a jump is not followed
    // across the grass at the roll's pace.
    const bool offTheRoll = aircraft.legPaceKt > gf_taxiCeilingKt(aircraft.sizeCategory) &&
                            d * kMetersPerNm * std::sin(std::min(turnDeg, 90.0) * kDegToRad) > kOffTheRollM;
    aircraft.turnsAtTaxi = aircraft.landed == 0 && aircraft.takeOffSeen == 0 && turnDeg > kRollAheadDeg &&
                                   (streamKt < kMidSampleMostKt || offTheRoll)
                               ? 1
                               : 0;
    if (aircraft.turnsAtTaxi != 0) ceilingKt = std::min(ceilingKt, gf_taxiCeilingKt(aircraft.sizeCategory));
    const double wayNm = wayToNextNm(aircraft);
    const std::int64_t slowest =
        static_cast<std::int64_t>(now()) + gf_roundTicks(std::ceil(wayNm * kTicksPerHour / ceilingKt));
    if (queue[1].dueTick < slowest) queue[1].dueTick = gsl::narrow<std::int32_t>(slowest);
    const std::int64_t legTicks = std::max<std::int64_t>(queue[1].dueTick - static_cast<std::int64_t>(now()), 1);
    aircraft.legPaceKt = wayNm * kTicksPerHour / static_cast<double>(legTicks);
}

double gf_streamSpeedKt(const LiveAc& aircraft, const PosSample& from, const PosSample& to) {
    const double fieldsKt = std::max(from.groundSpeedKt, to.groundSpeedKt);
    // From a sample of the aircraft's own (where it held after its push, say)
    // the stream's reports up to `to` show how fast it goes on: a speed field
    // may read 0 while the stream moves.
    if (from.streamTick == 0 && to.streamTick != 0)
        return std::max(fieldsKt, gf_positionsSpeedKt(aircraft, fieldsKt, gf_shownUpToKt(aircraft, to)));
    if (from.streamTick == 0) return fieldsKt;
    // (Two samples as late in the stream, one of the aircraft's own put by a
    // report: the fields alone tell, over a taxi's speed only where they are
    // borne out. A stale field of the roll it was first heard on, say.)
    if (to.streamTick <= from.streamTick) return gf_fieldsBorneOutKt(aircraft, from, to, fieldsKt, 0.0);
    const std::int64_t ticks = static_cast<std::int64_t>(to.streamTick) - from.streamTick;
    const double shownKt = distanceNm(from, to) * kTicksPerHour / static_cast<double>(ticks);
    // From where the aircraft waited out a pause of the feed to where the
    // stream resumed, the stream went as fast as its positions show over the
    // pause: the fields of the resumed stream (a roll it was on) are not the
    // leg's, and an aircraft on no roll of its own makes the way up at taxi
    // speed at most.
    if (gf_bridgesAPause(aircraft, from, to)) return std::min(shownKt, gf_taxiCeilingKt(aircraft.sizeCategory));
    return gf_fieldsBorneOutKt(aircraft, from, to, std::max(fieldsKt, gf_positionsSpeedKt(aircraft, fieldsKt, shownKt)),
                               shownKt);
}

double gf_fieldsBorneOutKt(const LiveAc& aircraft, const PosSample& from, const PosSample& to, double kt,
                           double shownKt) {
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    if (gf_onItsOwnRoll(aircraft) || shownKt > taxiKt) return kt;
    // Fields that rise are a take-off run speeding up, but not across a
    // pause of the feed to a report the aircraft is not lined up for: the
    // run went on unheard along a runway it still has to taxi to.
    const bool speedsUp = to.groundSpeedKt > from.groundSpeedKt &&
                          (to.silenceS * 100.0 < kPauseTicks || lf_linedUpFor(aircraft, to));
    if (speedsUp) return kt;
    return std::min(kt, taxiKt);
}

bool gf_onItsOwnRoll(const LiveAc& aircraft) {
    return aircraft.landed != 0 || aircraft.takeOffSeen != 0 || aircraft.phase == AcPhase::take_off;
}

namespace {
// Samples after the front one due later than the stream said (they came
// while the aircraft was timed later): each falls due as the stream said,
// after the one before.
void lf_dueAsTheStreamSaid(std::deque<PosSample>& queue) {
    // (A sample of the aircraft's own among them, a join onto a run's line
    // say, keeps its time.)
    for (std::size_t k = 1; k < queue.size(); ++k) {
        const std::int64_t own =
            std::max<std::int64_t>(queue[k].streamTick, static_cast<std::int64_t>(queue[k - 1].dueTick) + 1);
        if (queue[k].streamTick == 0 && queue[k].dueTick > queue[k - 1].dueTick) continue;
        if (own >= queue[k].dueTick) break;
        queue[k].dueTick = gsl::narrow<std::int32_t>(own);
    }
}

// A run's pace: the fastest its queued reports show up to the first in the
// air, taxi speed at least. The report the stream resumed with may carry a
// stale field (the slow line-up's), and the one that lifts off may come
// after it.
double lf_runsPaceKt(const LiveAc& aircraft) {
    double kt = gf_taxiCeilingKt(aircraft.sizeCategory);
    for (const PosSample& s : aircraft.samples) {
        kt = std::max(kt, s.groundSpeedKt);
        if (s.airborne != 0) break;
    }
    return kt;
}

// Off its curve or turn, the aircraft heads straight for `target` (the new
// front sample), there by its due tick.
void lf_straightAt(LiveAc& aircraft, const PosSample& target) {
    gf_clearCurve(aircraft.curve);
    aircraft.turningToBearing = 0;
    const double ticks = static_cast<double>(target.dueTick) - now();
    aircraft.latStep = (target.lat - aircraft.lat) / ticks;
    aircraft.lonStep = gf_lonDifference(aircraft.lon, target.lon) / ticks;
}

// The straight leg under way to the front sample, timed anew at `kt` when
// that brings the aircraft there sooner.
void lf_hurryTheLeg(LiveAc& aircraft, double kt) {
    if (aircraft.samples.empty() || aircraft.groundMode == 0 || !(kt > 0.0)) return;
    PosSample& target = aircraft.samples.front();
    GroundCurve& curve = aircraft.curve;
    const bool onCurve = gf_hasCurve(curve);
    const double wholeM = onCurve ? gf_curveLengthM(curve, 0.0, 1.0) : 0.0;
    const double nm = onCurve ? gf_curveLengthM(curve, curve.t, 1.0) / kMetersPerNm
                              : gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(target));
    const std::int64_t due = static_cast<std::int64_t>(now()) + std::max(gf_roundTicks(nm * kTicksPerHour / kt), 1);
    if (due >= target.dueTick) return;
    target.dueTick = gsl::narrow<std::int32_t>(due);
    const double ticks = static_cast<double>(due - now());
    if (onCurve) {
        // The step is a share of the curve's whole length.
        if (wholeM > 0.0) curve.tStep = std::max(curve.tStep, nm * kMetersPerNm / wholeM / ticks);
    } else {
        aircraft.latStep = (target.lat - aircraft.lat) / ticks;
        aircraft.lonStep = gf_lonDifference(aircraft.lon, target.lon) / ticks;
    }
    // The samples after it were due no sooner than it when they came: they
    // fall due as the stream said again, each after the one before.
    lf_dueAsTheStreamSaid(aircraft.samples);
}
}  // namespace


void gf_retimeLegForARoll(LiveAc& aircraft) {
    if (aircraft.makingUpAPause == 0) return;
    // Still taxiing to the runway the stream rolls on, it makes the way up at
    // taxi speed; its roll starts where it lines up. (So does one whose roll
    // ended in the pause: the stream taxies on beside the roll's line.)
    if (!aircraft.samples.empty() && (!lf_linedUpFor(aircraft, aircraft.samples.front()) ||
                                      lf_besideTheRollBefore(aircraft, aircraft.samples.front()))) {
        lf_hurryTheLeg(aircraft, gf_taxiCeilingKt(aircraft.sizeCategory));
        return;
    }
    aircraft.makingUpAPause = 0;
    if (aircraft.samples.empty()) return;
    lf_hurryTheLeg(aircraft, gf_groundCeilingKt(aircraft, lf_runsPaceKt(aircraft)));
}

void gf_hurryTheRun(LiveAc& aircraft) {
    if (aircraft.takeOffSeen == 0 || aircraft.samples.empty() || aircraft.makingUpAPause != 0) return;
    const PosSample& front = aircraft.samples.front();
    if (front.airborne != 0 || front.stationary != 0 || front.silenceS * 100.0 < kPauseTicks ||
        !lf_linedUpFor(aircraft, front) || lf_besideTheRollBefore(aircraft, front))
        return;
    lf_hurryTheLeg(aircraft, gf_groundCeilingKt(aircraft, lf_runsPaceKt(aircraft)));
}

void gf_joinTheRunAhead(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (aircraft.makingUpAPause == 0 || aircraft.phase != AcPhase::taxi || aircraft.landed != 0 ||
        queue.size() < 2 || aircraft.groundMode == 0)
        return;
    PosSample& front = queue.front();
    // (A join of its own under way already has no stream tick. The report
    // the stream resumed with may be airborne already: its line-up and roll
    // fell in the pause.)
    if (front.streamTick == 0) return;
    // (A run that only rolls, slower than a take-off, may be rejected yet:
    // the stream's roll-out then goes on along the way it is timed on.)
    const double liftKt = gf_takeOffSpeedKt(aircraft.sizeCategory);
    const auto run = std::find_if(std::next(queue.begin()), queue.end(), [&](const PosSample& s) {
        return s.airborne != 0 || s.groundSpeedKt >= liftKt;
    });
    const bool runSeen = run != queue.end();
    if (!runSeen && aircraft.takeOffSeen == 0) return;
    // The run's line: from the report to the farthest on, a long way so the
    // feed's noise tilts it little.
    const PosSample& last = queue.back();
    if (distanceNm(front, last) * kMetersPerNm < kRunLineLeastM) return;
    const std::optional<PosSample> join =
        lf_joinOnto(aircraft, front, gf_bearingRad(gf_samplePoint(front), gf_samplePoint(last)));
    if (!join) {
        // On the run's line already, lined up along it behind the report (it
        // taxied onto the runway making the pause up): the rest is its roll,
        // at the run's pace, however slow a taxi the pause showed. (A
        // helicopter makes no run: it lifts off where it is.)
        if (aircraft.sizeCategory != SizeCategory::Rotorcraft && lf_linedUpFor(aircraft, front)) {
            for (auto it = std::next(queue.begin()); it != queue.end(); ++it)
                if (it->airborne == 0) front.groundSpeedKt = std::max(front.groundSpeedKt, it->groundSpeedKt);
            if (runSeen) front.groundSpeedKt = std::max(front.groundSpeedKt, run->groundSpeedKt);
            gf_retimeLegForARoll(aircraft);
        }
        return;
    }
    if (!runSeen) return;
    // Lined up there, it runs: on to the report at the run's pace (its field
    // there, as slow as it entered the runway or stale, is not the run's).
    // It and the run after it fall due as the stream said again (not at the
    // taxi's pace across the field they were timed at): the run's pace sets
    // how late the aircraft gets there.
    front.groundSpeedKt = std::max(front.groundSpeedKt, run->groundSpeedKt);
    queue.push_front(*join);
    lf_dueAsTheStreamSaid(queue);
    lf_straightAt(aircraft, *join);
    aircraft.turnsAtTaxi = 1;
}

void gf_meetTheStream(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (aircraft.makingUpAPause == 0 || aircraft.phase != AcPhase::taxi || aircraft.takeOffSeen != 0 ||
        aircraft.sizeCategory == SizeCategory::Rotorcraft || queue.size() < 2 || aircraft.groundMode == 0)
        return;
    const PosSample& front = queue.front();
    if (front.streamTick == 0 || front.airborne != 0) return;
    const GeoPoint here = gf_acPoint(aircraft);
    const double toFrontNm = gf_distanceNm(here, gf_samplePoint(front));
    // The newest report on the ground the stream went to from the resumed
    // one, nearer the aircraft and on its side of the resumed one (the
    // stream came back its way, not on round a corner away from it).
    std::size_t meet = 0;
    for (std::size_t k = 1; k < queue.size(); ++k) {
        const PosSample& s = queue[k];
        if (s.airborne != 0 || s.streamTick == 0 || s.groundSpeedKt > gf_taxiCeilingKt(aircraft.sizeCategory)) break;
        const double back = std::fabs(gf_normaliseRad(gf_bearingRad(gf_samplePoint(front), gf_samplePoint(s)) -
                                                      gf_bearingRad(gf_samplePoint(front), here)));
        if (gf_distanceNm(here, gf_samplePoint(s)) < toFrontNm - kScatterReachNm && back < kPi / 2.0) meet = k;
    }
    if (meet == 0) return;
    queue.erase(queue.begin(), queue.begin() + static_cast<std::ptrdiff_t>(meet));
    PosSample& target = queue.front();
    const double nm = gf_distanceNm(here, gf_samplePoint(target));
    const std::int64_t slowest =
        static_cast<std::int64_t>(now()) +
        std::max(gf_roundTicks(nm * kTicksPerHour / gf_taxiCeilingKt(aircraft.sizeCategory)), kMinSampleTicks);
    target.dueTick = gsl::narrow<std::int32_t>(std::max<std::int64_t>(target.streamTick, slowest));
    lf_dueAsTheStreamSaid(queue);
    lf_straightAt(aircraft, target);
}

void gf_retimeLegForARunAhead(LiveAc& aircraft, const PosSample& sample) {
    // Making up a pause after which the stream runs faster than a taxi (its
    // take-off run, seen or not yet), the aircraft still taxiing to where it
    // lines up is late for it: taxi speed, not the pace the pause shows.
    if (aircraft.makingUpAPause == 0 || aircraft.samples.empty() || sample.airborne != 0 ||
        sample.groundSpeedKt <= gf_taxiCeilingKt(aircraft.sizeCategory) ||
        lf_linedUpFor(aircraft, aircraft.samples.front()))
        return;
    lf_hurryTheLeg(aircraft, gf_taxiCeilingKt(aircraft.sizeCategory));
}

void gf_retimeLegForTheStreamsPace(LiveAc& aircraft) {
    // Taxiing to a report of its stream, not to a sample of its own (a hold,
    // a path's extension, a stand) nor to one where it stops.
    if (aircraft.samples.empty() || aircraft.phase != AcPhase::taxi || aircraft.refillState > 0) return;
    const PosSample& target = aircraft.samples.front();
    if (target.streamTick == 0 || target.stationary != 0 || target.dueTick <= target.streamTick) return;
    lf_hurryTheLeg(aircraft, lf_behindKt(aircraft, 0));
}


bool gf_bridgesAPause(const LiveAc& aircraft, const PosSample& from, const PosSample& to) {
    if (to.silenceS * 100.0 < kPauseTicks || aircraft.takeOffSeen != 0) return false;
    // It waited out the pause where it held, or where its samples ran out
    // (still moving when the stream fell quiet, it stopped at the last).
    const bool waited = from.stationary != 0 ||
                        (!aircraft.samples.empty() && &from == &aircraft.samples.front() &&
                         static_cast<std::int64_t>(now()) - from.dueTick >= kWaitedAtTheLastTicks &&
                         gf_distanceNm(gf_samplePoint(from), gf_acPoint(aircraft)) <= kStandingNoiseNm);
    if (!waited) return false;
    // Lined up, the stream resumed rolling straight ahead of it: its take-off
    // run, which it follows at the stream's speed. The roll goes on the way
    // the nose points, too: one that resumed on a runway the aircraft still
    // taxies towards (it waited on the taxiway) is made up at taxi speed.
    if (to.groundSpeedKt <= gf_taxiCeilingKt(aircraft.sizeCategory) || !lf_linedUpFor(aircraft, to)) return true;
    // Rolling when the feed fell quiet, the roll went on along the nose's
    // line: a report well beside it is the aircraft's taxi after it turned
    // off in the pause, its fields stale from the roll.
    return lf_besideTheRollBefore(aircraft, to);
}

double gf_streamSpeedOnKt(const LiveAc& aircraft, std::size_t from) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (from >= queue.size() || queue[from].streamTick == 0) return 0.0;
    const PosSample& start = queue[from];
    // Over taxi speed only where the fields on the way show a roll too:
    // across a stretch of jumping reports the positions show any pace. (The
    // fields as the stream said them: a sample's own may have been set for
    // the motion's sake.)
    double fieldsKt = lf_reportedKt(aircraft, start);
    for (std::size_t k = from + 1; k < queue.size(); ++k) {
        fieldsKt = std::max(fieldsKt, lf_reportedKt(aircraft, queue[k]));
        const std::int64_t ticks = static_cast<std::int64_t>(queue[k].streamTick) - start.streamTick;
        if (queue[k].streamTick == 0 || ticks < kLongSpanTicks) continue;
        const double shownKt = distanceNm(start, queue[k]) * kTicksPerHour / static_cast<double>(ticks);
        const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
        return fieldsKt > taxiKt ? shownKt : std::min(shownKt, taxiKt);
    }
    return 0.0;
}

double gf_positionsSpeedKt(const LiveAc& aircraft, double fieldsKt, double shownKt) {
    // Over taxi speed only where the fields are too (a roll whose fields lag
    // a little): a taxi's positions on the feed's grid show more than it goes.
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    return std::min(shownKt, fieldsKt > taxiKt ? kPositionsShare * fieldsKt : taxiKt);
}

double gf_groundCeilingKt(const LiveAc& aircraft, double streamKt) {
    const double kt = std::max(streamKt, kLeastStreamKt);
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    // A helicopter lifts off rather than rolling for it.
    if (aircraft.sizeCategory == SizeCategory::Rotorcraft) return std::min(kCatchUpFactor * kt, taxiKt);
    return std::min(kCatchUpFactor * kt, std::max(taxiKt, kt));
}

double gf_ownGroundSpeedKt(const LiveAc& aircraft) {
    double metresPerTick = 0.0;
    if (gf_hasCurve(aircraft.curve)) {
        metresPerTick = aircraft.curve.tStep * gf_curveLengthM(aircraft.curve, 0.0, 1.0);
    } else {
        const double north = aircraft.latStep * kMetresPerDegreeLat;
        const double east = aircraft.lonStep * gf_metresPerDegreeLon(aircraft.lat);
        metresPerTick = std::hypot(north, east);
    }
    return metresPerTick / kMetersPerNm * kTicksPerHour;
}

bool gf_hasCurve(const GroundCurve& curve) {
    return !std::isnan(curve.controlEastM) && !std::isnan(curve.controlNorthM);
}

void gf_clearCurve(GroundCurve& curve) {
    curve = GroundCurve{};
    curve.xStart = curve.xEnd = std::numeric_limits<double>::quiet_NaN();
}

void lf_buildCurve(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 3) return;
    const PosSample s1 = queue[1];
    PosSample& s2 = queue[2];
    if (s2.groundSpeedKt == 0.0) s2.groundSpeedKt = (queue[0].groundSpeedKt + s1.groundSpeedKt) / 2.0;
    gf_setCurve(aircraft, lf_controlAhead(aircraft, gf_samplePoint(s1)), gf_samplePoint(s2));
    queue.erase(queue.begin() + 1);  // s1 is only the control point
}

GeoPoint lf_controlAhead(const LiveAc& aircraft, const GeoPoint& control) {
    const double eastScale = gf_metresPerDegreeLon(aircraft.lat);
    const double north = (control.lat - aircraft.lat) * kMetresPerDegreeLat;
    const double east = gf_lonDifference(aircraft.lon, control.lon) * eastScale;
    const double facing = aircraft.phase == AcPhase::pushing_back ? aircraft.heading + kPi : aircraft.heading;
    const double ahead = north * std::cos(facing) + east * std::sin(facing);
    if (ahead <= kControlAheadShare * std::hypot(north, east)) return control;
    // Moved towards that line by no more than a feed's noise, so a long leg
    // does not follow a nose that points a little off.
    const double shiftNorth = ahead * std::cos(facing) - north, shiftEast = ahead * std::sin(facing) - east;
    const double share = std::min(1.0, kControlShiftM / std::max(std::hypot(shiftNorth, shiftEast), 1e-9));
    return {control.lat + share * shiftNorth / kMetresPerDegreeLat, control.lon + share * shiftEast / eastScale};
}

void gf_setCurve(LiveAc& aircraft, const GeoPoint& control, const GeoPoint& end) {
    GroundCurve& curve = aircraft.curve;
    curve.originLat = aircraft.lat;
    curve.originLon = aircraft.lon;
    curve.xStart = 0.0;
    curve.xEnd = 1.0;
    curve.t = 0.0;
    const double eastScale = gf_metresPerDegreeLon(curve.originLat);
    curve.controlNorthM = (control.lat - curve.originLat) * kMetresPerDegreeLat;
    curve.controlEastM = gf_lonDifference(curve.originLon, control.lon) * eastScale;
    curve.endNorthM = (end.lat - curve.originLat) * kMetresPerDegreeLat;
    curve.endEastM = gf_lonDifference(curve.originLon, end.lon) * eastScale;
}

bool gf_curvePoint(const GroundCurve& curve, GeoPoint& position, double& heading, double x) {
    if (!gf_hasCurve(curve) || !(x >= curve.xStart && x <= curve.xEnd)) return false;
    const double t = (x - curve.xStart) / (curve.xEnd - curve.xStart);
    if (!(t >= 0.0 && t <= 1.0)) return false;
    const double u = 1.0 - t;
    const double north = 2.0 * u * t * curve.controlNorthM + t * t * curve.endNorthM;
    const double east = 2.0 * u * t * curve.controlEastM + t * t * curve.endEastM;
    position.lat = curve.originLat + north / kMetresPerDegreeLat;
    double lon = curve.originLon + east / gf_metresPerDegreeLon(curve.originLat);
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    position.lon = lon;
    const double dNorth = 2.0 * t * (curve.endNorthM - curve.controlNorthM) + 2.0 * u * curve.controlNorthM;
    const double dEast = 2.0 * t * (curve.endEastM - curve.controlEastM) + 2.0 * u * curve.controlEastM;
    heading = gf_wrapHeading(std::atan2(dEast, dNorth));
    return true;
}

namespace {
// How fast the curve's point moves as its parameter runs (metres per unit).
double curveSpeedM(const GroundCurve& curve, double t) {
    const double north = 2.0 * t * (curve.endNorthM - curve.controlNorthM) + 2.0 * (1.0 - t) * curve.controlNorthM;
    const double east = 2.0 * t * (curve.endEastM - curve.controlEastM) + 2.0 * (1.0 - t) * curve.controlEastM;
    return std::hypot(north, east);
}
}  // namespace

double gf_curveLengthM(const GroundCurve& curve, double from, double to) {
    // Simpson's rule: the speed is the root of a quadratic, smooth enough.
    constexpr int kIntervals = 16;
    if (!gf_hasCurve(curve) || !(to > from)) return 0.0;
    const double h = (to - from) / kIntervals;
    double sum = curveSpeedM(curve, from) + curveSpeedM(curve, to);
    for (int k = 1; k < kIntervals; ++k) sum += (k % 2 == 1 ? 4.0 : 2.0) * curveSpeedM(curve, from + k * h);
    return sum * h / 3.0;
}

double gf_curveAdvance(const GroundCurve& curve, double t, double share) {
    const double metres = share * gf_curveLengthM(curve, 0.0, 1.0);
    if (!(metres > 0.0)) return t + share;
    // Newton's steps on the length from t; where the speed is 0 (a control
    // point on the start) the plain step starts it.
    double next = std::min(t + share, 1.0);
    for (int k = 0; k < 20; ++k) {
        const double speed = curveSpeedM(curve, next);
        const double missingM = gf_curveLengthM(curve, t, next) - metres;
        if (!(speed > 1e-9) || std::fabs(missingM) < 1e-5) break;
        next = std::clamp(next - missingM / speed, t, 1.0);
    }
    return next;
}

void lf_insertMidSample(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample s0 = queue[0];
    const PosSample s1 = queue[1];
    PosSample mid = s0;
    mid.lat = (s0.lat + s1.lat) / 2.0;
    double lon = s0.lon + gf_lonDifference(s0.lon, s1.lon) / 2.0;
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    mid.lon = lon;
    mid.groundSpeedKt = (s0.groundSpeedKt + s1.groundSpeedKt) / 2.0;
    mid.altitudeFt = (s0.altitudeFt + s1.altitudeFt) / 2.0;
    mid.dueTick = gf_roundTicks((static_cast<double>(s0.dueTick) + s1.dueTick) / 2.0);
    if (s0.streamTick != 0 && s1.streamTick != 0)
        mid.streamTick = gf_roundTicks((static_cast<double>(s0.streamTick) + s1.streamTick) / 2.0);
    mid.airborne = mid.altitudeFt > 0.0 ? 1 : 0;
    if (mid.altitudeFt <= 0.0) mid.altitudeFt = 0.0;
    mid.stationary = 0;
    queue.insert(queue.begin() + 1, mid);
}

void lf_checkSpeedChange(LiveAc& aircraft) {
    const std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() < 2) return;
    const PosSample& s0 = queue[0];
    const PosSample& s1 = queue[1];
    const bool moving = s0.groundSpeedKt > 0.0 || s1.groundSpeedKt > 0.0;
    // Across a pause of the feed the speeds before and after it say nothing
    // of the way between: the leg makes the pause up at taxi speed whole.
    if (gf_bridgesAPause(aircraft, s0, s1)) return;
    if (moving && std::fabs(s0.groundSpeedKt - s1.groundSpeedKt) > kSpeedChangeKt &&
        distanceNm(s0, s1) >= kHundredMetresNm)
        lf_insertMidSample(aircraft);
}

bool lf_removeNearUser(LiveAc& aircraft, int row) {
    const NearUserRow& limits = kNearUserRows[row == 0 ? 0 : 1];
    const GeoPoint user{g_userRef.lat, g_userRef.lon};
    const GeoPoint position{aircraft.lat, aircraft.lon};
    const double d = gf_distanceNm(user, position);
    if (d > limits.distanceNm || std::abs(aircraft.altitudeFt - g_userRef.altitudeFt) >= limits.altitudeFt)
        return false;
    const double x = normalised(aircraft.heading - gf_bearingRad(user, position));
    const double along = std::cos(x) * d * kFeetPerNm;
    const double lateral = std::abs(std::sin(x)) * d * kFeetPerNm;
    if (along <= 0.0 || lateral > limits.lateralFt) return false;
    removeAircraftFromSim(aircraft);
    return true;
}
