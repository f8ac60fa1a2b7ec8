#include "traffic/report_gate.h"

#include <fmt/format.h>

#include <algorithm>
#include <limits>
#include <cmath>
#include <optional>

#include "foundation/log.h"
#include "traffic/ac_texts.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"

namespace {

// A report may show the aircraft a quarter faster than its speed fields and
// its last reports do, besides the scatter every report has.
constexpr double kReachShare = 1.25;
// The speed the positions of the reports taken show is measured over at
// least this long: over a few seconds the feed's grid alone shows 30 kt.
constexpr double kShownOverS = 10.0;
constexpr std::size_t kTakenKept = 8;
constexpr std::size_t kDroppedKept = 32;
constexpr std::size_t kRefusedKept = 8;
constexpr double kStandingFieldKt = 3.0;
// A pace between two reports no standing stream's scatter shows.
constexpr double kPaceShownKt = 12.0;
// Where the feed went quiet this long the aircraft may have moved unheard,
// at half the speed it taxis at most (a push-back, a line-up, a tow).
constexpr double kSilenceS = 20.0;
constexpr double kUnheardShare = 0.5;
// From this speed an aircraft keeps its way (a take-off or landing roll),
// going sideways at half its speed at most; its way is told by reports
// this far apart.
constexpr double kRollKt = 40.0;
// An aircraft on its take-off roll speeds up by this much at most.
constexpr double kTakeOffSpeedUpMps2 = 3.0;
constexpr double kAsideShare = 0.5;
constexpr double kFastestAsideMps = 10.0;  // a high-speed exit's
constexpr double kWayKnownM = 20.0;
constexpr double kWayRecentS = 20.0;
// Reports dropped since the last one taken after which its way is not known.
constexpr std::size_t kWayLostAfterDrops = 3;
// A report waits for the reports after it 10 s at most (until 20 s before it
// falls due): settled then, it still reaches the aircraft's samples well
// before the aircraft needs it.
constexpr std::int32_t kLongestWaitTicks = 1000;
constexpr std::int32_t kSettledBeforeDueTicks = 2000;
// An aircraft on its run this close to its last sample needs the report
// after a pause of the feed.
constexpr std::int32_t kNeededAheadTicks = 100;
// A report between two that lie where the aircraft can be, off the way
// between them by more than this (and a share of their distance, for the
// corners of a taxi), shows no move: the stream came back.
constexpr double kDetourM = 20.0;
constexpr double kDetourShare = 0.5;
constexpr double kRollDetourShare = 0.05;
// Nor does a roll go beside its way farther than a runway's half-width and
// the feed's scatter (a high-speed exit's curve, over a long way, a share of
// it).
constexpr double kRollAsideM = 30.0;
constexpr double kRollAsideShare = 0.05;
// A report off a standing aircraft farther than its reports wander, itself
// showing no more speed than a standing one (a field of a knot or two is
// noise), waits for the next report (which comes within 16 s)
// until shortly before it falls due: the aircraft stands meanwhile and needs
// no sample, and a stray beside it would have it drive there and back.
constexpr double kWanderM = 10.0;
// A report lies on along a way within 45 degrees of it.
constexpr double kAlongShare = 0.7071;
constexpr double kNearerTheWayRad = 10.0 * kDegToRad;
constexpr std::int32_t kLoneSettledBeforeDueTicks = 500;
constexpr std::int32_t kLoneLongestWaitTicks = 2500;
// Reports that go on from each other this long, none of them where the
// aircraft can be, show the stream elsewhere: the report taken before them
// was the wrong one.
constexpr double kSustainedS = 20.0;
constexpr std::size_t kSustainedReports = 4;
constexpr std::size_t kSustainedStrays = 0;
// Reports at rest at one spot this long, none elsewhere between, show the
// stream standing there: a stream whose reports dwell at a few spots in
// turn stays at one for 10 s at most.
constexpr double kRestsThereS = 15.0;
// A run of reports going on along a line, none slowing much, each step
// longer than a report's noise, shows a move whatever its speed fields say
// (a take-off roll, whose positions run ahead of fields that lag).
constexpr double kWayRunTurnRad = 30.0 * kDegToRad;
constexpr double kWayRunStepM = 5.0;
constexpr double kWayRunSlowingShare = 0.6;
constexpr double kWayRunSpeedingShare = 2.5;
constexpr double kFastestWayRunKt = 220.0;
// Fields this much slower than the positions show lag a run.
constexpr double kRunFieldsLagKt = 10.0;
// How long reports going on from one bear it out against a lone report
// taken before it, out of its reach, for an aircraft not yet created.
constexpr double kBorneOutForS = 8.0;
// Faster than this a fixed-wing aircraft may be off the ground; slower, a
// report flagged airborne is a flipped flag. A larger one leaves the ground
// no slower than this share of its take-off speed (its first report in the
// air may carry a field some seconds stale).
constexpr double kFlyingKt = 43.0;
constexpr double kFlyingShare = 0.45;
// A report flagged airborne with none after it to bear it out (the feed
// falls quiet) lifts a larger aircraft off no slower than this below its
// take-off speed: a field some seconds stale on a run speeding up. Slower,
// it is a flipped flag on a run (a rejected take-off, say).
constexpr double kLoneStaleKt = 50.0;
// A helicopter lifting off is this far up, climbs this much from one report
// to the next, or flies this fast; hover-taxiing it keeps a few feet up.
constexpr double kHelicopterWellUpFt = 50.0;
constexpr double kHelicopterClimbingFt = 20.0;
constexpr double kHelicopterFlyingKt = 30.0;

using Heard = LiveAc::ReportGate::Heard;

double secondsBetween(const PosSample& from, const PosSample& to) {
    const std::int64_t ticks = static_cast<std::int64_t>(to.streamTick) - from.streamTick;
    return std::max(static_cast<double>(ticks) / 100.0, 1.0);
}

double metresBetween(const PosSample& a, const PosSample& b) {
    return gf_distanceNm(gf_samplePoint(a), gf_samplePoint(b)) * kMetersPerNm;
}

double bearingBetween(const PosSample& from, const PosSample& to) {
    return gf_bearingRad(gf_samplePoint(from), gf_samplePoint(to));
}

double metresPerSecond(double kt) { return kt * kMetersPerNm / 3600.0; }

double knotsBetween(const PosSample& from, const PosSample& to) {
    return metresBetween(from, to) / secondsBetween(from, to) * 3600.0 / kMetersPerNm;
}

// How far (m) a report `seconds` after another may lie from it when the
// evidence shows the aircraft at `evidenceKt`.
double reachM(double evidenceKt, double seconds) {
    return kScatterReachNm * kMetersPerNm + seconds * metresPerSecond(kReachShare * evidenceKt);
}

bool standing(const PosSample& report) { return report.groundSpeedKt < kStandingFieldKt; }

bool isHelicopter(const LiveAc& aircraft) { return aircraft.sizeCategory == SizeCategory::Rotorcraft; }

// The height (ft) of the ground the aircraft stands on, as far as known: its
// own height once the simulator set it on the ground, else 0.
double groundHeightFt(const LiveAc& aircraft) {
    return aircraft.groundMode != 0 && aircraft.lifeState == AcLifeState::active ? aircraft.altitudeFt : 0.0;
}

// How far (m) an aircraft may have gone unheard while the feed was quiet.
double unheardM(const LiveAc& aircraft, double silenceS) {
    return silenceS >= kSilenceS ? silenceS * metresPerSecond(kUnheardShare * gf_taxiCeilingKt(aircraft.sizeCategory))
                                 : 0.0;
}

// The speed the positions of the reports taken on the ground show, over the
// last ten seconds or more, and no more than the aircraft taxis: positions
// alone never show a take-off roll, nor do its reports in the air (or on the
// way down, before its wheels touched) a speed on the ground.
double shownKt(const LiveAc& aircraft) {
    const LiveAc::ReportGate& gate = aircraft.reportGate;
    const std::deque<PosSample>& taken = gate.taken;
    if (taken.size() < 2 || gate.judgedTaken == 0 || taken.back().airborne != 0) return 0.0;
    const PosSample& newest = taken.back();
    auto from = taken.end() - 1;
    const auto oldest = taken.end() - 1 - std::min<std::ptrdiff_t>(gate.judgedTaken, taken.size() - 1);
    for (auto it = taken.end() - 1; it != oldest;) {
        --it;
        if (it->airborne != 0) break;
        from = it;
        if (secondsBetween(*it, newest) >= kShownOverS) break;
    }
    if (from == taken.end() - 1) return 0.0;
    return std::min(knotsBetween(*from, newest), gf_taxiCeilingKt(aircraft.sizeCategory));
}

// The pace the positions of the reports taken on the ground show over ten
// seconds or more up to the last one; none when they span less.
std::optional<double> shownOverKt(const LiveAc& aircraft) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    if (taken.size() < 2 || taken.back().airborne != 0 || taken.back().streamTick == 0) return std::nullopt;
    const PosSample& newest = taken.back();
    for (auto it = taken.rbegin() + 1; it != taken.rend(); ++it) {
        if (it->airborne != 0 || it->streamTick == 0) break;
        if (secondsBetween(*it, newest) >= kShownOverS) return knotsBetween(*it, newest);
    }
    return std::nullopt;
}

