#include "traffic/known_samples.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>

#include "foundation/log.h"
#include "settings/settings.h"
#include "simlink/request_queues.h"
#include "traffic/ac_texts.h"
#include "traffic/ai_controls.h"
#include "traffic/engine_jobs.h"
#include "traffic/engine_services.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/park_airport.h"
#include "traffic/removal.h"
#include "traffic/report_gate.h"
#include "traffic/stand_parking.h"
#include "traffic/state.h"

namespace {

constexpr std::size_t kMostQueued = 200;
constexpr double kTwentyTwoMetresNm = 0.011879049676025918;
constexpr double kThreeMetresNm = 0.0016198704103671706;
constexpr double kStandNearNm = 0.0458963282937365;       // 85 m
constexpr double kStandGiveUpNm = 0.10799136069114472;    // 200 m
constexpr double kLandingBoxDeg = 0.00015;
constexpr double kTakeOffSeenKt = 43.0;
constexpr double kWellUpFt = 50.0;
// Slower than the last report by this much at take-off speeds, the stream
// rolls out: a take-off run never slows down.
constexpr double kSlowingDownKt = 0.5;
// ... and by this much when either report is flagged airborne.
constexpr double kAirborneSlowingKt = 5.0;
// A roll is this much faster than the taxi ceiling at least (a take-off's
// speed at most).
constexpr double kRollOverTaxiKt = 10.0;
// So far apart two reports show the way the stream rolls.
constexpr double kRollWayKnownNm = 30.0 / kMetersPerNm;
// What a report slower than a roll's last one tells.
enum class RollSlows { no, surely, ifSlowerNext };
constexpr double kStandingKt = 3.0;  // slower than this a ground sample stands
constexpr double kMovingOffKt = 1.0;  // unless it shows a slow push's speed this far off
constexpr double kPushedOffNm = 12.0 / kMetersPerNm;
constexpr double kPushStepNm = 2.0 / kMetersPerNm;  // on from the report before, at least
constexpr double kPushWayRad = 30.0 * kDegToRad;
constexpr double kMovingKt = 0.5;    // a report this fast at least shows the aircraft moving
// The reports this long after one that decides a leave show how fast the
// stream went away (a slow push's pace).
constexpr double kPaceAwayShortestS = 8.0;
constexpr double kPaceAwayLongestS = 20.0;
// Reports standing this far off the stand confirm a leave decided on one
// that showed no speed.
constexpr double kStandLeftAgainNm = 20.0 / kMetersPerNm;
// So many reports about the stand show how far a standing stream's reports wander.
constexpr int kWanderKnownReports = 4;
// A move the feed did not report while it was quiet is made at this share
// of the taxi ceiling at most.
constexpr double kUnheardShare = 0.5;
// Farther than this from where it stood a stream has left its stand,
// however large the aircraft: one report of a slow push-back may be all the
// feed sends before it pauses for a minute.
constexpr double kStandLeftNm = 12.0 / kMetersPerNm;
// The scatter of a standing stream is known from a few reports on, and
// learned over the last twenty; a leave lies beyond two and a half times
// its root mean square.
constexpr std::uint32_t kScatterKnownReports = 3;
constexpr std::uint32_t kStandReportsAveraged = 20;
constexpr double kScatterShare = 2.5;
constexpr double kNoSideYetRad = 3.0 * kDegToRad;
constexpr double kHoldReachKt = 30.0;
constexpr std::int32_t kCollapseGapTicks = 1500;
constexpr std::int64_t kWeekTicks = 60480000;

// The stand-use kinds passed to the learning.
constexpr int kUseLeaving = 2;
constexpr int kUseStreamAway = 3;

std::int32_t now() { return g_tick.load(std::memory_order_relaxed); }

double distanceNm(const PosSample& a, const PosSample& b) {
    return gf_distanceNm(gf_samplePoint(a), gf_samplePoint(b));
}

// |bearing(from -> to) - heading| in degrees, the difference put into [-180, 180].
double offHeadingDeg(const LiveAc& aircraft, const PosSample& from, const PosSample& to) {
    return gf_headingDifferenceDeg(aircraft.heading, gf_bearingRad(gf_samplePoint(from), gf_samplePoint(to)));
}

// How long the feed was quiet before the report: as the gate took it (the
// gate's own figure is the newest report's, which may be a later one passed
// on with it).
double lf_silenceBeforeS(const LiveAc& aircraft, const PosSample& sample) {
    return sample.streamTick != 0 ? static_cast<double>(sample.silenceS) : gf_reportSilenceS(aircraft);
}

// How far from where it holds the stream may resume and the hold end: the
// holding threshold, and as far again as a taxiing aircraft (30 kt), or one
// as fast as the stream now shows, gets in the time it has held (a feed's
// pause of a minute or so is no new aircraft, nor is a take-off roll begun
// in it).
double lf_holdReachNm(const LiveAc& aircraft, const PosSample& sample) {
    // Since it held, or since the stream was last heard of where it was: the
    // stream moves on through a pause of the feed (or reports that moved
    // nothing) while the aircraft still has samples.
    const double heldTicks =
        std::max({static_cast<double>(now() - static_cast<std::int64_t>(aircraft.holdStartTick)),
                  lf_silenceBeforeS(aircraft, sample) * 100.0, gf_secondsSinceTakenBefore(aircraft, sample) * 100.0,
                  0.0});
    // Reports passed on together (their first ones with stale speed
    // fields) show their speed in the newest of them.
    const PosSample* newest = gf_takenReport(aircraft, 0);
    const double streamKt = std::max(sample.groundSpeedKt, newest != nullptr ? newest->groundSpeedKt : 0.0);
    return HOLDING_THRESHOLD_METERS.value / kMetersPerNm + heldTicks * std::max(kHoldReachKt, streamKt) / kTicksPerHour;
}

// How far (nm) off its stand a parked aircraft's stream may resume after a
// pause of the feed and still be the same aircraft: as far as the stand's
// give-up distance, and as far again as it taxis at most in the pause. No
// pause: a stream that leaves its stand shows itself on the way.
double lf_unheardTaxiReachNm(const LiveAc& aircraft, const PosSample& sample) {
    const double silenceS = lf_silenceBeforeS(aircraft, sample);
    if (silenceS < kFeedPauseS) return 0.0;
    return kStandGiveUpNm + silenceS * 100.0 * gf_taxiCeilingKt(aircraft.sizeCategory) / kTicksPerHour;
}

// Whether the stream could have come to the sample from where it was heard
// lately: from one of the reports taken before it, in the time since, at
// taxi speed (30 kt) or as fast as either report shows. An aircraft may
// hold well behind its stream (its push run while the stream taxied on, a
// pause still being made up), and the report taken last may have been a
// jump that the reports after it overruled.
bool lf_streamCameOnFromItsReports(const LiveAc& aircraft, const PosSample& sample) {
    for (std::size_t k = 0;; ++k) {
        const PosSample* heard = gf_takenReport(aircraft, k);
        if (heard == nullptr) return false;
        if (heard->streamTick == 0 || heard->streamTick >= sample.streamTick) continue;
        const double ticks = static_cast<double>(static_cast<std::int64_t>(sample.streamTick) - heard->streamTick);
        const double kt = std::max({kHoldReachKt, heard->groundSpeedKt, sample.groundSpeedKt});
        if (distanceNm(*heard, sample) <= HOLDING_THRESHOLD_METERS.value / kMetersPerNm + ticks * kt / kTicksPerHour)
            return true;
    }
}

// Whether a report far off a parked aircraft's stand goes on from the one
// before it that lay far off: within the scatter, and as far again as the
// aircraft taxis at most in the time between them.
bool lf_farOffBorneOut(const LiveAc& aircraft, const PosSample& sample) {
    const std::optional<PosSample>& before = aircraft.farOffStand;
    if (!before || before->streamTick == 0 || sample.streamTick <= before->streamTick) return false;
    const double ticks = static_cast<double>(static_cast<std::int64_t>(sample.streamTick) - before->streamTick);
    const double kt = std::max(gf_taxiCeilingKt(aircraft.sizeCategory), sample.groundSpeedKt);
    return distanceNm(*before, sample) <= kScatterReachNm + ticks * kt / kTicksPerHour;
}

// The speed (kt) at which the stream went from one sample to the next in the
// time between their due ticks.
double lf_shownSpeedKt(const PosSample& from, const PosSample& to) {
    const double ticks = std::max(static_cast<double>(static_cast<std::int64_t>(to.dueTick) - from.dueTick), 1.0);
    return distanceNm(from, to) * kTicksPerHour / ticks;
}

void logEmptyQueue(const char* operation) { gf_logMarked(fmt::format("{} empty sz?", operation)); }

// A parked aircraft's front sample is an extension one week ahead of the
// moment its stream ran dry; how long ago that was tells whether the
// aircraft was towed off its stand rather than taxiing.
void lf_towedCheck(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return;
    const auto elapsed =
        static_cast<std::uint32_t>(static_cast<std::int64_t>(now()) - aircraft.samples.front().dueTick + kWeekTicks);
    switch (aircraft.sizeCategory) {
        case SizeCategory::Heavy:
            aircraft.towed = elapsed < 360000 ? 1 : 0;
            break;
        case SizeCategory::Large:
            aircraft.towed = elapsed < 150000 ? 1 : 0;
            break;
        case SizeCategory::Buzjets:
            aircraft.towed = elapsed < 90000 ? 1 : 0;
            break;
        default:
            break;
    }
}

// The turn side of a push-back, read from the stream's heading (or track).
void lf_readTurnSide(LiveAc& aircraft, const PosSample& sample) {
    std::optional<double> streamHeading;
    if (sample.trueHeading)
        streamHeading = *sample.trueHeading;
    else if (sample.trackDeg != 0.0)
        streamHeading = sample.trackDeg * kDegToRad;
    if (!streamHeading) return;
    // A push that starts with the delayed stream is told of it early, while
    // the stream's nose still points where it stood: that shows no side yet.
    const double turned = gf_normaliseRad(*streamHeading - aircraft.heading);
    if (std::fabs(turned) < kNoSideYetRad) return;
    aircraft.turnSide[0] = turned > 0.0 ? 1 : 0;
    aircraft.turnSide[1] = 1;
}

// A holding aircraft whose stream has moved off goes when the delayed stream
// does: as late as taxi speed (or the stream's, when faster: its field, or
// the pace its positions show under a stale field reading 0) still brings
// it to the sample by its due tick, never before the next tick. (Released at
// once, it would turn and roll off half a minute before its stream.)
void lf_releaseWithTheStream(LiveAc& aircraft, const PosSample& sample) {
    if (aircraft.samples.empty()) return;
    std::int64_t due = static_cast<std::int64_t>(now()) + 1;
    double kt = std::max(aircraft.taxiSpeedKt, sample.groundSpeedKt);
    if (sample.airborne == 0)
        kt = std::max(kt, std::min(gf_shownUpToKt(aircraft, sample), gf_taxiCeilingKt(aircraft.sizeCategory)));
    if (kt > 0.0) {
        const double d = gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(sample));
        due = std::max<std::int64_t>(due, static_cast<std::int64_t>(sample.dueTick) -
                                              gf_roundTicks(d * kTicksPerHour / kt));
    }
    // Nor before the delayed stream's last report where it stood, its field
    // showing no move: it was still there then. (Or where it stood last,
    // two reports in a row within a standing stream's wander, their fields
    // showing no move: a push that stood a while short of where it ended.)
    const bool stoodKnown = aircraft.pushedStoodLat != 0.0 || aircraft.pushedStoodLon != 0.0;
    const GeoPoint stood = stoodKnown ? GeoPoint{aircraft.pushedStoodLat, aircraft.pushedStoodLon} : gf_acPoint(aircraft);
    const auto standsThere = [&](const PosSample& report, std::size_t k) {
        if (report.groundSpeedKt >= kMovingOffKt) return false;
        if (gf_distanceNm(gf_samplePoint(report), stood) <= kStandingNoiseNm) return true;
        const PosSample* before = gf_takenReport(aircraft, k + 1);
        return before != nullptr && before->streamTick != 0 && before->groundSpeedKt < kMovingOffKt &&
               gf_distanceNm(gf_samplePoint(report), gf_samplePoint(*before)) <= kStandingNoiseNm;
    };
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k) {
        if (report->streamTick == 0 || report->streamTick >= sample.streamTick) continue;
        if (!standsThere(*report, k)) continue;
        due = std::max<std::int64_t>(due, std::min(report->streamTick, sample.dueTick - 1));
        break;
    }
    aircraft.samples.front().dueTick = gsl::narrow<std::int32_t>(due);
}

