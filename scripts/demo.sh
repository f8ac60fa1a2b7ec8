#!/usr/bin/env bash
# The program's main job end to end on this machine, with the stand-in
# simulator and the stand-in RealTraffic in place of Prepar3D and RealTraffic:
# installs what is missing, builds, prepares a run folder, starts both
# stand-ins, runs the program, stops everything after VLNT_DEMO_SECONDS (or
# at Ctrl-C) and tells where the log and the stand-ins' records are.
#
#   scripts/demo.sh             the program natively, on its headless host
#   scripts/demo.sh --windows   the Windows build under Wine (on Xvfb when
#                               there is no display); the stand-ins run natively
#   scripts/demo.sh --no-traffic  the stand-in RealTraffic serves the command
#                               link but sends no traffic (the program idles)
#   scripts/demo.sh --production  a production run instead: the program alone,
#                               started with "--production", must read its
#                               settings and data set and end by itself with 0
#   scripts/demo.sh --leab      the second scenario: the user parked at
#                               Albacete (LEAB), whose add-on scenery lies in
#                               the demo's add-on folder (afolder0); the scan
#                               at start generates LEAB's airport file, which
#                               becomes the park airport's file, and static
#                               aircraft park on its stands (no live traffic)
#   scripts/demo.sh --real-feed the real-feed scenario: aircraft landing, taxiing
#                               in, pushed back, holding short, taking off, towed
#                               and standing at Schiphol, one standing with
#                               jumping reports, one whose reports dwell at spots
#                               beside the lane of one taxiing by whose stream
#                               pauses there, a helicopter landing and lifting
#                               off, one hover-taxiing, a landing stopping on its
#                               runway and backtracking, replayed as a real feed
#                               sends them
#                               (tools/realtraffic/scenarios/eham_real_feed.txt,
#                               realtraffic --real-feed); it then judges how
#                               faithfully the program moved each one on the
#                               ground (scripts/ground_fidelity.py)
#   scripts/demo.sh --check     also fails (exit code 1) unless the program
#                               ended with 0, the log shows the simulator
#                               connected, RealTraffic connected at level 2
#                               and traffic received, and both stand-ins
#                               report no protocol error (with --no-traffic:
#                               all but the traffic; with --leab also that
#                               the scan generated LEAB's file from its stands
#                               and the statics stand on them)
#
# Natively it also reports the program's own CPU time over the run.
#
#   VLNT_DEMO_SECONDS  how long the program runs (default 120; with --real-feed 820)
#   VLNT_DEMO_DIR      where the run goes (default build/demo, build/demo-windows,
#                      build/demo-leab, build/demo-real-feed)
#   VLNT_DEMO_SEED     the real feed's seed (default 1)
#   VLNT_DEMO_DELAY    the program's playback delay the real feed's judge
#                      compares with, in seconds (default 30)
#   VLNT_JOBS          parallel build jobs (default: number of cores)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

windows=0
check=0
traffic=1
production=0
leab=0
real_feed=0
for arg in "$@"; do
  case $arg in
    --windows) windows=1 ;;
    --check) check=1 ;;
    --no-traffic) traffic=0 ;;
    --production) production=1 ;;
    --leab) leab=1 traffic=0 ;;
    --real-feed) real_feed=1 ;;
    *) echo "usage: scripts/demo.sh [--windows] [--no-traffic | --leab | --production | --real-feed] [--check]" >&2
      exit 2 ;;
  esac
done
if ((real_feed && (leab || production || !traffic))); then
  echo "scripts/demo.sh: --real-feed replays traffic: not with --no-traffic, --leab or --production" >&2
  exit 2
fi
# The Windows program needs a display: the whole demo runs on a virtual one.
if ((windows)) && [[ -z ${DISPLAY:-} ]] && [[ -z ${VLNT_DEMO_ON_XVFB:-} ]]; then
  bash scripts/install-deps.sh || exit 1
  VLNT_DEMO_ON_XVFB=1 exec xvfb-run -a bash "$0" "$@"
fi

