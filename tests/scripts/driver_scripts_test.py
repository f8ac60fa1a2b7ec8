#!/usr/bin/env python3
"""The test driver (scripts/test-all.sh) with stages that do nothing, its
counting (scripts/test-counts.sh) on made-up ctest logs, and the layer check
(scripts/check-layers.sh) on a made-up tree."""
import os
import re
import shutil
import stat
import subprocess
import tempfile
import unittest

SCRIPTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts")
COUNTS = os.path.join(SCRIPTS, "test-counts.sh")

# Every test result ctest has, as `ctest --output-on-failure -j2` writes them.
MIXED_LOG = """\
Test project /tmp/b
    Start 1: pass
    Start 2: fail
1/6 Test #1: pass .............................   Passed    0.00 sec
    Start 3: skip
2/6 Test #2: fail .............................***Failed    0.00 sec
[  SKIPPED ] the test's own output
    Start 4: skiprc
3/6 Test #3: skip .............................***Skipped   0.00 sec
    Start 5: disabled
4/6 Test #5: disabled .........................***Not Run (Disabled)   0.00 sec
    Start 6: missing
Unable to find executable: /nonexistent/prog
5/6 Test #6: missing ..........................***Not Run   0.00 sec
6/6 Test #4: skiprc ...........................***Skipped   0.00 sec

60% tests passed, 2 tests failed out of 5

Total Test time (real) =   0.01 sec

The following tests did not run:
\t  3 - skip (Skipped)
\t  4 - skiprc (Skipped)
\t  5 - disabled (Disabled)

The following tests FAILED:
\t  2 - fail (Failed)
\t  6 - missing (Not Run)
Errors while running CTest
"""

ALL_PASSED_LOG = """\
965/966 Test #966: ground_fidelity_test ..............   Passed    0.21 sec
966/966 Test #965: soak_report_test ..................   Passed    0.35 sec

100% tests passed, 0 tests failed out of 965

Total Test time (real) =  43.76 sec

The following tests did not run:
\t108 - ParameterStoreCrash.SaveLoopChild (Disabled)
"""

ONE_FAILED_LOG = """\
1/1 Test #1: only .............................***Failed    0.00 sec

0% tests passed, 1 test failed out of 1

The following tests FAILED:
\t  1 - only (Failed)
"""


ONE_PASSED_LOG = """\
1/1 Test #1: only .............................   Passed    0.00 sec

100% tests passed, 0 tests failed out of 1
"""

ALL_STAGES = "native production demo demo-leab fuzz soak windows production-windows demo-windows asan tsan"


def bash(script, *args, env=None):
    return subprocess.run(["bash", "-c", script, "bash", *args], capture_output=True, text=True, env=env)


def write_script(path, text):
    with open(path, "w") as file:
        file.write("#!/usr/bin/env bash\n" + text)
    os.chmod(path, os.stat(path).st_mode | stat.S_IXUSR)


class CtestCounts(unittest.TestCase):
    def test_logs(self):
        cases = [
            # A skipped test is no passed one, a disabled one is outside
            # ctest's total, and a test that could not start failed.
            ("every result", MIXED_LOG, ["1 2 3", "skip (Skipped)", "skiprc (Skipped)", "disabled (Disabled)"]),
            ("all passed but a disabled one", ALL_PASSED_LOG,
             ["965 0 1", "ParameterStoreCrash.SaveLoopChild (Disabled)"]),
            ("one test, failed", ONE_FAILED_LOG, ["0 1 0"]),
        ]
        for name, log, expected in cases:
            with self.subTest(name), tempfile.NamedTemporaryFile("w", suffix=".txt") as file:
                file.write(log)
                file.flush()
                result = bash('source "$1" && ctest_counts "$2"', COUNTS, file.name)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertEqual(result.stdout.splitlines(), expected)

    def test_a_log_without_summary_is_no_count(self):
        with tempfile.NamedTemporaryFile("w", suffix=".txt") as file:
            file.write("CMake Error: the build folder holds no tests\n")
            file.flush()
            result = bash('source "$1" && ctest_counts "$2"', COUNTS, file.name)
        self.assertEqual((result.returncode, result.stdout), (1, ""))

    def test_last_line(self):
        cases = [
            ([965, 0, 1], "965 passed, 0 failed, 1 skipped"),
            ([3, 1, 2, "demo", "soak"], "3 passed, 1 failed, 2 skipped; stages skipped: demo soak"),
        ]
        for args, expected in cases:
            with self.subTest(expected):
                result = bash('source "$1" && shift && summary_line "$@"', COUNTS, *map(str, args))
                self.assertEqual(result.stdout, expected + "\n")


