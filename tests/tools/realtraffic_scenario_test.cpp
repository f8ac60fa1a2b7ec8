#include "tools/realtraffic/scenario.h"

#include <gtest/gtest.h>

using namespace realtraffic;

TEST(RealTrafficScenario, ReadsFieldQnhRawDatagramsAndTracks) {
    const Scenario s = parseScenario(
        "# a comment\r\n"
        "field EBBR 184\r\n"
        "qnh 0 1008\n"
        "qnh 60 29.92\n"
        "\n"
        "12.5 TFC,1,2, with blanks ,x\n"
        "track 4844322 KLM1234 B738 PH-BXA LHR AMS\n"
        "  0 52.1 4.4 5000 210\n"
        "  # comments inside a track too\n"
        "  60 52.2 4.5 gnd 0 hdg=225\n"
        "end\n"
        "track 4006871 null A320 G-EUYA null null A5\n"
        "  0 52.1 4.4 gnd 0\n"
        "  stray 200 35\n"
        "  jumps 100 60 20 150\n"
        "  stray 60 400\n"
        "  jumps 30 20\n"
        "  pause 250 40.5\n"
        "  dwells 205 40 52.1 4.4 52.1005 4.4 52.1 4.4012\n"
        "  pause 55 30\n"  // the stray at 60 s goes on the first report after it
        "  300 52.1 4.4 gnd 0\n"
        "end");
    EXPECT_EQ(s.fieldCode, "EBBR");
    EXPECT_EQ(s.fieldElevationFt, 184.0);
    ASSERT_EQ(s.qnh.size(), 2u);
    EXPECT_EQ(s.qnh[1].offset, 60.0);
    EXPECT_EQ(s.qnh[1].value, "29.92");
    ASSERT_EQ(s.raw.size(), 1u);
    EXPECT_EQ(s.raw[0].offset, 12.5);
    EXPECT_EQ(s.raw[0].text, "TFC,1,2, with blanks ,x");
    EXPECT_EQ(s.raw[0].line, 6);
    ASSERT_EQ(s.tracks.size(), 2u);
    const TrackSpec& klm = s.tracks[0];
    EXPECT_EQ(klm.line, 7);
    EXPECT_EQ(klm.hexId, 4844322u);
    EXPECT_EQ(klm.callsign, "KLM1234");
    EXPECT_EQ(klm.category, "A3");
    ASSERT_EQ(klm.waypoints.size(), 2u);
    EXPECT_EQ(klm.waypoints[0].altitudeFt, 5000.0);
    EXPECT_FALSE(klm.waypoints[1].altitudeFt.has_value());
    EXPECT_EQ(klm.waypoints[1].headingDeg, 225.0);
    EXPECT_EQ(s.tracks[1].category, "A5");
    EXPECT_EQ(s.tracks[1].callsign, "null");
    EXPECT_TRUE(klm.strays.empty());
    EXPECT_TRUE(klm.jumps.empty());
    EXPECT_TRUE(klm.dwells.empty());
    EXPECT_TRUE(klm.pauses.empty());
    // The feed's faults by time, wherever they stand in the block.
    const auto& strays = s.tracks[1].strays;
    ASSERT_EQ(strays.size(), 2u);
    EXPECT_EQ(strays[0].time, 60.0);
    EXPECT_EQ(strays[0].metres, 400.0);
    EXPECT_EQ(strays[0].line, 16);
    EXPECT_EQ(strays[1].time, 200.0);
    const auto& jumps = s.tracks[1].jumps;
    ASSERT_EQ(jumps.size(), 2u);
    EXPECT_EQ(jumps[0].from, 30.0);
    EXPECT_EQ(jumps[0].seconds, 20.0);
    EXPECT_EQ(jumps[0].minM, 50.0);  // a real feed's by a maintenance area
    EXPECT_EQ(jumps[0].maxM, 400.0);
    EXPECT_EQ(jumps[1].minM, 20.0);
    EXPECT_EQ(jumps[1].maxM, 150.0);
    const auto& dwells = s.tracks[1].dwells;
    ASSERT_EQ(dwells.size(), 1u);
    EXPECT_EQ(dwells[0].line, 19);
    EXPECT_EQ(dwells[0].from, 205.0);
    EXPECT_EQ(dwells[0].seconds, 40.0);
    ASSERT_EQ(dwells[0].spots.size(), 3u);  // in the order given
    EXPECT_EQ(dwells[0].spots[0].lat, 52.1);
    EXPECT_EQ(dwells[0].spots[1].lat, 52.1005);
    EXPECT_EQ(dwells[0].spots[1].lon, 4.4);
    EXPECT_EQ(dwells[0].spots[2].lon, 4.4012);
    const auto& pauses = s.tracks[1].pauses;
    ASSERT_EQ(pauses.size(), 2u);
    EXPECT_EQ(pauses[0].from, 55.0);
    EXPECT_EQ(pauses[0].seconds, 30.0);
    EXPECT_EQ(pauses[0].line, 20);
    EXPECT_EQ(pauses[1].from, 250.0);
    EXPECT_EQ(pauses[1].seconds, 40.5);
}