seconds=${VLNT_DEMO_SECONDS:-$((real_feed ? 820 : 120))}
jobs=${VLNT_JOBS:-$(nproc)}
demo_name=demo
((production)) && demo_name=production
((windows)) && demo_name+=-windows
((leab)) && demo_name+=-leab
((real_feed)) && demo_name+=-real-feed
demo=${VLNT_DEMO_DIR:-$root/build/$demo_name}
case $demo in /*) ;; *) demo=$root/$demo ;; esac

say() { echo "demo: $*"; }
failures=0
verdict() {  # condition text
  if eval "$1"; then echo "  ok    $2"; else echo "  FAIL  $2"; failures=$((failures + 1)); fi
}
source scripts/demo-statics.sh

# --- build --------------------------------------------------------------
bash scripts/install-deps.sh || { say "installing the build dependencies failed"; exit 1; }
export CCACHE_DIR=${CCACHE_DIR:-${VLNT_CACHE:-$HOME/.cache}/vlnt-ccache}
export CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
say "building the stand-ins (and the program) natively"
cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launchers[@]}" >/dev/null &&
  cmake --build build/native -j"$jobs" --target velantra_p3d simulator realtraffic download_site livery_tree vlnt_data ||
  { say "the native build failed"; exit 1; }
native=$root/build/native
if ((windows)); then
  say "building the Windows program"
  prefix=$(bash scripts/build-windows-deps.sh | tail -n1) && [[ -d $prefix ]] &&
    cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLNT_BUILD_BENCH=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DVLNT_WIN_DEPS="$prefix" "${launchers[@]}" \
      >/dev/null &&
    cmake --build build/windows -j"$jobs" --target velantra_p3d vlnt_data window_check ||
    { say "the Windows build failed"; exit 1; }
  program_build=$root/build/windows
else
  program_build=$native
fi

# --- the run folder -----------------------------------------------------
# run/: the program's install folder (docs, the enciphered data set,
# SimConnect.cfg naming the stand-in); a Prepar3D folder for the install
# path; the roaming AppData folder with the program's settings and the
# marker that RealTraffic is installed on this PC.
rm -rf "$demo"
run=$demo/run
mkdir -p "$run/docs" "$run/input" "$demo/P3D v5/Scenery" "$demo/simulator"
cp "$program_build"/input/*.enc "$run/input/"
# The liveries the demo's simulator has installed: aircraft folders written
# from data/LiveriesScanned.xml, which the program's livery scan reads (the
# setting lfolder0), while the stand-in simulator creates exactly the titles
# of that file.
liveries=$root/data/LiveriesScanned.xml
airplanes="$demo/P3D v5/SimObjects/Airplanes"
"$native/tools/livery_tree" --results "$liveries" --out "$airplanes" >"$demo/livery_tree.out" 2>&1 ||
  { say "writing the simulator's aircraft folders failed:"; cat "$demo/livery_tree.out"; exit 1; }

# --- the download site's version list and data files ----------------------
# $demo/site/downloads/ is what the stand-in download site (started below)
# serves: the version list and the data files of this major version. The
# list names the versions installed in the run folder, so the version check
# at start finds nothing to do.
site=$demo/site
program_version=$(sed -nE 's/.*kProgramVersionText = "([0-9]+\.[0-9]+\.[0-9]+)".*/\1/p' settings/program_version.h)
major=${program_version%%.*}
data_version=$major.0.0
mkdir -p "$site/downloads/$major"
cp "$run"/input/*.enc "$site/downloads/$major/"
json_version() { IFS=. read -r ma mi pa <<<"$1"; printf '{"major": %s, "minor": %s, "patch": %s}' "$ma" "$mi" "$pa"; }
{
  printf '{\n  "p3d": %s' "$(json_version "$program_version")"
  for item in airports aig liveries addons dbase; do printf ',\n  "%s": %s' "$item" "$(json_version "$data_version")"; done
  printf '\n}\n'
} >"$site/downloads/versions.json"
version_parameters=$(for key in AIRPORTS_VERSION AIG_VERSION LIV_SCAN_VERSION ADDONS_SCAN_VERSION DBASE_VERSION; do
  printf '    <parameter name="%s" value="%s" />\n' "$key" "$data_version"
done)
if ((windows)); then
  export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  say "preparing a Wine prefix"
  wineboot -i >/dev/null 2>&1
  roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  install_path=$(winepath -w "$demo/P3D v5" 2>/dev/null)
  livery_folder=$(winepath -w "$airplanes" 2>/dev/null)
  program=("wine" "$program_build/velantra_p3d.exe")
else
  roaming=$demo/appdata
  install_path="$demo/P3D v5"
  livery_folder=$airplanes
  program=("$program_build/velantra_p3d")
  export APPDATA=$roaming
fi
mkdir -p "$roaming/Velantra_P3D" "$roaming/InsideSystems"
touch "$roaming/InsideSystems/RealTraffic.jar"
xml_path=${install_path//&/&amp;}
xml_livery_folder=${livery_folder//&/&amp;}
# The LEAB scenario: the airport's real scenery files as an add-on. Without
# add-on folders the airport scan stays off (it would end the run with the
# error that asks the user to name them).
addon_parameter="    <parameter name=\"SCAN_AIRPORTS\" value=\"false\" />"
scenario=tools/simulator/scenarios/eham_demo.txt
if ((leab)); then
  # Installed as scenery of the publisher "Pixel Runways", whose archive does
  # not hold LEAB: the scan generates its file, and what the program learned
  # there before (a week of stand uses, data/stands/learned/LEAB.xml) lies in
  # the learned folder of that publisher.
  scenario=tools/simulator/scenarios/leab_demo.txt
  scenery="$demo/addons/Pixel Runways LEAB/scenery"
  mkdir -p "$scenery" "$run/airports/learned/thirdparty/Pixel Runways"
  cp tests/airports/data/bgl/LEAB_ADEP5_ARV187.bgl tests/airports/data/bgl/LEAB_ADEP5_ARV187_ALT.bgl \
    tests/airports/data/bgl/LEAB_ADEP4_ARV187_CVX.bgl tests/airports/data/bgl/LICENSE "$scenery/"
  cp data/stands/learned/LEAB.xml "$run/airports/learned/thirdparty/Pixel Runways/"
  addon_path=$demo/addons
  ((windows)) && addon_path=$(winepath -w "$addon_path" 2>/dev/null)
  addon_parameter="    <parameter name=\"afolder0\" value=\"${addon_path//&/&amp;}\" />"
fi
# A fixed 40 nm radius, as the replayed scenario expects: the automatic one
# would shrink it around the parked user and leave the first arrivals out.
cat >"$roaming/Velantra_P3D/parameters.xml" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<root>
  <parameters>
    <parameter name="SIM_INSTALL_PATH" value="$xml_path" />
$addon_parameter
    <parameter name="SCAN_LIVERIES" value="true" />
    <parameter name="lfolder0" value="$xml_livery_folder" />
    <parameter name="AUTO_RANGE" value="false" />
    <parameter name="RANGE" value="40" />
    <parameter name="MAX_PARK_SEL" value="10" />
$version_parameters
  </parameters>
</root>
EOF

# --- a production run: the program alone, ending by itself ---------------
if ((production)); then
  say "a production run of the program (--production)"
  (cd "$run" && exec "${program[@]}" --production) >"$demo/program.out" 2>&1 &
  program_pid=$!
  for ((t = 0; t < 1200; ++t)); do kill -0 "$program_pid" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$program_pid" 2>/dev/null; then
    kill -KILL "$program_pid" 2>/dev/null
    ((windows)) && wineserver -k >/dev/null 2>&1
  fi
  wait "$program_pid"
  program_rc=$?
  log=$run/Log.txt
  echo
  say "results"
  verdict '((program_rc == 0))' "the program ended by itself with exit code 0 (got $program_rc)"
  verdict 'grep -qE "^ +[0-9]+ dbase records read$" "$log"' "the log shows the data base read"
  verdict 'grep -qE "^ +[0-9]+ airports read$" "$log"' "the log shows the airport list read"
  verdict '! grep -qE "^(==> )?Error [0-9]+:" "$log"' "the log shows no error"
  echo "  program log              $log"
  if ((check && failures)); then exit 1; fi
  exit 0
fi

# --- the stand-ins ------------------------------------------------------
# Each runs in a session of its own, so Ctrl-C reaches only this script,
# which then ends everything in order.
pids=()
stop_all() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
}
trap stop_all EXIT

# The replayed scenario, and with --real-feed the replay as a real feed sends
# it, its truth (each aircraft's noise-free position over time) and the
# stand-in simulator's log of where each AI object was.
rt_scenario=tools/realtraffic/scenarios/eham_demo.txt
real_feed_replay=()
positions=()
if ((real_feed)); then
  rt_scenario=tools/realtraffic/scenarios/eham_real_feed.txt
  real_feed_replay=(--real-feed="${VLNT_DEMO_SEED:-1}" --truth "$demo/realtraffic/truth.csv")
  positions=(--positions "$demo/simulator/simulator-positions.csv")
fi

# The replayed (noise-free) positions by callsign, for the stand-in
# simulator's map and summary of how closely each AI object followed its
# replayed track.
reference=()
if ((traffic)); then
  "$native/tools/realtraffic" generate "$rt_scenario" |
    awk '{ sub(/^[^ ]+ /, ""); split($0, f, ","); if (f[1] == "TFC" && f[10] != "" && f[10] !~ / /) print f[10], f[3], f[4], f[5] }' \
      >"$demo/simulator/replayed.txt" && reference=(--reference "$demo/simulator/replayed.txt")
fi

say "starting the stand-in simulator"
# The Windows program names its flight plans by Windows paths: the native
# stand-in reads them through the Wine prefix.
wine_prefix=()
((windows)) && wine_prefix=(--wine-prefix "$WINEPREFIX")
setsid "$native/tools/simulator" --scenario "$scenario" --out "$demo/simulator" \
  --tcp6 off --pipe off --record-frames off --quiet --ports-file "$demo/simulator/ports.json" \
  --installed-titles "$liveries" "${reference[@]}" --stands data/stands/EHAM.xml "${wine_prefix[@]}" "${positions[@]}" \
  >"$demo/simulator/simulator.out" 2>&1 &
simulator_pid=$!
pids+=("$simulator_pid")
# (Each wait for a stand-in is long: it only ends a run whose stand-in is broken.)
for _ in $(seq 600); do [[ -s $demo/simulator/ports.json ]] && break; sleep 0.1; done
port4=$(sed -nE 's/.*"port4": *([0-9]+).*/\1/p' "$demo/simulator/ports.json" 2>/dev/null)
[[ -n $port4 ]] || { say "the stand-in simulator did not start:"; cat "$demo/simulator/simulator.out"; exit 1; }
printf '[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%s\n' "$port4" >"$run/SimConnect.cfg"

