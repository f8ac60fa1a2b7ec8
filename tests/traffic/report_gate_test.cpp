// The report gate, report by report: which reports of an aircraft it takes
// and which it drops, and when, for the streams a real surface feed sends
// (strays, jumps, spots the reports dwell at, flipped flags, pauses, speed
// fields that lag a take-off roll). Each row is one stream: its first report
// is the one taken before, the others come at their times; the gate is asked
// every tick, as the engine asks it.
#include <fmt/format.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "ground_fixture.h"
#include "traffic/motion_math.h"
#include "traffic/report_gate.h"

namespace {

using ground_test::GroundTest;
using ground_test::moved;

struct Report {
    double t;                 // s from the first
    double northM, eastM;     // from the field's point
    double kt;                // speed field
    double aboveFieldFt = 0;  // flagged airborne when above 0
    bool refused = false;     // a repeat refused before the gate
};

enum class Verdict { taken, dropped, waiting, refused };

struct Settled {
    Verdict verdict = Verdict::waiting;
    double atS = 0.0;           // when (s from the first report)
    double kt = 0.0;            // its speed field as taken
    bool airborne = false;      // its flag as taken
};

class ReportGate : public GroundTest {
protected:
    static PosSample sampleOf(const Report& r) {
        const GeoPoint at = moved(moved({engine_test::kFieldLat, engine_test::kFieldLon}, 0.0, r.northM), 90.0, r.eastM);
        PosSample s;
        s.lat = at.lat;
        s.lon = at.lon;
        s.groundSpeedKt = s.trueAirspeedKt = r.kt;
        if (r.aboveFieldFt > 0.0) {
            s.altitudeFt = engine_test::kFieldElevationFt + r.aboveFieldFt;
            s.airborne = 1;
        }
        return s;
    }

    // Feeds the reports after the first (taken already) at their times, due
    // 30 s later, and settles the queue every tick until `untilS`.
    // From `spawnFromS` on the queue is settled as just before a spawn.
    std::vector<Settled> run(const std::string& type, const std::vector<Report>& reports, double untilS,
                             bool onTheGround = true, bool takingOff = false, double spawnFromS = 1e9,
                             double samplesEndS = 1e6) {
        constexpr std::int32_t kStart = 100000;
        LiveAc& aircraft = place(type, AcPhase::taxi, {engine_test::kFieldLat, engine_test::kFieldLon}, 90.0);
        aircraft.groundMode = onTheGround ? 1 : 0;
        aircraft.takeOffSeen = takingOff ? 1 : 0;
        aircraft.approach = onApproach_ ? 1 : 0;
        aircraft.altitudeFt = engine_test::kFieldElevationFt + 9.0;  // standing on the field
        // The aircraft reaches its last sample then.
        aircraft.samples.back().dueTick = kStart + static_cast<std::int32_t>(samplesEndS * 100.0);
        PosSample first = sampleOf(reports.front());
        first.streamTick = first.dueTick = kStart + 3000;
        aircraft.reportGate.taken.push_back(first);
        aircraft.reportGate.lastHeardTick = first.streamTick;
        std::vector<Settled> settled(reports.size());
        settled.front().verdict = Verdict::taken;
        std::size_t next = 1, nextSettled = 1;
        const auto settleNow = [&](std::int32_t tick, bool atOnce) {
            for (const PosSample& taken : gf_settleReports(aircraft, tick, atOnce)) {
                while (nextSettled < reports.size() &&
                       kStart + 3000 + static_cast<std::int32_t>(reports[nextSettled].t * 100.0) != taken.streamTick) {
                    if (reports[nextSettled].refused) {
                        settled[nextSettled++].verdict = Verdict::refused;
                        continue;
                    }
                    settled[nextSettled].verdict = Verdict::dropped;
                    settled[nextSettled++].atS = (tick - kStart) / 100.0;
                }
                if (nextSettled >= reports.size()) break;
                settled[nextSettled] = {Verdict::taken, (tick - kStart) / 100.0, taken.groundSpeedKt, taken.airborne != 0};
                ++nextSettled;
            }
        };
        for (std::int32_t tick = kStart; tick <= kStart + static_cast<std::int32_t>(untilS * 100.0); ++tick) {
            while (next < reports.size() && kStart + static_cast<std::int32_t>(reports[next].t * 100.0) == tick) {
                PosSample s = sampleOf(reports[next]);
                s.streamTick = s.dueTick = tick + 3000;
                if (reports[next].refused)
                    gf_noteRefused(aircraft, s);
                else
                    gf_queueReport(aircraft, s, tick);
                ++next;
            }
            settleNow(tick, (tick - kStart) / 100.0 >= spawnFromS);
        }
        // Reports dropped after the last one taken.
        // (the newest ones still queued wait; refused ones never were).
        std::size_t waiting = aircraft.reportGate.queued.size();
        for (std::size_t k = reports.size(); k-- > nextSettled;) {
            if (reports[k].refused)
                settled[k].verdict = Verdict::refused;
            else if (waiting > 0)
                --waiting;
            else
                settled[k].verdict = Verdict::dropped;
        }
        return settled;
    }