// The way the aircraft went to the last report taken, from the newest one
// before it that lies far enough back to tell, within `recentS` (a track
// field may be stale).
std::optional<double> wayToLast(const LiveAc& aircraft, double recentS = kWayRecentS) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    const PosSample& last = taken.back();
    for (auto it = taken.rbegin() + 1; it != taken.rend() && secondsBetween(*it, last) <= recentS; ++it)
        if (metresBetween(*it, last) >= kWayKnownM) return bearingBetween(*it, last);
    return std::nullopt;
}

// A moving aircraft keeps its way: it does not go back (a turn on the spot
// lies within the feed's scatter); fast on its take-off or landing roll it
// turns off it no faster than half its speed sideways, 10 m/s at most.
bool keepsItsWay(const LiveAc& aircraft, const PosSample& last, const PosSample& report, double evidenceKt) {
    if (evidenceKt < kStandingFieldKt) return true;
    const std::optional<double> way = wayToLast(aircraft);
    if (!way) return true;
    const double off = gf_normaliseRad(bearingBetween(last, report) - *way);
    const double metres = metresBetween(last, report);
    const double scatterM = kScatterReachNm * kMetersPerNm;
    const double along = metres * std::cos(off), aside = std::fabs(metres * std::sin(off));
    if (along < -scatterM) return false;
    // Coming down off its final, it touches down on the runway and rolls out
    // along it: no exit turns it off so fast.
    if (last.airborne != 0 && report.airborne == 0 && evidenceKt >= kRollKt)
        return aside <= scatterM + kRollAsideM + kRollAsideShare * along;
    return evidenceKt < kRollKt ||
           aside <= scatterM + secondsBetween(last, report) *
                                   std::min(metresPerSecond(kAsideShare * evidenceKt), kFastestAsideMps);
}

// How much farther (m) than its speed an aircraft on its take-off roll gets
// in `seconds`, speeding up (the fields of a roll lag).
double takeOffGainM(const LiveAc& aircraft, const PosSample& anchor, double seconds) {
    if (aircraft.takeOffSeen == 0 || anchor.airborne != 0 || anchor.groundSpeedKt < kRollKt) return 0.0;
    return 0.5 * kTakeOffSpeedUpMps2 * seconds * seconds;
}

// Whether the anchor (the last report taken) lies at a taxi's pace or more
// from the report taken just before it, within a report's usual interval.
// (A helicopter stops on the spot from a hover-taxi.)
bool cameAtAPace(const LiveAc& aircraft) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    if (taken.size() < 2 || isHelicopter(aircraft)) return false;
    const PosSample& anchor = taken.back();
    const PosSample& before = taken[taken.size() - 2];
    if (anchor.airborne != 0 || before.airborne != 0 || before.streamTick == 0 ||
        secondsBetween(before, anchor) > kShownOverS)
        return false;
    return knotsBetween(before, anchor) >= kPaceShownKt;
}

// Whether the aircraft can be where the report puts it, coming from the last
// report taken (the anchor): within the reach of the speeds its fields and
// its last reports show, and of a move the feed did not report while it was
// quiet `silenceS`; on its way.
bool reachable(const LiveAc& aircraft, const PosSample& anchor, const PosSample& report, double silenceS) {
    // Two reports in a row that show it standing outweigh the way it came:
    // a stray beside an aircraft come to rest moves nothing. Nor do their
    // fields of a knot or two, where the positions before show it at rest
    // (a field's noise; a slow push shows its pace in its positions too).
    // (Not where the anchor came at a taxi's pace from the report before it:
    // its field of 0 is stale, and it slows over a way as long as a taxi's.)
    const bool bothStanding = standing(report) && standing(anchor) && !cameAtAPace(aircraft);
    double evidenceKt = std::max({report.groundSpeedKt, anchor.groundSpeedKt, bothStanding ? 0.0 : shownKt(aircraft)});
    if (const std::optional<double> restKt = bothStanding ? shownOverKt(aircraft) : std::nullopt)
        evidenceKt = std::min(evidenceKt, std::max(*restKt, 1.0));
    const double metres = metresBetween(anchor, report);
    if (metres <= kScatterReachNm * kMetersPerNm) return true;
    const double seconds = secondsBetween(anchor, report);
    if (metres > reachM(evidenceKt, seconds) + unheardM(aircraft, silenceS) + takeOffGainM(aircraft, anchor, seconds))
        return false;
    // Amid jumping reports (several dropped since the anchor) the way to the
    // anchor may be a jump's: it bounds no report at rest.
    return silenceS >= kSilenceS || (aircraft.reportGate.dropped.size() >= kWayLostAfterDrops && standing(report)) ||
           keepsItsWay(aircraft, anchor, report, evidenceKt);
}

// Whether `newer` goes on from `older`, two reports neither of which was
// taken: within the reach of their own speed fields (and of a move unheard
// in a silence between them).
bool goesOn(const LiveAc& aircraft, const PosSample& older, const PosSample& newer, double silenceS) {
    const double seconds = secondsBetween(older, newer);
    return metresBetween(older, newer) <=
           reachM(std::max(older.groundSpeedKt, newer.groundSpeedKt), seconds) + unheardM(aircraft, silenceS);
}

// How far (m) a report lies off the way from `before` to `after` beyond
// going straight between them.
double detourM(const PosSample& before, const PosSample& report, const PosSample& after) {
    return metresBetween(before, report) + metresBetween(report, after) - metresBetween(before, after);
}

// How far (m) a report lies beside the straight way from `before` to `after`.
double asideM(const PosSample& before, const PosSample& report, const PosSample& after) {
    const double wayRad = bearingBetween(before, after);
    const double off = gf_normaliseRad(bearingBetween(before, report) - wayRad);
    return metresBetween(before, report) * std::fabs(std::sin(off));
}

// From a roll to a roll the way goes straight (a high-speed exit turns off
// it gently): a report off it by the same share is no corner. (From a
// standing or taxiing aircraft to a roll it may be one: a line-up.)
bool cameBack(const PosSample& anchor, const PosSample& report, const PosSample& after) {
    // (A stale field of 0 on the later report says nothing: its position does.)
    const double afterKt = std::max(after.groundSpeedKt, knotsBetween(anchor, after));
    const bool rolling = std::min(anchor.groundSpeedKt, afterKt) >= kRollKt;
    const double wayM = metresBetween(anchor, after);
    if (detourM(anchor, report, after) > kDetourM + (rolling ? kRollDetourShare : kDetourShare) * wayM) return true;
    // Off a long roll sideways the detour is small, yet the runway is narrow.
    return rolling && asideM(anchor, report, after) > std::max(kRollAsideM, kRollAsideShare * wayM);
}

// Whether the points go on along a line, step after step longer than a
// report's noise, none turning much, none much slower or faster than the
// one before, no faster than any aircraft takes off.
bool wayRun(const PosSample& p0, const PosSample& p1, const PosSample& p2, const PosSample& p3) {
    const PosSample* points[] = {&p0, &p1, &p2, &p3};
    double lastBearing = 0.0, lastMps = 0.0;
    for (int k = 0; k < 3; ++k) {
        const PosSample& from = *points[k];
        const PosSample& to = *points[k + 1];
        const double metres = metresBetween(from, to);
        if (metres < kWayRunStepM) return false;
        const double bearing = bearingBetween(from, to);
        const double mps = metres / secondsBetween(from, to);
        if (k > 0) {
            if (std::fabs(gf_normaliseRad(bearing - lastBearing)) > kWayRunTurnRad) return false;
            if (mps < kWayRunSlowingShare * lastMps || mps > kWayRunSpeedingShare * lastMps) return false;
        }
        lastBearing = bearing;
        lastMps = mps;
    }
    return knotsBetween(p0, p3) <= kFastestWayRunKt;
}