mkdir -p "$demo/realtraffic"
statics_prepare
replay=()
if ((traffic)); then
  say "starting the stand-in RealTraffic (command link and the scenario $rt_scenario)"
  replay=(--replay "$rt_scenario" --primer --quiet "${real_feed_replay[@]}")
  ((statics_on || real_feed)) && replay+=(--clock "$statics_clock")
else
  say "starting the stand-in RealTraffic (command link only, no traffic)"
fi
setsid "$native/tools/realtraffic" command --transcript "$demo/realtraffic/transcript.txt" \
  --timeout $((seconds + 120)) "${replay[@]}" >"$demo/realtraffic/realtraffic.out" 2>&1 &
realtraffic_pid=$!
pids+=("$realtraffic_pid")

# --- the download site ----------------------------------------------------
# The maker's download site, on the loopback address: the archive holds the
# data set's stand files (data/stands), so the park airport gets its stands.
mkdir -p "$demo/site/downloads/P3D/archive/stock"
cp data/stands/*.xml "$demo/site/downloads/P3D/archive/stock/"
say "starting the stand-in download site"
setsid "$native/tools/download_site" --root "$demo/site/downloads" --ports-file "$demo/site/ports.json" \
  >"$demo/site/download_site.out" 2>&1 &
site_pid=$!
pids+=("$site_pid")
for _ in $(seq 600); do [[ -s $demo/site/ports.json ]] && break; sleep 0.1; done
site_port=$(sed -nE 's/.*"port": *([0-9]+).*/\1/p' "$demo/site/ports.json" 2>/dev/null)
[[ -n $site_port ]] || { say "the stand-in download site did not start:"; cat "$demo/site/download_site.out"; exit 1; }
export VLNT_DOWNLOAD_SITE="http://127.0.0.1:$site_port/downloads/"
export no_proxy="127.0.0.1${no_proxy:+,$no_proxy}" NO_PROXY="127.0.0.1${NO_PROXY:+,$NO_PROXY}"