// A pushed-back aircraft holds until its stream has clearly moved away:
// well beyond the aircraft's own length from it and going on, or far
// beyond it. Once the stream has stood after the push, where it stood tells
// more than the aircraft's place, whose push ran its own length: the stream
// has moved away when it lies farther from there than a standing stream's
// reports scatter (a tow to the next stand, shorter than a heavy's push), or
// when it shows the speed of a move as well (a light aircraft's length lies
// within that scatter); and it stands elsewhere when it stood, and stands
// again, farther from the aircraft than its reports scatter beyond the
// aircraft's radius (towed while the feed was quiet).
bool lf_pushedBackSample(LiveAc& aircraft, PosSample& sample) {
    const double d = gf_distanceNm(gf_acPoint(aircraft), gf_samplePoint(sample));
    const double r = aircraft.radiusNm;
    const bool stoodKnown = aircraft.pushedStoodLat != 0.0 || aircraft.pushedStoodLon != 0.0;
    // Where it stood after the push: a report whose field shows no move (one
    // at a slow push's 1 to 3 kt is the push still coming).
    if (!stoodKnown && sample.groundSpeedKt < kMovingOffKt) {
        aircraft.pushedStoodLat = sample.lat;
        aircraft.pushedStoodLon = sample.lon;
    }
    // The first report after the push, beyond the aircraft and farther from
    // the stand than the push took it, needs no second to show the stream
    // gone on: it went on while the aircraft pushed (its own push hidden in a
    // pause of the feed). The stream's push still coming lies nearer.
    const GeoPoint stand{aircraft.standLat, aircraft.standLon};
    const bool goneOnDuringThePush =
        aircraft.lastPushBackDist >= kNoReportSinceThePushNm && d > 2.75 * r &&
        gf_distanceNm(stand, gf_samplePoint(sample)) > gf_distanceNm(stand, gf_acPoint(aircraft)) + kStandingNoiseNm;
    const bool beyondTheAircraft =
        (d > 2.75 * r && d > aircraft.lastPushBackDist) || d > 6.0 * r || goneOnDuringThePush;
    // The first report standing after the push, already farther off than a
    // standing stream's reports scatter beyond the aircraft's radius: it
    // stands elsewhere (towed on while the feed was quiet).
    bool movedAway = beyondTheAircraft || (!stoodKnown && sample.groundSpeedKt < kStandingKt && d > kScatterReachNm + r);
    if (stoodKnown) {
        const double offWhereItStood =
            gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.pushedStoodLat, aircraft.pushedStoodLon});
        const double elsewhereNm = kScatterReachNm + r;
        const bool standsElsewhere =
            d > elsewhereNm && gf_distanceNm(gf_acPoint(aircraft), GeoPoint{aircraft.pushedStoodLat,
                                                                           aircraft.pushedStoodLon}) > elsewhereNm;
        movedAway = offWhereItStood > kScatterReachNm || standsElsewhere ||
                    (beyondTheAircraft && sample.groundSpeedKt >= kStandingKt && offWhereItStood > kStandingNoiseNm);
    }
    if (!movedAway) {
        if (aircraft.holding == 0) {
            aircraft.holding = 1;
            aircraft.holdStartTick = static_cast<std::uint32_t>(now());
        }
        aircraft.lastPushBackDist = d;
        return false;
    }
    sample.stationary = 0;
    if (aircraft.refillState > 0) {
        lf_releaseWithTheStream(aircraft, sample);
        gf_restoreDelayWindow(aircraft);
    }
    aircraft.turnSide[0] = aircraft.turnSide[1] = 0;
    aircraft.pushBackCountdown = 0;
    gf_setPhase(aircraft, AcPhase::taxi);
    aircraft.standLat = aircraft.standLon = aircraft.standHeading = 0.0;
    aircraft.standId = 0;
    aircraft.standCargo = 0;
    aircraft.holding = 0;
    aircraft.holdStartTick = 0;
    return true;
}

// Taxiing or flying with a hold or extension in place: a fitting sample ends it.
bool lf_movingSample(LiveAc& aircraft, PosSample& sample) {
    const bool accepted = lf_landingCheck(aircraft, sample);
    if (!accepted || aircraft.refillState <= 0) return accepted;
    if (aircraft.samples.empty()) {
        logEmptyQueue("checkExtendingSituations");
        return false;
    }
    if (aircraft.groundMode == 0 && offHeadingDeg(aircraft, aircraft.samples.back(), sample) >= 100.0) return false;
    gf_restoreDelayWindow(aircraft);
    gf_releaseHoldSample(aircraft);
    aircraft.holding = 0;
    aircraft.holdStartTick = 0;
    return true;
}

