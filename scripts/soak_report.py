#!/usr/bin/env python3
"""Judges a soak run of scripts/soak.sh: joins the per-second samples of the
program's process (proc.csv) and its own counters (counters.csv) into
soak.csv, draws soak.svg beside the stand-in simulator's map, and prints one
verdict line per rule (also into verdicts.txt). Exit code 1 when a rule fails.

    soak_report.py --dir DIR --mode native|windows|asan|tsan --seconds S --aircraft N --warm-up W
    soak_report.py --check-files SETTINGS_FILE AIRPORTS_FOLDER   (prints what does not load)
"""
import argparse
import csv
import glob
import json
import os
import statistics
import sys
import xml.etree.ElementTree as ET

TICK_EDGES_US = [500, 1000, 2000, 3000, 5000, 7500, 10000, 15000, 20000, 50000]
BUDGET_US = 10000


def check_files(settings_file, airports_folder):
    """The files a user would lose if they did not load: the settings, the
    park airport's file and the learned files. Returns the names that fail."""
    bad = []
    paths = [settings_file] + sorted(glob.glob(os.path.join(airports_folder, "**", "*.xml"), recursive=True))
    for path in paths:
        try:
            ET.parse(path)
        except (ET.ParseError, OSError) as e:
            bad.append(f"{os.path.basename(path)} ({e})".replace(",", ";"))
    return bad


def read_csv(path):
    if not os.path.exists(path):
        return []
    with open(path, newline="") as f:
        return list(csv.DictReader(f))


def number(text, default=None):
    try:
        return float(text)
    except (TypeError, ValueError):
        return default


def read_events(path):
    events = []
    with open(path) as f:
        next(f)
        for line in f:
            parts = line.rstrip("\n").split(",", 3)
            while len(parts) < 4:
                parts.append("")
            events.append({"unix": int(parts[0]), "kind": parts[1], "what": parts[2], "detail": parts[3]})
    return events


def read_lines(path):
    try:
        with open(path, encoding="utf-8", errors="replace") as f:
            return f.read().splitlines()
    except OSError:
        return []