    bool onApproach_ = false;  // the aircraft on its approach to the field
};

// T: taken, D: dropped, W: still waiting at the end of the run, R: refused
// before the gate.
std::string verdicts(const std::vector<Settled>& settled) {
    std::string text;
    for (const Settled& s : settled)
        text += s.verdict == Verdict::taken     ? 'T'
                : s.verdict == Verdict::dropped ? 'D'
                : s.verdict == Verdict::refused ? 'R'
                                                : 'W';
    return text;
}

TEST_F(ReportGate, EachReportIsTakenOrDroppedWithTheReportsAfterIt) {
    struct Case {
        const char* name;
        const char* type;
        std::vector<Report> reports;
        std::string expected;  // T taken, D dropped, W waiting, one letter a report
        double untilS = 60.0;
        bool onTheGround = true;  // the aircraft, as the motion has it
        bool takingOff = false;   // on its take-off roll, as the motion has it
        bool onApproach = false;  // on its approach to the field
    };
    const Case cases[] = {
        // A taxi at 15 kt, a report every 3 s (23 m): each taken once the
        // next shows the way goes on through it.
        {"a taxi", "B738", {{0, 0, 0, 15}, {3, 0, 23, 15}, {6, 0, 46, 15}, {9, 0, 69, 15}, {12, 0, 92, 15}}, "TTTTT"},
        // A taxi north-west at 8 kt, the feed quiet for half a minute, then
        // a report at rest 85 m back south-east 14 s after the first since:
        // no aircraft turns round and comes back so soon. It waits for the
        // next, 15 s later, which shows the stream where it was.
        {"a report at rest far back after a pause", "B744",
         {{0, 0, 0, 12}, {3.4, 19.2, -19.3, 8}, {38.2, 95.4, -57.1, 8}, {51.8, 42.1, 8.9, 0}, {66.6, 95.8, -56.4, 0},
          {79.6, 95.6, -57.3, 0}},
         "TTTDTT", 120.0},
        // A taxi east at 24 kt, then a minute of reports jumping hundreds of
        // metres about, two of them near each other (taken), and the stream
        // at rest where it stopped, back beside the way to the two jumps:
        // that way bounds nothing.
        {"at rest after a minute of jumps", "B738",
         {{0, 0, 0, 24.7}, {4.9, -3.7, 50.2, 24.9}, {8.3, -0.7, 106.1, 24.2}, {12.5, -3, 144.9, 23.8},
          {15.4, -1.1, 184.3, 23.7}, {19.4, 0.5, 238.9, 24.5}, {21.6, -3.1, 263.3, 24}, {24.5, -2.3, 309.1, 23.8},
          {28.7, -3.6, 358.5, 23.8}, {33.1, -0.9, 415.7, 23.8}, {36.8, -79.9, 362.1, 23.9},
          {41.2, -139.5, 545, 23.6}, {45.8, -143.1, 554.4, 20.4}, {49.6, 28.7, 812.2, 8.6},
          {52.2, -41.1, 437.9, 7.9}, {57.1, -73.3, 297.4, 8.1}, {60.8, -161.1, 782.2, 8.5}, {63.9, -5.2, 539.7, 7.9},
          {67.7, 327.5, 873.4, 5.8}, {69.8, 14.9, 689.4, 6.1}, {73.7, -90.5, 631.1, 5.6}, {78.1, 106.6, 475.1, 3},
          {81, 319.7, 744.4, 0}, {87, 182, 820.4, 0.6}, {93.6, 89.3, 613.3, 0}},
         "TTTTTTTTTDDTTDDDDDDDDDDDT", 150.0},
        // A taxi at 6 kt slowing to rest, then reports jumping about; one
        // 93 m beside its way, borne out by a later one at the same spot,
        // and the next one back where the taxi stopped: the two were one
        // more spot the reports jump to, waiting for that till they must.
        {"a spot amid jumps borne out, then the stream back", "PA28",
         {{0, 0, 0, 12}, {4, 0, 25, 10}, {8, 0, 45, 8}, {12, 0, 58, 6}, {16, 0, 66, 5}, {19, -33, 170, 3.5},
          {23, 225, 320, 2}, {27, -335, 180, 0.5}, {36, -93, 74, 0}, {42, -107, -56, 0}, {49, -102, 74, 0},
          {58, 0, 70, 0}, {70, 1, 70, 0}},
         "TTTTTDDDDDDTT", 120.0},
        // A standing aircraft, the feed quiet 86 s; the report after it
        // shows it standing 146 m off, the next 230 m from that one, and
        // the one back where it stood comes too late to tell: a report at
        // rest elsewhere that nothing bears out moves nothing.
        {"at rest far off after a pause, nothing bearing it out", "C56X",
         {{0, 0, 0, 0}, {5, 0, 1, 0}, {91, 117, -87, 0}, {104.4, 19, -295, 0}, {118.2, 0, 0, 0}, {124.6, 0, 1, 0}},
         "TTDDTT", 180.0},
        // Beside a standing aircraft a report 25 m off, within the scatter
        // a report may lie at, and the next back: the stream came back.
        {"a stray within the scatter beside a standing aircraft", "A320",
         {{0, 0, 0, 0}, {8, 0, 1, 0}, {16, 25, 0, 0}, {24, 1, 0, 0}, {32, 0, 1, 0}}, "TTDTT"},
        // The same 14 m off (the feed's 12-m grid), the next one back 7 m
        // off where it stood, the ones after going on beyond it the same
        // way, faster than the scatter: the first report of a slow push.
        {"a standing aircraft's report a step aside, the reports after it going on beyond it", "PA28",
         {{0, 0, 0, 0}, {9, 0, 1, 0}, {16, -14.3, -1.8, 0}, {25, -7, 3.5, 0}, {28.5, -11.5, 1, 0},
          {30.7, -13, -2.5, 3.9}, {35.2, -21.5, 2.5, 0}, {39, -23, 2, 3.2}, {42.3, -23.4, -0.8, 4.1}},
         "TTTTTTTTT", 90.0},
        // A taxi at 24 kt whose report at that pace reads a stale 0, the
        // next one at rest 37 m on (it slows over a taxi's way) before a
        // pause of 15 s: the stream stops there, no stray beside a stop.
        {"a taxi's stale 0, then at rest 37 m on", "C56X",
         {{0, 0, 0, 24}, {4, 0, 50, 24}, {8, 0, 100, 0}, {12, 0, 137, 0}, {27, 0, 137.6, 0.4}, {39, 1, 139, 0},
          {52, 0, 138, 0}},
         "TTTTTTT", 120.0},
        // A helicopter hover-taxiing may stop on the spot: a report at rest
        // 37 m on is a stray's unless the reports after it, none elsewhere,
        // show the stream at rest there longer than a spot of a stream's
        // dwelling reports holds them (27 s here).
        {"a helicopter's stale 0 at a hover-taxi's pace, then at rest 37 m on", "EC35",
         {{0, 0, 0, 24}, {4, 0, 50, 24}, {8, 0, 100, 0}, {12, 0, 137, 0}, {27, 0, 137.6, 0.4}, {39, 1, 139, 0},
          {52, 0, 138, 0}},
         "TTTTTTT", 120.0},
        // A stream that stood 16 s and more where the aircraft stands: three
        // jumps that happen to lie together 66 m off for 18 s move nothing.
        {"a standing stream, then three jumps together 66 m off for 18 s", "A320",
         {{0, 0, 0, 0}, {8, 0, 1, 0}, {16, 1, 0, 0}, {24, 66, 0, 0}, {31, 66, -5, 0}, {42, 66, 10, 0}, {51, 2, 1, 0},
          {60, 0, 0, 0}},
         "TTTDDDTT", 120.0},
        // The same at rest 37 m on for 12 s only, then back where it
        // stopped: a spot the reports dwelt at.
        {"a helicopter's stale 0 at a hover-taxi's pace, then at rest 37 m on for 12 s only", "EC35",
         {{0, 0, 0, 24}, {4, 0, 50, 24}, {8, 0, 100, 0}, {12, 0, 137, 0}, {18, 0, 137.6, 0.4}, {24, 1, 139, 0},
          {30, 0, 100, 0}, {45, 0, 101, 0}},
         "TTTDDDTT", 120.0},
        // The same 28 m off, 15 s after the report before it; the record
        // back where it stands came 12 s later and was refused as a repeat
        // before the gate, and none comes after it before the stray falls
        // due: the refused one still shows the stream came back.
        {"a stray beside a standing aircraft, the record back refused as a repeat", "A320",
         {{0, 0, 0, 0}, {15, 0, -28, 0}, {27, 1, 0, 0, 0, true}, {80, 0, 1, 0}}, "TDRT", 120.0},
        // A taxi at 12 kt coming to rest, a stray 66 m beside its way 14 s
        // after its last moving report, the next back where it stopped
        // (its noise a little behind that report): the stray came back.
        {"a stray beside a taxi that comes to rest", "A320",
         {{0, 0, 0, 12}, {4.7, 0, 29, 12}, {9.4, 0, 58, 12}, {23.7, 66, 74, 0.6}, {29.3, 0, 57.8, 0}, {41, 0, 58, 0.6},
          {47, 1, 58, 0.7}},
         "TTTDTTT", 90.0},
        // One 150 m off a taxiing aircraft, no aircraft gets there in 3 s.
        {"a stray far off a taxi", "B738", {{0, 0, 0, 15}, {3, 0, 23, 15}, {6, 150, 46, 15}, {9, 0, 69, 15}, {12, 0, 92, 15}},
         "TTDTT"},
        // A stretch of reports each 80-300 m off every way: none taken, the
        // stream after them is.
        {"a stretch of jumping reports by a standing aircraft", "B738",
         {{0, 0, 0, 0}, {10, 0, 1, 0}, {13, 120, -80, 0}, {16, -200, 90, 0}, {19, 60, 250, 0}, {22, -90, -150, 0},
          {30, 1, 0, 0}, {40, 0, 1, 0}},
         "TTDDDDTT"},
        // A report 60 m on from a taxi that only reports off every way come
        // after: among jumps, beyond the scatter, it is one of them.
        {"a report within reach amid jumps", "B738",
         {{0, 0, 0, 15}, {3, 0, 23, 15}, {6, 0, 70, 15}, {9, 250, 300, 15}, {12, -260, -200, 15}, {15, 300, -300, 15}},
         "TTDDDD", 40.0},
        // Spots 80-200 m apart that the reports dwell at, no speed fields:
        // however many agree at one spot, they come back.
        {"reports dwelling at spots", "B738",
         {{0, 0, 0, 0}, {3, 0, 2, 0}, {6, 120, 40, 0}, {8, 121, 41, 0}, {10, 119, 40, 0}, {13, -60, 150, 0}, {15, -61, 151, 0},
          {18, 1, 0, 0}, {21, 0, 1, 0}},
         "TTDDDDDTT"},
        // Reports dwelling at a spot 300 m off for 20 s and more, the ones
        // between them at another spot refused before the gate as repeats:
        // the stream was elsewhere meanwhile, and the spot's reports are no
        // run that outvotes where it stands.
        {"reports dwelling at a spot, the repeats at another between them refused", "B738",
         {{0, 0, 0, 0}, {4, -57, 0, 0}, {8, -292, -86, 0}, {10, -291, -86, 0}, {14, -292, -85, 0},
          {17.6, -57, 1, 0, 0, true}, {21.3, -58, 0, 0, 0, true}, {24.4, -292, -86, 0}, {26, -293, -85, 0},
          {30, -292, -86, 0}},
         "TDDDDRRDDD", 90.0},
        // Spots that happen to lie along a line, visited in its order (one
        // spot, back where it stands, then the next two on): the repeats
        // back where it stands, refused before the gate, show no run.
        {"reports dwelling at spots along a line, the repeats between them refused", "B738",
         {{0, 0, 0, 0}, {3, 0, 1, 0}, {6, -193, -119, 0}, {8, -192, -120, 0}, {10, -194, -118, 0},
          {13, 1, 0, 0, 0, true}, {14.6, 0, 1, 0, 0, true}, {17, -338, -217, 0}, {19.6, -399, -254, 0},
          {23, 0, 0, 0}, {26, 1, 1, 0}},
         "TTDDDRRDDTT", 90.0},
        // The stream's last report, nothing after it: taken by its time.
        {"the stream's last report", "B738", {{0, 0, 0, 10}, {3, 0, 15, 10}, {6, 0, 30, 8}}, "TTT"},
        // After a pause of a minute a line-up 200 m on, its speed field a
        // stale 0, and a roll going on from it: a move the feed did not show.
        {"a line-up in a pause of the feed", "B738",
         {{0, 0, 0, 0}, {10, 0, 1, 0}, {75, -160, 120, 0}, {78, -160, 160, 30}, {81, -160, 230, 50}}, "TTTTT", 120.0},
        // After a pause of a minute and a half the first report lies 150 m
        // off where the reports after it stand: both within reach of the
        // report taken before the pause, the first is the stray.
        {"a stray first after a pause", "B738",
         {{0, 0, 0, 15}, {90, 150, 600, 0}, {100, 0, 600, 0}, {104, 1, 600, 0}, {110, 0, 601, 0}}, "TDTTT", 150.0},
        // After 72 s quiet the first report lies 300 m aside, the ones after
        // it taxi on along the taxiway 400-500 m from it: seen from the
        // stray they lie the same way, but they go on slowly, no run from it.
        {"a stray far aside after a pause, the taxi going on slowly", "B744",
         {{0, 0, 0, 0}, {72, 175, -247, 0}, {75.3, 0, -630, 0}, {79.1, 1, -665, 18}, {82.1, 0, -684, 18},
          {86.9, 0, -740, 0}, {91.2, 1, -774, 18}},
         "TDDTTTT", 150.0},
        // A take-off roll whose speed fields lag its positions: out of reach
        // of the fields, a run along a line at a steady pace from where it
        // stood; taken with the speed the run shows.
        {"a take-off roll whose fields lag", "B738",
         {{0, 0, 0, 0}, {8, 0, 1, 0}, {11, 0, 80, 10}, {14, 0, 200, 15}, {17, 0, 360, 20}, {20, 0, 560, 25}}, "TTTTTT"},
        // The last report taken was a stray after all (taken for want of
        // any after it): 40 s of reports going on from each other 300 m off
        // outvote it.
        {"reports going on elsewhere for 40 s", "B738",
         {{0, 0, 0, 0}, {5, 300, 300, 8}, {10, 300, 320, 8}, {15, 300, 340, 8}, {20, 300, 360, 8}, {25, 300, 380, 8},
          {30, 300, 400, 8}, {35, 300, 420, 8}, {40, 300, 440, 8}},
         "TDDDDTTTT"},
        // A report 40 m back along the way of a taxi at 15 kt.
        {"a report back against the way", "B738",
         {{0, 0, 0, 15}, {3, 0, 23, 15}, {6, 0, 46, 15}, {9, 0, 69, 15}, {12, 0, 29, 15}, {15, 0, 115, 15}, {18, 0, 138, 15}},
         "TTTTDTT"},
        // One 15 m back along the way of a taxi at 25 kt (a stale 0), the
        // next on ahead: within the scatter of the last, yet no taxi goes back.
        {"a report just back against the way", "B738",
         {{0, 0, 0, 25}, {4, 0, 52, 25}, {8, 0, 103, 25}, {12, 0, 88, 0}, {14, 0, 130, 25}, {17, 0, 168, 25}},
         "TTTDTT"},
        // A taxi at 24 kt, one report 8 m back (within a report's wander),
        // the next 86 m on 2.4 s later: no taxi gets from the one to the
        // other, while from the report before it the way goes on.
        {"a report a little back, the next far on", "B738",
         {{0, 0, 0, 24}, {4, 0, 49, 24}, {8, 0, 98, 24}, {11.8, 0, 90, 24}, {14.2, 0, 176, 24}, {18, 0, 225, 24}},
         "TTTDTT"},
        // The last metres onto a stand at a crawl, each record refused as a
        // repeat (too little progress for its speed), then the feed quiet:
        // the last one, 15 m on from the last report taken, is the feed's
        // last word on where the stream stands, judged by its time.
        {"the last metres refused as repeats before a pause", "B738",
         {{0, 0, 0, 6}, {3, 0, 9, 6}, {6, 0, 18, 6}, {9, 0, 27, 5, 0, true}, {12, 0, 33, 0, 0, true}}, "TTTRT"},
        // By an aircraft standing for half a minute, jumping reports, two of
        // them 45 m apart, the second going on from the first: the report
        // after them back where it stands shows they were no move.
        {"two jumps near each other by a standing aircraft", "B738",
         {{0, 0, 0, 0}, {8, 1, 0, 0}, {20, -180, 160, 0}, {30, -160, -360, 1}, {40, 30, 95, 6}, {44, 65, 80, 8},
          {46, 280, -270, 5}, {49, 2, 1, 0}, {55, 1, 0, 0}},
         "TTDDDDDTT", 110.0},
        // One report flagged airborne between reports on the ground, at the
        // field's height: a flipped flag, taken as on the ground.
        {"a flipped flag", "B738", {{0, 0, 0, 12}, {3, 0, 18, 12, 20}, {6, 0, 36, 12}, {9, 0, 54, 12}}, "TTTT"},
        // A helicopter hovering 30 ft up, one report 220 m off in the air:
        // slower than it flies off, its strays are a ground aircraft's.
        {"a stray of a hovering helicopter", "EC35",
         {{0, 0, 0, 0, 30}, {6, 0, 1, 0, 30}, {12, 200, -100, 0, 30}, {18, 0, 2, 0, 20}, {24, 0, 1, 0, 10}}, "TTDTT",
         60.0, false},
        // Coming down onto the runway at 66 kt, the first report on the
        // ground lies 85 m beside it, the ones after on it: within reach of
        // the air's speed, but a roll goes straight, and its detour is more
        // than a corner's: a stray.
        {"a stray beside a landing roll", "B738",
         {{0, 0, -400, 66, 50}, {6, 0, -200, 66, 20}, {12, -85, 0, 59}, {16, 0, 130, 54}, {20, 0, 240, 54},
          {25, 0, 360, 43}},
         "TTDTTT", 60.0, false},
        // Touching down at 110 kt, the first report on the ground 40 m
        // beside the runway: over so long a way the detour is small, yet no
        // roll goes that far beside its way.
        {"a stray beside a long landing roll", "B738",
         {{0, 0, -300, 110, 50}, {6, -40, 30, 90}, {9, 0, 150, 85}, {12, 0, 270, 80}, {15, 0, 385, 75}}, "TDTTT",
         60.0, false},
        // The same, 85 m beside it, the report after it with a stale 0: its
        // position shows the roll.
        {"a stray beside a landing roll, the next field a stale 0", "C172",
         {{0, 0, -170, 66, 50}, {6, -87, 85, 59}, {8.3, 7, 98, 0}, {12.3, 4, 194, 48}, {16.6, 7, 301, 48}}, "TDTTT",
         60.0, false},
        // Held 435 m north of the runway, the feed quiet 100 s; the stream
        // resumes on its take-off run: the way from the hold to the run turns
        // a corner (a line-up), and its first report is no stray.
        {"a take-off run resumed after a pause, round the corner of a line-up", "B744",
         {{0, 0, 0, 0}, {10, 0, 1, 0}, {110, -435, 130, 28}, {114, -435, 212, 45}, {117, -435, 276, 56},
          {120, -435, 368, 70}, {124, -435, 546, 70}},
         "TTTTTTT", 160.0},
        // Standing at the holding point, the feed quiet 70 s; the first
        // report after it lies 120 m on round a sharp corner (the line-up),
        // the ones after it roll on from it along the runway, their speed
        // fields 0 until the roll is fast: a corner, no stray; and each on
        // the way to the first fast one is the roll starting.
        {"a line-up in a pause round a sharp corner, the roll's fields lagging", "A320",
         {{0, 0, 0, 0}, {10, 0, 1, 0}, {80, -70, 100, 0}, {90.5, -140, -10, 0}, {94.7, -217, -131, 0},
          {96.9, -266, -208, 0}, {100, -336, -318, 45}, {103, -430, -466, 60}},
         "TTTTTTTT", 160.0},
        // The same first report after a pause 195 m aside, a stream taking
        // off from where the aircraft stood: seen from the stray the roll
        // lies the same way, but it goes on across the way from it.
        {"a stray after a pause, a roll going on across the way from it", "A320",
         {{0, 0, 0, 0}, {10, 0, 1, 0}, {100, -195, 20, 0}, {109.4, 0, 40, 20}, {115.4, 0, 130, 35},
          {119.4, 0, 230, 45}},
         "TTDTTT", 160.0},
        // A taxi at 20 kt whose speed fields go a stale 0 for 12 s: a report
        // on the way to the next with a field shows the taxi going on.
        {"a taxi whose fields go a stale 0", "B738",
         {{0, 0, 0, 20}, {4, 0, 41, 20}, {8, 0, 82, 20}, {12, 0, 123, 0}, {16, 0, 164, 0}, {20, 0, 205, 0},
          {24, 0, 246, 20}},
         "TTTTTTT"},
        // On its take-off roll at 96 kt, the feed quiet 18 s, then a report
        // 1186 m on along the runway, its field a stale 96 kt (126 kt over
        // the way): speeding up, the roll gets there; the lift-off follows.
        {"a take-off roll speeding up through a quiet 18 s", "B744",
         {{0, -600, 1500, 90}, {4.9, -600, 1747, 95.8}, {23.2, -600, 2933, 95.8}, {28.2, -600, 3339, 162, 100},
          {34.2, -600, 3853, 170, 400}},
         "TTTTT", 80.0, true, true},
        // Standing, a report 21 m aside showing it standing, the next one
        // taxiing off the other way: the aircraft did not step aside first.
        {"a standing aircraft's report a step aside, the stream then going the other way", "PA28",
         {{0, 0, 0, 0}, {11.8, 15.3, 15.3, 0}, {24.8, 0.8, -53.3, 19}, {27.1, -0.2, -90.7, 23}, {30, 0, -126.7, 28},
          {32.2, 0.8, -162.7, 28}},
         "TDTTTT"},
        // Slowing to a stop along the runway, the feed quiet 91 s, then one
        // report standing 130 m aside, a jump, and the stream back where the
        // aircraft was: the first after the pause was a jump too.
        {"a report after a pause aside, a jump, then the stream back", "B738",
         {{0, 0, 0, 12}, {3.8, 0, 28, 10}, {7.7, 0, 57, 7.5}, {98.5, 94, 148, 0}, {111.6, 74, -187, 0},
          {126.2, 1, 84, 0}, {138.6, 1, 85, 0}},
         "TTTDDTT", 200.0},
        // The same report after the pause 170 m on ahead along the way,
        // jumps after it: the stream resumed there.
        {"a report after a pause standing ahead on the way, jumps after it", "PA28",
         {{0, 0, 0, 14}, {3, 0, 22, 14}, {6, 0, 44, 14}, {81, -3, 214, 0}, {95.6, 337, 214, 0}, {118, -94, 100, 0},
          {131.7, 148, 114, 0}, {155.7, 3, 210, 0}, {169.7, 0, 217, 0}},
         "TTTTDDDTT", 220.0},
        // The same report 32 m beside the way, the next one standing on it
        // farther on: that one is where the stream resumed.
        {"a report after a pause beside the way, the next one on it", "B738",
         {{0, 0, 0, 20.5}, {2.4, 0, -14.9, 21}, {4.9, 0, -44.5, 21.9}, {8.7, 0, -89, 19.5}, {11.2, 0, -118.7, 0},
          {15.7, 0, -163.2, 20.4}, {102.1, 32.5, -366.2, 0}, {111.7, 0, -400.5, 0}},
         "TTTTTTDT", 200.0},
        // Parked, the feed quiet 55 s, then two reports 260 m and 370 m away
        // that go on from nothing, and the stream back on the stand.
        {"two jumps after a pause, then the stream back where it stood", "A320",
         {{0, 0, 0, 3.7}, {3, 2, 0, 3.7}, {58, -257, 142, 4.5}, {65, -116, 366, 0}, {76, 3, 2, 0}, {85, 3, 2, 1}},
         "TTDDTT", 140.0},
        // Taxiing north at 8 kt, then jumps for 45 s, one of them standing
        // 28 m back against the way: one more jump, not a turn round.
        {"amid jumps, a report back against the way within the scatter", "A320",
         {{0, 0, 0, 8}, {4.4, 23.2, 0.2, 8}, {6.5, 367, 143.1, 6.5}, {10.9, 120.3, 170.1, 4.8}, {14.8, 248, -81.5, 3.8},
          {18.1, 276.6, -69.5, 0}, {23.8, -141.3, 152.2, 0}, {37, 3.3, 19.6, 0}, {42.6, 105.6, 306.2, 0},
          {51.1, 123.2, 0.4, 0}, {64.4, 46.7, -11.9, 0}, {73.7, 45.2, -15.2, 0}, {88.6, 50.3, -12.3, 0}},
         "TTDDDDDDDDTTT", 160.0},
        // Taxiing north at 12 kt, then jumps, the last of them refused before
        // the gate as a repeat (it shows no speed): nothing came after the
        // one 133 m off (within reach) that goes on from it.
        {"amid jumps, the next record refused as a repeat", "C172",
         {{0, 0, 0, 12}, {3.6, 18.5, 0, 12}, {7.5, 37.6, 0, 12}, {13.1, 110.6, 115.8, 0}, {24.4, 160.8, 49.7, 1.2},
          {38.2, -53, -67.5, 0, 0, true}, {50.8, 36.4, 1.5, 0}, {65.6, 35, 0.9, 0}},
         "TTTDDRTT", 120.0},
        // A taxi slowing to rest, the records after it refused as repeats
        // where it stopped, then one report standing 50 m aside and nothing
        // after it: seconds before, the stream stood elsewhere, and by its
        // last moment nothing bore it out.
        {"a lone report aside just after repeats refused where a taxi stopped", "B738",
         {{0, 0, 0, 12}, {4, 0, 25, 10}, {8, 0, 45, 7}, {12, 0, 57, 4}, {16, 0, 60, 0, 0, true},
          {20, 0, 61, 0, 0, true}, {24, 50, 61, 0}},
         "TTTTRRD", 80.0},
        // An aircraft coming to rest at 3 kt, repeats refused where it
        // stopped, then a report 160 m off and one farther on (both within
        // reach, neither going on from the other), and the stream back where
        // it stopped: the stream never left, and the jumps moved nothing.
        {"jumps just after repeats refused where the aircraft came to rest, then the stream back", "B738",
         {{0, 0, 0, 20}, {4, 0, 41, 18}, {8, 0, 75, 12}, {12, 0, 95, 3}, {16, 0, 97, 0, 0, true},
          {20, 0, 97, 0, 0, true}, {28, 160, 97, 0}, {34, 220, 147, 0}, {44, 0, 97, 0}, {56, 1, 97, 0},
          {70, 0, 96, 0}},
         "TTTTRRDDTTT", 120.0},
        // A helicopter hover-taxiing east at 19 kt, a report standing 60 m
        // aside 6 s later, off its way, and the next one 12 s after that on
        // along its way: it waits for that one, which shows the stream went
        // on, not aside.
        {"a report standing aside a hover-taxi's way, the next on the way", "EC35",
         {{0, 0, 0, 19}, {3, 0, 29, 19}, {6, 0, 58, 19}, {9, 0, 88, 19}, {15, 60, 88, 0}, {27, 0, 264, 19},
          {30, 0, 293, 19}},
         "TTTTDTT"},
        // An aircraft standing for a minute, its fields 2.4-2.9 kt but its
        // positions within a few metres, repeats refused where it stands,
        // then a report at rest 90 m off 45 s after the last taken and one
        // 20 m on from it: a field's noise moves nothing; at the pace its
        // positions show it gets nowhere near them, and the stream back where
        // it stands is taken.
        {"a jump off an aircraft at rest whose fields show a knot or two", "B738",
         {{0, 0, 0, 2.6}, {15, 1, 0, 2.4}, {30, 0, 2, 2.9}, {45, 2, 1, 2.7}, {60, 1, 1, 2.9},
          {75, 1, 0, 0, 0, true}, {90, 0, 1, 0, 0, true}, {105, 90, 1, 0}, {108, 110, 1, 0}, {120, 1, 0, 2.6},
          {135, 0, 1, 2.4}},
         "TTTTTRRDDTT", 160.0},
        // Standing, the feed quiet 58 s, then a report 7 m off (within its
        // wander), a jump 90 m off and one 40 m from it, going on from it,
        // and the stream back where it stood: the stream resumed where it
        // stood, and the two near each other were the strays.
        {"the first report after a pause where it stood, two jumps near each other after it", "B738",
         {{0, 0, 0, 0}, {10, 1, 0, 0}, {68, 1, 7, 0}, {74, -90, 0, 1.6}, {86, -90, 40, 0}, {100, 1, 0, 0},
          {115, 0, 1, 0}},
         "TTTDDTT", 160.0},
        // A taxi east at 18 kt, the feed quiet 90 s, then a report at rest
        // 358 m straight on along its way, one 120 m back and aside from it,
        // and nothing after: by its last moment none tells, and the one
        // ahead is where the taxi went on.
        {"a report after a pause standing straight ahead, a jump back aside, nothing after", "B738",
         {{0, 0, 0, 18}, {4, 0, 37, 18}, {8, 0, 74, 18}, {98, 0, 432, 0}, {104, 70, 330, 0}}, "TTTTD", 160.0},
        // A taxi east at 20 kt, the feed quiet 64 s, then a report at rest
        // 85 m on but 24 degrees off the way (35 m aside), and one 590 m on
        // 3 degrees off it (31 m aside), the next ones near that one only
        // after the first's last moment: far along, the later one lies
        // nearer the way, and the first, ahead no more, moved nothing.
        {"a report after a pause off the way, a later one far on nearer the way", "B738",
         {{0, 0, 0, 20}, {4, 0, 41, 20}, {8, 0, 82, 20}, {72, 34.6, 159.7, 0}, {88, 30.9, 671.2, 0},
          {100, 31, 672, 0}, {115, 30, 671, 0}},
         "TTTDTTT", 160.0},
        // Two airborne reports at a take-off's speeds: a lift-off.
        {"a lift-off", "B738", {{0, 0, 0, 140}, {3, 0, 216, 150, 50}, {6, 0, 450, 160, 200}, {9, 0, 700, 165, 400}}, "TTTT"},
        // Coming down off its final, its roll-out's reports jumping 130 m and
        // more beside the runway, the jumps near each other: it touches down
        // on the runway and rolls out along it.
        {"a roll-out off the final, its reports jumping beside the runway", "B738",
         {{0, 0, 0, 140, 300}, {6, 0, 430, 140, 150}, {12, 235, 1150, 134}, {15.5, -5, 1080, 121},
          {19, 150, 1400, 108}, {21.8, -172, 1560, 98}, {25.2, -210, 1760, 85}, {28, -132, 1620, 85},
          {32, 0, 1740, 59}, {36, 0, 1900, 45}},
         "TTDTDDDDTT", 90.0, false},
        // On its final at 66 kt, a report 380 m off (330 m beside the
        // runway) 6 s after the last: the next, on the runway, lies within
        // the last one's reach, so that one was a stray; it would have set
        // the aircraft down on the grass. One its pace bears out is taken.
        {"on its final, a stray beside the runway just before touchdown", "PA28",
         {{0, 0, 0, 66, 300}, {6, 0, 203, 66, 200}, {12, -326, 405, 0, 100}, {15.5, 0, 505, 59}, {18.5, 0, 580, 50}},
         "TTDTT", 60.0, false, false, true},
        {"on its final, a report on at its pace", "PA28",
         {{0, 0, 0, 66, 300}, {6, 0, 203, 66, 200}, {12, 0, 405, 66, 100}, {15.5, 0, 505, 59}, {18.5, 0, 580, 50}},
         "TTTTT", 60.0, false, false, true},
        // A taxi at 12 kt amid jumping reports: one jump 141 m off to the
        // side lies within a taxi's reach of the last report taken, turning
        // a corner, and another jump 10 s after it happens to lie near it;
        // but the report 3 s after it lies far off: no move.
        {"amid jumps, one within a taxi's reach that the next jump does not go on from", "PA28",
         {{0, 0, 0, 12}, {4, 0, 25, 12}, {8, 0, 50, 12}, {10.5, -150, 200, 12}, {13, 120, -80, 11},
          {16, -200, 40, 8}, {33, 138, 23, 8}, {35.6, -100, -60, 7.3}, {40.2, 200, -100, 7.3},
          {43.4, 190, -5, 5}, {48, 0, 100, 4}, {58, 0, 110, 0}, {70, 0, 111, 0}},
         "TTTDDDDDDDTTT", 120.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        onApproach_ = c.onApproach;
        const std::vector<Settled> settled = run(c.type, c.reports, c.untilS, c.onTheGround, c.takingOff);
        EXPECT_EQ(verdicts(settled), c.expected);
    }
}

// When a report is settled: as soon as the next report tells, never later
// than 10 s after it came; one off a standing aircraft without speed waits
// for the next report until 25 s after it came.
TEST_F(ReportGate, AReportWaitsForTheNextAsLongAsTheAircraftCanWait) {
    struct Case {
        const char* name;
        std::vector<Report> reports;
        std::size_t judged;  // the report whose settling is judged
        double settledAtS;
        double spawnFromS = 1e9;  // settled as just before a spawn from then on
        Verdict verdict = Verdict::taken;
        bool takingOff = false;
        double samplesEndS = 1e6;  // the aircraft reaches its last sample then
    };
    const Case cases[] = {
        {"told by the next", {{0, 0, 0, 15}, {3, 0, 23, 15}, {6, 0, 46, 15}}, 1, 6.0},
        {"nothing after it: 10 s after it came", {{0, 0, 0, 15}, {3, 0, 23, 15}}, 1, 13.0},
        {"off a standing aircraft, no speed: 25 s after it came", {{0, 0, 0, 0}, {5, 0, 1, 0}, {10, 14, 0, 0}}, 2, 35.0},
        {"off a standing aircraft, the next 14 s later", {{0, 0, 0, 0}, {5, 0, 1, 0}, {10, 14, 0, 0}, {24, 14, 1, 0}}, 2,
         24.0},
        // A field of 2 kt off a standing aircraft is a standing one's noise.
        {"off a standing aircraft at 2 kt: 25 s after it came", {{0, 0, 0, 0}, {5, 0, 1, 0}, {10, 14, 0, 2}}, 2, 35.0},
        // The report taken before a pause hardly bounds where the stream
        // went: the first report after it waits for the next ones to tell.
        {"the first after a pause, away from the last taken: 25 s after it came", {{0, 0, 0, 15}, {90, 0, 600, 0}}, 1,
         115.0},
        // Just before a spawn a report is settled as soon as it tells; one
        // that waits for the next to tell a stray from a move still waits.
        {"nothing after it, a spawn near: at once", {{0, 0, 0, 15}, {3, 0, 23, 15}}, 1, 4.0, 4.0},
        // Without it the aircraft, one report taken, cannot be created.
        {"the first after a pause, one report taken before it, a spawn near: at once",
         {{0, 0, 0, 15}, {20, 0, 180, 15}}, 1, 25.0, 25.0},
        {"a stray off an aircraft come to rest after a pause, a spawn near: the next shows it",
         {{0, 0, -400, 10}, {100, 0, 0, 0}, {114, 30, 0, 0}, {127, 0, 1, 0}}, 2, 127.0, 116.0, Verdict::dropped},
        // On its take-off run the aircraft gives its take-off up when its
        // samples run out: the first report after a pause is settled a
        // second before, whatever the reports after it would tell (amid
        // jumps they still tell). A taxi stops a while instead.
        {"the first after a pause, on a take-off run that reaches its last sample: then",
         {{0, 0, 0, 51}, {23.5, 0, 1234, 51}}, 1, 29.0, 1e9, Verdict::taken, true, 30.0},
        {"5 s on, no pause, on a take-off run that reaches its last sample: 10 s after it came",
         {{0, 0, 0, 51}, {5, 0, 150, 60}}, 1, 15.0, 1e9, Verdict::taken, true, 8.0},
        {"the first after a pause, taxiing to its last sample: 25 s after it came",
         {{0, 0, 0, 15}, {23.5, 0, 300, 15}}, 1, 48.5, 1e9, Verdict::taken, false, 30.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        const std::vector<Settled> settled =
            run("B738", c.reports, 150.0, true, c.takingOff, c.spawnFromS, c.samplesEndS);
        ASSERT_LT(c.judged, settled.size());
        EXPECT_EQ(settled[c.judged].verdict, c.verdict);
        EXPECT_NEAR(settled[c.judged].atS, c.settledAtS, 0.011);
    }
}

// What the gate takes a report as: a take-off roll's report with the speed
// its run shows, a flipped flag on the ground, a lift-off airborne.
TEST_F(ReportGate, ATakenReportCarriesWhatTheReportsAroundItShow) {
    {
        SCOPED_TRACE("a roll whose fields lag");
        const std::vector<Settled> settled =
            run("B738", {{0, 0, 0, 0}, {8, 0, 1, 0}, {11, 0, 80, 10}, {14, 0, 200, 15}, {17, 0, 360, 20}}, 40.0);
        ASSERT_EQ(settled[2].verdict, Verdict::taken);
        EXPECT_GT(settled[2].kt, 50.0) << "the speed the run shows, not the field's 10 kt";
    }
    g_liveAcs.clear();
    {
        // A PA28 taxiing at 14 kt on the feed's 15-m grid: a step of 30 m in
        // 2.5 s (23 kt) to a report whose field reads 0 is the grid's, within
        // a quarter over its taxi speed (20 kt), no run: the field stays 0.
        SCOPED_TRACE("a taxi on the feed's grid, one field 0");
        const std::vector<Settled> settled =
            run("PA28", {{0, 0, 0, 14}, {3, 0, 15, 14}, {5.5, 0, 45, 0}, {8.5, 0, 60, 14}, {11.5, 0, 75, 14}}, 40.0);
        ASSERT_EQ(verdicts(settled), "TTTTT");
        EXPECT_EQ(settled[2].kt, 0.0);
    }
    g_liveAcs.clear();
    {
        // A C172 taxiing at 16 kt on the feed's 19-m grid: one step of 38 m
        // in 2.6 s (28 kt), over the grid's quarter, yet over the 11 s
        // before it the positions show the taxi's 17 kt: no run goes on.
        SCOPED_TRACE("a taxi on the feed's grid, one step at a run's pace");
        const std::vector<Settled> settled =
            run("C172", {{0, 0, 0, 15}, {2.1, 0, 20, 15}, {6.3, 0, 41, 15}, {8.8, 0, 60, 17}, {11.4, 0, 97.6, 17},
                         {15.8, 0, 114.5, 16}, {19.6, 0, 153, 17}, {24.1, 0, 187, 15}},
                40.0);
        ASSERT_EQ(verdicts(settled), "TTTTTTTT");
        EXPECT_EQ(settled[4].kt, 17.0);
    }
    g_liveAcs.clear();
    {
        // The same on a 17-m grid, the stream first heard: no reports 10 s
        // before the step tell, the ones after it do.
        SCOPED_TRACE("a taxi first heard on the feed's grid, one step at a run's pace");
        const std::vector<Settled> settled =
            run("C172", {{0, 0, 0, 15.9}, {4.4, 0, 33.8, 15.9}, {7.0, 0, 68.6, 15.9}, {10.7, 0, 85.6, 15.9},
                         {14.0, 0, 119.2, 15.9}, {18.4, 0, 153.2, 15.9}, {22.9, 0, 187, 14.8}},
                40.0);
        ASSERT_EQ(verdicts(settled), "TTTTTTT");
        EXPECT_EQ(settled[2].kt, 15.9);
    }
    g_liveAcs.clear();
    {
        // A B744 standing at the runway's end 25 s, then on its take-off run,
        // one field read 0: over the 10 s before it the run went from a
        // standing start, no taxi's pace; the report goes on at the run's.
        SCOPED_TRACE("a run from a standing start, one field 0");
        const std::vector<Settled> settled =
            run("B744", {{0, 0, 0, 0}, {10, 0, 0, 0}, {25, 0, 50, 30}, {29.6, 0, 145, 50}, {31.7, 0, 205, 59},
                         {34.6, 0, 305, 0}, {37, 0, 400, 75}},
                80.0);
        ASSERT_EQ(verdicts(settled), "TTTTTTT");
        EXPECT_GT(settled[5].kt, 60.0);
    }
    g_liveAcs.clear();
    {
        // A C172 rolling out at 38 kt, the feed quiet for 88 s, then 1222 m
        // on at 15 kt: the pace over the pause (27 kt) lies between the two
        // fields, a roll slowing down; the report keeps its own.
        SCOPED_TRACE("a roll-out the feed was quiet through");
        const std::vector<Settled> settled =
            run("C172", {{0, 0, 0, 42}, {3.7, 0, 78, 41}, {7.9, 0, 165, 39.5}, {10.6, 0, 220, 38.2},
                         {98.8, 0, 1442, 15.5}, {102.1, 0, 1468, 13.6}, {104.4, 0, 1481, 12.9}},
                160.0);
        ASSERT_EQ(verdicts(settled), "TTTTTTT");
        EXPECT_EQ(settled[4].kt, 15.5);
    }
    g_liveAcs.clear();
    {
        SCOPED_TRACE("a flipped flag");
        const std::vector<Settled> settled =
            run("B738", {{0, 0, 0, 12}, {3, 0, 18, 12, 20}, {6, 0, 36, 12}}, 40.0);
        ASSERT_EQ(settled[1].verdict, Verdict::taken);
        EXPECT_FALSE(settled[1].airborne);
    }
    // A report flagged airborne with nothing after it (the feed falls quiet)
    // lifts the aircraft off only at a speed its kind leaves the ground at,
    // its field a few seconds stale (50 kt below its take-off speed at
    // most): slower, it is a flipped flag on a run (a rejected take-off, say).
    const struct {
        const char* type;
        double kt;
        bool lifts;
    } lone[] = {{"C172", 46, true},  {"C56X", 46, false}, {"C56X", 62, true},  {"B738", 58, false},
                {"B738", 85, false}, {"B738", 92, true},  {"B744", 95, false}, {"B738", 120, true}};
    for (const auto& c : lone) {
        SCOPED_TRACE(fmt::format("a lone airborne report of a {} at {} kt", c.type, c.kt));
        g_liveAcs.clear();
        const std::vector<Settled> settled = run(c.type, {{0, 0, 0, c.kt - 4}, {3, 0, 65, c.kt, 20}}, 40.0);
        ASSERT_EQ(settled[1].verdict, Verdict::taken);
        EXPECT_EQ(settled[1].airborne, c.lifts);
    }
    g_liveAcs.clear();
    {
        SCOPED_TRACE("a helicopter lifting off");
        const std::vector<Settled> settled =
            run("EC35", {{0, 0, 0, 0}, {6, 0, 0, 0, 10}, {12, 0, 20, 20, 80}, {18, 0, 80, 35, 200}}, 40.0);
        ASSERT_EQ(settled[1].verdict, Verdict::taken);
        EXPECT_TRUE(settled[1].airborne) << "its next report climbs well up: a lift-off";
    }
    g_liveAcs.clear();
    {
        SCOPED_TRACE("a helicopter hover-taxiing a few feet up");
        const std::vector<Settled> settled =
            run("EC35", {{0, 0, 0, 0}, {6, 0, 10, 12, 5}, {9, 0, 28, 12, 6}, {12, 0, 46, 12, 5}, {15, 0, 64, 12}}, 40.0);
        ASSERT_EQ(verdicts(settled), "TTTTT");
        EXPECT_FALSE(settled[1].airborne) << "on the ground as far as the motion goes";
        EXPECT_FALSE(settled[2].airborne);
    }
}

// An aircraft not yet created whose only report is out of reach of the
// reports after it starts from those where they bear each other out for 8 s
// or more (the first report heard was a stray); reports at a spot for less
// are a spot the stream dwells at, and dropped.
TEST_F(ReportGate, AnAircraftNotYetCreatedStartsFromTheReportsThatBearEachOtherOut) {
    struct Case {
        const char* name;
        std::vector<Report> reports;  // the first, the only one taken; then the others
        bool startsAgain;             // from the second
        // The report taken last (its index), where it matters.
        std::optional<std::size_t> newestTaken = std::nullopt;
    };
    const Case cases[] = {
        {"a stray first, then three at rest 102 m away over 23 s", {{0, 76, -304, 0}, {6, 0, -236, 0}, {15, 0, -236, 0},
                                                                      {28, 3, -238, 0}}, true},
        {"a spot dwelt at for 5 s, then back", {{0, 0, 0, 0}, {3, 0, 120, 0}, {8, 2, 121, 0}, {11, 0, 1, 0}}, false},
        // Two reports and then nothing, both at 0 kt: 95 m in 10 s is a
        // taxi's pace, and the aircraft is created to make it; 130 m is
        // faster than a light aircraft taxies, and the stray goes.
        {"at rest, then 95 m on 10 s later, nothing after", {{0, 0, 0, 0}, {10, 0, -95, 0}}, false, 1},
        {"at rest, then 130 m on 10 s later, nothing after", {{0, 0, 0, 0}, {10, 0, -130, 0}}, false, 0},
        // Across a pause of the feed the way was not heard: no move shown.
        {"at rest, then 200 m on 25 s later, nothing after", {{0, 0, 0, 0}, {25, 0, -200, 0}}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_liveAcs.clear();
        constexpr std::int32_t kStart = 100000;
        LiveAc& aircraft = place("C172", AcPhase::birth, {engine_test::kFieldLat, engine_test::kFieldLon}, 90.0);
        aircraft.lifeState = AcLifeState::buffer;
        PosSample first = sampleOf(c.reports.front());
        first.streamTick = first.dueTick = kStart + 3000;
        aircraft.samples.assign(1, first);
        aircraft.reportGate.taken.assign(1, first);
        aircraft.reportGate.lastHeardTick = first.streamTick;
        std::size_t next = 1;
        for (std::int32_t tick = kStart; tick <= kStart + 6000; ++tick) {
            while (next < c.reports.size() && kStart + static_cast<std::int32_t>(c.reports[next].t * 100.0) == tick) {
                PosSample s = sampleOf(c.reports[next++]);
                s.streamTick = s.dueTick = tick + 3000;
                gf_queueReport(aircraft, s, tick);
            }
            gf_settleReports(aircraft, tick, false);
        }
        ASSERT_FALSE(aircraft.samples.empty());
        if (c.newestTaken) {
            const PosSample newest = sampleOf(c.reports[*c.newestTaken]);
            EXPECT_NEAR(gf_distanceNm(gf_samplePoint(aircraft.reportGate.taken.back()), gf_samplePoint(newest)) *
                            kMetersPerNm,
                        0.0, 0.01);
        }
        const PosSample expected = sampleOf(c.reports[c.startsAgain ? 1 : 0]);
        EXPECT_NEAR(gf_distanceNm({aircraft.samples.front().lat, aircraft.samples.front().lon}, {expected.lat, expected.lon}) *
                        kMetersPerNm,
                    0.0, 0.01);
    }
}

}  // namespace