// How far (nm) a report lies from where the stream stood on the stand: in
// the plane once reports there are known (from where they put it on
// average), else by their distances from the stand.
double lf_offWhereItStoodNm(const LiveAc& aircraft, const PosSample& sample, double fromStandNm) {
    if (aircraft.standFirstLat == 0.0 && aircraft.standFirstLon == 0.0) return fromStandNm - aircraft.standDistFirst;
    return gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.standFirstLat, aircraft.standFirstLon});
}

double lf_offWhereItStoodNm(const LiveAc& aircraft, const PosSample& sample) {
    return lf_offWhereItStoodNm(aircraft, sample,
                                gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.standLat, aircraft.standLon}));
}

// The stream tick of the first report taken of the run that ends at
// `sample`, each lying farther than a standing stream wanders from where
// it stood (none: the report before `sample` lay within that).
std::optional<std::int32_t> lf_offSinceTick(const LiveAc& aircraft, const PosSample& sample) {
    std::optional<std::int32_t> first;
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k) {
        if (report->streamTick == 0) break;
        if (report->streamTick >= sample.streamTick) continue;
        if (lf_offWhereItStoodNm(aircraft, *report) <= kStandingNoiseNm) break;
        first = report->streamTick;
    }
    return first;
}

// The pace (kt) at which the reports heard after `sample`, 8 to 20 s on,
// show the stream going on away from where it stood; none where none that
// far on shows it going away.
std::optional<double> lf_paceAwayShownKt(const LiveAc& aircraft, const PosSample& sample) {
    if (sample.streamTick == 0) return std::nullopt;
    const double from = lf_offWhereItStoodNm(aircraft, sample);
    std::optional<double> kt;
    for (const PosSample* next = gf_heardAfter(aircraft, sample); next != nullptr && next->airborne == 0;
         next = gf_heardAfter(aircraft, *next)) {
        const double s = (next->streamTick - sample.streamTick) / 100.0;
        if (s > kPaceAwayLongestS) break;
        if (s >= kPaceAwayShortestS) kt = (lf_offWhereItStoodNm(aircraft, *next) - from) * 3600.0 / s;
    }
    if (!kt || *kt < kMovingKt) return std::nullopt;
    return kt;
}

// The stream tick of the last report taken before `sample` that still lay
// where the stream stood, within half a standing stream's wander.
std::optional<std::int32_t> lf_lastStoodTick(const LiveAc& aircraft, const PosSample& sample) {
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k) {
        if (report->streamTick == 0) break;
        if (report->streamTick >= sample.streamTick) continue;
        if (lf_offWhereItStoodNm(aircraft, *report) <= 0.5 * kStandingNoiseNm) return report->streamTick;
    }
    return std::nullopt;
}

// When a parked aircraft whose stream has left the stand leaves: when the
// delayed stream does. By the sample's due tick the stream has come this far
// from the stand, which at taxi speed takes so long. Never before the next
// tick.
std::int64_t lf_releaseDueTick(const LiveAc& aircraft, const PosSample& sample) {
    const std::int64_t next = static_cast<std::int64_t>(now()) + 1;
    std::int64_t due = next;
    // (A stream faster than the aircraft taxis, a helicopter lifting off its
    // pad say, got there sooner. A slow push or tow, whose pace the reports
    // heard after this one show, left that much earlier, though not before
    // a report that still showed it where it stood.)
    double kt = std::max(aircraft.taxiSpeedKt, sample.groundSpeedKt);
    const std::optional<double> paceKt = lf_paceAwayShownKt(aircraft, sample);
    if (paceKt && *paceKt < kt) kt = *paceKt;
    if (kt > 0.0) {
        const double d = gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.standLat, aircraft.standLon});
        const std::int64_t dueTick = sample.dueTick != 0 ? sample.dueTick : sample.streamTick;
        due = std::max<std::int64_t>(due, dueTick - gf_roundTicks(d * kTicksPerHour / kt));
    }
    if (paceKt)
        if (const std::optional<std::int32_t> stood = lf_lastStoodTick(aircraft, sample))
            due = std::max<std::int64_t>(due, *stood);
    // A slow push or tow, its reports scattering, is often decided a report
    // or two after the stream left where it stood: the delayed stream was
    // off there as early as the first of the reports that brought it here,
    // each farther off than a standing stream wanders. (Not so a report
    // farther off than a push gets so soon: a jump, or a stream back where
    // it stood after reports that put it elsewhere.)
    if (lf_offWhereItStoodNm(aircraft, sample) <= kScatterReachNm)
        if (const std::optional<std::int32_t> off = lf_offSinceTick(aircraft, sample))
            due = std::max(next, std::min<std::int64_t>(due, *off));
    return due;
}

void lf_releaseToLeave(LiveAc& aircraft, const PosSample& sample) {
    if (aircraft.samples.empty()) return;
    const std::int64_t due = lf_releaseDueTick(aircraft, sample);
    aircraft.decidedLeave.releaseTick = gsl::narrow<std::int32_t>(due);
    aircraft.samples.front().dueTick = gsl::narrow<std::int32_t>(due);
}

// While a decided leave waits for the delayed stream, the reports heard
// since the one that decided it may show a slow push's pace: the aircraft
// goes as much earlier as that tells, never later.
void lf_refineRelease(LiveAc& aircraft) {
    LiveAc::DecidedLeave& leave = aircraft.decidedLeave;
    if (leave.streamTick == 0 || aircraft.samples.empty() || leave.releaseTick <= now() + 1) return;
    const PosSample* decided = nullptr;
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k)
        if (report->streamTick == leave.streamTick) decided = report;
    if (decided == nullptr) return;
    const std::int64_t due = lf_releaseDueTick(aircraft, *decided);
    if (due >= leave.releaseTick) return;
    if (aircraft.samples.front().dueTick == leave.releaseTick)
        aircraft.samples.front().dueTick = gsl::narrow<std::int32_t>(due);
    leave.releaseTick = gsl::narrow<std::int32_t>(due);
}

// The next report bears a leave decided on one without speed out: it goes
// when the delayed stream does, no longer waiting for a word against it.
void lf_confirmLeave(LiveAc& aircraft) {
    LiveAc::DecidedLeave& leave = aircraft.decidedLeave;
    if (leave.standing == 0) return;
    leave.standing = 0;
    if (aircraft.samples.empty() || aircraft.samples.front().dueTick <= leave.releaseTick) return;
    aircraft.samples.front().dueTick = std::max(leave.releaseTick, now() + 1);
}

// A decided leave that has not moved the aircraft yet is called off: its
// stream lies back at the stand. The samples off the stand go, the stand is
// held again, and the aircraft stays parked as before the leave.
void lf_callOffLeave(LiveAc& aircraft) {
    std::deque<PosSample>& queue = aircraft.samples;
    const LiveAc::DecidedLeave& leave = aircraft.decidedLeave;
    if (!queue.empty()) {
        queue.resize(1);
        queue.front().stationary = 1;
        queue.front().groundSpeedKt = 0.0;
        queue.front().dueTick = leave.frontDueTick;
    }
    aircraft.refillState = leave.refillState;
    aircraft.leavingStand = 0;
    aircraft.wantsStand = leave.wantsStand;
    aircraft.towed = leave.towed;
    aircraft.awayCount = 0;
    gf_setStandTaken(aircraft.standId, 1);
    gf_log(fmt::format("{:8}: {:8} stays: its stream is back at the stand", lf_standNameById(aircraft.standId),
                       aircraft.callsign));
}

// Where enough reports showed how far this stream's reports wander while it
// stands, a report off where it stood twice as far (10 m at least) is no
// wander.
bool lf_beyondItsWander(const LiveAc& aircraft, double offWhereItStoodNm) {
    return aircraft.standReportsSeen >= kWanderKnownReports &&
           offWhereItStoodNm >= std::max(2.0 * aircraft.standWanderNm, kStandingNoiseNm);
}

void lf_noteScatter(LiveAc& aircraft, double sqM) {
    const double n = static_cast<double>(std::min(aircraft.standReports, kStandReportsAveraged)) + 1.0;
    aircraft.standScatterSqM += (sqM - aircraft.standScatterSqM) / n;
    ++aircraft.standReports;
}