class Soak:
    def __init__(self, args):
        self.args = args
        self.dir = args.dir
        self.events = read_events(os.path.join(self.dir, "events.csv"))
        self.start = self.events[0]["unix"] if self.events else 0
        self.proc = read_csv(os.path.join(self.dir, "proc.csv"))
        self.counters = read_csv(os.path.join(self.dir, "counters.csv"))
        self.record = read_lines(os.path.join(self.dir, "simulator", "simulator-record.jsonl"))
        self.runs = self.read_runs()
        self.faults = [e for e in self.events if e["kind"] == "fault"]
        self.lines = []
        self.failed = 0

    def read_runs(self):
        runs = {}
        for e in self.events:
            if e["kind"] != "run":
                continue
            if e["what"] == "start":
                n = int(e["detail"])
                runs[n] = {"n": n, "start": e["unix"], "end": None, "code": None,
                           "log": read_lines(os.path.join(self.dir, "logs", f"Log-{n}.txt"))}
            elif e["what"] == "end":
                n, code = e["detail"].split()
                runs[int(n)].update(end=e["unix"], code=int(code))
        return [runs[n] for n in sorted(runs)]

    def run_at(self, unix):
        current = None
        for run in self.runs:
            if run["start"] <= unix and (run["end"] is None or unix < run["end"]):
                current = run
        return current

    def verdict(self, ok, text):
        self.lines.append(f"  {'ok  ' if ok else 'FAIL'}  {text}")
        if not ok:
            self.failed += 1

    def note(self, text):
        self.lines.append(f"        {text}")

    # --- the samples ---------------------------------------------------------
    def joined(self):
        by_unix = {}
        for row in self.proc:
            by_unix.setdefault(int(row["unix"]), {}).update(
                pid=row["pid"], rss_kb=row["rss_kb"], threads=row["threads"], handles=row["handles"])
        for row in self.counters:
            by_unix.setdefault(int(row["unix"]), {}).update(
                ticks=row["ticks"], mean_us=row["mean_us"], max_us=row["max_us"],
                over_budget=sum(int(row[f"lt{e}us"]) for e in TICK_EDGES_US if e > BUDGET_US) +
                int(row[f"ge{TICK_EDGES_US[-1]}us"]),
                live=row["live"], parked=row["parked"], static=row["static"],
                live_records=row["live_records"], static_records=row["static_records"])
        columns = ["pid", "rss_kb", "threads", "handles", "ticks", "mean_us", "max_us", "over_budget", "live",
                   "parked", "static", "live_records", "static_records"]
        rows = []
        for unix in sorted(by_unix):
            row = {"t": unix - self.start, "unix": unix}
            row.update({c: by_unix[unix].get(c, "") for c in columns})
            rows.append(row)
        with open(os.path.join(self.dir, "soak.csv"), "w", newline="") as f:
            writer = csv.DictWriter(f, fieldnames=["t", "unix"] + columns)
            writer.writeheader()
            writer.writerows(rows)
        return rows

    def samples_of(self, pid, low, high, column):
        return [number(r[column]) for r in self.proc
                if r["pid"] == pid and low <= int(r["unix"]) <= high and number(r[column]) is not None]

    # --- the rules -----------------------------------------------------------
    def memory(self):
        """Growth over the longest run of the program's traffic: a process
        from its start, or from a restart of its run (a typed install path)
        to the next. What a restart leaves behind shows in the note of the
        whole process."""
        spans = {}
        for r in self.proc:
            if number(r["rss_kb"]) is None or r["pid"] in ("", "0"):
                continue
            u = int(r["unix"])
            low, high = spans.get(r["pid"], (u, u))
            spans[r["pid"]] = (min(low, u), max(high, u))
        if not spans:
            self.verdict(False, "resident memory: no sample of the program")
            return
        restarts = [e["unix"] + 5 for e in self.faults if e["what"] == "install-path"]
        runs = []
        for pid, (first, last) in spans.items():
            cuts = [first] + [u for u in restarts if first < u < last] + [last]
            runs += [(pid, low, high) for low, high in zip(cuts, cuts[1:])]
        pid, first, last = max(runs, key=lambda r: r[2] - r[1])
        warm = first + self.args.warm_up
        if last - warm < 30:
            self.verdict(False, f"resident memory: the longest run lasted {last - first} s, too short to judge "
                                f"after a warm-up of {self.args.warm_up} s")
            return
        window = min(60, (last - warm) // 3)
        early = statistics.median(self.samples_of(pid, warm, warm + window, "rss_kb"))
        late = statistics.median(self.samples_of(pid, last - window, last, "rss_kb"))
        growth = (late / early - 1) * 100
        figures = (f"{early / 1024:.1f} MB at {warm - self.start} s, {late / 1024:.1f} MB at {last - self.start} s "
                   f"({growth:+.1f} %, over {last - warm} s of one run)")
        if self.args.mode in ("asan", "tsan"):
            # The sanitizer's quarantine and shadow memory grow by design.
            self.note(f"resident memory (not judged under {self.args.mode.upper()}): {figures}")
        else:
            self.verdict(growth < 5, f"resident memory grows by less than 5 % after warm-up: {figures}")
        # The longest process as a whole, across the restarts of its run.
        whole_pid, (whole_first, whole_last) = max(spans.items(), key=lambda s: s[1][1] - s[1][0])
        cuts = [u for u in restarts if whole_first < u < whole_last]
        since = whole_first + self.args.warm_up
        if cuts and whole_last - since >= 30:
            before = statistics.median(self.samples_of(whole_pid, since, since + window, "rss_kb") or [early])
            after = statistics.median(self.samples_of(whole_pid, whole_last - window, whole_last, "rss_kb"))
            self.note(f"the whole process from its warm-up on, across {len(cuts)} restart(s) of its run: "
                      f"{before / 1024:.1f} MB at {since - self.start} s, {after / 1024:.1f} MB at "
                      f"{whole_last - self.start} s ({(after / before - 1) * 100:+.1f} %)")

    def settled_counts(self, low, high):
        pid = self.pid_at(high)
        threads = self.samples_of(pid, low, high, "threads") if pid else []
        handles = self.samples_of(pid, low, high, "handles") if pid else []
        return (statistics.median(threads), statistics.median(handles)) if threads and handles else None

    def threads_and_handles(self):
        # Before each restart (a typed install path, the simulator's drop or
        # QUIT) against the counts once the program has settled again: in the
        # 15 s before the next fault at least 45 s later, else before the end.
        end = max([int(r["unix"]) for r in self.proc] + [self.start])
        checks = []
        for e in self.faults:
            if e["what"] not in ("install-path", "drop", "quit"):
                continue
            before = self.settled_counts(e["unix"] - 15, e["unix"] - 1)
            later = next((f["unix"] for f in self.faults if f["unix"] >= e["unix"] + 45), end - 5)
            after = self.settled_counts(later - 15, later - 1)
            if before and after:
                checks.append((e, before, after))
        if not checks:
            self.verdict(False, "threads and handles: no restart with samples before and after it")
            return
        # A new process of the program (after the simulator's drop or QUIT)
        # may hold a handle or two more or fewer than the one before.
        slack = lambda c: 2 if c[0]["what"] in ("drop", "quit") else 0
        worse = [c for c in checks if c[2][0] > c[1][0] or c[2][1] > c[1][1] + slack(c)]
        self.verdict(not worse, "threads and handles return to their counts after every restart: " + ", ".join(
            f"{c[0]['what']} at {c[0]['unix'] - self.start} s {c[1][0]:.0f}/{c[1][1]:.0f} -> {c[2][0]:.0f}/"
            f"{c[2][1]:.0f}" for c in checks) + " (threads/handles)")
        series = []
        for f in self.faults:
            counts = self.settled_counts(f["unix"] - 15, f["unix"] - 1)
            if counts:
                series.append(f"{f['unix'] - self.start} s: {counts[0]:.0f}/{counts[1]:.0f}")
        self.note("threads/handles before each fault: " + ", ".join(series))

    def pid_at(self, unix):
        best = None
        for r in self.proc:
            if int(r["unix"]) <= unix and r["pid"] not in ("", "0"):
                best = r["pid"]
        return best

    def after(self, event):
        """The run's log from where it stood at the fault on (the log is
        written in batches, so lines of the fault may come a little later)."""
        run = self.run_at(event["unix"])
        return run["log"][int(event["detail"].split()[0]):] if run else []

    def record_between(self, event, later):
        begin = int(event["detail"].split()[1])
        end = int(later["detail"].split()[1]) if later else None
        return self.record[begin:end]

    def traffic_back(self, after, within):
        for row in self.counters:
            u = int(row["unix"])
            if after <= u <= after + within and int(row["live"]) + int(row["parked"]) > 0:
                return u - after
        return None

    def exits(self):
        """Each run's exits in order against those its faults call for: a
        typed install path restarts the run, the simulator's drop or QUIT ends
        it (or a failed request restarts it), closing ends the last."""
        for run in self.runs:
            seen = [line[len("Exiting: "):] for line in run["log"] if line.startswith("Exiting: ")]
            expected = []
            for e in self.faults:
                if self.run_at(e["unix"]) is not run:
                    continue
                if e["what"] in ("install-path", "drop", "quit"):
                    expected.append("NEW SETTINGS" if e["what"] == "install-path" else "SIM WAS CLOSED")
                elif e["what"] == "user-close" and self.closed_after_error(e):
                    expected.append("SYSTEM ERROR")
            if run is self.runs[-1]:
                expected.append("USER CLOSED SIM")
            fits = len(seen) == len(expected) and all(
                s == x or (x == "SIM WAS CLOSED" and s == "SIMCONNECT ERROR") for s, x in zip(seen, expected))
            self.verdict(fits, f"run {run['n']} of the program ended its runs as its faults call for, no other "
                               f"restart: {', '.join(seen) or 'no exit logged'}"
                         + ("" if fits else f" (expected {', '.join(expected)})"))

    def settings_read_only_at(self, unix):
        """Whether the settings folder last made read-only before then
        refused writes (the soak probes it)."""
        checks = [c for c in self.events if c["kind"] == "check" and c["what"] == "settings-ro" and c["unix"] <= unix]
        return bool(checks) and checks[-1]["detail"] == "1"

    def closed_after_error(self, event):
        check = next((c for c in self.events if c["kind"] == "check" and c["what"] == "user-close" and
                      c["unix"] >= event["unix"]), None)
        return check is not None and check["detail"] == "1"

    def ends_with_user_close(self, index):
        """A refusal after which the soak plays the user closing the window."""
        rest = [f for f in self.faults[index + 1:] if not (f["what"] == "refuse" and f["detail"].endswith("off"))]
        return bool(rest) and rest[0]["what"] == "user-close"

    def faults_judged(self):
        second_starts = [e for e in self.events if e["kind"] == "check" and e["what"] == "second-start"]
        for i, e in enumerate(self.faults):
            t = e["unix"] - self.start
            args = e["detail"].split()[2:]
            log = self.after(e)
            later = [f for f in self.faults[i + 1:] if f["what"] == e["what"] and self.run_at(f["unix"]) is
                     self.run_at(e["unix"])]
            what = e["what"]
            if what == "burst":
                # A burst may overflow the socket's buffer: some of it reaching
                # the program is enough.
                overruns = sum("buffer overrun" in line for line in log)
                self.verdict(overruns >= min(1, int(args[1])),
                             f"{t} s, {args[0]} malformed and {args[1]} oversize datagrams: \"buffer overrun\" logged "
                             f"{overruns} times from then on, the run went on")
            elif what == "link":
                back = sum("RealTraffic re-connected" in line for line in log)
                self.verdict(back > len(later), f"{t} s, RealTraffic's command link away for {args[0]} s: "
                                                f"\"RealTraffic re-connected\" {'logged' if back > len(later) else 'NOT logged'}")
            elif what == "refuse" and args == ["on"] and self.ends_with_user_close(i):
                # Long enough for 20 liveries that could not be created: the
                # program stops with its error and waits for the user.
                run = self.run_at(e["unix"])
                close = next((f for f in self.faults[i + 1:] if f["what"] == "user-close"), None)
                waited = close is not None and self.closed_after_error(close)
                user = any(line.startswith("User closed") for line in log)
                back = self.traffic_back(run["end"], 250) if run and run["end"] else None
                self.verdict("Exiting: SYSTEM ERROR" in log and waited and user and run["code"] == 0 and
                             back is not None,
                             f"{t} s, the simulator refuses every title until 20 liveries could not be created: "
                             f"Error 81, \"Exiting: SYSTEM ERROR\", the program waited for the user, \"User closed\" "
                             f"{'logged' if user else 'NOT logged'}, exit code {run['code'] if run else '?'}; the soak "
                             f"started it again, traffic back "
                             f"{'after ' + str(back) + ' s' if back is not None else 'NOT within 250 s'}")
            elif what == "refuse" and args == ["on"]:
                off = next((f for f in self.faults[i + 1:] if f["what"] == "refuse"), None)
                during = self.record_between(e, off)
                refused = sum('"kind":"EXCEPTION"' in line and '"exception":22' in line for line in during)
                created = sum('"kind":"ASSIGNED_OBJECT_ID"' in line for line in self.record_between(off, None)) \
                    if off else 0
                self.verdict(refused > 0 and created > 0, f"{t} s, the simulator refuses every title for "
                                          f"{off['unix'] - e['unix'] if off else '?'} s: {refused} creations refused, "
                                          f"{created} creations succeeded after")
            elif what == "frames" and args == ["off"]:
                on = next((f for f in self.faults[i + 1:] if f["what"] == "frames"), None)
                back = self.traffic_back(on["unix"] + 2, 20) if on else None
                self.verdict(back is not None, f"{t} s, the simulator's frames stop for "
                                               f"{on['unix'] - e['unix'] if on else '?'} s: traffic there when they "
                                               f"resume")
            elif what == "second-start":
                check = next((c for c in second_starts if c["unix"] >= e["unix"]), None)
                code, alive, same = (check["detail"].split() + ["?", "?", "?"])[:3] if check else ("?", "?", "?")
                self.verdict(code == "255" and alive == "1" and same == "1",
                             f"{t} s, a second start of the program: it ended at once with exit code {code} (-1); "
                             f"the running one {'went on' if alive == '1' else 'DID NOT go on'} and its log "
                             f"{'was untouched' if same == '1' else 'WAS CHANGED'}")
            elif what == "install-path":
                restarted = "Exiting: NEW SETTINGS" in log and any("Restart countdown finished" in l for l in log)
                delay = any(line.startswith("Restarting after 3 seconds") for line in log)
                failed = sum("saving:" in line and "failed" in line for line in log)
                # The setting typed cannot be stored: the user must read so.
                read_only = self.settings_read_only_at(e["unix"])
                told = failed > 0 or not read_only
                back = self.traffic_back(e["unix"] + 5, 120)
                self.verdict(restarted and delay and told and back is not None,
                             f"{t} s, an install path typed while the settings folder is read-only: "
                             f"{failed} failed save(s) logged"
                             f"{'' if read_only else ' (the folder stayed writable here)'}, "
                             f"\"Exiting: NEW SETTINGS\", a restart after 3 s, "
                             f"traffic back {'after ' + str(back + 5) + ' s' if back is not None else 'NOT within 125 s'}")
            elif what in ("drop", "quit"):
                run = self.run_at(e["unix"])
                exits = [line for line in log if line.startswith("Exiting: ")]
                reason = exits[0][len("Exiting: "):] if exits else "none"
                quit_run = run is not None and run["end"] is not None and run["end"] - e["unix"] <= 60
                in_process = reason == "SIMCONNECT ERROR" and any("Restarting after 9 seconds" in l for l in log)
                right = (reason == "SIM WAS CLOSED" and quit_run and run["code"] == 0) or in_process
                back = self.traffic_back(e["unix"] + 10, 240)
                how = (f"the program ended with exit code {run['code']} and the soak started it again"
                       if quit_run else "the run restarted after 9 s" if in_process else "it went on")
                self.verdict(right and back is not None,
                             f"{t} s, the simulator {'drops the connection' if what == 'drop' else 'sends QUIT'}: "
                             f"exit reason {reason}, {how}; traffic back "
                             f"{'after ' + str(back + 10) + ' s' if back is not None else 'NOT within 250 s'}")
            elif what == "settings-ro":
                self.note(f"{t} s, the settings folder made {'read-only' if args == ['on'] else 'writable again'}")

    def nothing_lost(self):
        checks = [e for e in self.events if e["kind"] == "check" and e["what"] == "files"]
        bad = [e for e in checks if e["detail"] != "ok"]
        self.verdict(bool(checks) and not bad, f"parameters.xml, the park airport's file and the learned files load "
                                                f"after every fault and run ({len(checks)} checks)"
                     + (f": {bad[0]['detail']} at {bad[0]['unix'] - self.start} s" if bad else ""))
        world_path = os.path.join(self.dir, "simulator", "simulator-world.json")
        try:
            with open(world_path) as f:
                world = json.load(f)
        except (OSError, ValueError) as e:
            self.verdict(False, f"the stand-in's world after the final stop: {e}")
            return
        objects = [o for o in world.get("aiObjects", []) if o.get("client", 0) != 0]
        live = [o for o in objects if o.get("live")]
        by_program = sum("removed by client" in o.get("removeReason", "") for o in objects)
        self.verdict(not live, f"after the final stop the stand-in's world holds {len(live)} AI objects of the "
                               f"program ({len(objects)} created, {by_program} removed by the program, the rest when "
                               f"it disconnected)")

    @staticmethod
    def tick_classes(rows):
        """The ticks of the rows by duration class: the total, those at or
        over the budget, and the class edge the 99th percentile lies under
        (None past the last edge)."""
        classes = [sum(int(r[f"lt{e}us"]) for r in rows) for e in TICK_EDGES_US]
        classes.append(sum(int(r[f"ge{TICK_EDGES_US[-1]}us"]) for r in rows))
        total = sum(classes)
        seen, p99 = 0, None
        for k, n in enumerate(classes):
            seen += n
            if seen >= 0.99 * total:
                p99 = TICK_EDGES_US[k] if k < len(TICK_EDGES_US) else None
                break
        over = sum(classes[TICK_EDGES_US.index(BUDGET_US) + 1:])
        p99_text = f"below {p99 / 1000:g} ms" if p99 else "at or above 50 ms"
        return total, over, p99_text

    def ticks(self, rows):
        after = [r for r in self.counters if int(r["unix"]) >= self.start + self.args.warm_up]
        if not after:
            self.verdict(False, "the tick time: the program wrote no counters after the warm-up")
            return
        total, over, p99_text = self.tick_classes(after)
        longest = max(int(r["max_us"]) for r in after)
        in_sim = lambda r: int(r["live"]) + int(r["parked"])
        aircraft = [in_sim(r) for r in after]
        records = [int(r["live_records"]) for r in after]
        self.verdict(over <= 0.01 * total and max(aircraft) > 0,
                     f"the tick's 99th percentile stays under the 10 ms budget: {p99_text} over {total} ticks "
                     f"({over} at or over 10 ms, the longest {longest / 1000:.1f} ms) with up to {max(aircraft)} live "
                     f"aircraft in the simulator (median {statistics.median(aircraft):.0f}; up to {max(records)} in "
                     f"the table)")
        # The budget matters most at full load: the seconds with most of the
        # aircraft in range in the simulator (some have no livery to match or
        # an unknown model, so all of them never are).
        full = int(0.8 * self.args.aircraft)
        loaded = [r for r in after if in_sim(r) >= full]
        if loaded:
            total, over, p99_text = self.tick_classes(loaded)
            self.verdict(over <= 0.01 * total,
                         f"at full load, {full} or more live aircraft in the simulator ({len(loaded)} s): the tick's "
                         f"99th percentile {p99_text} over {total} ticks ({over} at or over 10 ms)")
        else:
            self.note(f"never {full} or more live aircraft in the simulator at once (one creation every 50 ticks; "
                      f"a run of the program needs about {self.args.aircraft // 2} s without a restart to get there)")
        stalls = [r for r in after if int(r["max_us"]) >= 1000000]
        if stalls:
            self.note("ticks of a second or more (the traffic thread waited): " + ", ".join(
                f"{int(r['unix']) - self.start} s: {int(r['max_us']) / 1e6:.1f} s" for r in stalls))

    def sanitizers(self):
        if self.args.mode not in ("asan", "tsan"):
            return
        reports = [p for p in glob.glob(os.path.join(self.dir, "sanitizer*")) if os.path.getsize(p) > 0]
        self.verdict(not reports, f"no {self.args.mode.upper()} report"
                     + (f": {len(reports)} report file(s), first {reports[0]}" if reports else ""))
        for path in reports[:1]:
            for line in read_lines(path)[:8]:
                self.note(line)

    def stand_ins(self):
        codes = {e["what"]: e["detail"] for e in self.events if e["kind"] == "stand-ins"}
        self.verdict(codes.get("simulator") == "0", f"the stand-in simulator saw no client fault (exit code "
                                                    f"{codes.get('simulator', '?')})")
        self.verdict(codes.get("realtraffic") == "0", f"the stand-in RealTraffic saw no protocol error (exit code "
                                                      f"{codes.get('realtraffic', '?')})")
        unexpected = [r for r in self.runs if r["code"] not in (0, None)]
        self.verdict(not unexpected, f"every run of the program ended with exit code 0 ({len(self.runs)} runs)"
                     + "".join(f"; run {r['n']}: {r['code']}" for r in unexpected))

    def judge(self):
        rows = self.joined()
        plot(self, rows)
        self.lines.append(f"soak: {self.args.mode}, {self.args.seconds} s, {self.args.aircraft} aircraft in range, "
                          f"{len(self.faults)} faults, {len(self.runs)} run(s) of the program")
        self.memory()
        self.threads_and_handles()
        self.faults_judged()
        self.exits()
        self.nothing_lost()
        self.ticks(rows)
        self.sanitizers()
        self.stand_ins()
        self.lines.append(f"soak: {self.failed} rule(s) failed" if self.failed else "soak: every rule holds")
        text = "\n".join(self.lines) + "\n"
        with open(os.path.join(self.dir, "verdicts.txt"), "w") as f:
            f.write(text)
        sys.stdout.write(text)
        return 1 if self.failed else 0


def plot(soak, rows):
    """Four panels over the run's seconds: memory, threads and handles, tick
    time, aircraft; the faults as marked lines."""
    width, panel, left, top = 1000, 160, 70, 30
    names = [("resident memory (MB)", [("rss_kb", 1 / 1024, "#1f77b4")]),
             ("threads, handles", [("threads", 1, "#2ca02c"), ("handles", 1, "#9467bd")]),
             ("tick ms per second: longest, mean", [("max_us", 1 / 1000, "#d62728"), ("mean_us", 1 / 1000, "#ff7f0e")]),
             ("aircraft: live, parked, static", [("live", 1, "#1f77b4"), ("parked", 1, "#8c564b"),
                                                  ("static", 1, "#7f7f7f")])]
    end = max([r["t"] for r in rows] + [soak.args.seconds, 1])
    height = top + len(names) * (panel + 30) + 20
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" font-family="sans-serif" '
           f'font-size="11">', f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{left}" y="18" font-size="14">soak ({soak.args.mode}, {soak.args.seconds} s, '
           f'{soak.args.aircraft} aircraft)</text>']
    x = lambda t: left + (width - left - 20) * t / end
    for k, (title, series) in enumerate(names):
        y0 = top + k * (panel + 30) + 15
        values = [number(r[c]) * f for r in rows for c, f, _ in series if number(r.get(c)) is not None]
        high = max(values + [10 if k == 2 else 1]) * 1.1
        y = lambda v: y0 + panel - panel * v / high
        out.append(f'<text x="{left}" y="{y0 - 3}">{title}</text>')
        out.append(f'<rect x="{left}" y="{y0}" width="{width - left - 20}" height="{panel}" fill="none" '
                   f'stroke="#999"/>')
        out.append(f'<text x="{left - 5}" y="{y0 + 10}" text-anchor="end">{high:.0f}</text>')
        if k == 2:
            out.append(f'<line x1="{left}" x2="{width - 20}" y1="{y(10):.1f}" y2="{y(10):.1f}" stroke="#d62728" '
                       f'stroke-dasharray="4 3"/>')
        for c, f, colour in series:
            points = [f"{x(r['t']):.1f},{y(number(r[c]) * f):.1f}" for r in rows if number(r.get(c)) is not None]
            if points:
                out.append(f'<polyline fill="none" stroke="{colour}" stroke-width="1" points="{" ".join(points)}"/>')
        for e in soak.faults:
            t = e["unix"] - soak.start
            out.append(f'<line x1="{x(t):.1f}" x2="{x(t):.1f}" y1="{y0}" y2="{y0 + panel}" stroke="#000" '
                       f'stroke-opacity="0.25"/>')
            if k == 0:
                out.append(f'<text x="{x(t) + 2:.1f}" y="{y0 + 10 + 10 * (soak.faults.index(e) % 4)}" '
                           f'font-size="9">{e["what"]}</text>')
    out.append(f'<text x="{left}" y="{height - 5}">seconds 0 to {end}</text></svg>')
    os.makedirs(os.path.join(soak.dir, "simulator"), exist_ok=True)
    with open(os.path.join(soak.dir, "simulator", "soak.svg"), "w") as f:
        f.write("\n".join(out) + "\n")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--check-files", nargs=2)
    parser.add_argument("--dir")
    parser.add_argument("--mode", default="native")
    parser.add_argument("--seconds", type=int, default=0)
    parser.add_argument("--aircraft", type=int, default=0)
    parser.add_argument("--warm-up", type=int, default=300)
    args = parser.parse_args()
    if args.check_files:
        bad = check_files(*args.check_files)
        print(";".join(bad), end="")
        return 0
    return Soak(args).judge()


if __name__ == "__main__":
    sys.exit(main())