# --- the program ----------------------------------------------------------
say "running the program for $seconds s (Ctrl-C ends it earlier)"
(cd "$run" && exec setsid "${program[@]}") <"$statics_stdin" >"$demo/program.out" 2>&1 &
program_pid=$!
pids+=("$program_pid")
started=$(date +%s.%N)

# --- pictures of the window (Windows) -------------------------------------
# Every 20 s a picture of the main window goes to screenshots/; the checker
# prints a hash of the "live:" counter's pixels, so the pictures tell whether
# the counter changed. The last one is checked against the layout of a run
# with traffic.
shots=$demo/screenshots
live_pictures=()
window_picture() {  # name [--expect traffic]
  local line
  line=$(wine "$program_build/tools/window_check.exe" --png "$(winepath -w "$shots/$1.png" 2>/dev/null)" \
    --wait 5 "${@:2}" 2>/dev/null | tr -d '\r' | tee -a "$shots/checks.txt")
  live_pictures+=("$(sed -n 's/^live-counter //p' <<<"$line")")
  grep -q '^ok:' <<<"$line"
}
((windows)) && mkdir -p "$shots"

interrupted=0
trap 'interrupted=1' INT
for ((t = 0; t < seconds * 10 && !interrupted; ++t)); do
  kill -0 "$program_pid" 2>/dev/null || break
  if ((windows && t > 0 && t % 200 == 0)); then window_picture "$(printf 't%03d' $((t / 10)))"; fi
  statics_step "$t"
  sleep 0.1