// A report of the parked aircraft's stream that shows no speed and left
// nothing: how far such reports scatter about where it stands is learned.
// Of a stream that stood still, reports that stay at a spot off where it
// stood, beyond its wander, may be its move there (a push on the feed's
// coarse grid, one step and standing): they are scatter only once a report
// shows the stream elsewhere, back where it stood or at another spot.
void lf_noteStandingReport(LiveAc& aircraft, const PosSample& sample, double movedNm) {
    const double movedM = movedNm * kMetersPerNm;
    const GeoPoint spot{aircraft.standSpotLat, aircraft.standSpotLon};
    const bool offSpot = lf_beyondItsWander(aircraft, movedNm);
    const bool atTheSpot = aircraft.standSpotReports != 0 && offSpot &&
                           gf_distanceNm(gf_samplePoint(sample), spot) <= kStandingNoiseNm;
    if (!atTheSpot && aircraft.standSpotReports != 0) {
        for (std::uint32_t k = 0; k < aircraft.standSpotReports; ++k) lf_noteScatter(aircraft, aircraft.standSpotSqM);
        aircraft.standSpotReports = 0;
    }
    if (!offSpot) {
        lf_noteScatter(aircraft, movedM * movedM);
        return;
    }
    if (aircraft.standSpotReports == 0) {
        aircraft.standSpotLat = sample.lat;
        aircraft.standSpotLon = sample.lon;
        aircraft.standSpotSqM = 0.0;
    }
    ++aircraft.standSpotReports;
    aircraft.standSpotSqM += (movedM * movedM - aircraft.standSpotSqM) / aircraft.standSpotReports;
}

// Where the stream stands on the stand is the mean of its first reports
// there that wander about it (none stepping away): one report alone lies
// as far off as the feed's grid and noise put it (10 m and more), and a
// push measured from it shows late, or early.
void lf_learnWhereItStands(LiveAc& aircraft, const PosSample& sample) {
    const int seen = aircraft.standReportsSeen;
    if (seen >= kStandReportsMeant) return;
    aircraft.standFirstLat += (sample.lat - aircraft.standFirstLat) / (seen + 1);
    double lon = aircraft.standFirstLon + gf_lonDifference(aircraft.standFirstLon, sample.lon) / (seen + 1);
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    aircraft.standFirstLon = lon;
    aircraft.standReportsSeen = static_cast<std::uint8_t>(seen + 1);
    aircraft.standDistFirst = gf_distanceNm(GeoPoint{aircraft.standFirstLat, aircraft.standFirstLon},
                                            GeoPoint{aircraft.standLat, aircraft.standLon});
}

// A leave decided on this report. Whether the report showed any speed is
// kept: after one that did not, less tells a report back at the stand.
void lf_decideLeave(LiveAc& aircraft, PosSample& sample) {
    if (aircraft.leavingStand == 0 || aircraft.phase != AcPhase::parked) {
        aircraft.decidedLeave.standing = sample.groundSpeedKt < kMovingKt ? 1 : 0;
        aircraft.decidedLeave.afterPause = 0;
        aircraft.decidedLeave.lat = sample.lat;
        aircraft.decidedLeave.lon = sample.lon;
        aircraft.decidedLeave.streamTick = sample.streamTick;
    }
    lf_leaveStand(aircraft, sample);
}

// An aircraft driving onto its stand gives it up and taxis on to the sample
// (prevPhase parking).
bool lf_giveUpStand(LiveAc& aircraft, PosSample& sample) {
    gf_setPhase(aircraft, AcPhase::taxi);
    sample.stationary = 0;
    return true;
}