class TestAll(unittest.TestCase):
    """The driver itself in a made-up tree: its own counting and its last
    line are real, every stage's work is done by stand-ins that do nothing:
    scripts that succeed, and cmake, ctest, flock and xvfb-run on the PATH
    (ctest prints the log made up for its build folder)."""

    def setUp(self):
        self.root = tempfile.mkdtemp()
        scripts = os.path.join(self.root, "scripts")
        os.makedirs(scripts)
        for name in ["test-all.sh", "test-counts.sh"]:
            shutil.copy(os.path.join(SCRIPTS, name), scripts)
        for name in ["install-deps.sh", "check-layers.sh", "demo.sh", "fuzz.sh", "soak.sh"]:
            write_script(os.path.join(scripts, name), "exit 0\n")
        write_script(os.path.join(scripts, "build-windows-deps.sh"), 'pwd\n')
        os.makedirs(os.path.join(self.root, ".ci"))
        write_script(os.path.join(self.root, ".ci", "run"), "exit 0\n")
        self.logs = os.path.join(self.root, "ctest-logs")
        self.bin = os.path.join(self.root, "bin")
        os.makedirs(self.bin)
        write_script(os.path.join(self.bin, "cmake"), """\
while (($#)); do
  case $1 in
    -B) mkdir -p "$2"; shift ;;
  esac
  shift
done
""")
        write_script(os.path.join(self.bin, "ctest"), f"""\
log={self.logs}/$(basename "$PWD").txt
[[ -f $log ]] || log={self.logs}/default.txt
cat "$log"
""")
        write_script(os.path.join(self.bin, "flock"), 'while [[ $1 == -* ]]; do shift; done\nshift\nexec "$@"\n')
        write_script(os.path.join(self.bin, "xvfb-run"), 'shift\nexec "$@"\n')

    def tearDown(self):
        shutil.rmtree(self.root)

    def run_driver(self, skip, logs):
        shutil.rmtree(self.logs, ignore_errors=True)
        os.makedirs(self.logs)
        for stage, log in {"default": ONE_PASSED_LOG, **logs}.items():
            with open(os.path.join(self.logs, stage + ".txt"), "w") as file:
                file.write(log)
        env = {k: v for k, v in os.environ.items() if not k.startswith(("VLNT_", "GIT_"))}
        env.update(PATH=self.bin + os.pathsep + env["PATH"], VLNT_SKIP=skip, VLNT_JOBS="1")
        return bash('bash "$1"', os.path.join(self.root, "scripts", "test-all.sh"), env=env)

    def test_runs(self):
        cases = [
            # Every stage, one test of native skipped, one disabled, two failed.
            ("every stage", "", {"native": MIXED_LOG}, ALL_STAGES.split(),
             ["SKIPPED native: skip (Skipped)", "SKIPPED native: skiprc (Skipped)",
              "SKIPPED native: disabled (Disabled)", "FAILED native: 2 failed", "13 passed, 2 failed, 3 skipped"],
             1),
            # windows takes the two stages that run within it along.
            ("stages left out", "demo soak windows", {}, ["native", "production", "demo-leab", "fuzz", "asan", "tsan"],
             ["8 passed, 0 failed, 0 skipped; stages skipped: demo soak windows production-windows demo-windows"], 0),
        ]
        for name, skip, logs, stages, last_lines, status in cases:
            with self.subTest(name):
                result = self.run_driver(skip, logs)
                lines = result.stdout.splitlines()
                ran = []
                for line in lines:
                    match = re.match(r"=== \[([\w-]+)\]", line)
                    if match and match.group(1) not in ran:
                        ran.append(match.group(1))
                self.assertEqual(ran, stages, result.stdout + result.stderr)
                done = next(k for k, line in enumerate(lines) if line.startswith("=== done in "))
                self.assertEqual(lines[done + 1:], last_lines)
                self.assertEqual(result.returncode, status)

    def test_a_name_that_is_no_stage_ends_the_run_before_it_starts(self):
        result = self.run_driver("demo windwos", {})
        self.assertEqual(result.stdout, f'VLNT_SKIP: "windwos" is no stage; the stages are: {ALL_STAGES}\n')
        self.assertEqual(result.returncode, 2)