// The heard reports from the anchor on (the dropped ones, then the queued
// ones up to `upTo`): the longest the feed was quiet among them.
double silenceSinceAnchor(const LiveAc::ReportGate& gate, std::size_t upTo, double droppedSilenceS) {
    double silenceS = droppedSilenceS;
    for (std::size_t k = 0; k <= upTo && k < gate.queued.size(); ++k)
        silenceS = std::max(silenceS, gate.queued[k].silenceS);
    return silenceS;
}

struct Context {
    const LiveAc& aircraft;
    const PosSample& anchor;
    double droppedSilenceS;  // the longest silence before a report dropped since the anchor
    // The report's own last moment has come (a spawn settles the queue
    // sooner, yet a report that waits for the next one waits until then).
    bool ownLastMoment = false;
};

// The first queued report after the front that the aircraft can be at,
// coming from the anchor; and the first that goes on from the front.
std::optional<std::size_t> firstReachable(const Context& c, std::size_t from) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    for (std::size_t k = from; k < queued.size(); ++k)
        if (reachable(c.aircraft, c.anchor, queued[k].report,
                      silenceSinceAnchor(c.aircraft.reportGate, k, c.droppedSilenceS)))
            return k;
    return std::nullopt;
}

std::optional<std::size_t> firstGoingOn(const Context& c, const PosSample& report) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    double silenceS = 0.0;
    for (std::size_t k = 1; k < queued.size(); ++k) {
        silenceS = std::max(silenceS, queued[k].silenceS);
        if (goesOn(c.aircraft, report, queued[k].report, silenceS)) return k;
    }
    return std::nullopt;
}

// Whether the queued reports after the front one all go on from it until
// one `seconds` or more after it.
bool goesOnFor(const Context& c, const PosSample& report, double seconds) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    double silenceS = 0.0;
    for (std::size_t k = 1; k < queued.size(); ++k) {
        silenceS = std::max(silenceS, queued[k].silenceS);
        if (!goesOn(c.aircraft, report, queued[k].report, silenceS)) return false;
        if (secondsBetween(report, queued[k].report) >= seconds) return true;
    }
    return false;
}

// A queued report from `from` on that the aircraft can be at, coming from
// the anchor, goes on from the front report: within the reach of their speed
// fields, and of a move unheard only where the feed was quiet between them
// (reports heard between them say where it was meanwhile), and on the way
// the aircraft keeps (fast on a roll it goes sideways no faster than it turns
// off a runway).
bool borneOutByALaterOne(const Context& c, const PosSample& report, std::size_t from) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    double silenceS = 0.0;
    for (std::size_t k = 1; k < queued.size(); ++k) {
        silenceS = std::max(silenceS, queued[k].silenceS);
        if (k < from) continue;
        const PosSample& later = queued[k].report;
        const double reach = reachM(std::max(report.groundSpeedKt, later.groundSpeedKt), secondsBetween(report, later)) +
                             unheardM(c.aircraft, silenceS);
        if (metresBetween(report, later) <= reach &&
            keepsItsWay(c.aircraft, report, later, std::max(report.groundSpeedKt, later.groundSpeedKt)) &&
            reachable(c.aircraft, c.anchor, later, silenceSinceAnchor(c.aircraft.reportGate, k, c.droppedSilenceS)))
            return true;
    }
    return false;
}

// A queued report from `from` on where the aircraft can be, coming from the
// anchor, shows the stream back from the report: it was no move.
bool backFromItLater(const Context& c, const PosSample& report, std::size_t from) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    for (std::size_t k = from; k < queued.size(); ++k) {
        const PosSample& later = queued[k].report;
        if (reachable(c.aircraft, c.anchor, later, silenceSinceAnchor(c.aircraft.reportGate, k, c.droppedSilenceS)) &&
            cameBack(c.anchor, report, later))
            return true;
    }
    return false;
}

// A queued report from `from` on lies back where the aircraft was (within
// the scatter of the anchor), and the aircraft could not get there from the
// report.
bool backWhereItWas(const Context& c, const PosSample& report, std::size_t from) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    double silenceS = 0.0;
    for (std::size_t k = 1; k < queued.size(); ++k) {
        silenceS = std::max(silenceS, queued[k].silenceS);
        const PosSample& later = queued[k].report;
        if (k >= from && metresBetween(c.anchor, later) <= kScatterReachNm * kMetersPerNm &&
            !goesOn(c.aircraft, report, later, silenceS))
            return true;
    }
    return false;
}

// A queued report from `from` on lies farther from the anchor than the
// report, by more than a step of a run, and the same way from it.
bool onBeyondItLater(const Context& c, const PosSample& report, std::size_t from) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    const double metres = metresBetween(c.anchor, report);
    const double bearing = bearingBetween(c.anchor, report);
    for (std::size_t k = from; k < queued.size(); ++k) {
        const PosSample& later = queued[k].report;
        if (metresBetween(c.anchor, later) > metres + kWayRunStepM &&
            std::fabs(gf_normaliseRad(bearingBetween(c.anchor, later) - bearing)) <= kWayRunTurnRad)
            return true;
    }
    return false;
}

// The queued report `next` lies on farther from the report the way the
// queued report `later` does, not slowing much: a move on from the report
// whose speed fields lag (a roll starting), not a stray. (Seen from a stray
// far aside, reports going on slowly along a taxiway lie the same way.)
bool onFartherTheSameWay(const PosSample& report, const PosSample& later, const PosSample& next) {
    return metresBetween(report, next) > metresBetween(report, later) + kWayRunStepM &&
           std::fabs(gf_normaliseRad(bearingBetween(report, next) - bearingBetween(report, later))) <= kWayRunTurnRad &&
           kWayRunSlowingShare * knotsBetween(report, later) <= knotsBetween(later, next);
}

// Whether the way from `later` to `next` keeps to the way from `report` to
// `later`, turning no more than a run does.
bool goesOnTheSameWay(const PosSample& report, const PosSample& later, const PosSample& next) {
    return std::fabs(gf_normaliseRad(bearingBetween(later, next) - bearingBetween(report, later))) <= kWayRunTurnRad;
}

// Whether the report lies off the stream that the queued report `after`
// and one after that show going on from each other (neither goes on from
// it); none while no report after `after` tells yet.
std::optional<bool> strayBesideLater(const Context& c, const PosSample& report, std::size_t after) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    double toLaterS = 0.0;
    for (std::size_t k = 1; k <= after; ++k) toLaterS = std::max(toLaterS, queued[k].silenceS);
    const PosSample& later = queued[after].report;
    if (goesOn(c.aircraft, report, later, toLaterS)) return false;
    double silenceS = toLaterS, sinceLaterS = 0.0;
    for (std::size_t k = after + 1; k < queued.size(); ++k) {
        const PosSample& next = queued[k].report;
        silenceS = std::max(silenceS, queued[k].silenceS);
        sinceLaterS = std::max(sinceLaterS, queued[k].silenceS);
        if (onFartherTheSameWay(report, later, next)) return false;
        if (goesOn(c.aircraft, later, next, sinceLaterS)) return !goesOn(c.aircraft, report, next, silenceS);
    }
    return std::nullopt;
}

// The first report after a silence that the reports after it move on from,
// along a line (a line-up and a roll the feed was quiet before): the way
// from the anchor to it was not heard, and a sharp corner there is no
// stray's.
bool resumedAndMovesOn(const Context& c, const PosSample& report, std::size_t after) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    const PosSample& later = queued[after].report;
    for (std::size_t k = after + 1; k < queued.size(); ++k) {
        const PosSample& next = queued[k].report;
        // (And on from the later one the way it came from the report: seen
        // from a stray aside, a stream going on lies the same way too.)
        if (onFartherTheSameWay(report, later, next) && goesOnTheSameWay(report, later, next)) return true;
    }
    return false;
}