// The stream of an aircraft on (or driving onto) its stand.
bool lf_standSample(LiveAc& aircraft, PosSample& sample) {
    const AcLifeState state = aircraft.lifeState;
    if (state != AcLifeState::active && state != AcLifeState::liveryrespawn && state != AcLifeState::removingfromsim)
        return false;
    aircraft.pathExtended = 1;
    const double d = gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.standLat, aircraft.standLon});
    const double near = aircraft.prevPhase == AcPhase::parking ? 2.0 * kStandNearNm : kStandNearNm;
    if (d > near) {
        if (aircraft.phase == AcPhase::parking) return lf_giveUpStand(aircraft, sample);
        // Far off its stand: the stream went on elsewhere, unless the leave
        // is decided and waits for the delayed stream (which a helicopter
        // lifting off, say, leaves far behind within seconds), or the feed
        // was quiet long enough for the aircraft to push and taxi there
        // unheard: it leaves and makes up the way behind its stream.
        const bool leaving = aircraft.leavingStand != 0 && aircraft.phase == AcPhase::parked;
        const bool leftUnheard = aircraft.phase == AcPhase::parked && d <= lf_unheardTaxiReachNm(aircraft, sample);
        if (d > kStandGiveUpNm && !leaving && !leftUnheard) {
            // A parked aircraft gets no farther than this off its stand
            // between two reports with the feed not quiet: one report there
            // (a jump or stray the gate let by) moves nothing, and the next
            // one there bears it out.
            if (!lf_farOffBorneOut(aircraft, sample)) {
                aircraft.farOffStand = sample;
                return false;
            }
            g_engineServices.addRealStandOption(aircraft.standId, aircraft, kUseStreamAway);
            removeAircraftFromSim(aircraft);
            return false;
        }
        aircraft.farOffStand.reset();
        aircraft.standDistMax = std::max(aircraft.standDistMax, d);
        lf_decideLeave(aircraft, sample);
        if (leftUnheard && !leaving) aircraft.decidedLeave.afterPause = 1;
        return true;
    }
    // The leave is decided and waits for the delayed stream. A report that
    // shows the aircraft standing back where the stream stood (as near as it
    // wanders) calls it off. A leave decided on a report that showed no speed
    // (a stray one, or one of many scattering about a standing aircraft)
    // wants more: each report until it starts that lies where a scatter may
    // goes on away from the stand or shows the aircraft moving. A moving
    // report near the stand (a push coming round on the feed's coarse grid),
    // or one well away (a departure curving round), keeps it.
    if (aircraft.leavingStand != 0 && aircraft.phase == AcPhase::parked) {
        const double fromWhereItStood = d - aircraft.standDistFirst;
        // (A report where the one that decided the leave lay, within that
        // reach of where it stood too, is no way back: the grid's same node.)
        const double offWhereItStood = lf_offWhereItStoodNm(aircraft, sample, d);
        const double offTheLeave =
            gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.decidedLeave.lat, aircraft.decidedLeave.lon});
        const bool back =
            offWhereItStood <= kStandingNoiseNm && offWhereItStood < offTheLeave && sample.groundSpeedKt < kMovingKt;
        // Standing again where the report that decided the leave put it, 20 m
        // or more off the stand, or, where enough reports showed how far this
        // stream's reports wander, off where it stood twice as far (after a
        // pause of the feed, anywhere off where it stood): a push the feed
        // did not report.
        const bool farOff = d >= kStandLeftAgainNm || lf_beyondItsWander(aircraft, offWhereItStood);
        const bool standsOff =
            !back && (farOff || aircraft.decidedLeave.afterPause != 0) &&
            gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.decidedLeave.lat, aircraft.decidedLeave.lon}) <=
                kStandingNoiseNm;
        const bool goesOn = d >= aircraft.standDistMax + kStandingNoiseNm || sample.groundSpeedKt >= kMovingKt ||
                            fromWhereItStood > kScatterReachNm || standsOff;
        // (Nor does one whose next report, heard already, lies off where it
        // stood farther than a standing stream wanders, and no nearer: a
        // push's report on the feed's coarse grid that came back a step.)
        const PosSample* next = gf_heardAfter(aircraft, sample);
        const bool nextOff = next != nullptr && next->airborne == 0 &&
                             lf_offWhereItStoodNm(aircraft, *next) > kStandingNoiseNm &&
                             lf_offWhereItStoodNm(aircraft, *next) >= offWhereItStood;
        if (back || (aircraft.decidedLeave.standing != 0 && !goesOn && !nextOff)) {
            lf_callOffLeave(aircraft);
            // Where one report alone told where it stood, the stream stands
            // on where the leave was decided, not back there: that report
            // was off (a stray), and the next one tells anew.
            if (!back && aircraft.standReportsSeen <= 1) aircraft.standReportsSeen = 0;
        } else {
            aircraft.standDistMax = std::max(aircraft.standDistMax, d);
            if (standsOff) lf_confirmLeave(aircraft);
            lf_refineRelease(aircraft);
        }
        return false;
    }
    aircraft.farOffStand.reset();
    aircraft.parkedSince = g_engineServices.systemTime100ns();
    // The stream still shows the aircraft at its stand: the search must not
    // offer the stand to an arrival (an extension of its path frees it).
    if (aircraft.phase == AcPhase::parked && state == AcLifeState::active) gf_setStandTaken(aircraft.standId, 1);
    // The first report since the aircraft took the stand (parked by the wide
    // search while its stream was quiet, say) stands on another free stand,
    // nearer than this one: the stream went there. The aircraft gives this
    // stand up (leaves it, once parked) and follows. Parked there, it does
    // not push back for a stream still standing where the search looked
    // from: that went nowhere, and the search weighed those stands already
    // (one too small for the aircraft lies within reach only of some of its
    // scattered reports). Still driving onto the stand, it may turn aside.
    const bool parkedFromHere =
        aircraft.phase == AcPhase::parked &&
        gf_distanceNm(gf_samplePoint(sample), GeoPoint{aircraft.lastSearchLat, aircraft.lastSearchLon}) <=
            kStandingNoiseNm;
    if (aircraft.standReportsSeen == 0 && d > kStandingNoiseNm && !parkedFromHere) {
        const Stand* other =
            g_engineServices.findStandNear(gf_samplePoint(sample), aircraft, kParkNarrowSearchNm, false);
        if (other != nullptr && other->standId != aircraft.standId &&
            gf_distanceNm(gf_samplePoint(sample), GeoPoint{other->latitude, other->longitude}) < d) {
            if (aircraft.phase == AcPhase::parking) return lf_giveUpStand(aircraft, sample);
            lf_decideLeave(aircraft, sample);
            aircraft.decidedLeave.afterPause = 1;
            return true;
        }
    }
    // The first report on the stand (one exactly on it too, 0 m off).
    if (aircraft.standReportsSeen == 0) {
        aircraft.standDistFirst = aircraft.standDistMax = d;
        aircraft.standFirstLat = sample.lat;
        aircraft.standFirstLon = sample.lon;
        aircraft.standReportsSeen = 1;
        aircraft.standScatterSqM = 0.0;
        aircraft.standReports = 1;
        aircraft.standSpotReports = 0;
        aircraft.awayCount = 0;
        aircraft.leavingStand = 0;
        return false;
    }
    // Where one report alone tells where it stood, it wandered as far as
    // the report measured from: off it twice as far.
    const bool oneReport = aircraft.standReportsSeen <= 1;
    // The first report after a pause of the feed finds the stream off where
    // it stood, farther than a standing stream wanders: pushed or towed
    // while the feed was quiet. The next report standing there bears it out.
    if (aircraft.phase == AcPhase::parked && lf_silenceBeforeS(aircraft, sample) >= kFeedPauseS &&
        lf_offWhereItStoodNm(aircraft, sample, d) > (oneReport ? 2.0 : 1.0) * kStandingNoiseNm) {
        aircraft.standDistMax = std::max(aircraft.standDistMax, d);
        lf_decideLeave(aircraft, sample);
        aircraft.decidedLeave.afterPause = 1;
        return true;
    }
    // (A slow push's steps, its field showing it, may be shorter.)
    const double stepNm = sample.groundSpeedKt >= kMovingOffKt ? 0.5 * kThreeMetresNm : kThreeMetresNm;
    if (d >= aircraft.standDistMax + stepNm) {
        aircraft.standDistMax = d;
        ++aircraft.awayCount;
    } else if (d <= aircraft.standDistMax - kThreeMetresNm) {
        aircraft.awayCount = 0;
    }
    // How far the stream went from where it stood: a push that passes over
    // the stand's point (the stream stood short of it) is a move all the same.
    const double moved = lf_offWhereItStoodNm(aircraft, sample, d);
    // A standing stream wanders a few metres: slower than 3 kt and within
    // 10 m of where it stands, it is still standing.
    const bool wandering = sample.groundSpeedKt < kStandingKt && moved <= kStandingNoiseNm;
    // A report that steps farther from the stand than any before may be a
    // slow push's: it says nothing of where the stream stands.
    if (wandering && aircraft.awayCount == 0 && aircraft.phase == AcPhase::parked)
        lf_learnWhereItStands(aircraft, sample);
    if (wandering && aircraft.phase == AcPhase::parked)
        aircraft.standWanderNm = std::max(aircraft.standWanderNm, moved);
    // Driving onto its stand an arrival does not leave it: its stream may
    // stand off the stand and scatter; once parked it may. The reports taken
    // here are borne out by those after them: one farther off than a
    // standing stream wanders is the stream leaving.
    // A stream that scatters widely about where it stands (some feeds by
    // some stands) leaves only beyond its scatter; until a few reports tell
    // it, a report that shows no speed leaves only twice as far off.
    const bool scatterKnown = aircraft.standReports >= kScatterKnownReports;
    const auto scatterNm = [&](double noSpeedKt) {
        if (scatterKnown) return kScatterShare * std::sqrt(aircraft.standScatterSqM) / kMetersPerNm;
        return sample.groundSpeedKt < noSpeedKt ? 2.0 * kStandLeftNm : 0.0;
    };
    // Where one report alone tells where it stood (a stray, or noise as wide
    // as the feed's), one report off it whose field shows no move (under
    // 1 kt: the feed's speed noise reads so much about a standing aircraft)
    // leaves only twice as far off too. (Steps each farther off than any
    // before are a push's all the same.)
    const double noSpeedKt = oneReport ? kMovingOffKt : kMovingKt;
    const bool steps = aircraft.awayCount >= 3 && moved >= std::max(0.5 * aircraft.radiusNm, scatterNm(kMovingKt));
    // Where one report alone tells where it stood, a report at rest where
    // the report before it lay, which stood as near as a standing stream
    // wanders, shows the stream still standing there: off that one report
    // (itself off as far as the feed's grid and noise put it), not moving.
    const PosSample* before = oneReport ? gf_takenBefore(aircraft, sample) : nullptr;
    const bool stillThere = before != nullptr && before->airborne == 0 && sample.groundSpeedKt < kStandingKt &&
                            before->groundSpeedKt < kStandingKt &&
                            lf_offWhereItStoodNm(aircraft, *before) <= kStandingNoiseNm &&
                            gf_distanceNm(gf_samplePoint(*before), gf_samplePoint(sample)) <= kThreeMetresNm;
    if (!wandering && !stillThere && aircraft.phase == AcPhase::parked &&
        (steps || moved > std::max(std::min(aircraft.radiusNm, kStandLeftNm), scatterNm(noSpeedKt)))) {
        lf_decideLeave(aircraft, sample);
        // (Nor does the report that decided it: the next must bear it out.)
        if (!steps && oneReport && sample.groundSpeedKt < noSpeedKt) aircraft.decidedLeave.standing = 1;
        return true;
    }
    // (Nor do a slow push's steps, two and more in a row each farther off
    // than any before, tell how far a standing stream's reports scatter.)
    if (sample.groundSpeedKt < kMovingKt && aircraft.awayCount < 2) lf_noteStandingReport(aircraft, sample, moved);
    aircraft.leavingStand = 0;
    return false;
}

// A run of stationary samples behind the last moving one goes when the
// stream moves again: the aircraft should not wait there.
void lf_collapseStationaryRun(LiveAc& aircraft, const PosSample& sample) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (sample.stationary != 0) {
        const bool allStationary =
            std::all_of(queue.begin(), queue.end(), [](const PosSample& s) { return s.stationary != 0; });
        if (allStationary && queue.size() > 1) queue.resize(1);
        // The stream was heard standing there until now: a move from there
        // follows no pause of the feed.
        if (allStationary && sample.streamTick > queue.front().streamTick) queue.front().streamTick = sample.streamTick;
        return;
    }
    if (queue.size() < 3) return;
    const std::size_t first = queue.size() - 2;
    const std::size_t lowest = queue.size() >= 7 ? queue.size() - 6 : 1;
    for (std::size_t k = first; k >= lowest; --k) {
        if (queue[k].stationary != 0) continue;
        const std::int64_t gap = static_cast<std::int64_t>(queue.back().dueTick) - queue[k].dueTick;
        if (gap < kCollapseGapTicks || distanceNm(sample, queue[k]) <= kTwentyTwoMetresNm) queue.resize(k + 1);
        return;
    }
}

// An aircraft whose stream slows down from a roll (first heard on the
// runway, or rolling there after a pause of the feed) has landed or given
// its take-off up: it rolls out, turns off and taxis in as one seen
// touching down.
void lf_rollOutFromStream(LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    aircraft.landed = 1;
    // The runway's way is the stream's: an aircraft still on its way there
    // (behind a stream that rolled in a pause of the feed) turns onto it yet.
    const bool wayKnown = distanceNm(last, sample) >= kRollWayKnownNm;
    aircraft.touchdownHeading =
        wayKnown ? gf_bearingRad(gf_samplePoint(last), gf_samplePoint(sample)) : aircraft.heading;
    aircraft.rolledOnTheWay = wayKnown ? 0 : 1;
    aircraft.wantsStand = 1;
    gf_setSpoilers(aircraft, 1);
}