done
trap - INT
window_ok=0
if ((windows)) && kill -0 "$program_pid" 2>/dev/null; then
  window_picture with-traffic --expect traffic && window_ok=1
fi
# The program's own CPU time (user and system) so far, from the kernel's account of it.
cpu_ticks=""
if ((!windows)) && [[ -r /proc/$program_pid/stat ]]; then
  cpu_ticks=$(sed -E 's/^.*\) //' "/proc/$program_pid/stat" | awk '{print $12 + $13}')
  elapsed=$(awk -v now="$(date +%s.%N)" -v start="$started" 'BEGIN {print now - start}')
fi

# The window's close button: SIGTERM natively, WM_CLOSE under Wine.
if kill -0 "$program_pid" 2>/dev/null; then
  say "closing the program"
  if ((windows)); then wine taskkill /im velantra_p3d.exe >/dev/null 2>&1; else kill -TERM "$program_pid"; fi
fi
source scripts/wait-for.sh
wait_for "$program_pid" 60
program_rc=$?
wait_for "$realtraffic_pid" 60
realtraffic_rc=$?
kill -INT "$simulator_pid" 2>/dev/null
wait_for "$simulator_pid" 60
simulator_rc=$?
kill -TERM "$site_pid" 2>/dev/null
wait_for "$site_pid" 60
site_rc=$?
trap - EXIT

# --- what happened --------------------------------------------------------
log=$run/Log.txt
found() { grep -qE "$1" "$log" 2>/dev/null; }
echo
say "results"
verdict '((program_rc == 0))' "the program ended with exit code 0 (got $program_rc)"
verdict 'found "^.* connected$" && found "Prepar3D v5 .* connected"' "the log shows the simulator connected"
verdict 'found "^RealTraffic connected$" && found "^RT .* edition: prof$"' "the log shows RealTraffic connected at level 2"
((traffic)) && verdict 'found "First traffic received"' "the log shows traffic received"
if ((leab)); then
  scan_log=$run/output/info/AirportsScanLog.txt
  generated=$run/airports/my_thirdparty/LEAB.xml
  verdict 'grep -q "^Generated LEAB.xml: 69 positions, of which 1 helipad$" "$scan_log" 2>/dev/null' \
    "the scan at start generated LEAB's airport file from the add-on scenery's 69 stands"
  verdict '[[ $(grep -c "<parkpos " "$generated" 2>/dev/null) == 69 ]]' "$generated holds the 69 stands"
  verdict 'found "^Airport file read from .airports/my_thirdparty/LEAB.xml. for Los Llanos$"' \
    "the generated file was read as the park airport's file"
  leab_statics() {  # the static aircraft the stand-in created, against LEAB's stands in the generated file
    python3 - "$generated" "$demo/simulator/simulator-record.jsonl" "$demo/simulator/simulator-world.json" \
      "$demo/simulator/simulator-map.svg" <<'PY'
import json, math, sys, xml.etree.ElementTree as ET
generated, record, world, svg = sys.argv[1:5]
stands = {p.get("id"): (float(p.get("latitude")), float(p.get("longitude")))
          for p in ET.parse(generated).getroot().iter("parkpos")}
def metres(a, b):
    dlat = math.radians(b[0] - a[0]); dlon = math.radians(b[1] - a[1])
    h = math.sin(dlat / 2) ** 2 + math.cos(math.radians(a[0])) * math.cos(math.radians(b[0])) * math.sin(dlon / 2) ** 2
    return 2 * 6371000 * math.asin(math.sqrt(h))
def stand_at(p):
    name, where = min(stands.items(), key=lambda s: metres(p, s[1]))
    return name if metres(p, where) < 2 else "none"
placed = []
for line in open(record, encoding="utf-8"):
    if '"AICreateNonATCAircraft"' in line:
        f = json.loads(line)["fields"]
        if f["tailNumber"].endswith("*"):
            placed.append(stand_at((f["position"]["latitude"], f["position"]["longitude"])))
shown = open(svg, encoding="utf-8").read()
live = [o for o in json.load(open(world))["aiObjects"] if o["tailNumber"].endswith("*")]
mapped = all(f">{o['tailNumber']}<" in shown for o in live)
print(len(placed), " ".join(sorted(placed)), "mapped" if live and mapped else "unmapped")
PY
  }
  read -r leab_count leab_rest <<<"$(leab_statics 2>/dev/null)"
  verdict '[[ $leab_count == 5 && $leab_rest == "r2 r74 r75 r77 r78 mapped" ]]' \
    "5 static aircraft were parked on LEAB's stands where the scenery puts them, and the stand-in's map shows them (${leab_count:-0}: ${leab_rest:-})"
