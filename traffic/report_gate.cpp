#include "traffic/report_gate.h"

#include <fmt/format.h>

#include <algorithm>
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
// Reports agreeing with each other where the last one taken could not have
// got to: a move the feed did not report, borne out by three of them. A
// stray is one report, and reports jumping about an aircraft scatter far
// wider than where it stands or taxis.
constexpr double kStandingFieldKt = 3.0;
constexpr std::size_t kRunConfirmed = 3;
constexpr std::size_t kMostHeld = 8;
// A report going on from a held run goes the same way, within this; one
// going on from a lone report held does not go back the way it came (a
// line-up turns a right angle and more onto the runway).
constexpr double kSameWayRad = 45.0 * kDegToRad;
constexpr double kNotBackRad = 135.0 * kDegToRad;
// Where the feed went quiet this long the aircraft may have moved unheard,
// at half the speed it taxis at most (a push-back, a line-up).
constexpr double kSilenceS = 20.0;
constexpr double kUnheardShare = 0.5;
// From this speed on the runway an aircraft keeps its way (a take-off or
// landing roll), going sideways at half its speed at most; its way is told
// by reports this far apart.
constexpr double kRollKt = 40.0;
constexpr double kAsideShare = 0.5;
constexpr double kFastestAsideMps = 10.0;  // a high-speed exit's
constexpr double kWayKnownM = 20.0;
constexpr double kWayRecentS = 20.0;
// A lone report held waits for the next report until this long before it
// falls due (20 s after it came: the next comes within 15 s while the feed
// talks); unanswered, one the last report taken could reach stands (the
// stream's last report after a stray, say). One only a move unheard in a
// pause could reach must be answered.
constexpr std::int32_t kLoneWaitTicks = 1000;
constexpr std::uint8_t kNotLone = 0, kLoneUnheard = 1, kLoneInReach = 2;

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

// The fastest a move on the ground may show whose speed fields are stale: a
// take-off roll begun unheard.
double fastestOnTheGroundKt(const LiveAc& aircraft) {
    return std::max(gf_taxiCeilingKt(aircraft.sizeCategory), gf_takeOffSpeedKt(aircraft.sizeCategory));
}

double knotsBetween(const PosSample& from, const PosSample& to) {
    return metresBetween(from, to) / secondsBetween(from, to) * 3600.0 / kMetersPerNm;
}

// How far (m) a report `seconds` after another may lie from it when the
// evidence shows the aircraft at `evidenceKt`.
double reachM(double evidenceKt, double seconds) {
    return kScatterReachNm * kMetersPerNm + seconds * metresPerSecond(kReachShare * evidenceKt);
}

bool standing(const PosSample& report) { return report.groundSpeedKt < kStandingFieldKt; }

// Whether two reports both show the aircraft standing at one place.
bool standTogether(const PosSample& a, const PosSample& b) {
    return standing(a) && standing(b) && metresBetween(a, b) <= kScatterReachNm * kMetersPerNm;
}

bool standingRun(const std::deque<PosSample>& held) {
    return std::all_of(held.begin(), held.end(), [&](const PosSample& r) { return standTogether(held.front(), r); });
}

// Whether two reports agree: standing together, or moving, the newer where
// the older's way at their speed fields gets to.
bool agree(const PosSample& older, const PosSample& newer) {
    if (standTogether(older, newer)) return true;
    return !standing(older) && !standing(newer) &&
           metresBetween(older, newer) <=
               reachM(std::max(older.groundSpeedKt, newer.groundSpeedKt), secondsBetween(older, newer));
}

