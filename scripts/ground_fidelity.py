#!/usr/bin/env python3
"""How faithfully the program moved each aircraft on the ground in a demo run
with a replayed feed: the stand-in RealTraffic's truth (each aircraft's
noise-free position over time, `realtraffic replay --truth`) beside the
stand-in simulator's position log (`simulator --positions`), its stand
report (the largest angle between an object's nose, or tail when pushed back,
and the way it moved) and its world dump (`simulator --world`: every AI
object it was asked to create).

The program plays each stream back a fixed delay after it arrives, so the
object at time T is compared with the truth at T - delay. Per aircraft:

- the largest angle between nose and motion (within 30 degrees);
- the median and 95th-percentile distance while the truth at the delayed time
  is on the ground (a goal: within 10 m and 25 m; a miss is shown as MISS
  and fails nothing);
- for a departure, the start of its take-off roll against the truth's on the
  delayed clock (within 5 s): the last time before lift-off at which the
  ground speed was at most 10 kt, for both taken from their positions (the
  truth's speed field may lag its positions, as a real feed's does);
- the fastest it went on the ground outside the runway's take-off and landing
  rolls (while the truth at the delayed time, or within 30 s of it, is on the
  ground at 40 kt or more, and where the truth itself goes faster than a
  taxi, as a helicopter lifting off below 35 kt, which the program's reader
  takes for the ground): an aircraft taxis at 30 kt at most, however late it
  is (within 31 kt, for the speed's window); after a stream that ended on
  the ground the aircraft stands where it ended, and is judged so;
- one object over the run: the program shows each aircraft as one AI object,
  not removed and created again (with the program's log, its lines that say
  why the aircraft was removed are shown beside a failure);
- after a stream that ended on the ground, once the delayed clock has passed
  its end, no climb: the aircraft rises at most 20 ft above the lowest it
  stood (how far it moved from where the stream ended is shown beside it).

Prints a line of figures per aircraft and one verdict line per rule; exit
code 1 when a rule (not a goal) fails.

    ground_fidelity.py --truth truth.csv --positions simulator-positions.csv
                       --stand-report simulator-stands.txt --world simulator-world.json [--delay 30]
                       [--rotorcraft CALLSIGN,...] [--log Log.txt]
"""
import argparse
import bisect
import csv
import json
import math
import re
import sys
from collections import defaultdict, namedtuple

ANGLE_LIMIT_DEG = 30.0
MEDIAN_LIMIT_M = 10.0
P95_LIMIT_M = 25.0
ROLL_LIMIT_S = 5.0
ROLL_BELOW_KT = 10.0       # the roll starts where the speed last was this low
STANDING_KT = 1.0          # a truth never faster on the ground never moved there
SPEED_WINDOW_S = 1.0       # the object's speed over this much time either side
TAXI_LIMIT_KT = 31.0       # 30 kt, and what a speed over two seconds may add
ROTORCRAFT_TAXI_LIMIT_KT = 41.0  # a helicopter's 40 kt on the ground, likewise
ROLL_KT = 40.0             # this fast on the ground the feed is on a take-off or landing roll
ROLL_MARGIN_S = 30.0       # and so much either side of it
RISE_LIMIT_FT = 20.0       # after a stream that ended on the ground, no higher above where it stood
EARTH_RADIUS_M = 6371008.8
METRES_PER_SECOND_PER_KNOT = 1852.0 / 3600.0


def metres(lat1, lon1, lat2, lon2):
    p1, p2 = math.radians(lat1), math.radians(lat2)
    a = math.sin((p2 - p1) / 2) ** 2 + math.cos(p1) * math.cos(p2) * math.sin(math.radians(lon2 - lon1) / 2) ** 2
    return 2 * EARTH_RADIUS_M * math.asin(math.sqrt(min(1.0, a)))


def percentile(values, share):
    """Linear between the closest ranks; None for no values."""
    if not values:
        return None
    ordered = sorted(values)
    at = share * (len(ordered) - 1)
    low = math.floor(at)
    high = min(low + 1, len(ordered) - 1)
    return ordered[low] + (ordered[high] - ordered[low]) * (at - low)


def read_truth(path):
    """callsign -> samples (t, lat, lon, speed kt, on ground), by time."""
    tracks = defaultdict(list)
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            tracks[row["callsign"]].append((float(row["unix_s"]), float(row["lat"]), float(row["lon"]),
                                            float(row["speed_kt"]), row["on_ground"] == "1"))
    return {k: sorted(v) for k, v in tracks.items()}


# One line of the stand-in's position log.
Position = namedtuple("Position", "t lat lon ground altitude_ft object_id")


