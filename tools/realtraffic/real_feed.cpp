#include "tools/realtraffic/real_feed.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "foundation/geodesy.h"

namespace realtraffic {
namespace {

constexpr double kMetersPerDegree = 60.0 * kMetersPerNm;
constexpr double kFlipAboveFieldMinFt = 12.0, kFlipAboveFieldMaxFt = 50.0;  // a flipped ground report's altitude
constexpr double kFlareFt = 50.0;  // below this above the field an airborne report may claim the ground

// Uniform numbers from the standard engine, drawn the same way on every
// platform (the standard distributions are not).
class Random {
public:
    explicit Random(std::uint32_t seed) : engine_(seed) {}
    double uniform(double low, double high) {
        return low + (high - low) * (static_cast<double>(engine_()) / 4294967296.0);
    }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }
    std::size_t index(std::size_t count) {  // 0 to count - 1
        return std::min(count - 1, static_cast<std::size_t>(uniform(0.0, static_cast<double>(count))));
    }

private:
    std::mt19937 engine_;
};

// Each track draws from its own sequence: adding a track leaves the others' reports alone.
std::uint32_t trackSeed(std::uint32_t seed, std::uint32_t hexId) {
    std::uint64_t x = (static_cast<std::uint64_t>(seed) << 32 | hexId) + 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return static_cast<std::uint32_t>(x ^ (x >> 31));
}

double metresBetween(const TrackSample& a, const TrackSample& b) {
    return gf_distanceNm(a.lat, a.lon, b.lat, b.lon) * kMetersPerNm;
}

class ReportMaker {
public:
    ReportMaker(const TrackPath& path, const RealFeedOptions& options)
        : path_(path),
          o_(options),
          random_(trackSeed(options.seed, path.track().hexId)),
          // A sequence apart: a stray, a jump or a dwell moves no other noise of the track.
          offsets_(trackSeed(options.seed, path.track().hexId) ^ 0x5EED0FF5u),
          field_(*path.fieldElevationFt()),
          cosLat_(std::cos(path.track().waypoints.front().lat * kDegToRad)) {
        nextPauseAt_ = path.start() + kRealFeedSettleSeconds + random_.uniform(0.0, o_.pauseEveryMaxS);
    }

    std::vector<TrackSample> run() {
        std::vector<TrackSample> out;
        for (double t = path_.start(); t <= path_.end() + 1e-9;) {
            const TrackSample clean = path_.at(t);
            out.push_back(report(clean));
            t = nextTime(clean);
        }
        const auto& strays = path_.track().strays;
        if (nextStray_ < strays.size())
            throw StandInError(fmt::format("track {} (scenario line {}): no report comes at or after the stray at {} s "
                                           "(the last at {:.1f} s)",
                                           path_.track().callsign, strays[nextStray_].line, strays[nextStray_].time,
                                           out.back().offset));
        const auto& pauses = path_.track().pauses;
        if (nextForcedPause_ < pauses.size())
            throw StandInError(fmt::format("track {} (scenario line {}): no report comes at or after the pause at {} s "
                                           "(the last at {:.1f} s)",
                                           path_.track().callsign, pauses[nextForcedPause_].line,
                                           pauses[nextForcedPause_].from, out.back().offset));
        return out;
    }

private:
    struct Stale {
        double until = 0, speedKt = 0, trackDeg = 0, headingDeg = 0;
    };
    // The spot the reports dwell at, and until when.
    struct Dwell {
        const DwellingStretch* stretch = nullptr;
        std::size_t spot = 0;
        double until = 0;
    };

    bool settled(double t) const { return t >= path_.start() + kRealFeedSettleSeconds; }
    bool taxiing(const TrackSample& s) const { return path_.onGround(s) && s.speedKt <= kRealFeedTaxiLimitKt; }
    // Level a few feet up at taxi speeds: its transponder says airborne, the
    // program's reader the ground.
    bool hovering(const TrackSample& s) const {
        return taxiing(s) && s.altitudeFt > 0 && s.altitudeFt - field_ < kRealFeedHoverAboveFieldFt &&
               s.verticalSpeedFpm == 0;
    }

    TrackSample report(const TrackSample& clean) {
        TrackSample r = clean;
        const DwellingStretch* dwelling = dwellingAt(clean.offset);
        if (dwelling) {
            const Spot& spot = dwellAt(*dwelling, clean.offset);
            r.lat = spot.lat;
            r.lon = spot.lon;
        }
        if (path_.onGround(clean)) {
            placeOnGrid(r);
            keepStale(r, clean);
            if (settled(clean.offset) && hovering(clean)) {
                // A hover's reports claim now the air at its height, now the ground.
                if (random_.chance(o_.hoverGroundShare)) {
                    r.altitudeFt = 0;
                    r.verticalSpeedFpm = 0;
                }
            } else if (settled(clean.offset) && random_.chance(o_.flipShare)) {
                const double above = random_.uniform(kFlipAboveFieldMinFt, kFlipAboveFieldMaxFt);
                r.altitudeFt = std::max(1.0, std::round(field_ + above));
            }
        } else {
            shift(r, random_.uniform(0.0, o_.airNoiseM), random_.uniform(0.0, 360.0));
            stale_.reset();
            if (settled(clean.offset) && clean.altitudeFt - field_ < kFlareFt && random_.chance(o_.flipShare)) {
                r.altitudeFt = 0;
                r.verticalSpeedFpm = 0;
                r.rollDeg = 0;
            }
        }
        placeOff(r, clean);
        if (dwelling) {  // as recorded: no speed or track at all
            r.speedKt = 0;
            r.trackDeg = 0;
        }
        previousClean_ = clean;
        previousReport_ = r;
        return r;
    }

