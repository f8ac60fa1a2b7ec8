#include <algorithm>
#include <cmath>

#include "airports/airport_services.h"
#include "foundation/geodesy.h"
#include "refdata/code_tables.h"
#include "refdata/registrations.h"
#include "settings/settings.h"
#include "traffic/adding_stack.h"
#include "traffic/extended_record.h"
#include "traffic/known_samples.h"
#include "traffic/motion_math.h"
#include "traffic/report_gate.h"
#include "traffic/respawn.h"
#include "traffic/state.h"

namespace {
constexpr double kSecondsPerHour = 3600.0;
constexpr double kStraightAirNm = 0.2429805615550756;     // 450 m
constexpr double kStraightGroundNm = 0.010799136069114472;  // 20 m
constexpr double kGroundWaitCapSeconds = 15.0;
constexpr double kSpeedSlackKt = 5.0;
constexpr double kMovingOffKt = 1.0;  // a field this fast after one that stood shows a move
// Slower than this a record flagged airborne at the field's height, of a
// fixed-wing aircraft whose stream was heard on the ground, flies nowhere.
constexpr double kFlippedFlagMostKt = 40.0;
// On the ground an aircraft speeds up on its take-off run, or brakes, by
// this much a second at most: a feed quiet long enough hides no jump.
constexpr double kGroundSpeedChangeKtPerS = 5.0;
// Not yet in the simulator, an aircraft must have its samples before its
// first falls due: its reports are settled a few seconds before it spawns.
constexpr std::int32_t kBeforeSpawnTicks = 400;

// A sample that only repeats what the queue already says: too soon after the
// last record, a speed that jumps, or too little progress on a straight track.
// A feed's speed field may stay stale while the position moves on: a speed
// that the position bears out is no jump (else a stale 0 kt in a take-off
// roll would lock out every later record), and a record whose position
// moved well past its speed repeats nothing.
bool lf_implausible(const LiveAc& aircraft, const StreamRecord& record) {
    const PosSample& newest = aircraft.samples.back();
    const double t = record.timestamp;
    const double elapsed = t - aircraft.lastRecordTime;
    if (t == aircraft.lastRecordTime || elapsed <= 1.0) return true;
    const double g = record.sample.groundSpeedKt;
    const double g0 = newest.groundSpeedKt;
    // The speed shown since the last report taken as where the aircraft was
    // (reports dropped since moved nothing), since the newest report queued,
    // or since the last one heard at all: a take-off roll whose speed fields
    // read 0 is borne out once its fields show the speed, and reports in
    // the air after a long pause of the feed bear each other out.
    const auto shownSince = [&](const PosSample* report) {
        const PosSample& from = report != nullptr ? *report : newest;
        const double since = report != nullptr && report->streamTick != 0 && record.sample.streamTick > report->streamTick
                                 ? (record.sample.streamTick - report->streamTick) / 100.0
                                 : elapsed;
        return gf_distanceNm(GeoPoint{from.lat, from.lon}, GeoPoint{record.sample.lat, record.sample.lon}) *
               kSecondsPerHour / since;
    };
    const double shown = shownSince(gf_takenReport(aircraft, 0));
    const auto bearsOut = [&](const PosSample* report) {
        return report != nullptr && std::abs(shownSince(report) - g) <= 0.5 * g;
    };
    const bool borneOut = std::abs(shown - g) <= 0.5 * g || bearsOut(gf_newestQueuedReport(aircraft)) ||
                          bearsOut(gf_lastHeardReport(aircraft));
    // After a pause of the feed a report on the ground may find the aircraft
    // far into its take-off run (or stopped after one): the gate judges it
    // with the reports after it.
    const bool hadTheTime =
        record.sample.airborne == 0 && std::abs(g - g0) <= kGroundSpeedChangeKtPerS * elapsed;
    if (((g0 > 5.0 && g >= 10.0 * g0) || (g > 5.0 && g0 >= 10.0 * g) || (g0 <= 5.0 && g >= 80.0) ||
         (g <= 5.0 && g0 >= 80.0)) &&
        !borneOut && !hadTheTime)
        return true;
    // A parked aircraft's stream is the stand's to judge, every record of it:
    // one coming back to the stand calls off a leave that one off it began.
    // One not yet created needs a second sample by the time its first falls
    // due, or it is not created at all: a standing stream repeats itself.
    if (aircraft.refillState >= 1 || aircraft.phase == AcPhase::parked) return false;
    if (aircraft.lifeState == AcLifeState::buffer && aircraft.samples.size() < 2) return false;
    const double trackChange = std::abs(record.sample.trackDeg - newest.trackDeg);
    if (record.sample.airborne) {
        return g > 120.0 && trackChange <= 1.0 && kStraightAirNm / g * kSecondsPerHour >= elapsed;
    }
    if (g > 30.0 || trackChange > 2.0 || shown > std::max(2.0 * g, g + kSpeedSlackKt)) return false;
    // The first record to show a standing aircraft moving (a slow push, a
    // tow, a helicopter lifting into a hover-taxi) says what the queue does not;
    // nor does one moving on after a report that still waits at the gate
    // read 0 (a stale field: the aircraft would stop there).
    if ((newest.stationary != 0 || g0 < kMovingOffKt) && g >= kMovingOffKt) return false;
    const PosSample* waiting = gf_newestQueuedReport(aircraft);
    if (waiting != nullptr && waiting->groundSpeedKt < kMovingOffKt && g >= kMovingOffKt) return false;
    // Nor does one whose field shows it standing a step of the feed's
    // coarse grid from what the queue says (the newest report waiting at the
    // gate, else the newest sample), farther than a standing stream wanders
    // and within a report's scatter: its field reads 0, yet it moved (a push
    // or a start, a step at a time). (One farther off is a jump the gate
    // need not see.)
    const PosSample& says = waiting != nullptr ? *waiting : newest;
    if (const double stepNm =
            gf_distanceNm(GeoPoint{says.lat, says.lon}, GeoPoint{record.sample.lat, record.sample.lon});
        g < kMovingOffKt && stepNm > kStandingNoiseNm && stepNm <= kScatterReachNm)
        return false;
    const double needed =
        g == 0.0 ? kGroundWaitCapSeconds : std::min(kStraightGroundNm / g * kSecondsPerHour, kGroundWaitCapSeconds);
    return needed >= elapsed;
}

LiveAc* findLive(std::uint32_t hexId) {
    const auto found = std::find_if(g_liveAcs.begin(), g_liveAcs.end(),
                                    [hexId](const LiveAc& ac) { return ac.hexId == hexId; });
    return found == g_liveAcs.end() ? nullptr : &*found;
}

bool categoryEnabled(SizeCategory category) {
    switch (category) {
        case SizeCategory::Light:
            return LIGHT_AIRCRAFT.value;
        case SizeCategory::HighPerf:
            return HIGH_PERF_AIRCRAFT.value;
        case SizeCategory::Rotorcraft:
            return HELICOPTERS.value;
        default:
            return true;
    }
}
}  // namespace

