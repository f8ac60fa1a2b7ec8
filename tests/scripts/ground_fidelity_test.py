#!/usr/bin/env python3
"""The ground-fidelity judge of the real-feed demo on made-up runs: the
truth of a feed, the objects the stand-in logged and its stand report."""
import contextlib
import io
import json
import math
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import ground_fidelity  # noqa: E402

START = 1_800_000_000
LAT, LON = 52.3, 4.76
M_LAT = 1 / 111195.0                           # degrees per metre north
M_LON = M_LAT / math.cos(math.radians(LAT))    # and east
KT = 1852.0 / 3600.0


def taxi(t):
    """Taxiing east at 10 m/s from 0 s to 100 s."""
    return LAT, LON + 10 * t * M_LON, 10 / KT, True


def departure(t, roll_at=60.0):
    """Standing until roll_at, then 3 kt/s faster until lift-off at 150 kt."""
    if t <= roll_at:
        return LAT, LON, 0.0, True
    dt = t - roll_at
    kt = 3 * dt
    east = 0.5 * 3 * KT * dt * dt
    return LAT, LON + east * M_LON, kt, kt < 150


class MadeUpRun:
    def __init__(self, folder):
        self.dir = folder
        self.truth = []       # (t, callsign, lat, lon, kt, ground)
        self.positions = []   # (t, tail, lat, lon, ground, feet above the ground, object id)
        self.report = []
        self.objects = {}     # object id -> (tail, why it was removed or None)
        self.first_objects = {}  # tail -> the id of its first object

    def feed(self, callsign, motion, seconds):
        for t in range(seconds + 1):
            lat, lon, kt, ground = motion(t)
            self.truth.append((START + t, callsign, lat, lon, kt, ground))

    def shown(self, tail, motion, seconds, delay=30.0, north_m=lambda k: 0.0, step=0.5, late=0.0, up_ft=None,
              object_id=None, removed=None, first=0):
        """The object as the program shows it: the motion delay (and `late`)
        seconds after the feed, moved north_m(k) metres at its k-th position
        (from the first-th on), up_ft(k) feet up (else 300 in the air)."""
        if object_id is None:
            object_id = self.first_objects.setdefault(tail, 101 + len(self.first_objects))
        self.objects.setdefault(object_id, (tail, removed))
        for k in range(first, int(seconds / step) + 1):
            lat, lon, _, ground = motion(k * step - late)
            up = up_ft(k) if up_ft else 0 if ground else 300
            self.positions.append((START + delay + k * step, tail, lat + north_m(k) * M_LAT, lon, ground and up < 2,
                                   up, object_id))

    def judge(self, delay=30.0, rotorcraft=(), log=None):
        paths = {name: os.path.join(self.dir, name)
                 for name in ("truth.csv", "positions.csv", "stands.txt", "world.json", "Log.txt")}
        with open(paths["truth.csv"], "w") as f:
            f.write("unix_s,hex_id,callsign,lat,lon,altitude_ft,speed_kt,on_ground\n")
            for t, c, lat, lon, kt, g in self.truth:
                f.write(f"{t:.2f},4844322,{c},{lat:.7f},{lon:.7f},{0 if g else 300},{kt:.1f},{int(g)}\n")
        with open(paths["positions.csv"], "w") as f:
            f.write("unix_s,object_id,tail,lat,lon,altitude_ft,heading_deg,on_ground\n")
            for t, tail, lat, lon, g, up, object_id in self.positions:
                f.write(f"{t:.3f},{object_id},{tail},{lat:.7f},{lon:.7f},{up - 11:.1f},90.0,{int(g)}\n")
        with open(paths["stands.txt"], "w") as f:
            f.write("".join(line + "\n" for line in self.report))
        with open(paths["world.json"], "w") as f:
            json.dump({"terrainElevationFt": -11, "aiObjects": [
                {"id": i, "tailNumber": tail, "live": why is None, **({"removeReason": why} if why else {})}
                for i, (tail, why) in self.objects.items()]}, f)
        removals = None
        if log is not None:
            with open(paths["Log.txt"], "w") as f:
                f.write("".join(line + "\n" for line in log))
            removals = ground_fidelity.read_removals(paths["Log.txt"], {c for _, c, *_ in self.truth})
        judge = ground_fidelity.Judge(ground_fidelity.read_truth(paths["truth.csv"]),
                                      ground_fidelity.read_positions(paths["positions.csv"]),
                                      ground_fidelity.read_angles(paths["stands.txt"]), delay,
                                      ground_fidelity.read_objects(paths["world.json"]), rotorcraft, removals)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            code = judge.judge()
        return code, out.getvalue()