// Whether `report` goes on from the reports held back since the last one
// taken: it stands with them; or it leaves where two or more of them stood,
// as fast as its speed fields show; or, from a lone report held (after a
// pause, or after a stray), it goes anywhere but back the way that one came,
// no faster than its fields, or than the aircraft taxis or takes off; or it goes on
// the way a run of them went from the last report taken, farther, and no
// faster than its speed fields or their way so far show.
bool goesOnFrom(const LiveAc& aircraft, const PosSample& last, const PosSample& report) {
    const LiveAc::ReportGate& gate = aircraft.reportGate;
    const PosSample& held = gate.held.back();
    const double seconds = secondsBetween(held, report);
    if (standTogether(held, report)) return true;
    if (gate.held.size() >= 2 && standingRun(gate.held))
        return metresBetween(held, report) <= reachM(report.groundSpeedKt, seconds);
    if (gate.held.size() == 1 && gate.heldLone != 0) {
        // (Its speed fields may be stale where it lined up unheard in a
        // pause and now rolls for its take-off.)
        const double fastestKt =
            gate.heldLone == kLoneUnheard ? fastestOnTheGroundKt(aircraft) : gf_taxiCeilingKt(aircraft.sizeCategory);
        const double kt = std::max(report.groundSpeedKt, std::min(knotsBetween(held, report), fastestKt));
        const double turned = gf_normaliseRad(bearingBetween(held, report) - bearingBetween(last, held));
        return metresBetween(held, report) <= reachM(kt, seconds) && std::fabs(turned) < kNotBackRad;
    }
    // A move whose speed fields are stale (0 as it starts, or a take-off
    // roll begun in a pause): farther from the last report taken, each leg
    // the way the one before went, no faster than the aircraft takes off.
    const PosSample& before = gate.held.size() >= 2 ? gate.held[gate.held.size() - 2] : last;
    if (metresBetween(last, report) <= metresBetween(last, held)) return false;
    if (std::fabs(gf_normaliseRad(bearingBetween(held, report) - bearingBetween(before, held))) > kSameWayRad)
        return false;
    const double fieldsKt = std::max(held.groundSpeedKt, report.groundSpeedKt);
    const double fastestKt = standing(held) && standing(report) ? fastestOnTheGroundKt(aircraft)
                                                                : std::max(fieldsKt, knotsBetween(before, held));
    return metresBetween(held, report) <= reachM(fastestKt, seconds);
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

// The way the aircraft went to the last report taken, from the newest one
// before it that lies far enough back to tell, lately (a track field may be
// stale).
std::optional<double> wayToLast(const LiveAc& aircraft) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    const PosSample& last = taken.back();
    for (auto it = taken.rbegin() + 1; it != taken.rend() && secondsBetween(*it, last) <= kWayRecentS; ++it)
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
    return evidenceKt < kRollKt ||
           aside <= scatterM + secondsBetween(last, report) *
                                   std::min(metresPerSecond(kAsideShare * evidenceKt), kFastestAsideMps);
}

// Reports are judged while the aircraft is on the ground, and reports on
// the ground (of an aircraft not yet set down by the simulator, say); in the
// air the feed's reports are good.
bool judged(const LiveAc& aircraft, const PosSample& last, const PosSample& report) {
    if (report.streamTick == 0 || last.streamTick == 0) return false;
    return aircraft.groundMode != 0 || report.airborne == 0;
}

std::vector<PosSample> take(LiveAc& aircraft, std::vector<PosSample> reports, bool judged = true) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    for (const PosSample& report : reports) gate.taken.push_back(report);
    while (gate.taken.size() > kTakenKept) gate.taken.pop_front();
    gate.judgedTaken = judged ? gate.judgedTaken + static_cast<std::uint32_t>(reports.size()) : 0;
    return reports;
}

std::vector<PosSample> passHeld(LiveAc& aircraft, const PosSample* report) {
    std::deque<PosSample>& held = aircraft.reportGate.held;
    // Passed on together, they come after the feed's silence before the first.
    aircraft.reportGate.silenceS = std::max(aircraft.reportGate.silenceS, aircraft.reportGate.heldSilenceS);
    std::vector<PosSample> passed(held.begin(), held.end());
    held.clear();
    if (report != nullptr) passed.push_back(*report);
    return take(aircraft, std::move(passed));
}

// Reports that moved nothing are counted; the first of an aircraft is logged.
void ignore(LiveAc& aircraft, const PosSample& report) {
    if (aircraft.reportGate.ignored++ != 0) return;
    gf_log(fmt::format("{} report {:.0f} m off its way ignored: no aircraft on the ground gets there so soon",
                       gf_acText(aircraft), metresBetween(aircraft.reportGate.taken.back(), report)));
}

void ignoreHeld(LiveAc& aircraft) {
    for (const PosSample& stray : aircraft.reportGate.held) ignore(aircraft, stray);
    aircraft.reportGate.held.clear();
}

}  // namespace

const PosSample* gf_newestHeldReport(const LiveAc& aircraft) {
    const std::deque<PosSample>& held = aircraft.reportGate.held;
    return held.empty() ? nullptr : &held.back();
}

double gf_reportSilenceS(const LiveAc& aircraft) { return aircraft.reportGate.silenceS; }

