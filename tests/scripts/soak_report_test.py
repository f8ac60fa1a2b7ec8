#!/usr/bin/env python3
"""The soak's judge on made-up runs: a run that keeps every rule passes, and
each way a run can go wrong fails the rule it breaks."""
import contextlib
import io
import json
import os
import sys
import tempfile
import unittest
from types import SimpleNamespace

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "scripts"))
import soak_report  # noqa: E402

START = 1_800_000_000
EDGES = soak_report.TICK_EDGES_US


class MadeUpRun:
    """A soak folder of 300 s: one run of the program until the simulator
    drops the connection at 200 s (an install path typed at 150 s while the
    settings folder is read-only restarts it on the way), a second run
    started by the soak at 206 s and closed at the end."""

    def __init__(self, folder):
        self.dir = folder
        self.log1 = ["header"] * 10
        self.log2 = ["header"] * 10
        self.events = []
        self.rss = lambda t: 20000
        self.handles = lambda t: 15
        self.over_budget_per_second = 0
        self.over_budget_at_full_load = 0
        self.world_objects = [{"client": 1, "live": False, "removeReason": "removed by client 1 (serial 9)"},
                              {"client": 1, "live": False, "removeReason": "client 1 disconnected"}]
        self.run2_code = 0
        self.run1_exits = ["Exiting: SIM WAS CLOSED"]
        self.read_only = "1"  # the soak's probe of the settings folder
        # Run 1 ends instead in the error for too many liveries that could not
        # be created, after the simulator refused every title; the soak closes
        # the window when it finds the marked error line.
        self.ends_in_error = False
        self.error_lines = ["===> Error 81, There are too many liveries that could not be created!",
                            "Exiting: SYSTEM ERROR"]
        self.failed_saves = ["==> saving: parameters.xml failed"]

    def fault(self, t, what, args=""):
        self.events.append((START + t, "fault", what, f"{len(self.log1)} 0 {args}".strip()))

    def write(self):
        os.makedirs(os.path.join(self.dir, "logs"), exist_ok=True)
        os.makedirs(os.path.join(self.dir, "simulator"), exist_ok=True)
        self.fault(100, "burst", "40 4")
        self.log1 += ["buffer overrun: 20000 bytes"] * 4
        self.fault(120, "link", "10")
        self.log1 += ["RealTraffic client socket closed", "12:00:00 RealTraffic re-connected"]
        self.fault(148, "settings-ro", "on")
        self.events.append((START + 148, "check", "settings-ro", self.read_only))
        self.fault(150, "install-path")
        self.log1 += self.failed_saves + ["Exiting: NEW SETTINGS", "Restarting after 3 seconds",
                                          "Restart countdown finished"]
        self.fault(154, "settings-ro", "off")
        self.events.append((START + 154, "check", "settings-ro", "0"))
        if self.ends_in_error:
            self.fault(180, "refuse", "on")
            self.log1 += ["KLM735 'Boeing 777-300ER KLM PH-BVA' could not be created by your Sim!"] * 20
            self.log1 += self.error_lines
            self.fault(195, "refuse", "off")
            self.fault(199, "user-close")
            self.events.append((START + 199, "check", "user-close", "1" if self.error_lines else "0"))
            self.log1 += ["User closed Velantra_P3D"] if self.error_lines else []
        else:
            self.fault(200, "drop")
            self.log1 += ["12:00:01 Flight Simulator no longer connected, Velantra_P3D will stop ..."] + self.run1_exits
        self.log2 += ["Exiting: USER CLOSED SIM"]
        events = [(START, "run", "start", "1"), (START + 201, "run", "end", "1 0"),
                  (START + 206, "run", "start", "2"), (START + 300, "run", "end", f"2 {self.run2_code}")]
        events += self.events + [(START + 100, "check", "files", "ok"), (START + 300, "stand-ins", "simulator", "0"),
                                 (START + 300, "stand-ins", "realtraffic", "0")]
        with open(os.path.join(self.dir, "events.csv"), "w") as f:
            f.write("unix,kind,what,detail\n")
            for e in sorted(events, key=lambda e: e[0]):
                f.write(",".join(str(x) for x in e) + "\n")
        for n, log in ((1, self.log1), (2, self.log2)):
            with open(os.path.join(self.dir, "logs", f"Log-{n}.txt"), "w") as f:
                f.write("\n".join(log) + "\n")
        with open(os.path.join(self.dir, "proc.csv"), "w") as f:
            f.write("unix,pid,rss_kb,threads,handles\n")
            for t in range(300):
                pid = 100 if t < 201 else 0 if t < 206 else 200
                values = f"{self.rss(t)},7,{self.handles(t)}" if pid else ",,"
                f.write(f"{START + t},{pid},{values}\n")
        with open(os.path.join(self.dir, "counters.csv"), "w") as f:
            f.write("unix,ticks,mean_us,max_us," + ",".join(f"lt{e}us" for e in EDGES) +
                    f",ge{EDGES[-1]}us,live,parked,static,live_records,static_records\n")
            for t in range(300):
                if 201 <= t < 230:
                    continue  # the program starts again
                full = 160 <= t < 190  # all 500 in the simulator
                over = self.over_budget_at_full_load if full else self.over_budget_per_second
                classes = [100 - over] + [0] * 6 + [over] + [0] * 3  # the over-budget ones take 10 to 15 ms
                live = 0 if 230 <= t < 250 else 500 if full else 300
                longest = 12000 if over else 400
                f.write(f"{START + t},100,300,{longest}," + ",".join(map(str, classes)) + f",{live},0,0,{live},0\n")
        with open(os.path.join(self.dir, "simulator", "simulator-world.json"), "w") as f:
            json.dump({"aiObjects": self.world_objects}, f)
        open(os.path.join(self.dir, "simulator", "simulator-record.jsonl"), "w").close()

    def judge(self):
        self.write()
        args = SimpleNamespace(dir=self.dir, mode="native", seconds=300, aircraft=500, warm_up=60)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            code = soak_report.Soak(args).judge()
        return code, out.getvalue()