def read_positions(path):
    """tail -> Positions, by time; all objects of one tail together."""
    tracks = defaultdict(list)
    with open(path, newline="") as f:
        for row in csv.DictReader(f):
            tracks[row["tail"]].append(Position(float(row["unix_s"]), float(row["lat"]), float(row["lon"]),
                                                row["on_ground"] == "1", float(row["altitude_ft"]),
                                                int(row["object_id"])))
    return {k: sorted(v) for k, v in tracks.items()}


def read_objects(path):
    """tail -> the AI objects the stand-in was asked to create for it: (id, why it was removed or None)."""
    with open(path) as f:
        world = json.load(f)
    objects = defaultdict(list)
    for o in world["aiObjects"]:
        objects[o["tailNumber"]].append((o["id"], o.get("removeReason")))
    return dict(objects)


def read_removals(path, callsigns):
    """callsign -> the program's log lines that say it was removed, in order."""
    patterns = {c: re.compile(rf"(^|\s){re.escape(c)}\s.*\bremoved\b") for c in callsigns}
    removals = defaultdict(list)
    with open(path, encoding="utf-8", errors="replace") as f:
        for line in f:
            for callsign, pattern in patterns.items():
                if pattern.search(line):
                    removals[callsign].append(" ".join(line.split()))
    return dict(removals)


def read_angles(path):
    """tail -> the largest angle the stand report gives over its objects."""
    pattern = re.compile(r"^(\S+) \(object \d+\): \d+ m on the ground, heading at most ([0-9.]+) degrees")
    angles = {}
    with open(path) as f:
        for line in f:
            m = pattern.match(line)
            if m:
                angles[m.group(1)] = max(angles.get(m.group(1), 0.0), float(m.group(2)))
    return angles


def truth_at(track, t):
    """(lat, lon, on ground, speed kt) at t, linear between the two samples
    around it; on the ground only when both are; None outside the track."""
    if not track or t < track[0][0] or t > track[-1][0]:
        return None
    low, high = 0, len(track) - 1
    while high - low > 1:
        mid = (low + high) // 2
        if track[mid][0] <= t:
            low = mid
        else:
            high = mid
    a, b = track[low], track[high]
    f = 0.0 if b[0] == a[0] else (t - a[0]) / (b[0] - a[0])
    f = min(max(f, 0.0), 1.0)
    return a[1] + f * (b[1] - a[1]), a[2] + f * (b[2] - a[2]), a[4] and b[4], a[3] + f * (b[3] - a[3])


def ground_distances(truth, positions, delay):
    """The object's distance from the truth delay seconds earlier, at each
    position logged while that truth is on the ground."""
    out = []
    for p in positions:
        then = truth_at(truth, p.t - delay)
        if then and then[2]:
            out.append(metres(p.lat, p.lon, then[0], then[1]))
    return out


def truth_held(truth, t):
    """As truth_at, and after a stream that ended on the ground where it ended:
    an aircraft nobody reports any more stands where it was last seen."""
    if truth and t > truth[-1][0] and truth[-1][4]:
        return truth[-1][1], truth[-1][2], True, 0.0
    return truth_at(truth, t)


def lift_off(samples, ground):
    """The time of the last change from the ground into the air; None without one."""
    for k in range(len(samples) - 1, 0, -1):
        if ground(samples[k - 1]) and not ground(samples[k]):
            return samples[k][0]
    return None


def roll_start(times_speeds, lifted):
    """The last time before lift-off at which the speed was at most ROLL_BELOW_KT,
    between samples where it crosses; None when it never was."""
    before = [(t, v) for t, v in times_speeds if t < lifted]
    for k in range(len(before) - 1, -1, -1):
        t, v = before[k]
        if v <= ROLL_BELOW_KT:
            if k + 1 < len(before):
                t1, v1 = before[k + 1]
                return t + (t1 - t) * (ROLL_BELOW_KT - v) / (v1 - v) if v1 != v else t
            return t
    return None


def object_speeds(positions):
    """(t, knots, on ground) from each object's positions SPEED_WINDOW_S either
    side, by time: an object created again elsewhere did not move there."""
    out = []
    for object_id in {p.object_id for p in positions}:
        out += track_speeds([p for p in positions if p.object_id == object_id])
    return sorted(out)


def truth_speeds(truth):
    """As object_speeds, for the truth's positions."""
    return track_speeds([Position(s[0], s[1], s[2], s[4], 0.0, 0) for s in truth])


