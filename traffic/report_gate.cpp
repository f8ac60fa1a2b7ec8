#include "traffic/report_gate.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

#include "foundation/log.h"
#include "traffic/ac_texts.h"
#include "traffic/ground_movement.h"
#include "traffic/motion_math.h"
#include "traffic/state.h"

namespace {

// A report may show the aircraft a quarter faster than its speed fields and
// its last reports do, besides the scatter every report has.
constexpr double kReachShare = 1.25;
// The speed the positions of the reports taken show is measured over at
// least this long: over a few seconds the feed's grid alone shows 30 kt.
constexpr double kShownOverS = 10.0;
constexpr std::size_t kTakenKept = 8;
// Reports standing together where the last one taken could not have got
// to: a move the feed did not report, borne out by three of them. A stray
// is one report, and reports jumping about an aircraft scatter far wider.
constexpr double kStandingFieldKt = 3.0;
constexpr std::size_t kStandingRunConfirmed = 3;
// A report going on from a held one goes the same way, within this.
constexpr double kSameWayRad = 45.0 * kDegToRad;
// Where the feed went quiet this long the aircraft may have moved unheard,
// at half the speed it taxis at most (a push-back, a line-up).
constexpr double kSilenceS = 20.0;
constexpr double kUnheardShare = 0.5;

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

// Whether `report` goes on from the reports held: it stands with them; or
// it leaves where two or more of them stood, as fast as its speed fields
// show; or it goes on the way they went from the last report taken,
// farther, and no faster than its speed fields or their way so far show.
bool goesOnFrom(const PosSample& last, const std::deque<PosSample>& heldReports, const PosSample& report) {
    const PosSample& held = heldReports.back();
    if (standTogether(held, report)) return true;
    if (heldReports.size() >= 2 && standingRun(heldReports))
        return metresBetween(held, report) <= reachM(report.groundSpeedKt, secondsBetween(held, report));
    if (metresBetween(last, report) <= metresBetween(last, held)) return false;
    const double way = bearingBetween(last, held);
    if (std::fabs(gf_normaliseRad(bearingBetween(held, report) - way)) > kSameWayRad) return false;
    // A move whose first reports had stale speed fields: its way so far shows its speed.
    const double heldKt = metresBetween(last, held) / secondsBetween(last, held) * 3600.0 / kMetersPerNm;
    return metresBetween(held, report) <=
           reachM(std::max({held.groundSpeedKt, report.groundSpeedKt, heldKt}), secondsBetween(held, report));
}

// The speed the positions of the reports taken show, over the last ten
// seconds or more, and no more than the aircraft taxis: positions alone
// never show a take-off roll.
double shownKt(const LiveAc& aircraft) {
    const std::deque<PosSample>& taken = aircraft.reportGate.taken;
    if (taken.size() < 2) return 0.0;
    const PosSample& newest = taken.back();
    auto from = taken.begin();
    for (auto it = taken.begin(); it + 1 != taken.end(); ++it)
        if (secondsBetween(*it, newest) >= kShownOverS) from = it;
    const double kt = metresBetween(*from, newest) / secondsBetween(*from, newest) * 3600.0 / kMetersPerNm;
    return std::min(kt, gf_taxiCeilingKt(aircraft.sizeCategory));
}

// Reports are judged while the aircraft is on the ground, or (not yet in
// the simulator) while its stream is.
bool judged(const LiveAc& aircraft, const PosSample& last, const PosSample& report) {
    if (report.streamTick == 0 || last.streamTick == 0) return false;
    if (aircraft.groundMode != 0) return true;
    return aircraft.lifeState != AcLifeState::active && last.airborne == 0 && report.airborne == 0;
}

std::vector<PosSample> take(LiveAc& aircraft, std::vector<PosSample> reports) {
    std::deque<PosSample>& taken = aircraft.reportGate.taken;
    for (const PosSample& report : reports) taken.push_back(report);
    while (taken.size() > kTakenKept) taken.pop_front();
    return reports;
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

double gf_reportSilenceS(const LiveAc& aircraft) { return aircraft.reportGate.silenceS; }

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
        return take(aircraft, {report});
    }
    const PosSample last = gate.taken.back();
    const double silenceS = gate.silenceS;
    const double unheardM =
        silenceS >= kSilenceS ? silenceS * metresPerSecond(kUnheardShare * gf_taxiCeilingKt(aircraft.sizeCategory)) : 0.0;
    const double evidenceKt = std::max({report.groundSpeedKt, last.groundSpeedKt, shownKt(aircraft)});
    const bool goesOnFromHeld = !gate.held.empty() && goesOnFrom(last, gate.held, report);
    if (metresBetween(last, report) <= reachM(evidenceKt, secondsBetween(last, report)) + unheardM) {
        // Back on its way: what was held back was a stray, unless this one
        // goes on from it (a move whose first reports had stale speed fields).
        std::vector<PosSample> passed;
        if (goesOnFromHeld) passed.assign(gate.held.begin(), gate.held.end());
        gate.held.clear();
        if (!goesOnFromHeld) ignoreHeld(aircraft);
        passed.push_back(report);
        return take(aircraft, std::move(passed));
    }
    // Held back: a stray, a jump, or the first report of a move the feed did
    // not show. Reports standing together where it could not have got to
    // are the aircraft moved unseen once there are three of them.
    if (!gate.held.empty() && !standTogether(gate.held.back(), report) && !goesOnFromHeld) ignoreHeld(aircraft);
    gate.held.push_back(report);
    if (!standingRun(gate.held) || gate.held.size() < kStandingRunConfirmed) {
        while (gate.held.size() > kStandingRunConfirmed) gate.held.pop_front();
        return {};
    }
    std::vector<PosSample> passed(gate.held.begin(), gate.held.end());
    gate.held.clear();
    return take(aircraft, std::move(passed));
}