fi
# The run folder holds no livery scan result yet, so the version check asks
# for the livery scan (and records the version) instead of finding it up to date.
all_up_to_date() {
  for item in p3d airports aig addons dbase; do found "^$item version up-to-date$" || return 1; done
  found "^liveries updated to $data_version$"
}
verdict 'all_up_to_date' "the version check found the program and every data set up to date, and asked for the livery scan"
verdict '((simulator_rc == 0))' "the stand-in simulator saw no protocol error (exit code $simulator_rc)"
verdict '((realtraffic_rc == 0))' "the stand-in RealTraffic saw no protocol error (exit code $realtraffic_rc)"
verdict '((site_rc == 0))' "the stand-in download site saw no protocol error (exit code $site_rc)"
# The window's live counter as traffic comes and goes: the headless host's
# panel lines natively, the pictures of the counter under Wine.
if ((windows)); then
  changes=$(printf '%s\n' "${live_pictures[@]}" | grep -v '^$' | uniq | wc -l)
  if ((traffic)); then
    verdict '((window_ok))' "the window shows the layout of a run with traffic ($shots/with-traffic.png)"
    verdict '((changes > 1))' "the live counter changed between the pictures ($changes different of ${#live_pictures[@]})"
  fi
else
  counts=$(sed -nE 's/.*\| live: *([0-9]+) .*/\1/p' "$demo/program.out" | uniq | tr '\n' ' ')
  echo "  the window's live counter showed: ${counts:-nothing}"
fi
# The traffic engine's part, from the stand-in simulator's record: AI
# aircraft created (with the tail number and livery title the program sent)
# and removed. The replay's first airliner is created about 35 s into the run;
# the one the feed loses after 75 s is removed about 110 s into it.
record=$demo/simulator/simulator-record.jsonl
created=$(grep -c '"kind":"AICreateNonATCAircraft"' "$record" 2>/dev/null)
removed=$(grep -c '"kind":"AIRemoveObject"' "$record" 2>/dev/null)
if ((traffic)); then
  verdict 'grep -qE "\"kind\":\"AICreateNonATCAircraft\".*\"title\":\"[^\"]+\",\"tailNumber\":\"[^\"]+\"" "$record"' \
    "an airliner was created in the stand-in simulator as an AI object with a livery title"
  ((seconds >= 120)) && verdict '((removed >= 1))' "an airliner the replay stopped sending was removed again"
fi
echo "  the stand-in simulator created ${created:-0} AI aircraft and removed ${removed:-0}"
# The livery scan's part: the scan of the simulator's aircraft folders found
# exactly the liveries they were written from.
livery_lines() { grep -o '<l .*/>' "$1" 2>/dev/null | sort; }
verdict 'found "liveries scan manual starts" && [[ -s $run/output/LiveriesScanned.xml ]] &&
  [[ "$(livery_lines "$run/output/LiveriesScanned.xml")" == "$(livery_lines "$liveries")" ]]' \
  "the livery scan found every livery of the simulator's aircraft folders"