    const JumpingStretch* jumpingAt(double t) const {
        for (const JumpingStretch& j : path_.track().jumps)
            if (t >= j.from && t <= j.from + j.seconds) return &j;
        return nullptr;
    }

    const DwellingStretch* dwellingAt(double t) const {
        for (const DwellingStretch& d : path_.track().dwells)
            if (t >= d.from && t <= d.from + d.seconds) return &d;
        return nullptr;
    }

    // The spot of the dwell at t: its first report starts a dwell of a drawn
    // length at a drawn spot, each later one at another spot than the last.
    const Spot& dwellAt(const DwellingStretch& stretch, double t) {
        if (dwell_.stretch != &stretch) {
            dwell_ = Dwell{&stretch, offsets_.index(stretch.spots.size()), 0};
            dwell_.until = t + offsets_.uniform(o_.dwellMinS, o_.dwellMaxS);
        } else if (t >= dwell_.until) {
            std::size_t spot = offsets_.index(stretch.spots.size() - 1);
            if (spot >= dwell_.spot) ++spot;
            dwell_.spot = spot;
            dwell_.until = t + offsets_.uniform(o_.dwellMinS, o_.dwellMaxS);
        }
        return stretch.spots[dwell_.spot];
    }

    // A stray report, or one in a jumping stretch, lies its distance off the
    // real position, whatever noise the report had otherwise.
    void placeOff(TrackSample& r, const TrackSample& clean) {
        const auto& strays = path_.track().strays;
        std::optional<double> metres;
        if (nextStray_ < strays.size() && clean.offset >= strays[nextStray_].time)
            metres = strays[nextStray_++].metres;
        else if (const JumpingStretch* j = jumpingAt(clean.offset))
            metres = offsets_.uniform(j->minM, j->maxM);
        if (!metres) return;
        const double bearingRad = offsets_.uniform(0.0, 360.0) * kDegToRad;
        const GeoPoint off = gf_destinationPoint(GeoPoint{clean.lat, clean.lon}, bearingRad,
                                                 *metres / kMetersPerNm * kFeetPerNm);
        r.lat = off.lat;
        r.lon = off.lon;
    }

    static void shift(TrackSample& s, double metres, double bearingDeg) {
        const double north = metres * std::cos(bearingDeg * kDegToRad);
        const double east = metres * std::sin(bearingDeg * kDegToRad);
        s.lat += north / kMetersPerDegree;
        s.lon += east / (kMetersPerDegree * std::cos(s.lat * kDegToRad));
    }

    // The grid point nearest the real position, moved by the wander: a walk
    // of small random steps that stays within wanderM of the grid point.
    void placeOnGrid(TrackSample& r) {
        const double latStep = o_.gridM / kMetersPerDegree;
        const double lonStep = o_.gridM / (kMetersPerDegree * cosLat_);
        if (latStep > 0) {
            r.lat = std::round(r.lat / latStep) * latStep;
            r.lon = std::round(r.lon / lonStep) * lonStep;
        }
        const double step = random_.uniform(0.0, o_.wanderM / 2);
        const double direction = random_.uniform(0.0, 360.0) * kDegToRad;
        wanderNorth_ += step * std::cos(direction);
        wanderEast_ += step * std::sin(direction);
        const double length = std::hypot(wanderNorth_, wanderEast_);
        if (length > o_.wanderM) {
            const double scale = length > 0 ? o_.wanderM / length : 0.0;
            wanderNorth_ *= scale;
            wanderEast_ *= scale;
        }
        r.lat += wanderNorth_ / kMetersPerDegree;
        r.lon += wanderEast_ / (kMetersPerDegree * cosLat_);
    }

    // Speed, track and heading as the last report gave them: always for a
    // while after the aircraft starts to move, now and then while it taxis.
    void keepStale(TrackSample& r, const TrackSample& clean) {
        if (stale_ && (clean.offset >= stale_->until || !taxiing(clean))) stale_.reset();
        if (!stale_ && settled(clean.offset) && taxiing(clean) && clean.speedKt >= kRealFeedStandingKt &&
            previousReport_ && path_.onGround(*previousClean_)) {
            const bool startsMoving = previousClean_->speedKt < kRealFeedStandingKt;
            const double minutes = (clean.offset - previousClean_->offset) / 60.0;
            if (startsMoving || random_.chance(1.0 - std::exp(-o_.staleChancePerMinute * minutes)))
                stale_ = Stale{clean.offset + random_.uniform(o_.staleMinS, o_.staleMaxS), previousReport_->speedKt,
                               previousReport_->trackDeg, previousReport_->headingDeg};
        }
        if (!stale_) return;
        r.speedKt = stale_->speedKt;
        r.trackDeg = stale_->trackDeg;
        r.headingDeg = stale_->headingDeg;
    }