TEST(RealTrafficScenario, MistakesAreRefusedWithTheirLine) {
    const std::string track = "track 4844322 KLM1234 B738 PH-BXA LHR AMS\n";
    struct Case {
        std::string text;
        const char* message;
    } cases[] = {
        {"field EHAM\n", "scenario line 1: a field line is: field <ICAO code> <elevation ft>"},
        {"\nqnh 10 1008\nqnh 5 1009\n", "scenario line 3: qnh offsets must rise"},
        {"qnh 0 high\n", "scenario line 1: QNH 'high' is not a number"},
        {"tfc,1,2\n", "scenario line 1: offset (or keyword) 'tfc,1,2' is not a number"},
        {"30\n", "scenario line 1: a datagram line is: <offset s> <datagram>"},
        {"track 10000 KLM1 B738 PH-BXA LHR AMS\n", "scenario line 1: hex id 10000 is outside 10001 to 4294967295"},
        {"track 4844322 KLM1234 B738\n", "scenario line 1: a track line is:"},
        {"track 4844322 KLM@1234 B738 PH-BXA LHR AMS\n", "callsign 'KLM@1234' must be at most 8 characters"},
        {"track 4844322 KLM1234 B7378 PH-BXA LHR AMS\n", "type 'B7378' must be 2 to 4 letters or digits"},
        {"track 4844322 KLM1234 B738 PH-BXAAAAAAAAA LHR AMS\n", "registration 'PH-BXAAAAAAAAA' must be at most 12"},
        {"track 4844322 null B738 null LHR AMS\n", "a track needs a callsign or a registration"},
        {"track 4844322 KLM1234 B738 PH-BXA lhr AMS\n", "airport code 'lhr' must be 3 upper-case letters"},
        {track + "0 52 4 5000 210\nend\n", "scenario line 3: a track needs at least two waypoints"},
        {track + "0 52 4 5000 210\n0 52.1 4 5000 210\n", "scenario line 3: waypoint times must rise"},
        {track + "0 95 4 5000 210\n", "scenario line 2: latitude 95 is outside -90 to 90"},
        {track + "0 52 4 ground 210\n", "scenario line 2: altitude 'ground' is not a number"},
        {track + "0 52 4 gnd 0 heading=90\n", "scenario line 2: unknown waypoint option 'heading=90'"},
        {track + "0 52 4 gnd 0\n10 52 4 gnd 0\n", "scenario line 1: track without 'end'"},
        {track + "0 52 4 gnd 0\n10 52 4 gnd 0\nend now\n", "scenario line 4: 'end' stands alone"},
        {"stray 40 100\n", "scenario line 1: offset (or keyword) 'stray' is not a number"},  // only in a track
        {track + "stray 40\n", "scenario line 2: a stray line is: stray <time s> <metres>"},
        {track + "stray 40 0\n", "scenario line 2: distance 0 is outside 1 to 10000"},
        {track + "stray soon 40\n", "scenario line 2: time 'soon' is not a number"},
        {track + "jumps 40\n", "scenario line 2: a jumps line is: jumps <from s> <for s> [<least m> <greatest m>]"},
        {track + "jumps 40 60 50\n", "scenario line 2: a jumps line is:"},
        {track + "jumps 40 0\n", "scenario line 2: duration 0 is outside 1 to"},
        {track + "jumps 40 60 400 50\n", "scenario line 2: the least distance 400 exceeds the greatest 50"},
        {track + "jumps 40 60 0 50\n", "scenario line 2: least distance 0 is outside 1 to 10000"},
        // Placed against the track's waypoints when its block ends.
        {track + "10 52 4 gnd 0\nstray 39 100\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the stray at 39 s lies within the track's first 30 s (to 40 s), which go out as from a good "
         "feed"},
        {track + "10 52 4 gnd 0\nstray 100.5 100\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the stray at 100.5 s lies past the track's last waypoint at 100 s"},
        {track + "0 52 4 gnd 0\njumps 25 30\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the jumping stretch from 25 s to 55 s lies within the track's first 30 s"},
        {track + "0 52 4 gnd 0\njumps 60 41\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the jumping stretch from 60 s to 101 s lies past the track's last waypoint at 100 s"},
        {track + "0 52 4 gnd 0\njumps 60 20\njumps 40 21\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the jumping stretch from 60 s overlaps the one from 40 s"},
        {track + "0 52 4 gnd 0\nstray 60 100\njumps 40 20\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the stray at 60 s lies in the jumping stretch from 40 s"},
        {track + "dwells 40 60 52 4\n", "scenario line 2: a dwells line is: dwells <from s> <for s> <lat> <lon>"},
        {track + "dwells 40 60 52 4 52.001\n", "scenario line 2: a dwells line is:"},
        {track + "dwells 40 60 52 4 52.001 4 52.002\n", "scenario line 2: a dwells line is:"},
        {track + "dwells 40 0 52 4 52.001 4\n", "scenario line 2: duration 0 is outside 1 to"},
        {track + "dwells 40 60 52 4 92 4\n", "scenario line 2: latitude 92 is outside -90 to 90"},
        {track + "dwells 40 60 52 4 52.001 east\n", "scenario line 2: longitude 'east' is not a number"},
        {track + "dwells 40 60 52 4 52.001 4 52 4.0\n", "scenario line 2: the spot 52 4.0 is named twice"},
        {track + "pause 40\n", "scenario line 2: a pause line is: pause <from s> <for s>"},
        {track + "pause 40 0\n", "scenario line 2: duration 0 is outside 1 to"},
        {track + "pause later 30\n", "scenario line 2: time 'later' is not a number"},
        {track + "0 52 4 gnd 0\npause 29 30\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the pause from 29 s to 59 s lies within the track's first 30 s"},
        {track + "0 52 4 gnd 0\ndwells 60 41 52 4 52.001 4\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the dwelling stretch from 60 s to 101 s lies past the track's last waypoint at 100 s"},
        {track + "0 52 4 gnd 0\ndwells 40 30 52 4 52.001 4\njumps 60 20\n100 52 4 gnd 0\nend\n",
         "scenario line 4: the jumping stretch from 60 s overlaps the dwelling stretch from 40 s"},
        {track + "0 52 4 gnd 0\npause 50 20\ndwells 40 11 52 4 52.001 4\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the pause from 50 s overlaps the dwelling stretch from 40 s"},
        {track + "0 52 4 gnd 0\npause 40 30\npause 60 10\n100 52 4 gnd 0\nend\n",
         "scenario line 4: the pause from 60 s overlaps the one from 40 s"},
        {track + "0 52 4 gnd 0\nstray 70 100\ndwells 40 30 52 4 52.001 4\n100 52 4 gnd 0\nend\n",
         "scenario line 3: the stray at 70 s lies in the dwelling stretch from 40 s"},
    };
    for (const auto& c : cases) {
        try {
            parseScenario(c.text);
            ADD_FAILURE() << "accepted: " << c.text;
        } catch (const StandInError& e) {
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

TEST(RealTrafficScenario, AMissingFileIsNamed) {
    try {
        loadScenario("no/such/scenario.txt");
        FAIL() << "a missing file must fail";
    } catch (const StandInError& e) {
        EXPECT_NE(std::string(e.what()).find("cannot read the scenario no/such/scenario.txt"), std::string::npos);
    }
}