# The liveries' part: each creation's title is the one the matching logged
# for that aircraft ("={step}= title"), the stand-in (which creates only the
# titles of data/LiveriesScanned.xml) refused none, and at the end the log
# has the matching summary.
if ((traffic)); then
  unmatched=$(grep '"kind":"AICreateNonATCAircraft"' "$record" 2>/dev/null |
    sed -E 's/.*"title":"([^"]*)".*/\1/' | sort -u | while IFS= read -r title; do
      grep -qF "= $title" "$log" || echo "$title"
    done)
  verdict '((created >= 1)) && [[ -z $unmatched ]]' "every AI aircraft was created with the livery the matching logged for it"
  verdict '! found "could not be created by your Sim"' "the stand-in simulator created every livery title it was given"
  verdict 'found "live traffic livery matching summary"' "the log has the livery matching summary"
  grep -E "^ {10}.* =[0-6s]= " "$log" 2>/dev/null | sed -E 's/^ +/  matched: /'
fi
((seconds >= 120)) && statics_results
# The stands: each aircraft's stand as the program logged it, and what the
# stand-in simulator saw of the AI objects on the stands of data/stands/EHAM.xml.
# Within two minutes an arrival taxis onto stand D4 and parks, and a
# departure is pushed back from stand D5.
stands=$demo/simulator/simulator-stands.txt
if ((traffic)); then
  grep -E "(arrived at stand|parks|pulling out)$" "$log" 2>/dev/null | sed -E 's/^ *([^ :]+) *: *([^ ]+) +/  stand \1: \2 /'
  grep -v '^[^ ]*\* ' "$stands" 2>/dev/null | sed 's/^/  stand-in: /'  # the live ones (static callsigns end in *)
  if ((seconds >= 120)); then
    verdict 'found "arrived at stand$" && grep -q "came to rest on stand" "$stands"' \
      "an arrival parked on a stand (the log and the stand-in agree)"
    verdict 'grep -q "and left it" "$stands"' "a departure left the stand it was created on"
    # No aircraft slid sideways: on the ground each kept its nose (its tail
    # in a push-back) within 30 degrees of the way it moved.
    no_slides() {
      awk '/ on the ground, heading at most / { n++; for (i = 1; i < NF; i++) if ($i == "most" && $(i + 1) > 30) bad = 1 }
           END { exit !(n > 0 && !bad) }' "$stands" 2>/dev/null
    }
    ((real_feed)) || verdict no_slides "no aircraft slid sideways on the ground (the stand-in's largest angles above)"
  fi
  # A run of 830 seconds or more has seen the rest of the scenario: the
  # departure pushed back from E3 takes off and climbs away, both arrivals
  # land and come to rest on their stands. The stand-in's world dump holds
  # each object's track, and an object is on the ground where the stand-in
  # itself takes it to be: within its static CG height (9 ft) and 2 ft of
  # the terrain.
  if ((!real_feed && seconds >= 830)); then
    # callsign -> "<objects> <lift-off s|-> <highest ft above the field after it> <touch-down s|->",
    # the times on the stand-in's clock, for its first object.
    flight_story() {
      python3 - "$demo/simulator/simulator-world.json" "$1" <<'PY'
import json, sys
world = json.load(open(sys.argv[1]))
field = world["terrainElevationFt"]
objects = [o for o in world["aiObjects"] if o["tailNumber"] == sys.argv[2]]
track = objects[0]["track"] if objects else []
ground = [p[3] - field <= 9.0 + 2.0 for p in track]
lift = next((k for k in range(1, len(track)) if ground[k - 1] and not ground[k]), None)
down = next((k for k in range(1, len(track)) if not ground[k - 1] and ground[k]), None)
highest = max((p[3] - field for p in track[lift:]), default=0.0) if lift is not None else 0.0
print(len(objects), f"{track[lift][0]:.0f}" if lift is not None else "-", f"{highest:.0f}",
      f"{track[down][0]:.0f}" if down is not None else "-")
PY
    }
    rested_on() { grep -qE "^$1 \(object [0-9]+\):.* came to rest on stand $2$" "$stands" 2>/dev/null; }
    read -r klc_objects klc_lift klc_highest _ <<<"$(flight_story KLC1671 2>/dev/null)"
    verdict '[[ $klc_objects == 1 && $klc_lift != - ]] && ((${klc_highest:-0} >= 1000)) &&
      grep -qE "^KLC1671 \(object [0-9]+\): created on stand E3 and left it" "$stands"' \
      "the departure KLC1671 left E3, took off and climbed away (the stand-in: ${klc_objects:-0} object(s), off the ground at ${klc_lift:--} s of its clock, at most ${klc_highest:-0} ft above the field after)"
    for arrival in KLM1234:D8 BAW432:D14; do
      callsign=${arrival%:*} stand=${arrival#*:}
      read -r arr_objects arr_lift _ arr_down <<<"$(flight_story "$callsign" 2>/dev/null)"
      verdict '[[ $arr_objects == 1 && $arr_down != - && $arr_lift == - ]] && rested_on "$callsign" "$stand"' \
        "the arrival $callsign landed after its final and came to rest on $stand (the stand-in: ${arr_objects:-0} object(s), on the ground at ${arr_down:--} s of its clock, off it again at ${arr_lift:--} s)"
    done
  fi
fi
# The real feed: each aircraft on the ground against its truth at the
# program's delayed time (the per-aircraft angle there replaces the one
# verdict on slides).
if ((real_feed)); then
  echo
  say "ground fidelity under the real feed (seed ${VLNT_DEMO_SEED:-1})"
  python3 scripts/ground_fidelity.py --truth "$demo/realtraffic/truth.csv" \
    --positions "$demo/simulator/simulator-positions.csv" --stand-report "$stands" \
    --world "$demo/simulator/simulator-world.json" --rotorcraft PHMAA,PHMAB --log "$log" \
    --delay "${VLNT_DEMO_DELAY:-30}" >"$demo/ground-fidelity.txt" 2>&1
  cat "$demo/ground-fidelity.txt"
  judged=$(grep -cE '^  (ok|FAIL|MISS) ' "$demo/ground-fidelity.txt")
  verdict '((judged > 0))' "the ground fidelity was judged ($judged verdicts above)"
  failures=$((failures + $(grep -c '^  FAIL ' "$demo/ground-fidelity.txt")))
fi
if [[ -n $cpu_ticks ]]; then
  awk -v ticks="$cpu_ticks" -v hz="$(getconf CLK_TCK)" -v seconds="$elapsed" 'BEGIN {
    cpu = ticks / hz
    printf "  the program used %.2f s of CPU time in %.1f s: %.2f %% of one core\n", cpu, seconds, 100 * cpu / seconds }'