// The stream on the ground rolls faster than any taxi and slows down: a
// roll-out, or a take-off run given up. At a take-off's speed two reports
// tell. Below it (a light aircraft's roll, a slow field after a fast one)
// the positions between the two must bear it out (still faster than a
// taxi, slower than the report before showed), and the next report be
// slower still: a take-off run's field read low or stale goes on faster.
// A report flagged airborne (a flipped flag in a roll-out) must be well
// slower: a lift-off's first reports in the air may read a little slower
// than the run's last (a noisy field).
RollSlows lf_rollSlowsDown(const LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    const double slowerKt = sample.airborne != 0 || last.airborne != 0 ? kAirborneSlowingKt : kSlowingDownKt;
    if (sample.groundSpeedKt > last.groundSpeedKt - slowerKt) return RollSlows::no;
    if (sample.groundSpeedKt >= kTakeOffSeenKt) return RollSlows::surely;
    const double taxiKt = gf_taxiCeilingKt(aircraft.sizeCategory);
    if (last.groundSpeedKt < std::min(kTakeOffSeenKt, taxiKt + kRollOverTaxiKt) ||
        sample.groundSpeedKt < kMovingOffKt || last.streamTick == 0 || sample.streamTick <= last.streamTick)
        return RollSlows::no;
    const double shownKt = distanceNm(last, sample) * kTicksPerHour /
                           static_cast<double>(static_cast<std::int64_t>(sample.streamTick) - last.streamTick);
    return shownKt > taxiKt && shownKt < last.groundSpeedKt ? RollSlows::ifSlowerNext : RollSlows::no;
}

// Whether the stream rolls out with this report: it slows down surely, or
// slower still after a report that showed a slow roll slowing.
bool lf_rollsOut(LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    const RollSlows slows = lf_rollSlowsDown(aircraft, last, sample);
    const bool borneOut = aircraft.rollSlows != 0 && sample.groundSpeedKt <= last.groundSpeedKt - kSlowingDownKt;
    aircraft.rollSlows = slows == RollSlows::ifSlowerNext ? 1 : 0;
    return slows == RollSlows::surely || borneOut;
}

// A take-off run the stream gave up: still fast on the runway it rolls out
// as after a landing (it wants no stand); slowed to taxi speed it taxis. How
// fast is the aircraft's own speed as much as the report's: a report already
// slow (one after a pause of the feed, say) finds the aircraft still rolling,
// or, behind its stream, with the stream's roll still ahead of it.
void lf_takeOffGivenUp(LiveAc& aircraft, const PosSample& sample) {
    aircraft.takeOffSeen = 0;
    gf_restoreDelayWindow(aircraft);
    gf_setThrottle(aircraft, aircraft.sizeCategory == SizeCategory::Rotorcraft ? 4 : 0);
    const std::deque<PosSample>& queue = aircraft.samples;
    const bool rollAhead = std::any_of(queue.begin(), queue.end(), [](const PosSample& s) {
        return s.airborne == 0 && s.groundSpeedKt >= kTakeOffSeenKt;
    });
    if (std::max(sample.groundSpeedKt, gf_ownGroundSpeedKt(aircraft)) < kTakeOffSeenKt && !rollAhead) return;
    aircraft.landed = 1;
    aircraft.touchdownHeading = aircraft.heading;
    gf_setSpoilers(aircraft, 1);
}

// A helicopter on the ground whose stream lifts off: two airborne reports,
// the newer moving or well up, after a report on the ground or, where the
// feed dropped those or was quiet while it stood, the newer higher than the
// one before: climbing away. Its last reports on the way down may come
// after its wheels touched (each lower than the one before), and a flipped
// on-ground flag leaves a report at the ground's height with no speed.
bool lf_helicopterLifts(const LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    if (aircraft.sizeCategory != SizeCategory::Rotorcraft || sample.airborne == 0 || last.airborne == 0) return false;
    if (sample.groundSpeedKt < kStandingKt && sample.altitudeFt < aircraft.altitudeFt + kWellUpFt) return false;
    const PosSample* before = gf_takenReport(aircraft, 2);
    const bool fromTheGround = before != nullptr && before->airborne == 0;
    return fromTheGround || sample.altitudeFt > last.altitudeFt;
}

// The stream shows a take-off (or a touch-and-go) before the aircraft knew,
// or that it gave a take-off run up.
void lf_takeOffFromStream(LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    if (aircraft.groundMode == 0 || aircraft.lifeState != AcLifeState::active) return;
    if (aircraft.landed != 0 || aircraft.takeOffSeen != 0 || aircraft.phase != AcPhase::taxi) aircraft.rollSlows = 0;
    const bool helicopter = aircraft.sizeCategory == SizeCategory::Rotorcraft;
    const bool slowing = sample.groundSpeedKt <= last.groundSpeedKt - kSlowingDownKt;
    const bool rising = sample.groundSpeedKt >= last.groundSpeedKt + kSlowingDownKt;
    aircraft.speedRises = rising ? static_cast<std::uint8_t>(std::min(aircraft.speedRises + 1, 2)) : 0;
    // On a take-off run, the reports slower than the one before since the
    // last faster one (one at the same speed, a stale field, breaks no run).
    if (aircraft.takeOffSeen == 0 || rising)
        aircraft.speedFalls = 0;
    else if (slowing)
        aircraft.speedFalls = static_cast<std::uint8_t>(std::min(aircraft.speedFalls + 1, 2));
    if (aircraft.takeOffSeen != 0) {
        // A run given up slows down report after report: one slower report
        // (a noisy speed field, one read as 0) gives none up.
        const bool onTheGroundStill = aircraft.phase == AcPhase::taxi && aircraft.landed == 0;
        if (onTheGroundStill && slowing && aircraft.speedFalls >= 2 && sample.airborne == 0)
            lf_takeOffGivenUp(aircraft, sample);
        return;
    }
    if (aircraft.landed == 0) {
        if (aircraft.phase != AcPhase::taxi) return;
        // (Where the aircraft held at the last report, its sample there reads
        // 0 kt: the report as heard tells how fast the stream rolled, before
        // a pause of the feed say.)
        const PosSample* heard = last.stationary != 0 ? gf_takenBefore(aircraft, sample) : nullptr;
        const PosSample& rolled = heard != nullptr && heard->streamTick == last.streamTick ? *heard : last;
        if (lf_rollsOut(aircraft, rolled, sample)) {
            lf_rollOutFromStream(aircraft, rolled, sample);
            return;
        }
        // A take-off run speeds up report after report: one faster report
        // (a noisy speed field) or two at one speed (a stale one) show none.
        const bool rolling = sample.groundSpeedKt >= kTakeOffSeenKt && aircraft.speedRises >= 2;
        // A feed's on-ground flag flips now and then: one report flagged
        // airborne is no lift-off, nor is one while the aircraft taxis
        // slower than any take-off (a helicopter lifts off at any speed).
        const bool lifted = helicopter ? lf_helicopterLifts(aircraft, last, sample)
                                       : sample.airborne != 0 && last.airborne != 0 &&
                                             sample.groundSpeedKt >= kTakeOffSeenKt;
        if (lifted || (rolling && !helicopter)) lf_towedTakeOff(aircraft);
        return;
    }
    if (last.airborne == 0 || sample.airborne == 0) return;
    if (helicopter && !lf_helicopterLifts(aircraft, last, sample)) return;
    gf_setPhase(aircraft, AcPhase::taxi);
    gf_armForTakeOff(aircraft, 3, 1);  // a touch-and-go: power on, spoilers still out
}

// A landed aircraft whose stream has slowed to taxi speeds on the ground
// has rolled out, on the runway still or not: its stream may stand, wander
// or turn back as a taxiing one's does.
bool lf_rolledOut(const LiveAc& aircraft, const PosSample& sample) {
    return aircraft.groundMode != 0 && !aircraft.samples.empty() && sample.airborne == 0 &&
           sample.groundSpeedKt < kRolledOutKt && aircraft.samples.back().groundSpeedKt < kRolledOutKt;
}