double gf_secondsSinceTakenBefore(const LiveAc& aircraft, const PosSample& report) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    for (std::size_t k = taken.size(); k-- > 1;)
        if (taken[k].streamTick == report.streamTick) return secondsBetween(taken[k - 1], report);
    return 0.0;
}

std::optional<PosSample> gf_takeUnansweredReport(LiveAc& aircraft, std::int32_t now, bool atOnce) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    if (gate.held.size() != 1 || gate.heldLone != kLoneInReach) return std::nullopt;
    if (!atOnce && now < gate.held.front().dueTick - kLoneWaitTicks) return std::nullopt;
    std::vector<PosSample> passed = passHeld(aircraft, nullptr);
    return passed.front();
}

const PosSample* gf_takenReport(const LiveAc& aircraft, std::size_t k) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    return k < taken.size() ? &taken[taken.size() - 1 - k] : nullptr;
}

std::vector<PosSample> gf_gateReport(LiveAc& aircraft, const PosSample& report) {
    LiveAc::ReportGate& gate = aircraft.reportGate;
    gate.silenceS = gate.lastHeardTick != 0 && report.streamTick != 0
                        ? (static_cast<std::int64_t>(report.streamTick) - gate.lastHeardTick) / 100.0
                        : 0.0;
    gate.lastHeardTick = report.streamTick;
    if (gate.taken.empty() || !judged(aircraft, gate.taken.back(), report)) {
        gate.held.clear();
        return take(aircraft, {report}, false);
    }
    const PosSample last = gate.taken.back();
    const double metres = metresBetween(last, report);
    // Two reports in a row that show it standing outweigh the way it came:
    // a stray beside an aircraft come to rest moves nothing.
    const double evidenceKt = std::max({report.groundSpeedKt, last.groundSpeedKt,
                                        standing(report) && standing(last) ? 0.0 : shownKt(aircraft)});
    const double reach = keepsItsWay(aircraft, last, report, evidenceKt)
                             ? reachM(evidenceKt, secondsBetween(last, report))
                             : 0.0;
    // Where the feed went quiet the aircraft may have moved unheard (a
    // line-up, a push-back, a tow): a lone report there waits for the next.
    const double unheardM = gate.silenceS >= kSilenceS ? gate.silenceS * metresPerSecond(kUnheardShare *
                                                                                         gf_taxiCeilingKt(aircraft.sizeCategory))
                                                       : 0.0;
    if (gate.held.empty()) {
        if (metres <= reach) return take(aircraft, {report});
        gate.heldSilenceS = gate.silenceS;
        // Held back: a stray, a jump, or the first report of a move the feed
        // did not show.
        gate.heldLone = metres <= reach + unheardM ? kLoneUnheard : kNotLone;
        gate.heldAgreeing = 1;
        gate.held.push_back(report);
        return {};
    }
    const bool goesOn = goesOnFrom(aircraft, last, report);
    const bool agrees = agree(gate.held.back(), report);
    if (goesOn || (metres > reach && agrees)) {
        // A lone report borne out by the next, standing with it or going on
        // with its speed shown; a run of reports with stale speed fields
        // borne out by one that the last report taken can reach; three
        // reports in a row that agree with each other outvote the one taken
        // before them (itself a jump, say, or a move the feed did not show).
        const bool lone = gate.heldLone != 0 && gate.held.size() == 1;
        const bool borneOut = goesOn && ((lone && (standTogether(gate.held.back(), report) || !standing(report))) ||
                                         metres <= reach);
        if (!agrees) gate.heldAgreeing = 0;
        const bool agreeing = gate.heldAgreeing != 0 && gate.held.size() + 1 >= kRunConfirmed;
        if (borneOut || agreeing) return passHeld(aircraft, &report);
        gate.held.push_back(report);
        while (gate.held.size() > kMostHeld) gate.held.pop_front();
        return {};
    }
    // What was held back moved nothing. After it, even a report the last
    // one taken could reach waits for the next to bear it out: in a stretch
    // of jumping reports one now and then lies within reach.
    ignoreHeld(aircraft);
    gate.heldSilenceS = gate.silenceS;
    gate.heldLone = metres <= reach ? kLoneInReach : metres <= reach + unheardM ? kLoneUnheard : kNotLone;
    gate.heldAgreeing = 1;
    gate.held.push_back(report);
    return {};
}