// A record flagged airborne of an aircraft not yet created whose stream was
// heard on the ground, slower than a fixed-wing aircraft flies: a flipped
// flag (the report gate takes it as on the ground), not one in the air near
// the field that is not to be created. Dropped, it would leave a stream that
// falls quiet after it with one report, never created.
bool lf_flippedOnTheGround(const LiveAc& aircraft, const StreamRecord& record) {
    return aircraft.sizeCategory != SizeCategory::Rotorcraft && !aircraft.samples.empty() &&
           aircraft.samples.back().airborne == 0 && record.sample.groundSpeedKt < kFlippedFlagMostKt;
}

bool lf_nearFieldElevation(double altitudeFt) {
    const double reference = g_parkAirport.code.isSet() ? static_cast<double>(g_parkAirport.altitude) : -1000.0;
    return altitudeFt > 0.0 && altitudeFt < 10000.0 && std::abs(altitudeFt - reference) <= 108.0;
}

void lf_dispatchStreamRecord(StreamRecord& record) {
    record.sample.streamTick = record.sample.dueTick;
    LiveAc* aircraft = findLive(record.hexId);
    if (aircraft == nullptr) {
        const std::string& callsign = record.ident.callsign;
        const std::uint16_t modelId = record.ident.modelKey.modelId;
        const bool twin = !callsign.empty() && std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
            return ac.callsign == callsign && ac.modelKey.modelId == modelId;
        });
        if (!twin) lf_appendLiveAcWrapped(record);
        return;
    }
    if (aircraft->lifeState == AcLifeState::liveryrespawn || aircraft->lifeState == AcLifeState::removingfromsim)
        return;
    if (!aircraft->samples.empty() && lf_implausible(*aircraft, record)) {
        gf_noteRefused(*aircraft, record.sample);
        return;
    }
    if (aircraft->lifeState == AcLifeState::buffer && lf_nearFieldElevation(record.sample.altitudeFt) &&
        !lf_flippedOnTheGround(*aircraft, record))
        return;
    if (!lf_respawn(*aircraft, record)) return;
    aircraft->lastRecordTime = record.timestamp;
    gf_queueReport(*aircraft, record.sample, g_tick.load());
    lf_passSettledReports(*aircraft);
}

void lf_passSettledReports(LiveAc& aircraft) {
    const AcLifeState state = aircraft.lifeState;
    if (state == AcLifeState::liveryrespawn || state == AcLifeState::removingfromsim) return;
    const std::int32_t now = g_tick.load();
    const bool spawnNear = state == AcLifeState::buffer && !aircraft.samples.empty() &&
                           now >= aircraft.samples.front().dueTick - kBeforeSpawnTicks;
    for (const PosSample& report : gf_settleReports(aircraft, now, spawnNear)) {
        if (aircraft.lifeState == AcLifeState::liveryrespawn || aircraft.lifeState == AcLifeState::removingfromsim)
            break;
        decodeExisting(aircraft, report);
    }
}

void lf_appendLiveAcWrapped(StreamRecord& record) {
    if (const std::optional<RegCodes> found = gf_findRegistration(record.ident.registration))
        record.ident.modelKey.modelId = found->modelId;
    if (!gf_isKnownModelCode(gf_modelCodeText(record.ident.modelKey.modelId))) return;
    lf_appendLiveAc(record);
}

void lf_appendLiveAc(StreamRecord& record) {
    if (!categoryEnabled(gf_modelCategory(record.ident.modelKey.modelId))) return;
    if (lf_nearFieldElevation(record.sample.altitudeFt)) return;
    AcIdent& ident = record.ident;
    ident.prevCallsign = ident.callsign;
    ident.spareText.clear();
    ident.standUseChecked = 0;
    AcBase base = gf_extendAcRecord(std::move(ident));
    base.hexId = record.hexId;
    base.turnRate = base.turnRateBase;
    const CategoryValues& values = gf_categoryValues(base.sizeCategory);
    base.climbPerTick = values.climbPerTick;
    base.taxiSpeedKt = values.taxiSpeedKt;
    g_liveAcs.emplace_back(record.sample, std::move(base), record.timestamp);
}