void lf_decodeExisting(LiveAc& aircraft, PosSample& sample) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.size() > kMostQueued) {
        removeAircraftFromSim(aircraft);
        return;
    }
    if (aircraft.holding != 0 && !queue.empty() && distanceNm(sample, queue.front()) > lf_holdReachNm(aircraft, sample) &&
        !lf_streamCameOnFromItsReports(aircraft, sample)) {
        gf_log(fmt::format("{} removed: its stream resumed {:.0f} m from where it held", gf_acText(aircraft),
                           distanceNm(sample, queue.front()) * kMetersPerNm));
        aircraft.holding = 0;
        aircraft.holdStartTick = 0;
        removeAircraftFromSim(aircraft);
        return;
    }
    if (aircraft.phase == AcPhase::birth) {
        if (queue.empty() || !lf_landingCheck(aircraft, sample)) return;
        if (queue.back().dueTick >= sample.dueTick) sample.dueTick = queue.back().dueTick + 1;
        queue.push_back(sample);
        return;
    }
    if (!checkExtendingSituations(aircraft, sample)) return;
    // The sample that was last before any cut: copied, since the cut may erase it.
    const std::optional<PosSample> last = queue.empty() ? std::nullopt : std::optional<PosSample>(queue.back());
    if (last && sample.airborne == 0 && last->stationary != 0) lf_collapseStationaryRun(aircraft, sample);
    const bool takeOffSeenBefore = aircraft.takeOffSeen != 0;
    if (last) lf_takeOffFromStream(aircraft, *last, sample);
    // Due after the sample before it, as that one is due now (a take-off
    // just seen hurries the leg under way).
    if (!queue.empty() && queue.back().dueTick >= sample.dueTick) sample.dueTick = queue.back().dueTick + 1;
    queue.push_back(sample);
    gf_retimeLegForTheStreamsPace(aircraft);
    gf_retimeLegForARunAhead(aircraft, sample);
    // (Seen with this report: it may be the run's first in the air.)
    if (!takeOffSeenBefore) gf_hurryTheRun(aircraft);
    gf_joinTheRunAhead(aircraft);
    gf_meetTheStream(aircraft);
    if (queue.size() == 2 && queue[0].stationary != 0 && queue[1].stationary != 0) {
        gf_releaseHoldSample(aircraft);
        queue[0].groundSpeedKt = queue[1].groundSpeedKt;
    }
}

// A standing aircraft's report that shows no speed, off its last sample
// (the report it stopped at, as far off where the stream stands as the
// feed's grid and noise put it) yet within the noise of where the reports at
// rest before it put the stream: the stream still stands there.
bool restsWhereItStands(const LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    if (sample.airborne != 0 || sample.groundSpeedKt >= kStandingKt || last.groundSpeedKt >= kStandingKt ||
        distanceNm(last, sample) > kScatterReachNm)
        return false;
    const PosSample* newest = gf_takenReport(aircraft, 0);
    const std::size_t before = newest != nullptr && newest->streamTick == sample.streamTick ? 1 : 0;
    const std::optional<GeoPoint> rests = gf_whereItRests(aircraft, sample, before);
    return rests && gf_distanceNm(*rests, gf_samplePoint(sample)) <= kStandingNoiseNm;
}

// A field at a taxi's speed (twice what a standing stream's noisy fields or
// a slow push show) on a sample whose position shows a standing stream,
// short of the way the field would have gone since the last sample by more
// than reports scatter about a standing stream.
bool lf_staleField(const PosSample& last, const PosSample& sample) {
    if (sample.groundSpeedKt < 2.0 * kStandingKt || lf_shownSpeedKt(last, sample) >= kStandingKt) return false;
    const double ticks = static_cast<double>(static_cast<std::int64_t>(sample.dueTick) - last.dueTick);
    return sample.groundSpeedKt * ticks / kTicksPerHour - distanceNm(last, sample) > 2.0 * kStandingNoiseNm;
}

// The report heard after a standing aircraft's sample shows it back where
// it stands (as near as its reports scatter), its field showing no move.
bool lf_nextIsBack(const PosSample& last, const PosSample& sample, const PosSample* next) {
    return next != nullptr && next->airborne == 0 && next->groundSpeedKt < kStandingKt &&
           distanceNm(last, *next) <= kStandingNoiseNm && distanceNm(last, *next) < distanceNm(last, sample);
}

// A slow push or tow (1 to 3 kt) from where the aircraft stands: the report
// shows its speed, lies out of the noise and farther on the way the report
// taken before it went. Scatter comes back, or stays at one spot.
bool pushedOff(const LiveAc& aircraft, const PosSample& last, const PosSample& sample) {
    const double far = distanceNm(last, sample);
    if (sample.groundSpeedKt < kMovingOffKt || lf_shownSpeedKt(last, sample) < kMovingOffKt || far <= kPushedOffNm)
        return false;
    const PosSample* newest = gf_takenReport(aircraft, 0);
    const std::size_t k = newest != nullptr && newest->streamTick == sample.streamTick ? 1 : 0;
    const PosSample* before = gf_takenReport(aircraft, k);
    if (before == nullptr) return false;
    // (On the feed's coarse grid the push's next report may fall on the
    // same node as the one before: both off out of the noise the same way,
    // both at a push's speed, off where the reports before put it at rest,
    // it went there. Without those, two reports at a spot are a flicker.)
    const double nearer = distanceNm(last, *before);
    const bool onFromIt = nearer >= kPushStepNm && nearer <= far - kPushStepNm;
    const bool offWithIt = nearer > kPushedOffNm && before->groundSpeedKt >= kMovingOffKt;
    if (!onFromIt && !offWithIt) return false;
    const double turned = gf_normaliseRad(gf_bearingRad(gf_samplePoint(last), gf_samplePoint(*before)) -
                                          gf_bearingRad(gf_samplePoint(last), gf_samplePoint(sample)));
    if (std::fabs(turned) > kPushWayRad) return false;
    // The sample it stopped at may lie metres short of where the stream came
    // to rest: the push shows beyond the noise of the reports at rest before
    // it too (those before the push: its first reports, at a push's speed
    // that fields may show as none, lie off where it stood).
    std::size_t restK = k + 1;
    while (const PosSample* report = gf_takenReport(aircraft, restK)) {
        if (distanceNm(last, *report) <= kStandingNoiseNm) break;
        ++restK;
    }
    const std::optional<GeoPoint> rests = gf_whereItRests(aircraft, sample, restK);
    if (!rests) return onFromIt;
    return gf_distanceNm(*rests, gf_samplePoint(sample)) > kStandingNoiseNm;
}
}  // namespace

// Reports that came while the aircraft was being created are judged only
// now: an aircraft first heard rolling out on the runway, whose stream then
// went quiet, would taxi at its roll's pace.
void lf_rollOutFromTheQueue(LiveAc& aircraft) {
    if (aircraft.phase != AcPhase::taxi || aircraft.landed != 0 || aircraft.takeOffSeen != 0) return;
    const std::deque<PosSample>& queue = aircraft.samples;
    const PosSample* before = nullptr;
    int rises = 0;
    for (const PosSample& s : queue) {
        // (A field read as 0 tells nothing.)
        if (s.streamTick == 0 || s.airborne != 0 || s.groundSpeedKt < kMovingOffKt) continue;
        if (before != nullptr) {
            // Faster report after report: a take-off run (one faster report is a noisy field).
            rises = s.groundSpeedKt >= before->groundSpeedKt + kSlowingDownKt ? rises + 1 : 0;
            if (rises >= 2) return;
            if (lf_rollsOut(aircraft, *before, s)) {
                lf_rollOutFromStream(aircraft, *before, s);
                return;
            }
        }
        before = &s;
    }
}

void gf_restoreDelayWindow(LiveAc& aircraft) {
    aircraft.refillState = 0;
    aircraft.maxAdvance = 3000;
    aircraft.maxDelay = aircraft.takeOffSeen != 0 ? 5000 : 3000;
}

void gf_releaseHoldSample(LiveAc& aircraft) {
    if (!aircraft.samples.empty()) aircraft.samples.front().dueTick = now() + 1;
}

void decodeExisting(LiveAc& aircraft, PosSample sample) {
    try {
        lf_decodeExisting(aircraft, sample);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception {}", "decodeExisting", e.what()));
        throw;
    }
}

bool checkExtendingSituations(LiveAc& aircraft, PosSample& sample) {
    switch (aircraft.phase) {
        case AcPhase::pushing_back:
            if (!STRAIGHT_PBS_ONLY.value && aircraft.pushBackCountdown == 2) lf_readTurnSide(aircraft, sample);
            if (sample.airborne == 0) aircraft.heardWhilePushing = sample;
            return false;
        case AcPhase::pushed_back:
            return lf_pushedBackSample(aircraft, sample);
        case AcPhase::taxi:
        case AcPhase::take_off:
        case AcPhase::flying:
            if (aircraft.approach != 0 || (aircraft.landed != 0 && !lf_rolledOut(aircraft, sample) &&
                                           aircraft.sizeCategory != SizeCategory::Rotorcraft))
                return checkNewPosDuringLanding(aircraft, sample);
            return lf_movingSample(aircraft, sample);
        case AcPhase::parking:
        case AcPhase::parked:
            return lf_standSample(aircraft, sample);
        default:
            return false;
    }
}