// From an aircraft slower than a roll, the report lies on the way to a
// later report the aircraft can be at, no farther along it than its time
// allows: the stream moves faster than the report's field shows (a
// take-off roll starting, slow at first; a taxi whose fields are stale);
// no stray. The later report is on its roll, or the aircraft was seen
// moving before: one standing has strays around it.
bool onTheWayTo(const Context& c, const PosSample& report, const PosSample& later) {
    if (c.anchor.groundSpeedKt >= kRollKt || report.airborne != 0 || later.groundSpeedKt < kStandingFieldKt ||
        (later.groundSpeedKt < kRollKt && shownKt(c.aircraft) < kStandingFieldKt))
        return false;
    const double scatterM = kScatterReachNm * kMetersPerNm;
    const double wayM = metresBetween(c.anchor, later);
    if (wayM <= scatterM || detourM(c.anchor, report, later) > kDetourM + kRollDetourShare * wayM) return false;
    const double share = secondsBetween(c.anchor, report) / secondsBetween(c.anchor, later);
    return metresBetween(c.anchor, report) <= share * wayM + scatterM;
}

// The report ends reports dropped since the anchor that went on from each
// other long enough, none where the aircraft can be: the stream is there.
// (Reports that dwell at a few spots in turn never go on from each other
// for that long, and one a stray breaks the run: the next run is long
// enough a little later.)
// A record refused before the gate (a repeat) heard between two reports of
// a run, that goes on from neither: the stream was elsewhere meanwhile (at
// another spot it dwells at), and the run is none.
bool refusedOffTheRun(const Context& c, const PosSample& older, const PosSample& newer) {
    for (const PosSample& refused : c.aircraft.reportGate.refusedSinceTaken) {
        if (refused.streamTick <= older.streamTick || refused.streamTick >= newer.streamTick) continue;
        if (!goesOn(c.aircraft, older, refused, 0.0) && !goesOn(c.aircraft, refused, newer, 0.0)) return true;
    }
    return false;
}

// The report starts a run of reports going on along a line from the anchor.
// (Spots the reports dwell at may happen to lie along a line; a repeat
// refused between two of them, back at another spot, shows it no run.)
bool startsAWayRun(const Context& c, const PosSample& report) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    if (queued.size() < 3) return false;
    const PosSample& p2 = queued[1].report;
    const PosSample& p3 = queued[2].report;
    return wayRun(c.anchor, report, p2, p3) && !refusedOffTheRun(c, c.anchor, report) &&
           !refusedOffTheRun(c, report, p2) && !refusedOffTheRun(c, p2, p3);
}

bool endsASustainedRun(const Context& c, const PosSample& report, double silenceS) {
    const std::deque<Heard>& dropped = c.aircraft.reportGate.dropped;
    const PosSample* newer = &report;
    double newerSilenceS = silenceS, skippedSilenceS = 0.0;
    std::size_t count = 1, skipped = 0;
    double spanS = 0.0;
    for (auto it = dropped.rbegin(); it != dropped.rend(); ++it) {
        if (it->report.streamTick < c.aircraft.reportGate.seenHereTick ||
            reachable(c.aircraft, c.anchor, it->report, 0.0))
            break;
        if (goesOn(c.aircraft, it->report, *newer, std::max(newerSilenceS, skippedSilenceS)) &&
            !refusedOffTheRun(c, it->report, *newer)) {
            newer = &it->report;
            newerSilenceS = it->silenceS;
            skippedSilenceS = 0.0;
            ++count;
            spanS = secondsBetween(it->report, report);
        } else if (++skipped > kSustainedStrays) {
            break;
        } else {
            skippedSilenceS = std::max(skippedSilenceS, it->silenceS);
        }
    }
    return count >= kSustainedReports && spanS >= kSustainedS;
}

// How long (s) the reports heard after the report at rest, queued or
// refused as repeats, show the stream at rest where it does (within a
// standing stream's scatter), none elsewhere between; 0 when the next one
// lies elsewhere, none when none came yet.
std::optional<double> restsThereForS(const Context& c, const PosSample& report) {
    if (report.airborne != 0 || !standing(report)) return 0.0;
    const LiveAc::ReportGate& gate = c.aircraft.reportGate;
    // The queued reports after it and the refused records after it, each in
    // the order heard, walked as one.
    std::size_t q = 1, r = 0;
    while (r < gate.refusedSinceTaken.size() && gate.refusedSinceTaken[r].streamTick <= report.streamTick) ++r;
    if (q >= gate.queued.size() && r >= gate.refusedSinceTaken.size()) return std::nullopt;
    double spanS = 0.0;
    while (q < gate.queued.size() || r < gate.refusedSinceTaken.size()) {
        const bool queuedNext = r >= gate.refusedSinceTaken.size() ||
                                (q < gate.queued.size() &&
                                 gate.queued[q].report.streamTick <= gate.refusedSinceTaken[r].streamTick);
        const PosSample& next = queuedNext ? gate.queued[q++].report : gate.refusedSinceTaken[r++];
        if (next.airborne != 0 || !standing(next) || metresBetween(report, next) > kScatterReachNm * kMetersPerNm)
            break;
        spanS = secondsBetween(report, next);
    }
    return spanS;
}

// How long (s) the reports taken up to the anchor showed the stream at rest
// where the anchor does.
double restedAtTheAnchorS(const Context& c) {
    const std::deque<PosSample>& taken = c.aircraft.reportGate.taken;
    double spanS = 0.0;
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) {
        if (it->streamTick == 0 || it->airborne != 0 || !standing(*it) ||
            metresBetween(*it, c.anchor) > kScatterReachNm * kMetersPerNm)
            break;
        spanS = secondsBetween(*it, c.anchor);
    }
    return spanS;
}

// (restart: taken, and the aircraft, not yet created, starts from it.)
enum class Verdict { wait, take, drop, restart };

// A report flagged airborne of an aircraft on the ground lifts it off only
// when the next report bears it out: airborne too, at a speed a fixed-wing
// aircraft flies, or, for a helicopter, moving or well up. Otherwise it is
// a flipped flag. None while the next report may still tell.
std::optional<bool> liftsOff(const LiveAc& aircraft, const PosSample& report, bool due) {
    const std::deque<Heard>& queued = aircraft.reportGate.queued;
    const PosSample* next = queued.size() >= 2 ? &queued[1].report : nullptr;
    const double flyingKt = std::max(kFlyingKt, kFlyingShare * gf_takeOffSpeedKt(aircraft.sizeCategory));
    if (next == nullptr) {
        if (!due) return std::nullopt;
        const double loneKt = std::max(flyingKt, gf_takeOffSpeedKt(aircraft.sizeCategory) - kLoneStaleKt);
        return !isHelicopter(aircraft) && report.groundSpeedKt >= loneKt;
    }
    if (next->airborne == 0) return false;
    // A helicopter a few feet up at a running pace hover-taxies: it moves on
    // the ground as far as the motion goes. It lifts off climbing (well up,
    // or higher report after report), or flying off faster than any
    // hover-taxi.
    if (isHelicopter(aircraft))
        return next->groundSpeedKt >= kHelicopterFlyingKt ||
               next->altitudeFt >= groundHeightFt(aircraft) + kHelicopterWellUpFt ||
               next->altitudeFt >= report.altitudeFt + kHelicopterClimbingFt;
    return report.groundSpeedKt >= flyingKt && next->groundSpeedKt >= flyingKt;
}

// The fastest pace (kt) the positions of a taxi show: a quarter over taxi
// speed, its steps on the feed's grid (a helicopter's pace is its own: it
// hover-taxies and lifts off at any speed).
double taxiGridPaceKt(const LiveAc& aircraft) {
    return isHelicopter(aircraft) ? 0.0 : kReachShare * gf_taxiCeilingKt(aircraft.sizeCategory);
}

// A report whose speed field lags the pace its positions show goes at that
// pace at least.
void raiseTheField(PosSample& report, double kt) {
    report.groundSpeedKt = std::max(report.groundSpeedKt, kt);
    report.trueAirspeedKt = std::max(report.trueAirspeedKt, kt);
}