def verdicts(text, word):
    return [line.strip() for line in text.splitlines() if line.strip().startswith(word)]


class GroundFidelityTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.run = MadeUpRun(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def test_distances_on_the_ground_at_the_delayed_time(self):
        # (metres north at the k-th position, the judge's delay, verdict, figures)
        cases = [
            (lambda k: 3.0, 30, "ok", "median 3.0 m and 95th percentile 3.0 m"),
            # 30 m off for the first tenth, then closing in at taxi pace.
            (lambda k: 30.0 if k < 20 else max(3.0, 30.0 - 0.675 * (k - 20)), 30, "MISS",
             "median 3.0 m and 95th percentile 30.0 m"),
            (lambda k: 12.0, 30, "MISS", "median 12.0 m"),
            (lambda k: 0.0, 25, "MISS", "median 50.0 m"),   # compared 5 s off: 50 m behind
        ]
        for north_m, delay, word, figures in cases:
            with self.subTest(figures=figures, delay=delay):
                self.run = MadeUpRun(self.folder.name)
                self.run.feed("KLM1", taxi, 100)
                self.run.shown("KLM1", taxi, 100, north_m=north_m)
                self.run.report = ["KLM1 (object 101): 1000 m on the ground, heading at most 4.0 degrees off the way "
                                   "it moved"]
                code, text = self.run.judge(delay)
                lines = [v for v in verdicts(text, word) if "on the ground median" in v]
                self.assertEqual(len(lines), 1, text)
                self.assertIn(figures, lines[0])
                self.assertEqual(code, 0, text)  # a goal missed fails nothing

    def test_only_where_the_truth_is_on_the_ground(self):
        # Airborne in the feed for the first half: far away there, which does not count.
        self.run.feed("KLM1", lambda t: (*taxi(t)[:3], t > 50), 100)
        self.run.shown("KLM1", taxi, 100, north_m=lambda k: 3.0 if k > 100 else 500.0)
        self.run.report = ["KLM1 (object 101): 500 m on the ground, heading at most 4.0 degrees off the way it moved"]
        code, text = self.run.judge()
        self.assertEqual(code, 0, text)
        self.assertIn("ground median 3.0 m, p95 3.0 m", text)

    def test_the_angle_of_each_aircraft_from_the_stand_report(self):
        self.run.feed("KLM1", taxi, 100)
        self.run.shown("KLM1", taxi, 100)
        self.run.feed("KLM2", taxi, 100)
        self.run.shown("KLM2", taxi, 100)
        self.run.feed("KLM3", lambda t: (LAT, LON, 0.0, True), 100)   # stood: no line needed
        self.run.shown("KLM3", lambda t: (LAT, LON, 0.0, True), 100)
        self.run.feed("KLM4", taxi, 100)                              # moved, but never seen moving
        self.run.shown("KLM4", lambda t: (LAT, LON, 0.0, True), 100)
        self.run.report = ["KLM1 (object 101): created on stand D8 and left it",
                           "KLM1 (object 101): 1000 m on the ground, heading at most 29.9 degrees off the way it moved",
                           "KLM2 (object 102): 900 m on the ground, heading at most 12.0 degrees off the way it moved",
                           "KLM2 (object 107): 90 m on the ground, heading at most 31.5 degrees off the way it moved"]
        code, text = self.run.judge()
        self.assertEqual(code, 1)
        failures = verdicts(text, "FAIL")
        self.assertTrue(any(v.startswith("FAIL  KLM2: nose (tail when pushed) at most 31.5 degrees") for v in failures),
                        text)
        self.assertTrue(any(v.startswith("FAIL  KLM4: moved on the ground in the feed but") for v in failures), text)
        self.assertTrue(any(v.startswith("ok    KLM1: nose (tail when pushed) at most 29.9") for v in
                            verdicts(text, "ok")), text)
        self.assertNotIn("KLM3: nose", text)
        self.assertIn("KLM3: angle - (stood)", text)

    def test_the_take_off_roll_against_the_truths_on_the_delayed_clock(self):
        # (the object's roll this many seconds after the delayed truth's, verdict)
        for late, word in [(0.0, "ok"), (4.0, "ok"), (-8.0, "FAIL"), (7.0, "FAIL")]:
            with self.subTest(late=late):
                self.run = MadeUpRun(self.folder.name)
                self.run.feed("BAW1", departure, 120)
                self.run.shown("BAW1", departure, 120, late=late)
                self.run.report = ["BAW1 (object 101): 900 m on the ground, heading at most 1.0 degrees off the way "
                                   "it moved"]
                code, text = self.run.judge()
                lines = [v for v in verdicts(text, word) if "take-off roll started" in v]
                self.assertEqual(len(lines), 1, text)
                self.assertIn(f"{abs(late):.1f} s {'early' if late < 0 else 'late' if late > 0 else ''}", lines[0])
        # The truth's speed field lagging its positions by 8 s: the roll is
        # where the positions start to go, not where the field says.
        self.run = MadeUpRun(self.folder.name)
        self.run.feed("BAW1", lambda t: departure(t)[:2] + (departure(t - 8)[2],) + departure(t)[3:], 120)
        self.run.shown("BAW1", departure, 120)
        code, text = self.run.judge()
        self.assertTrue(any("BAW1: take-off roll started 0." in v for v in verdicts(text, "ok")), text)
        # Never lifted off in the stand-in: its roll was not seen.
        self.run = MadeUpRun(self.folder.name)
        self.run.feed("BAW1", departure, 120)
        self.run.shown("BAW1", lambda t: departure(t)[:3] + (True,), 120)
        code, text = self.run.judge()
        self.assertIn("FAIL  BAW1: its take-off roll was not seen in the stand-in", text)

    def test_the_fastest_taxiing_outside_the_runways_rolls(self):
        # After the feed's taxi at 10 m/s (19 kt), a dash.
        dash = lambda t: (LAT, LON + (10 * t + (300 if t > 60 else 15 * (t - 40) if t > 40 else 0)) * M_LON,
                          10 / KT, True)

        # A helicopter lifting off, on the ground to the program's reader up
        # to 35 kt: where the feed goes faster than a taxi, so may the
        # object; 5 kt faster than the feed all the way is too fast.
        def lift(t):
            kt = min(max(t - 60, 0.0) * 35 / 20, 36.0)  # 35 kt 20 s after standing a minute
            east = 0.5 * (35 / 20) * KT * max(t - 60, 0.0) ** 2
            return LAT, LON + east * M_LON, kt, kt <= 35
        hurried = lambda t: (LAT, lift(t)[1] + 5 * KT * max(t - 60, 0.0) * M_LON, *lift(t)[2:])
        # A helicopter may go as fast as its own ceiling on the ground, 40 kt.
        rushed = lambda t: (LAT, lift(t)[1] + 15 * KT * max(t - 60, 0.0) * M_LON, *lift(t)[2:])
        # (the feed's motion for 100 s or 90 s, the object's, verdict, figure, a helicopter)
        cases = [(taxi, taxi, "ok", "at most 19.4 kt", False), (taxi, dash, "FAIL", "at most 48.6 kt", False),
                 (lift, lift, "ok", "at most 28.9 kt", False), (lift, hurried, "FAIL", "at most 33.9 kt", False),
                 (lift, hurried, "ok", "at most 33.9 kt (within 41 kt)", True),
                 (lift, rushed, "FAIL", "at most 43.9 kt (within 41 kt)", True)]
        for feed, motion, word, figure, helicopter in cases:
            with self.subTest(figure=figure, helicopter=helicopter):
                seconds = 90 if feed is lift else 100
                self.run = MadeUpRun(self.folder.name)
                self.run.feed("KLM1", feed, seconds)
                self.run.shown("KLM1", motion, seconds)
                code, text = self.run.judge(rotorcraft=["KLM1"] if helicopter else [])
                lines = [v for v in verdicts(text, word) if "outside take-off and landing" in v]
                self.assertEqual(len(lines), 1, text)
                self.assertIn(figure, lines[0])
        # A standing aircraft (a jumping feed's) that races off at 150 kt for
        # 20 s: while its stream stands, and after it ended standing, when it
        # should stand where the stream left it.
        stand = lambda t: (LAT, LON, 0.0, True)
        dash_m = 150 * KT * 0.5  # per position
        for start_k, where in [(100, "while its stream stands"), (300, "after its stream ended")]:
            with self.subTest(where=where):
                self.run = MadeUpRun(self.folder.name)
                self.run.feed("PHBXA", stand, 100)
                self.run.shown("PHBXA", stand, 200, north_m=lambda k: min(max(k - start_k, 0), 40) * dash_m)
                code, text = self.run.judge()
                self.assertEqual(code, 1, text)
                self.assertIn("FAIL  PHBXA: on the ground outside take-off and landing at most 150.0 kt", text)
        # A departure's roll (up to 150 kt) and the half minute before it do not count.
        self.run = MadeUpRun(self.folder.name)
        self.run.feed("BAW1", departure, 120)
        self.run.shown("BAW1", departure, 120)
        code, text = self.run.judge()
        self.assertIn("ok    BAW1: on the ground outside take-off and landing at most 0.0 kt", text)

    def test_one_object_per_aircraft(self):
        # Removed after 50 s and created again 300 m north: two objects, and
        # no speed from one to the other.
        self.run.feed("KLM1", taxi, 100)
        self.run.shown("KLM1", taxi, 50, removed="removed by client 1 (serial 40)")
        self.run.shown("KLM1", taxi, 100, object_id=107, first=101, north_m=lambda k: 300.0)
        self.run.feed("KLM2", taxi, 100)
        self.run.shown("KLM2", taxi, 100, removed="client 1 disconnected")  # at the run's end
        self.run.feed("KLM3", taxi, 100)
        code, text = self.run.judge()
        self.assertEqual(code, 1)
        self.assertIn("FAIL  KLM1: one object over the run (created 2 times: object 101 shown 30-80 s, removed by "
                      "client 1 (serial 40); object 107 shown 80-130 s)", text)
        self.assertIn("ok    KLM1: on the ground outside take-off and landing at most 19.4 kt", text)
        self.assertIn("ok    KLM2: one object over the run (created once)", text)
        self.assertIn("FAIL  KLM3: one object over the run (created 0 times)", text)
        # With the program's log, why it went: its own removals only, not
        # another's (KLM12, a static KLM1*) nor one that names it as the cause.
        code, text = self.run.judge(log=[
            "          KLM1     PH-BXA       AMS->LHR KLM     B738    =1= Boeing 737-800 KLM PH-BXA",
            "KLM12 PH-BXB B738 removed: held 31 min for its stream",
            "D5      : KLM1*    static max park exceeded, removed",
            "KLM1 PH-BXA B738 removed: its stream paused with KLM2 taxiing 13 m away",
            "KLM2 PH-BXC B738 removed: its stream paused with KLM1 taxiing 20 m away",
        ])
        self.assertIn("FAIL  KLM1: one object over the run (created 2 times: object 101 shown 30-80 s, removed by "
                      "client 1 (serial 40); object 107 shown 80-130 s); the log: KLM1 PH-BXA B738 removed: its "
                      "stream paused with KLM2 taxiing 13 m away\n", text)
        self.assertIn("ok    KLM2: one object over the run (created once)\n", text)

    def test_no_climb_after_a_stream_that_ended_on_the_ground(self):
        stand = lambda t: (LAT, LON, 0.0, True)
        # (feet up at the k-th position, every half second; seconds shown,
        # verdict, figure). Its stream ends at 100 s; the delayed clock passes
        # that end at the 200th position.
        cases = [
            (lambda k: 0.0, 200, "ok", "rose at most 0 ft"),
            (lambda k: 15.0 if k > 220 else 0.0, 200, "ok", "rose at most 15 ft"),
            (lambda k: min(785.0, max(0.0, (k - 240) * 5.0)), 200, "FAIL", "rose at most 785 ft"),
            (lambda k: 100.0 if 150 < k < 190 else 0.0, 200, "ok", "rose at most 0 ft"),  # before the end
            (lambda k: 0.0, 90, None, None),                      # the run ended first: nothing to judge
        ]
        for up_ft, seconds, word, figure in cases:
            with self.subTest(figure=figure, seconds=seconds):
                self.run = MadeUpRun(self.folder.name)
                self.run.feed("PHBXA", stand, 100)
                self.run.shown("PHBXA", stand, seconds, up_ft=up_ft)
                code, text = self.run.judge()
                if word is None:
                    self.assertNotIn("after its stream ended", text)
                    continue
                lines = [v for v in verdicts(text, word) if "after its stream ended" in v]
                self.assertEqual(len(lines), 1, text)
                self.assertIn(figure, lines[0])
                self.assertEqual(code, 0 if word == "ok" else 1, text)
        # A stream that ended in the air is none of its business.
        self.run = MadeUpRun(self.folder.name)
        self.run.feed("BAW1", departure, 120)
        self.run.shown("BAW1", departure, 200)
        code, text = self.run.judge()
        self.assertNotIn("after its stream ended", text)

    def test_an_aircraft_the_stand_in_never_had(self):
        self.run.feed("KLM1", taxi, 100)
        code, text = self.run.judge()
        self.assertEqual(code, 1)
        self.assertIn("FAIL  KLM1: no position of it while the feed had it on the ground", text)

    def test_percentiles_lie_between_the_closest_ranks(self):
        self.assertIsNone(ground_fidelity.percentile([], 0.5))
        self.assertEqual(ground_fidelity.percentile([4, 1, 3, 2], 0.5), 2.5)
        self.assertAlmostEqual(ground_fidelity.percentile(list(range(101)), 0.95), 95.0)
        self.assertEqual(ground_fidelity.percentile([7], 0.95), 7)


if __name__ == "__main__":
    unittest.main()