class SoakReportTest(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.TemporaryDirectory()
        self.run = MadeUpRun(self.folder.name)

    def tearDown(self):
        self.folder.cleanup()

    def failures(self, text):
        return [line for line in text.splitlines() if line.lstrip().startswith("FAIL")]

    def test_a_run_that_keeps_every_rule_passes_and_names_the_figures(self):
        code, text = self.run.judge()
        self.assertEqual(self.failures(text), [])
        self.assertEqual(code, 0)
        self.assertIn("exit reason SIM WAS CLOSED, the program ended with exit code 0 and the soak started it again",
                      text)
        self.assertIn("\"buffer overrun\" logged 4 times", text)
        self.assertIn("below 0.5 ms over", text)
        self.assertIn("at full load, 400 or more live aircraft in the simulator (30 s): the tick's 99th percentile "
                      "below 0.5 ms over 3000 ticks (0 at or over 10 ms)", text)
        self.assertIn("holds 0 AI objects of the program (2 created, 1 removed by the program", text)
        self.assertTrue(os.path.exists(os.path.join(self.folder.name, "simulator", "soak.svg")))
        with open(os.path.join(self.folder.name, "soak.csv")) as f:
            self.assertEqual(len(f.read().splitlines()), 301)

    def test_each_way_of_going_wrong_fails_its_rule(self):
        cases = [
            ("memory grows", lambda r: setattr(r, "rss", lambda t: 20000 + 200 * t), "resident memory"),
            ("handles left open", lambda r: setattr(r, "handles", lambda t: 15 if t < 200 else 19),
             "threads and handles"),
            ("an unexpected restart", lambda r: r.run1_exits.insert(0, "Exiting: READER ERROR"),
             ("the simulator drops the connection", "run 1 of the program")),
            ("a wrong exit reason", lambda r: setattr(r, "run1_exits", ["Exiting: NEW FLIGHT"]),
             ("the simulator drops the connection", "run 1 of the program")),
            ("a typed setting lost without a word", lambda r: setattr(r, "failed_saves", []),
             "an install path typed while the settings folder is read-only: 0 failed save(s) logged"),
            ("a crash at the end", lambda r: setattr(r, "run2_code", 134), "every run of the program ended"),
            ("ticks over budget", lambda r: setattr(r, "over_budget_per_second", 2), "99th percentile"),
            # 2 % of the ticks over budget while 500 are live, 0.2 % over the run.
            ("ticks over budget at full load", lambda r: setattr(r, "over_budget_at_full_load", 2),
             "at full load, 400 or more live aircraft in the simulator (30 s)"),
            ("an object left behind", lambda r: r.world_objects.append({"client": 2, "live": True}),
             "the stand-in's world holds 1 AI objects"),
        ]
        for name, spoil, rule in cases:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                run = MadeUpRun(folder)
                spoil(run)
                code, text = run.judge()
                self.assertEqual(code, 1)
                failed = self.failures(text)
                rules = rule if isinstance(rule, tuple) else (rule,)
                self.assertEqual(len(failed), len(rules), text)
                for line, expected in zip(failed, rules):
                    self.assertIn(expected, line)

    def test_no_failed_save_is_expected_where_the_folder_stayed_writable(self):
        self.run.read_only = "0"
        self.run.failed_saves = []
        code, text = self.run.judge()
        self.assertEqual(self.failures(text), [])
        self.assertIn("0 failed save(s) logged (the folder stayed writable here)", text)

    def test_a_long_refusal_ends_in_the_error_the_user_closes(self):
        cases = [
            ("the error came", ["===> Error 81, There are too many liveries that could not be created!",
                                "Exiting: SYSTEM ERROR"], []),
            ("the program went on", [], ["the simulator refuses every title until 20 liveries could not be created"]),
        ]
        for name, error_lines, failed in cases:
            with self.subTest(name), tempfile.TemporaryDirectory() as folder:
                run = MadeUpRun(folder)
                run.ends_in_error = True
                run.error_lines = error_lines
                code, text = run.judge()
                self.assertEqual(code, 1 if failed else 0)
                failures = self.failures(text)
                self.assertEqual(len(failures), len(failed), text)
                for line, expected in zip(failures, failed):
                    self.assertIn(expected, line)
                if not failed:
                    self.assertIn("Error 81, \"Exiting: SYSTEM ERROR\", the program waited for the user, \"User "
                                  "closed\" logged, exit code 0; the soak started it again, traffic back after 49 s",
                                  text)
                    self.assertIn("run 1 of the program ended its runs as its faults call for, no other restart: "
                                  "NEW SETTINGS, SYSTEM ERROR", text)

    def test_a_settings_file_that_does_not_load_is_named(self):
        airports = os.path.join(self.folder.name, "airports", "learned")
        os.makedirs(airports)
        settings = os.path.join(self.folder.name, "parameters.xml")
        with open(settings, "w") as f:
            f.write("<root><parameters/></root>")
        with open(os.path.join(airports, "EHAM.xml"), "w") as f:
            f.write("<root><parkpositions>")
        self.assertEqual(len(soak_report.check_files(settings, os.path.join(self.folder.name, "airports"))), 1)
        self.assertIn("EHAM.xml", soak_report.check_files(settings, os.path.join(self.folder.name, "airports"))[0])
        with open(os.path.join(airports, "EHAM.xml"), "w") as f:
            f.write("<root/>")
        self.assertEqual(soak_report.check_files(settings, os.path.join(self.folder.name, "airports")), [])


if __name__ == "__main__":
    unittest.main()