// The speed a roll along a line shows at the report, when its fields lag.
void takeTheRunsSpeed(const Context& c, PosSample& report) {
    const std::deque<Heard>& queued = c.aircraft.reportGate.queued;
    if (queued.size() < 2) return;
    const double kt = knotsBetween(c.anchor, queued[1].report);
    // Fields that tell the run's speed need no help; a pace a taxi's
    // positions on the feed's grid show is no run.
    if (kt < report.groundSpeedKt + kRunFieldsLagKt || kt <= taxiGridPaceKt(c.aircraft)) return;
    raiseTheField(report, kt);
}

// The newest report taken at least `seconds` before the report, the stream
// moving since; none when none lies that far back, or the stream stood
// since (a run from a standing start shows its pace only from where it
// moved off: the time it stood is no slow taxi).
const PosSample* movingAtLeastBefore(const LiveAc& aircraft, const PosSample& report, double seconds) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    for (auto it = taken.rbegin(); it != taken.rend(); ++it) {
        if (it->streamTick == 0) continue;
        if (secondsBetween(*it, report) >= seconds) return standing(*it) ? nullptr : &*it;
        if (standing(*it)) return nullptr;
    }
    return nullptr;
}

// A report on from one taken with the speed its run showed, at about that
// pace: the run goes on, whatever its speed field still says.
void continueTheRunsSpeed(const Context& c, PosSample& report) {
    const double kt = knotsBetween(c.anchor, report);
    const double taxiKt = std::max(taxiGridPaceKt(c.aircraft), gf_taxiCeilingKt(c.aircraft.sizeCategory));
    if (kt <= taxiKt || kt < report.groundSpeedKt + kRunFieldsLagKt || c.anchor.groundSpeedKt < kWayRunSlowingShare * kt)
        return;
    // A roll slowing from the anchor's field to the report's (a roll-out the
    // feed was quiet through) shows the pace between them: its fields hold.
    if (report.groundSpeedKt >= kStandingFieldKt && c.anchor.groundSpeedKt >= kt) return;
    // Over ten seconds and more a run shows its pace too; a taxi whose steps
    // on the feed's grid show a run's pace for a few seconds does not.
    if (const PosSample* back = movingAtLeastBefore(c.aircraft, report, kShownOverS);
        back != nullptr && knotsBetween(*back, report) <= taxiKt)
        return;
    // Where too few reports before it tell (a stream first heard, say), the
    // ones around it within as long do, over half that at least.
    const PosSample* from = &report;
    for (auto it = c.aircraft.reportGate.taken.rbegin(); it != c.aircraft.reportGate.taken.rend(); ++it)
        if (it->streamTick != 0 && secondsBetween(*it, report) <= kShownOverS) from = &*it;
    const PosSample* to = &report;
    for (const Heard& later : c.aircraft.reportGate.queued)
        if (secondsBetween(report, later.report) <= kShownOverS) to = &later.report;
    if (secondsBetween(*from, *to) >= 0.5 * kShownOverS && knotsBetween(*from, *to) <= taxiKt) return;
    report.groundSpeedKt = std::min(kt, kFastestWayRunKt);
    report.trueAirspeedKt = std::max(report.trueAirspeedKt, report.groundSpeedKt);
}

// How far (m) the report lies on along the way a moving aircraft came to
// the anchor (behind it when negative), the way known within `recentS`;
// none when no way is known.
std::optional<double> alongTheWayM(const LiveAc& aircraft, const PosSample& anchor, const PosSample& report,
                                   double recentS = kWayRecentS) {
    if (anchor.groundSpeedKt < kStandingFieldKt) return std::nullopt;
    const std::optional<double> way = wayToLast(aircraft, recentS);
    if (!way) return std::nullopt;
    return metresBetween(anchor, report) * std::cos(gf_normaliseRad(bearingBetween(anchor, report) - *way));
}

// A record refused before the gate (it repeated where the aircraft was)
// heard after the report, where the aircraft can be, shows the stream back
// from it: the report was a stray.
bool refusedOneCameBack(const Context& c, const PosSample& report) {
    for (const PosSample& refused : c.aircraft.reportGate.refused) {
        if (refused.streamTick <= report.streamTick) continue;
        if (!reachable(c.aircraft, c.anchor, refused, 0.0)) continue;
        return cameBack(c.anchor, report, refused);
    }
    return false;
}

// The newest record refused before the gate (a repeat) heard between the
// anchor and the report, where the aircraft can be (at rest where the
// anchor put it, if `atRest`), lies where the report does not go on from:
// seconds before it the stream was elsewhere.
bool offTheRefusedBefore(const Context& c, const PosSample& report, bool atRest = false) {
    const PosSample* before = nullptr;
    for (const PosSample& refused : c.aircraft.reportGate.refusedSinceTaken)
        if (refused.streamTick > c.anchor.streamTick && refused.streamTick < report.streamTick) before = &refused;
    if (before == nullptr || !reachable(c.aircraft, c.anchor, *before, 0.0)) return false;
    if (atRest && (!standing(*before) || metresBetween(c.anchor, *before) > kScatterReachNm * kMetersPerNm))
        return false;
    return !goesOn(c.aircraft, *before, report, c.aircraft.reportGate.queued.front().silenceS);
}

// A record refused before the gate heard after the report lies where the
// aircraft could not be coming from it.
bool refusedOffIt(const Context& c, const PosSample& report) {
    for (const PosSample& refused : c.aircraft.reportGate.refused)
        if (refused.streamTick > report.streamTick && !goesOn(c.aircraft, report, refused, 0.0)) return true;
    return false;
}

