#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "traffic/motion_math.h"
#include "traffic/report_gate.h"

namespace {

// One report: seconds into the stream, metres north and east of where the
// aircraft held short, its speed and track fields.
struct Report {
    double t, northM, eastM, kt, trackDeg;
};

PosSample sampleOf(const Report& r) {
    constexpr double kLat = 52.3052, kLon = 4.7762;
    PosSample s;
    s.lat = kLat + r.northM / 111132.95;
    s.lon = kLon + r.eastM / (111132.95 * std::cos(kLat * kDegToRad));
    s.groundSpeedKt = r.kt;
    s.trackDeg = r.trackDeg;
    s.streamTick = 100000 + static_cast<std::int32_t>(r.t * 100.0);
    s.dueTick = s.streamTick + 3000;
    return s;
}

}  // namespace

// After a pause, the first report lies where the aircraft may have got to
// unheard: it waits for the next. A line-up reports the runway's way as its
// track, and its roll, the speed fields still 0, goes on that way: the line-up
// is passed on with it. Reports jumping about a standing aircraft keep its
// track, and move nothing.
TEST(ReportGate, ALoneReportAfterAPauseIsBorneOutByARollAlongItsNewTrack) {
    struct Case {
        const char* name;
        std::vector<Report> after;  // the reports after the pause
        std::vector<std::size_t> passed;  // how many each passes on
    };
    // Held short at 0/0 on a track of 130 until 60 s; heard again at 130 s.
    const Case cases[] = {
        {"lined up 120 m on at a track of 238, then 140 m along it at 0 kt",
         {{130, -70, -100, 0, 238}, {140.5, -145, -218, 0, 238}},
         {0, 2}},
        {"the same, the line-up's track still the hold's",
         {{130, -70, -100, 0, 130}, {140.5, -145, -218, 0, 130}},
         {0, 0}},
        {"the same, the roll turning 90 degrees off the line-up's track",
         {{130, -70, -100, 0, 238}, {140.5, 48, -188, 0, 238}},
         {0, 0}},
        {"the same, the next report showing its speed",
         {{130, -70, -100, 0, 238}, {140.5, -145, -218, 26, 238}},
         {0, 2}},
        {"the same, the next report standing with it",
         {{130, -70, -100, 0, 238}, {140.5, -72, -98, 0, 238}},
         {0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LiveAc aircraft(PosSample{}, AcBase{}, 0.0);
        aircraft.sizeCategory = SizeCategory::Large;
        aircraft.groundMode = 1;
        for (const Report& r : {Report{0, 0, 0, 0, 130}, Report{20, 1, 0, 0, 130}, Report{40, 0, 1, 0, 130},
                                Report{60, 0, 0, 0, 130}})
            ASSERT_EQ(gf_gateReport(aircraft, sampleOf(r)).size(), 1U);
        for (std::size_t k = 0; k < c.after.size(); ++k)
            EXPECT_EQ(gf_gateReport(aircraft, sampleOf(c.after[k])).size(), c.passed[k]) << "report " << k;
    }
}