bool checkNewPosDuringLanding(LiveAc& aircraft, PosSample& sample) {
    std::deque<PosSample>& queue = aircraft.samples;
    if (queue.empty()) {
        logEmptyQueue("checkNewPosDuringLanding");
        return false;
    }
    if (gf_samePosition(queue.back(), sample)) {
        // A report at rest on the ground exactly where the last sample lies
        // shows the roll-out came to rest there (a field read on at the
        // roll's speed was stale): it stops there. Anything else is a repeat.
        if (sample.airborne != 0 || sample.groundSpeedKt >= kStandingKt) return false;
        sample.stationary = 1;
        return true;
    }
    if (queue.size() >= 2) {
        const bool heldThree = queue.size() >= 3;
        if (offHeadingDeg(aircraft, queue.back(), sample) >= 90.0) {
            queue.pop_back();
            if (heldThree && offHeadingDeg(aircraft, queue.back(), sample) >= 90.0) queue.pop_back();
        }
    } else {
        const double off = offHeadingDeg(aircraft, queue.back(), sample);
        if (aircraft.approach != 0 && off >= 90.0) return false;
        if (off >= 150.0) {
            if (aircraft.refillState > 0) return false;
            PosSample here = queue.back();
            here.lat = aircraft.lat;
            here.lon = aircraft.lon;
            here.dueTick = now() + 1;
            queue.back() = here;
        }
    }
    if (aircraft.refillState > 0) gf_restoreDelayWindow(aircraft);
    const PosSample& last = queue.back();
    if (gf_samePosition(last, sample)) {
        sample.stationary = 1;
        return true;
    }
    sample.stationary = 0;
    if (sample.groundSpeedKt > last.groundSpeedKt && sample.groundSpeedKt > 40.0) sample.groundSpeedKt = last.groundSpeedKt;
    return true;
}

// The sample a new one is judged against: the last queued. Where the
// aircraft ran out of samples and holds at its last report for the stream,
// and the new one lies farther off than a standing stream wanders, that
// report as it came: one still moving did not bring it to rest there, and
// the next report at rest shows where the stream stopped.
PosSample lf_judgedAgainst(const LiveAc& aircraft, const PosSample& sample) {
    PosSample last = aircraft.samples.back();
    if (aircraft.holding == 0 || last.stationary == 0 || last.streamTick == 0 || last.airborne != 0 ||
        distanceNm(last, sample) <= kStandingNoiseNm)
        return last;
    for (std::size_t k = 0; const PosSample* report = gf_takenReport(aircraft, k); ++k) {
        if (report->streamTick > last.streamTick) continue;
        if (report->streamTick == last.streamTick && report->airborne == 0 && report->groundSpeedKt >= kStandingKt &&
            gf_samePosition(*report, last)) {
            last.groundSpeedKt = report->groundSpeedKt;
            last.stationary = 0;
        }
        break;
    }
    return last;
}

bool lf_landingCheck(LiveAc& aircraft, PosSample& sample) {
    if (aircraft.samples.empty()) {
        logEmptyQueue("lf_landingCheck");
        return false;
    }
    const PosSample last = lf_judgedAgainst(aircraft, sample);
    sample.stationary = gf_samePosition(last, sample) ? 1 : 0;
    // A helicopter on the ground needs no room to turn: reports that show no
    // speed, as far from it as the feed's grid and noise put them, leave it
    // standing where it set down (it hover-taxis with its speed shown); one
    // flagged airborne there is a flipped flag or the start of a lift-off
    // straight up.
    if (aircraft.sizeCategory == SizeCategory::Rotorcraft && aircraft.groundMode != 0 && sample.stationary == 0 &&
        sample.groundSpeedKt < kStandingKt && (last.groundSpeedKt < kStandingKt || last.airborne != 0) &&
        distanceNm(last, sample) <= kScatterReachNm) {
        sample.lat = last.lat;
        sample.lon = last.lon;
        sample.groundSpeedKt = 0.0;
        sample.stationary = 1;
        return true;
    }
    // A helicopter may hover and fly where it likes; on the ground it stands
    // against the noise of its stream as an aircraft does.
    if (aircraft.sizeCategory == SizeCategory::Rotorcraft && (aircraft.groundMode == 0 || sample.airborne != 0))
        return true;
    const bool airOnly = sample.airborne != 0 || (aircraft.lifeState == AcLifeState::active && aircraft.groundMode == 0);
    if (sample.stationary == 0) {
        const bool inBox = (std::fabs(sample.lat - last.lat) < kLandingBoxDeg &&
                            std::fabs(gf_lonDifference(last.lon, sample.lon)) < kLandingBoxDeg) ||
                           restsWhereItStands(aircraft, last, sample);
        if (inBox) {
            if (airOnly) return false;
            if (aircraft.takeOffSeen != 0 && sample.groundSpeedKt > 0.0 && last.groundSpeedKt >= 50.0) return false;
            // An aircraft that was moving comes to rest here, the last bit of its way.
            // (A field still at a taxi's speed whose way since the last
            // sample the positions fall short of by more than the feed's
            // scatter is stale: the stream stands there, and the reports
            // after it scatter about it.)
            const bool staleField = lf_staleField(last, sample);
            if (last.stationary == 0 && last.groundSpeedKt >= kStandingKt) {
                if (staleField) {
                    sample.groundSpeedKt = 0.0;
                    sample.stationary = 1;
                }
                return true;
            }
            // One pushed or towed slowly goes on while its speed shows.
            if (last.stationary == 0 && last.groundSpeedKt >= kMovingOffKt && sample.groundSpeedKt >= kMovingOffKt &&
                !staleField)
                return true;
            // One that stands holds its place and heading against the noise of
            // its stream, until the stream moves off by its speed and by its position.
            // (A report whose next one is back where it stands, showing no
            // move, is scatter with a noisy field.)
            if (sample.groundSpeedKt >= kStandingKt && lf_shownSpeedKt(last, sample) >= kStandingKt &&
                !lf_nextIsBack(last, sample, gf_heardAfter(aircraft, sample)))
                return true;
            if (pushedOff(aircraft, last, sample)) return true;
            // Standing where the last sample stands, still due when the stream
            // said it (and heard then): the delayed stream stands that long.
            const std::int32_t due = sample.dueTick;
            const std::int32_t heard = sample.streamTick;
            sample = last;
            sample.dueTick = due;
            sample.streamTick = heard;
            sample.groundSpeedKt = 0.0;
            sample.stationary = 1;
            return true;
        }
        if (sample.groundSpeedKt != 0.0) return true;
        if (aircraft.takeOffSeen == 0 && sample.airborne == 0) return true;
        // On a take-off run a report far on that reads 0 at a run's pace by
        // its position (across a pause of the feed, say) is a stale field:
        // the run goes on at that pace.
        if (last.groundSpeedKt >= 50.0 && sample.airborne == 0 && last.streamTick != 0 &&
            sample.streamTick > last.streamTick) {
            const double shownKt = distanceNm(last, sample) * kTicksPerHour /
                                   static_cast<double>(static_cast<std::int64_t>(sample.streamTick) - last.streamTick);
            if (shownKt >= 50.0) {
                sample.groundSpeedKt = sample.trueAirspeedKt = shownKt;
                return true;
            }
        }
        return last.groundSpeedKt < 50.0;
    }
    if (airOnly) return false;
    if (aircraft.takeOffSeen != 0 && sample.groundSpeedKt > 0.0 && last.groundSpeedKt >= 30.0) return false;
    sample.groundSpeedKt = 0.0;
    return true;
}

void lf_leaveStand(LiveAc& aircraft, PosSample& sample) {
    sample.stationary = 0;
    // Already leaving, waiting for the delayed stream: the leave is learned
    // and timed once.
    if (aircraft.leavingStand != 0 && aircraft.phase == AcPhase::parked) return;
    aircraft.leavingStand = 1;
    LiveAc::DecidedLeave& leave = aircraft.decidedLeave;
    leave.wantsStand = aircraft.wantsStand;
    leave.towed = aircraft.towed;
    leave.refillState = aircraft.refillState;
    leave.frontDueTick = aircraft.samples.empty() ? 0 : aircraft.samples.front().dueTick;
    if (aircraft.prevPhase == AcPhase::parked) return;
    if (aircraft.refillState > 0) {
        if (aircraft.phase == AcPhase::parked) {
            if (aircraft.wantsStand != 0) {
                lf_towedCheck(aircraft);
                aircraft.wantsStand = 0;
            }
            lf_releaseToLeave(aircraft, sample);
        }
        gf_restoreDelayWindow(aircraft);
    }
    g_engineServices.addRealStandOption(aircraft.standId, aircraft, kUseLeaving);
    gf_setStandTaken(aircraft.standId, 0);
    gf_setPhase(aircraft, AcPhase::parked);
}