Verdict judgeOnTheGround(const Context& c, PosSample& report, double silenceS, bool due, bool lastMoment) {
    const LiveAc& aircraft = c.aircraft;
    if (reachable(aircraft, c.anchor, report, silenceS)) {
        const std::optional<std::size_t> after = firstReachable(c, 1);
        // The stream goes on where the aircraft can be: the report lies on
        // the way there, or it came back from a stray.
        if (after) {
            const PosSample& later = aircraft.reportGate.queued[*after].report;
            // A moving aircraft's report on along its way outweighs a later
            // one behind where it was: that one is the stray. (A report off
            // to the side of the way, more than it lies on along it, is no
            // report on along it, unless the feed was quiet long enough for
            // the aircraft to turn off it: onto the runway, say.)
            const std::optional<double> reportOn = alongTheWayM(aircraft, c.anchor, report);
            const std::optional<double> laterOn = alongTheWayM(aircraft, c.anchor, later);
            const bool alongIt = reportOn && *reportOn > 0.0 &&
                                 (silenceS >= kSilenceS || *reportOn > kAlongShare * metresBetween(c.anchor, report));
            const bool laterBehind = alongIt && laterOn && *laterOn < 0.0;
            // The report lies ahead: on along the way a moving aircraft went
            // (within 45 degrees of it), and the later one not nearer that
            // way (by a report's wander beside it, or by as many degrees off
            // it: far along, a way told by reports near each other is known
            // to a few degrees only).
            const auto besideTheWayM = [&](const PosSample& r, const std::optional<double>& on) {
                const double m = metresBetween(c.anchor, r);
                return on && *on > 0.0 ? std::optional<double>(std::sqrt(std::max(m * m - *on * *on, 0.0)))
                                       : std::nullopt;
            };
            const std::optional<double> reportBeside = besideTheWayM(report, reportOn);
            const std::optional<double> laterBeside = besideTheWayM(later, laterOn);
            const bool laterNearerTheWay =
                laterBeside && reportBeside &&
                (*laterBeside + kWanderM < *reportBeside ||
                 (*laterBeside < *reportBeside &&
                  std::atan2(*laterBeside, *laterOn) + kNearerTheWayRad < std::atan2(*reportBeside, *reportOn)));
            const bool ahead = !standing(c.anchor) && reportBeside &&
                               *reportOn > kAlongShare * metresBetween(c.anchor, report) && !laterNearerTheWay;
            // A report the stream could not get to from where a record
            // refused as a repeat showed it at rest just before, that no
            // report after it goes on from, is a stray: it waits for them as
            // long as it may.
            if (offTheRefusedBefore(c, report, true) && !firstGoingOn(c, report))
                return c.ownLastMoment ? Verdict::drop : Verdict::wait;
            // Of an aircraft that stands, a report showing it standing a
            // step aside (within the scatter), the next one lying nearer where
            // it stood, is scatter: it does not step aside to come back.
            // (Unless a report after the next goes on beyond it the same way:
            // the stream moved off that way, a slow push or a start on the
            // feed's coarse grid, and this is the first report of it. Those
            // come later: it waits for them as long as it may.)
            if (standing(c.anchor) && standing(report) && metresBetween(c.anchor, report) > kWanderM &&
                metresBetween(c.anchor, report) <= kScatterReachNm * kMetersPerNm &&
                metresBetween(report, later) > metresBetween(c.anchor, later) &&
                !onBeyondItLater(c, report, *after + 1))
                return lastMoment ? Verdict::drop : Verdict::wait;
            if (cameBack(c.anchor, report, later) && !laterBehind) {
                // After a silence the way from the anchor to the report was
                // not heard: the reports after the later one tell a corner
                // from a stray, and it waits as long as it may for them. By
                // its last moment, none telling, one ahead is where the
                // stream went on.
                const double ownSilenceS = aircraft.reportGate.queued.front().silenceS;
                if (ownSilenceS < kSilenceS) return Verdict::drop;
                if (!resumedAndMovesOn(c, report, *after)) {
                    if (*after + 1 < aircraft.reportGate.queued.size()) return Verdict::drop;
                    if (!lastMoment) return Verdict::wait;
                    if (!ahead) return Verdict::drop;
                }
            }
            // Nor does it go back, however near the anchor the report lies:
            // one behind it, the later one on ahead, is a stray.
            if (reportOn && laterOn && *reportOn < -kWanderM && *laterOn > 0.0) return Verdict::drop;
            // The aircraft passes through its reports: a later one it reaches
            // from the anchor, but not from the report as fast as the fields
            // and the way from the anchor show, puts the report off its way.
            if (silenceS < kSilenceS && laterOn && *laterOn > 0.0 &&
                metresBetween(report, later) >
                    reachM(std::max({report.groundSpeedKt, later.groundSpeedKt, knotsBetween(c.anchor, later)}),
                           secondsBetween(report, later)))
                return Verdict::drop;
            // After a silence the anchor's reach is wide and both may lie
            // within it, yet not within each other's: where a report after
            // the later one goes on from it and not from this one, this one
            // is the stray. (Not one where the aircraft was, within its
            // wander: the stream resumed there, whatever jumps come after.)
            if (silenceS >= kSilenceS && metresBetween(c.anchor, report) > kWanderM) {
                const std::optional<bool> stray = strayBesideLater(c, report, *after);
                if (stray && *stray) return Verdict::drop;
                // Nothing goes on from either, and a report after them shows
                // the stream back where the aircraft was: both were jumps.
                if (!stray && backWhereItWas(c, report, *after + 1)) return Verdict::drop;
                if (!stray && !lastMoment) return Verdict::wait;
                // Nor by its last moment, the next report lying nowhere near
                // it: a report showing the aircraft standing somewhere else
                // moves nothing on its own, unless it lies ahead.
                if (!stray && standing(report) && !ahead) return Verdict::drop;
            }
            // Amid jumping reports (some dropped since the anchor) the reach
            // grows with every second since the anchor, and two jumps may both
            // lie within it: a later report bears this one out only where it
            // goes on from it. None by its time (by the last moment for one
            // that shows the aircraft standing, whose next report may come 16
            // s later): it was one of them.
            if (!aircraft.reportGate.dropped.empty() && !borneOutByALaterOne(c, report, *after)) {
                return lastMoment || (due && !standing(report)) ? Verdict::drop : Verdict::wait;
            }
            // Two jumps may lie near each other and so bear each other out:
            // a report after them where the aircraft can be shows the stream
            // back. A report off a standing or slow aircraft's way waits for
            // that while it may, unless every report for 8 s goes on from it
            // (away from a standing one, till it is due at least). A report
            // on along the way, one off a roll, and the first after a silence
            // (where the stream resumed) do not wait: the aircraft has its
            // way to go on with.
            if (!aircraft.reportGate.dropped.empty() &&
                metresBetween(c.anchor, report) > kScatterReachNm * kMetersPerNm) {
                if (backFromItLater(c, report, *after + 1)) return Verdict::drop;
                if (silenceS < kSilenceS && !alongIt && c.anchor.groundSpeedKt < kRollKt &&
                    ((standing(c.anchor) && !due) || (!lastMoment && !goesOnFor(c, report, kBorneOutForS))))
                    return Verdict::wait;
            }
            continueTheRunsSpeed(c, report);
            return Verdict::take;
        }
        if (refusedOneCameBack(c, report)) return Verdict::drop;
        // Reports go on from it, none the aircraft could reach from the
        // anchor: it started a move (a line-up after a pause, say). Amid
        // jumping reports (some dropped since the anchor, the feed not
        // quiet) the next one going on from it may be one more jump that
        // happens to lie near: every report for 8 s goes on from it.
        const bool jumping = !aircraft.reportGate.dropped.empty() && silenceS < kSilenceS;
        if (firstGoingOn(c, report) && (!jumping || goesOnFor(c, report, kBorneOutForS))) {
            if (startsAWayRun(c, report))
                takeTheRunsSpeed(c, report);
            else
                continueTheRunsSpeed(c, report);
            return Verdict::take;
        }
        // Reports go on along a line from it at a pace no speed field shows
        // (a take-off roll whose fields lag).
        if (startsAWayRun(c, report)) {
            takeTheRunsSpeed(c, report);
            return Verdict::take;
        }
        // Nothing tells yet: it stands (the stream's last report, say) by
        // its time, one off a standing aircraft shortly before it falls due.
        // The aircraft stands where the last report taken, or the record
        // heard just before this one (a standing record within 15 s of the
        // last is refused before the gate), shows no speed, however fast the
        // positions before came in (one just come to rest, a stray beside it).
        const bool standsThere = standing(c.anchor) || aircraft.reportGate.queued.front().afterAStandingOne != 0;
        const bool offAStandingOne = standsThere && standing(report) && metresBetween(c.anchor, report) > kWanderM;
        // After reports dropped since the anchor (the stream jumps about) a
        // report away from the anchor may be one more jump that happens to
        // lie within reach: it waits as long for the next report to tell,
        // which comes within 16 s (and within 5 s of a moving aircraft).
        const bool afterJumps = !aircraft.reportGate.dropped.empty() &&
                                metresBetween(c.anchor, report) > kScatterReachNm * kMetersPerNm;
        // So does the first report after a silence away from the anchor:
        // the anchor, long ago, hardly bounds where the stream may be, and
        // the reports after it tell a stray from where the stream went.
        const bool afterASilence =
            silenceS >= kSilenceS && metresBetween(c.anchor, report) > kScatterReachNm * kMetersPerNm;
        // So does a report well back against the way the aircraft came to
        // the anchor (however long ago: across a pause too): turning round
        // and back so soon, it would be a stray the next report shows.
        const std::optional<double> on =
            alongTheWayM(aircraft, c.anchor, report, std::numeric_limits<double>::infinity());
        const bool backAgainstTheWay = on && *on < -kScatterReachNm * kMetersPerNm;
        // So does one the stream could not get to from where a record
        // refused as a repeat put it just before; by its last moment,
        // nothing after it, it moved nothing.
        const bool offTheRefused = offTheRefusedBefore(c, report);
        // So does one off the way a moving aircraft went (by more than 45
        // degrees), beyond a report's scatter: a corner, or a stray beside
        // the way that the next report shows.
        const bool offTheWay = on && metresBetween(c.anchor, report) > kScatterReachNm * kMetersPerNm &&
                               *on < kAlongShare * metresBetween(c.anchor, report);
        if (!due || ((offAStandingOne || afterJumps || afterASilence || backAgainstTheWay || offTheRefused ||
                      offTheWay) &&
                     !c.ownLastMoment))
            return Verdict::wait;
        if (offTheRefused) return Verdict::drop;
        continueTheRunsSpeed(c, report);
        // Reports came after it, but none goes on from it nor lies where the
        // aircraft can be: a stretch of jumping reports, of which it is one
        // unless it lies within the scatter of the last report taken, and
        // not back against the way there after jumps dropped since. (A record
        // refused before the gate as a repeat counts as one that came after
        // it, where it does not go on from it.)
        const bool amidJumps = (aircraft.reportGate.queued.size() >= 2 || refusedOffIt(c, report)) &&
                               (metresBetween(c.anchor, report) > kScatterReachNm * kMetersPerNm ||
                                (!aircraft.reportGate.dropped.empty() && on && *on < -kWanderM));
        return amidJumps ? Verdict::drop : Verdict::take;
    }
    // Out of reach: a stray, a jump, a spot the reports dwell at; or a move
    // the reports bear out.
    if (const std::optional<std::size_t> after = firstReachable(c, 1)) {
        const PosSample& later = c.aircraft.reportGate.queued[*after].report;
        if (silenceS >= kSilenceS || !onTheWayTo(c, report, later)) return Verdict::drop;
        // Its field lags: it goes at least the pace it came at.
        raiseTheField(report, std::min(knotsBetween(c.anchor, report), later.groundSpeedKt));
        return Verdict::take;
    }
    if (startsAWayRun(c, report)) {
        takeTheRunsSpeed(c, report);
        return Verdict::take;
    }
    if (endsASustainedRun(c, report, silenceS)) return Verdict::take;
    // Not yet created, the aircraft is nowhere yet: where the anchor is the
    // only report taken (nothing bore it out), the reports after this one
    // going on from it for 8 s, none within reach of the anchor, show the
    // anchor a stray (the first report after a pause at the stream's start,
    // say), and the aircraft starts from this one. Such a report waits as
    // long as it may for them.
    if (c.aircraft.lifeState == AcLifeState::buffer && c.aircraft.reportGate.taken.size() == 1) {
        if (goesOnFor(c, report, kBorneOutForS)) return Verdict::restart;
        if (!lastMoment && firstGoingOn(c, report)) return Verdict::wait;
        // Due with nothing heard after it: the stream's last word, and of
        // the two, a few seconds apart (no pause of the feed between), the
        // positions show a move at no more than a taxi's pace (the anchor's
        // field of 0 stands for nothing yet). The aircraft is created and
        // makes it, rather than never at all.
        if (due && c.aircraft.reportGate.lastHeard.streamTick == report.streamTick &&
            secondsBetween(c.anchor, report) < kSilenceS &&
            knotsBetween(c.anchor, report) <= gf_taxiCeilingKt(c.aircraft.sizeCategory))
            return Verdict::take;
    }
    // The reports after it show the stream at rest there, none elsewhere
    // between, longer than a stream whose reports dwell at a few spots in
    // turn stays at one: it came to rest there, out of the anchor's reach
    // (a move hidden amid jumps, or the anchor one of them). It waits for
    // them as long as it may. (Not where the stream stood at the anchor that
    // long already: a standing stream shows its moves, and a few jumps may
    // happen to lie together.)
    if (restedAtTheAnchorS(c) < kRestsThereS) {
        const std::optional<double> restsS = restsThereForS(c, report);
        if (restsS && *restsS >= kRestsThereS) return Verdict::take;
        if ((!restsS || *restsS > 0.0) && !lastMoment) return Verdict::wait;
    }
    return due ? Verdict::drop : Verdict::wait;
}