fi
if [[ -s $demo/simulator/simulator-summary.txt ]]; then
  echo
  say "AI objects: phases reached and the largest distance from the replayed track while airborne"
  sed 's/^/  /' "$demo/simulator/simulator-summary.txt"
fi
echo
say "where things are"
echo "  program log              $log"
echo "  program output           $demo/program.out"
echo "  simulator record (JSONL) $demo/simulator/simulator-record.jsonl"
echo "  simulator world dump     $demo/simulator/simulator-world.json"
echo "  simulator map (SVG)      $demo/simulator/simulator-map.svg"
echo "  simulator summary        $demo/simulator/simulator-summary.txt"
echo "  ground map and stands    $demo/simulator/simulator-ground-map.svg, $stands"
echo "  RealTraffic transcript   $demo/realtraffic/transcript.txt"
if ((real_feed)); then
  echo "  the feed's truth (CSV)   $demo/realtraffic/truth.csv"
  echo "  AI objects' positions    $demo/simulator/simulator-positions.csv"
  echo "  ground fidelity          $demo/ground-fidelity.txt"
fi
((windows)) && echo "  window pictures          $shots/ (with-traffic.png, t020.png, ...; checks.txt)"
echo "  stand-ins' output        $demo/simulator/simulator.out, $demo/realtraffic/realtraffic.out"
echo "  download site's requests $demo/site/download_site.out"
if ((leab)); then
  echo "  add-on scenery           $demo/addons"
  echo "  airport scan log         $run/output/info/AirportsScanLog.txt"
  echo "  generated airport file   $run/airports/my_thirdparty/LEAB.xml"
fi
if ((check && failures)); then exit 1; fi
exit 0