def track_speeds(own):
    """(t, knots, on ground) of one track's positions, by time."""
    out = []
    for k, p in enumerate(own):
        a = b = k
        while a > 0 and p.t - own[a - 1].t <= SPEED_WINDOW_S + 1e-6:
            a -= 1
        while b + 1 < len(own) and own[b + 1].t - p.t <= SPEED_WINDOW_S + 1e-6:
            b += 1
        span = own[b].t - own[a].t
        if span > 0:
            m = metres(own[a].lat, own[a].lon, own[b].lat, own[b].lon)
            out.append((p.t, m / span / METRES_PER_SECOND_PER_KNOT, p.ground))
    return sorted(out)


def roll_times(truth):
    """The truth's times on the ground at ROLL_KT or more, by time."""
    return [s[0] for s in truth if s[4] and s[3] >= ROLL_KT]


def fastest_taxiing(truth, positions, delay):
    """(knots, time) of the fastest the object went on the ground while the
    truth at the delayed time (and over the speed's window), held after a
    stream that ended on the ground, is on the ground no faster than a taxi
    and not within ROLL_MARGIN_S of a roll; None when it never was there. (A
    helicopter below 35 kt is on the ground to the program's reader, also
    while it lifts off or sets down.)"""
    rolls = roll_times(truth)
    best = None
    for t, kt, on_ground in object_speeds(positions):
        window = [truth_held(truth, t - delay + d) for d in (-SPEED_WINDOW_S, 0.0, SPEED_WINDOW_S)]
        if not on_ground or not all(then and then[2] and then[3] <= TAXI_LIMIT_KT for then in window):
            continue
        k = bisect.bisect_left(rolls, t - delay - ROLL_MARGIN_S)
        if k < len(rolls) and rolls[k] <= t - delay + ROLL_MARGIN_S:
            continue
        if best is None or kt > best[0]:
            best = (kt, t)
    return best


def after_ground_end(truth, positions, delay, run_end):
    """After a stream that ended on the ground, once the delayed clock has
    passed its end: (feet risen above the lowest the aircraft stood, metres
    from where the stream ended, positions there); None when the stream ended
    in the air, the run ended first or the aircraft was never shown. One
    removed by then shows nothing more, which is no climb."""
    if not truth or not positions or not truth[-1][4] or run_end < truth[-1][0] + delay:
        return None
    end_t, end_lat, end_lon = truth[-1][0] + delay, truth[-1][1], truth[-1][2]
    floor = min([p.altitude_ft for p in positions if p.ground] or [p.altitude_ft for p in positions] or [0.0])
    after = [p for p in positions if p.t > end_t]
    rise = max((p.altitude_ft - floor for p in after), default=0.0)
    moved = max((metres(p.lat, p.lon, end_lat, end_lon) for p in after), default=0.0)
    return max(rise, 0.0), moved, len(after)