// A report in the air out of the last one's reach at the speeds the fields
// show: the next report tells a stray (it lies back within that reach, off
// the way through this one) from a way flown. Nothing in the air goes there
// and back in seconds. None yet: unknown.
std::optional<bool> strayInTheAir(const LiveAc& aircraft, const PosSample& anchor, const PosSample& report) {
    const std::deque<Heard>& queued = aircraft.reportGate.queued;
    const double fieldsKt = std::max(anchor.groundSpeedKt, report.groundSpeedKt);
    if (metresBetween(anchor, report) <= reachM(fieldsKt, secondsBetween(anchor, report))) return false;
    if (queued.size() < 2) return std::nullopt;
    const PosSample& next = queued[1].report;
    const double kt = std::max(fieldsKt, next.groundSpeedKt);
    return metresBetween(anchor, next) <= reachM(kt, secondsBetween(anchor, next)) && cameBack(anchor, report, next);
}

Verdict judge(const LiveAc& aircraft, PosSample& report, double droppedSilenceS, double silenceS, bool due,
              bool lastMoment, bool ownLastMoment) {
    const LiveAc::ReportGate& gate = aircraft.reportGate;
    if (gate.taken.empty()) return Verdict::take;
    const PosSample& anchor = gate.taken.back();
    if (report.streamTick == 0 || anchor.streamTick == 0) return Verdict::take;
    const bool onTheGround = aircraft.groundMode != 0 || anchor.airborne == 0;
    if (!onTheGround) {
        // In the air the feed's reports are good; a report on the ground of
        // an aircraft coming down is judged against the air's speeds. A
        // helicopter hovering (slower than it flies off) has strays as an
        // aircraft on the ground does.
        const bool hovering = isHelicopter(aircraft) &&
                              std::max(report.groundSpeedKt, anchor.groundSpeedKt) < kHelicopterFlyingKt;
        // On its approach, though, a stray would set it down beside the
        // runway: the next report tells.
        if (report.airborne != 0 && !hovering) {
            if (aircraft.approach == 0) return Verdict::take;
            const std::optional<bool> stray = strayInTheAir(aircraft, anchor, report);
            if (!stray && !due) return Verdict::wait;
            return stray && *stray ? Verdict::drop : Verdict::take;
        }
    } else if (report.airborne != 0) {
        const std::optional<bool> lifts = liftsOff(aircraft, report, due);
        if (!lifts) return Verdict::wait;
        if (*lifts) return Verdict::take;
        report.airborne = 0;
        report.altitudeFt = 0.0;
        report.verticalSpeed = 0.0;
    }
    return judgeOnTheGround(Context{aircraft, anchor, droppedSilenceS, ownLastMoment}, report, silenceS, due, lastMoment);
}

void take(LiveAc::ReportGate& gate, const PosSample& report, bool judged, double silenceS) {
    gate.taken.push_back(report);
    while (gate.taken.size() > kTakenKept) gate.taken.pop_front();
    gate.judgedTaken = judged ? gate.judgedTaken + 1 : 0;
    gate.silenceS = silenceS;
    gate.dropped.clear();
    gate.droppedSilenceS = 0.0;
    // (Records refused after it in the stream's time, heard while it waited,
    // are since it.)
    std::erase_if(gate.refusedSinceTaken, [&](const PosSample& r) { return r.streamTick <= report.streamTick; });
}

// Reports that moved nothing are counted; the first of an aircraft is logged.
void drop(LiveAc& aircraft, const PosSample& report, double silenceS) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    gate.dropped.push_back({report, silenceS, 0});
    gate.droppedSilenceS = std::max(gate.droppedSilenceS, silenceS);
    while (gate.dropped.size() > kDroppedKept) gate.dropped.pop_front();
    if (gate.ignored++ != 0) return;
    gf_log(fmt::format("{} report {:.0f} m off its way ignored: no aircraft on the ground gets there so soon",
                       gf_acText(aircraft), metresBetween(gate.taken.back(), report)));
}

// The longest the feed was quiet before a report dropped since the anchor
// (every record heard counts, the ones refused before they were queued too).
double droppedSilence(const LiveAc::ReportGate& gate) { return gate.droppedSilenceS; }

}  // namespace

void gf_queueReport(LiveAc& aircraft, const PosSample& report, std::int32_t now) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    const double silenceS = gate.lastHeardTick != 0 && report.streamTick != 0
                                ? (static_cast<std::int64_t>(report.streamTick) - gate.lastHeardTick) / 100.0
                                : 0.0;
    // The record before it stands where the last report taken put the
    // aircraft: it came to rest there.
    const PosSample& before = gate.lastHeard;
    const bool afterAStandingOne = before.streamTick != 0 && before.airborne == 0 && standing(before) &&
                                   !gate.taken.empty() && metresBetween(before, gate.taken.back()) <= kWanderM;
    gf_noteHeard(aircraft, report);
    gate.queued.push_back({report, silenceS, now, static_cast<std::uint8_t>(afterAStandingOne ? 1 : 0)});
}

