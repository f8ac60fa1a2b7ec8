// What a real feed makes of an aircraft's movement, as recorded surface
// traffic shows it: on the ground, reports at an irregular pace with pauses
// and jumps after them, positions in coarse steps, a standing aircraft's
// position wandering, speed and track fields that stay stale while the
// position moves, and on-ground flags that flip. In the air the reports stay
// good: the generator's pace and a little position noise. A helicopter
// hover-taxiing a few feet up is flagged now airborne, now on the ground. A
// track may ask for stray reports, stretches of jumping positions or of
// positions dwelling at a few spots, and pauses. Seeded, so the same seed
// gives the same reports.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tools/realtraffic/generator.h"
#include "tools/realtraffic/scenario.h"

namespace realtraffic {

struct RealFeedOptions {
    std::uint32_t seed = 1;  // with the track's hex id, the seed of each track's reports
    // On the ground.
    double gridM = 19.0;                                          // positions snap to a grid of this step
    double wanderM = 4.0;                                         // and wander this far about their grid point
    double movingIntervalMinS = 2.0, movingIntervalMaxS = 6.0;    // between reports while moving
    double standingIntervalMinS = 5.0, standingIntervalMaxS = 15.0;
    double pauseMinS = 20.0, pauseMaxS = 70.0;                    // a pause in the reports while taxiing
    double jumpMinM = 150.0, jumpMaxM = 400.0;                    // the distance a pause is meant to cover
    double pauseEveryMinS = 40.0, pauseEveryMaxS = 120.0;         // from the end of one pause to the next
    double staleMinS = 10.0, staleMaxS = 40.0;                    // speed and track fields left stale this long
    double staleChancePerMinute = 1.0;                            // stale stretches started while taxiing
    double flipShare = 0.15;                                      // reports near the ground whose flag flips
    double hoverGroundShare = 0.5;                                // a hover's reports that claim the ground
    double jumpingIntervalMinS = 2.0, jumpingIntervalMaxS = 6.0;  // between reports in a track's jumping stretch
    double dwellMinS = 2.0, dwellMaxS = 10.0;                     // at one spot of a dwelling stretch
    double dwellingIntervalMinS = 2.0, dwellingIntervalMaxS = 4.0;  // between reports at that spot
    // In the air.
    double airNoiseM = 3.0;
};

// Below this speed a report counts as standing, above the taxi limit as a
// take-off or landing roll, where the feed keeps its fields fresh.
inline constexpr double kRealFeedStandingKt = 1.0;
inline constexpr double kRealFeedTaxiLimitKt = 40.0;
// Held level below this height above the field at taxi speeds, an aircraft
// hovers (a helicopter hover-taxiing): on the ground to the program's reader,
// off it to its transponder.
inline constexpr double kRealFeedHoverAboveFieldFt = 50.0;

// The reports of one track. Throws StandInError for a track the generator
// refuses (the noise-free track must keep its rules), and for dwelling spots
// closer together than the grid step (a jump between them would not show).
std::vector<TrackSample> realFeedSamples(const TrackSpec& track, std::optional<double> fieldElevationFt,
                                         const RealFeedOptions& options);

// The whole scenario's traffic datagrams with every track as a real feed
// reports it, by offset.
std::vector<TimedDatagram> expandRealFeed(const Scenario& scenario, const RealFeedOptions& options);

}  // namespace realtraffic