class CheckLayers(unittest.TestCase):
    FOLDERS = ["platform", "foundation", "settings", "app", "app/services", "simlink", "rtlink", "traffic",
               "refdata", "liveries", "airports", "updater"]

    def setUp(self):
        self.root = tempfile.mkdtemp()
        os.makedirs(os.path.join(self.root, "scripts"))
        shutil.copy(os.path.join(SCRIPTS, "check-layers.sh"), os.path.join(self.root, "scripts"))
        for folder in self.FOLDERS:
            os.makedirs(os.path.join(self.root, folder), exist_ok=True)
            self.write(folder + "/a.h", '#include "platform/b.h"\n')
        self.write("liveries/c.cpp", '#include "app/services/state.h"\n')

    def tearDown(self):
        shutil.rmtree(self.root)

    def write(self, path, text):
        with open(os.path.join(self.root, path), "a") as file:
            file.write(text)

    def check(self, env=None):
        return bash('bash "$1"', os.path.join(self.root, "scripts", "check-layers.sh"), env=env)

    def test_a_tree_that_keeps_its_layers_passes(self):
        result = self.check()
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertIn("every include keeps to its layer", result.stdout)

    def test_a_missing_folder_fails_the_check(self):
        for folder in ["updater", "app/services", "platform"]:
            with self.subTest(folder):
                moved = os.path.join(self.root, folder + "-renamed")
                os.rename(os.path.join(self.root, folder), moved)
                try:
                    result = self.check()
                finally:
                    os.rename(moved, os.path.join(self.root, folder))
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(f"the folder {folder}/ is missing", result.stdout)

    def test_a_folder_grep_cannot_read_fails_the_check(self):
        # A file below foundation/ that grep cannot open: a grep in front of
        # the real one says so and ends with status 2, as grep does (no file
        # mode would keep a test run as root out).
        bin_folder = os.path.join(self.root, "bin")
        os.makedirs(bin_folder)
        write_script(os.path.join(bin_folder, "grep"), f"""\
{shutil.which("grep")} "$@"
status=$?
if [[ $1 == -r* && " $* " == *" foundation "* ]]; then
  echo "grep: foundation/a.h: Permission denied" >&2
  exit 2
fi
exit $status
""")
        env = dict(os.environ, PATH=bin_folder + os.pathsep + os.environ["PATH"])
        result = self.check(env)
        self.assertEqual(result.returncode, 1, result.stdout)
        self.assertEqual([line for line in result.stdout.splitlines() if "could not read" in line],
                         ["layers: grep could not read every folder of: app/services settings foundation platform",
                          "layers: grep could not read every folder of: settings foundation platform"])

    def test_an_include_that_breaks_a_rule_fails_the_check(self):
        cases = [("foundation/d.h", '#include "app/main_window.h"'),
                 ("settings/d.h", '#include "liveries/state.h"'),
                 ("traffic/d.cpp", '#  include "app/main_window.h"')]
        for path, line in cases:
            with self.subTest(path):
                self.write(path, line + "\n")
                result = self.check()
                os.remove(os.path.join(self.root, path))
                self.assertEqual(result.returncode, 1, result.stdout)
                self.assertIn(f"{path}:1:{line}", result.stdout)


if __name__ == "__main__":
    unittest.main()