class Judge:
    def __init__(self, truth, positions, angles, delay, objects, rotorcraft=(), removals=None):
        self.truth, self.positions, self.angles, self.delay = truth, positions, angles, delay
        self.objects = objects
        self.removals = removals or {}  # callsign -> the program's log lines removing it
        self.rotorcraft = set(rotorcraft)  # callsigns of helicopters: their own ceiling on the ground
        # The whole log's end, not one aircraft's: whether the run outlived a stream.
        self.run_end = max((p[-1].t for p in positions.values() if p), default=0.0)
        self.failures = 0
        self.lines = []

    def verdict(self, ok, text):
        self.lines.append(f"  {'ok   ' if ok else 'FAIL '} {text}")
        if not ok:
            self.failures += 1

    def goal(self, ok, text):
        """A figure aimed at rather than promised: a miss is shown, and the
        run still passes. Reports may pause for longer than the playback
        delay, and then nobody knows where the aircraft is."""
        self.lines.append(f"  {'ok   ' if ok else 'MISS '} {text}")

    def object_lives(self, objects, positions):
        """When each object was shown, on the replay's clock, and why it went."""
        start = min(track[0][0] for track in self.truth.values())
        lives = []
        for object_id, why in objects:
            times = [p.t - start for p in positions if p.object_id == object_id]
            shown = f"shown {min(times):.0f}-{max(times):.0f} s" if times else "never shown"
            lives.append(f"object {object_id} {shown}{', ' + why if why else ''}")
        return ": " + "; ".join(lives) if lives else ""

    def aircraft(self, callsign):
        truth = self.truth[callsign]
        positions = self.positions.get(callsign, [])
        moved = any(s[4] and s[3] >= STANDING_KT for s in truth)
        figures = [callsign]

        angle = self.angles.get(callsign)
        if angle is not None:
            figures.append(f"angle {angle:.1f} deg")
            self.verdict(angle <= ANGLE_LIMIT_DEG, f"{callsign}: nose (tail when pushed) at most {angle:.1f} degrees "
                         f"off the way it moved (within {ANGLE_LIMIT_DEG:.0f})")
        elif moved:
            figures.append("angle -")
            self.verdict(False, f"{callsign}: moved on the ground in the feed but the stand-in never saw it move there")
        else:
            figures.append("angle - (stood)")

        distances = ground_distances(truth, positions, self.delay)
        median, p95 = percentile(distances, 0.5), percentile(distances, 0.95)
        if distances:
            figures.append(f"ground median {median:.1f} m, p95 {p95:.1f} m ({len(distances)} samples)")
            self.goal(median <= MEDIAN_LIMIT_M and p95 <= P95_LIMIT_M,
                      f"{callsign}: on the ground median {median:.1f} m and 95th percentile {p95:.1f} m from where "
                      f"it was {self.delay:g} s earlier (goal: within {MEDIAN_LIMIT_M:.0f} m and {P95_LIMIT_M:.0f} m)")
        elif any(s[4] for s in truth):
            figures.append("ground -")
            self.verdict(False, f"{callsign}: no position of it while the feed had it on the ground")

        objects = self.objects.get(callsign, [])
        figures.append(f"objects {len(objects)}")
        why = self.removals.get(callsign, [])
        self.verdict(len(objects) == 1, f"{callsign}: one object over the run (created "
                     f"{'once' if len(objects) == 1 else f'{len(objects)} times'}"
                     f"{'' if len(objects) == 1 else self.object_lives(objects, positions)})"
                     f"{'' if len(objects) == 1 or not why else '; the log: ' + ' | '.join(why[:3])}")

        taxiing = fastest_taxiing(truth, positions, self.delay)
        if taxiing is not None:
            limit = ROTORCRAFT_TAXI_LIMIT_KT if callsign in self.rotorcraft else TAXI_LIMIT_KT
            figures.append(f"taxiing at most {taxiing[0]:.0f} kt")
            self.verdict(taxiing[0] <= limit,
                         f"{callsign}: on the ground outside take-off and landing at most {taxiing[0]:.1f} kt "
                         f"(within {limit:.0f} kt)")

        ended = after_ground_end(truth, positions, self.delay, self.run_end)
        if ended is not None:
            rise, drift, shown = ended
            figures.append(f"after its stream rose {rise:.0f} ft, moved {drift:.0f} m")
            self.verdict(rise <= RISE_LIMIT_FT,
                         f"{callsign}: no climb after its stream ended on the ground: rose at most {rise:.0f} ft "
                         f"(within {RISE_LIMIT_FT:.0f} ft) and moved up to {drift:.0f} m from where it ended "
                         f"({shown} positions after the delayed end)")

        truth_lift = lift_off(truth, lambda s: s[4])
        if truth_lift is not None and truth[0][4]:
            truth_roll = roll_start([(t, kt) for t, kt, _ in truth_speeds(truth)], truth_lift)
            object_lift = lift_off(positions, lambda s: s.ground)
            object_roll = roll_start([(t, kt) for t, kt, _ in object_speeds(positions)],
                                     object_lift) if object_lift is not None else None
            if truth_roll is None or object_roll is None:
                figures.append("roll -")
                self.verdict(False, f"{callsign}: its take-off roll was not seen in the stand-in")
            else:
                early = truth_roll + self.delay - object_roll
                figures.append(f"roll {abs(early):.1f} s {'early' if early > 0 else 'late'}")
                self.verdict(abs(early) <= ROLL_LIMIT_S,
                             f"{callsign}: take-off roll started {abs(early):.1f} s {'early' if early > 0 else 'late'} "
                             f"on the delayed clock (within {ROLL_LIMIT_S:.0f} s)")
        return "  " + ": ".join([figures[0], ", ".join(figures[1:])])

    def judge(self):
        table = [self.aircraft(callsign) for callsign in sorted(self.truth)]
        print(f"  per aircraft (the program's playback delay taken as {self.delay:g} s):")
        print("\n".join(table))
        print("\n".join(self.lines))
        return 1 if self.failures else 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--truth", required=True)
    parser.add_argument("--positions", required=True)
    parser.add_argument("--stand-report", required=True)
    parser.add_argument("--world", required=True)
    parser.add_argument("--delay", type=float, default=30.0)
    parser.add_argument("--rotorcraft", default="", help="callsigns of helicopters, comma-separated")
    parser.add_argument("--log", help="the program's log, for why an aircraft was removed")
    args = parser.parse_args()
    truth = read_truth(args.truth)
    judge = Judge(truth, read_positions(args.positions), read_angles(args.stand_report), args.delay,
                  read_objects(args.world), [c for c in args.rotorcraft.split(",") if c],
                  read_removals(args.log, truth) if args.log else None)
    return judge.judge()


if __name__ == "__main__":
    sys.exit(main())