    double nextTime(const TrackSample& clean) {
        const double t = clean.offset;
        // A pause the track asks for follows the first report at or after its
        // time; the feed's own come their usual spacing after it.
        const auto& pauses = path_.track().pauses;
        if (nextForcedPause_ < pauses.size() && t >= pauses[nextForcedPause_].from) {
            const double pause = pauses[nextForcedPause_++].seconds;
            nextPauseAt_ = t + pause + random_.uniform(o_.pauseEveryMinS, o_.pauseEveryMaxS);
            return t + pause;
        }
        // Within a dwell the reports come at its pace, and the next dwell
        // (another spot) starts with a report when this one ends.
        if (dwellingAt(t)) {
            const double next = t + offsets_.uniform(o_.dwellingIntervalMinS, o_.dwellingIntervalMaxS);
            return next <= dwell_.until - o_.dwellingIntervalMinS ? next : dwell_.until;
        }
        if (!settled(t) || !path_.onGround(clean)) return t + path_.intervalAfter(t);
        if (jumpingAt(t)) return t + random_.uniform(o_.jumpingIntervalMinS, o_.jumpingIntervalMaxS);
        if (clean.speedKt < kRealFeedStandingKt)
            return t + random_.uniform(o_.standingIntervalMinS, o_.standingIntervalMaxS);
        if (taxiing(clean) && t >= nextPauseAt_)
            if (const double pause = pauseFrom(clean); pause > 0) {
                nextPauseAt_ = t + pause + random_.uniform(o_.pauseEveryMinS, o_.pauseEveryMaxS);
                return t + pause;
            }
        return t + random_.uniform(o_.movingIntervalMinS, o_.movingIntervalMaxS);
    }

    // A pause long enough to cover the drawn jump (within its bounds), cut
    // short where the aircraft would leave the taxi speeds or its track
    // end, or come within the least spacing of pauses of one the track asks
    // for (which stays where it was asked); 0 when too little of it is left.
    double pauseFrom(const TrackSample& clean) {
        const double jump = random_.uniform(o_.jumpMinM, o_.jumpMaxM);
        double longest = o_.pauseMaxS;
        const auto& pauses = path_.track().pauses;
        if (nextForcedPause_ < pauses.size())
            longest = std::min(longest, pauses[nextForcedPause_].from - o_.pauseEveryMinS - clean.offset);
        double travelled = 0, pause = 0;
        TrackSample before = clean;
        for (double s = 1; s <= longest + 1e-9; s += 1) {
            if (clean.offset + s > path_.end()) break;
            const TrackSample here = path_.at(clean.offset + s);
            if (!taxiing(here)) break;
            travelled += metresBetween(before, here);
            before = here;
            pause = s;
            if (s >= o_.pauseMinS && travelled >= jump) break;
        }
        return pause >= o_.pauseMinS ? pause : 0.0;
    }

    const TrackPath& path_;
    const RealFeedOptions& o_;
    Random random_;
    Random offsets_;
    double field_;
    double cosLat_;
    double wanderNorth_ = 0, wanderEast_ = 0;
    double nextPauseAt_ = 0;
    std::size_t nextStray_ = 0;
    std::size_t nextForcedPause_ = 0;
    Dwell dwell_;
    std::optional<Stale> stale_;
    std::optional<TrackSample> previousClean_, previousReport_;
};

}  // namespace

std::vector<TrackSample> realFeedSamples(const TrackSpec& track, std::optional<double> fieldElevationFt,
                                         const RealFeedOptions& options) {
    if (!fieldElevationFt)
        throw StandInError("a real feed needs the scenario's field line: its elevation tells ground from air");
    sampleTrack(track, fieldElevationFt);  // the noise-free track keeps the generator's rules
    const double apart = std::max(options.gridM, 1.0);
    for (const DwellingStretch& d : track.dwells)
        for (std::size_t i = 0; i < d.spots.size(); ++i)
            for (std::size_t k = 0; k < i; ++k)
                if (const double m = gf_distanceNm(d.spots[i].lat, d.spots[i].lon, d.spots[k].lat, d.spots[k].lon) *
                                     kMetersPerNm;
                    m < apart)
                    throw StandInError(fmt::format("track {} (scenario line {}): dwelling spots {} and {} lie {:.1f} m "
                                                   "apart, closer than the feed's grid step of {:g} m",
                                                   track.callsign, d.line, k + 1, i + 1, m, apart));
    const TrackPath path(track, fieldElevationFt);
    return ReportMaker(path, options).run();
}

std::vector<TimedDatagram> expandRealFeed(const Scenario& scenario, const RealFeedOptions& options) {
    return expandScenario(scenario, [&](const TrackSpec& track) {
        return realFeedSamples(track, scenario.fieldElevationFt, options);
    });
}

}  // namespace realtraffic