void gf_noteRefused(LiveAc& aircraft, const PosSample& report) {
    gf_noteHeard(aircraft, report);
    // Heard where the aircraft can be: no run of reports elsewhere goes on
    // through it.
    LiveAc::ReportGate& gate = aircraft.reportGate;
    if (!gate.taken.empty() && report.streamTick != 0 && gate.taken.back().streamTick != 0 &&
        reachable(aircraft, gate.taken.back(), report, 0.0))
        gate.seenHereTick = std::max(gate.seenHereTick, report.streamTick);
    if (report.streamTick == 0) return;
    gate.refusedSinceTaken.push_back(report);
    while (gate.refusedSinceTaken.size() > kDroppedKept) gate.refusedSinceTaken.pop_front();
    if (gate.queued.empty()) return;
    gate.refused.push_back(report);
    while (gate.refused.size() > kRefusedKept) gate.refused.pop_front();
}

void gf_noteHeard(LiveAc& aircraft, const PosSample& report) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    if (report.streamTick != 0) gate.lastHeardTick = report.streamTick;
    gate.lastHeard = report;
}

namespace {
// A record refused before the gate as a repeat (too little progress for its
// speed), the last one heard while nothing came after it until shortly
// before it falls due, away from the last report taken: the feed's last
// word before a pause (the last metres onto a stand, say). It is judged as a
// report after all, once.
void judgeALingeringRepeat(LiveAc::ReportGate& gate, const LiveAc& aircraft, std::int32_t now) {
    if (!gate.queued.empty() || gate.taken.empty() || gate.refusedSinceTaken.empty() || aircraft.groundMode == 0)
        return;
    const PosSample& repeat = gate.refusedSinceTaken.back();
    const PosSample& anchor = gate.taken.back();
    if (repeat.streamTick != gate.lastHeardTick || repeat.streamTick <= gate.lingeredTick ||
        repeat.streamTick <= anchor.streamTick || anchor.streamTick == 0 || repeat.airborne != 0 ||
        now < repeat.streamTick - kSettledBeforeDueTicks || metresBetween(anchor, repeat) <= kWanderM)
        return;
    gate.lingeredTick = repeat.streamTick;
    gate.queued.push_back({repeat, 0.0, now - kLongestWaitTicks, 0});
}
}  // namespace

std::vector<PosSample> gf_settleReports(LiveAc& aircraft, std::int32_t now, bool atOnce) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    std::vector<PosSample> taken;
    judgeALingeringRepeat(gate, aircraft, now);
    while (!gate.refused.empty() &&
           (gate.queued.empty() || gate.refused.front().streamTick <= gate.queued.front().report.streamTick))
        gate.refused.pop_front();
    while (!gate.queued.empty()) {
        Heard& front = gate.queued.front();
        const std::int32_t dueTick = front.report.streamTick != 0 ? front.report.streamTick : front.report.dueTick;
        // Just before a spawn every report is settled; only one that may be a
        // stray beside the reports before it (off a standing aircraft, after
        // a silence, amid jumps) still waits for the next report to tell,
        // until its own last moment: the aircraft, created at the reports
        // before it, needs no sample of it yet.
        // (Nor can one with a single sample be created without the report.)
        // An aircraft on its take-off run that reaches its last sample needs
        // the first report after a pause of the feed now: waiting on for the
        // reports after it, it would run out of samples and give its take-off
        // up. (Amid jumps, no pause, the reports after one still tell.)
        const bool runNeedsIt = aircraft.takeOffSeen != 0 && aircraft.landed == 0 && aircraft.groundMode != 0 &&
                                front.silenceS >= kSilenceS && !aircraft.samples.empty() &&
                                aircraft.samples.back().dueTick <= now + kNeededAheadTicks;
        const bool ownLastMoment = now - front.heardTick >= kLoneLongestWaitTicks ||
                                   now >= dueTick - kLoneSettledBeforeDueTicks ||
                                   (atOnce && gate.taken.size() < 2) || runNeedsIt;
        const bool lastMoment = atOnce || ownLastMoment;
        const bool due = lastMoment || now - front.heardTick >= kLongestWaitTicks || now >= dueTick - kSettledBeforeDueTicks;
        const double droppedSilenceS = gate.taken.empty() ? 0.0 : droppedSilence(gate);
        const double ownSilenceS = front.silenceS;
        const double silenceS = std::max(ownSilenceS, droppedSilenceS);
        PosSample report = front.report;
        const Verdict verdict =
            judge(aircraft, report, droppedSilenceS, silenceS, due, lastMoment, ownLastMoment);
        if (verdict == Verdict::wait) break;
        const bool judged = !gate.taken.empty() && gate.taken.back().streamTick != 0 && report.streamTick != 0 &&
                            (aircraft.groundMode != 0 || report.airborne == 0);
        gate.queued.pop_front();
        if (verdict == Verdict::drop) {
            drop(aircraft, report, ownSilenceS);
            continue;
        }
        report.silenceS = static_cast<float>(silenceS);
        if (verdict == Verdict::restart) {
            gate.taken.clear();
            take(gate, report, false, silenceS);
            aircraft.samples.assign(1, report);
            continue;
        }
        take(gate, report, judged, silenceS);
        taken.push_back(report);
    }
    return taken;
}

const PosSample* gf_newestQueuedReport(const LiveAc& aircraft) {
    const std::deque<Heard>& queued = aircraft.reportGate.queued;
    return queued.empty() ? nullptr : &queued.back().report;
}

const PosSample* gf_heardAfter(const LiveAc& aircraft, const PosSample& report) {
    if (report.streamTick == 0) return nullptr;
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    const PosSample* after = nullptr;
    for (auto it = taken.rbegin(); it != taken.rend() && it->streamTick > report.streamTick; ++it) after = &*it;
    if (after != nullptr) return after;
    for (const Heard& heard : aircraft.reportGate.queued)
        if (heard.report.streamTick > report.streamTick) return &heard.report;
    return nullptr;
}

const PosSample* gf_lastHeardReport(const LiveAc& aircraft) {
    const PosSample& last = aircraft.reportGate.lastHeard;
    return last.streamTick == 0 ? nullptr : &last;
}

double gf_reportSilenceS(const LiveAc& aircraft) { return aircraft.reportGate.silenceS; }

const PosSample* gf_takenBefore(const LiveAc& aircraft, const PosSample& report) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    for (std::size_t k = taken.size(); k-- > 1;)
        if (taken[k].streamTick == report.streamTick) return &taken[k - 1];
    return nullptr;
}

double gf_secondsSinceTakenBefore(const LiveAc& aircraft, const PosSample& report) {
    const PosSample* before = gf_takenBefore(aircraft, report);
    return before != nullptr ? secondsBetween(*before, report) : 0.0;
}

double gf_shownUpToKt(const LiveAc& aircraft, const PosSample& report) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    if (report.streamTick == 0) return 0.0;
    const auto at = std::find_if(taken.rbegin(), taken.rend(),
                                 [&](const PosSample& r) { return r.streamTick == report.streamTick; });
    if (at == taken.rend()) return 0.0;
    for (auto it = at + 1; it != taken.rend(); ++it)
        if (it->streamTick != 0 && secondsBetween(*it, report) >= kShownOverS) return knotsBetween(*it, report);
    return 0.0;
}

std::optional<GeoPoint> gf_whereItRests(const LiveAc& aircraft, const PosSample& around, std::size_t k) {
    // The mean of points a few metres apart, longitudes taken across the
    // date line as the first one's.
    const PosSample* first = nullptr;
    double lat = 0.0, lonOff = 0.0, n = 0.0;
    for (const PosSample* report = gf_takenReport(aircraft, k); report != nullptr;
         report = gf_takenReport(aircraft, ++k)) {
        if (report->airborne != 0 || !standing(*report) ||
            metresBetween(*report, around) > kScatterReachNm * kMetersPerNm)
            break;
        if (first == nullptr) first = report;
        lat += report->lat;
        lonOff += gf_lonDifference(first->lon, report->lon);
        n += 1.0;
    }
    if (first == nullptr) return std::nullopt;
    double lon = first->lon + lonOff / n;
    if (lon >= 180.0) lon -= 360.0;
    if (lon < -180.0) lon += 360.0;
    return GeoPoint{lat / n, lon};
}

const PosSample* gf_takenReport(const LiveAc& aircraft, std::size_t k) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    return k < taken.size() ? &taken[taken.size() - 1 - k] : nullptr;
}
