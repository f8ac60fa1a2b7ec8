#!/usr/bin/env bash
# The whole program under load and link faults, the way a user runs it: the
# program against both stand-ins with a busy region around Schiphol (up to
# 500 aircraft in range, static parking at 100 %), while faults come on a
# schedule: bursts of malformed and oversize datagrams, RealTraffic's command
# link going away and coming back, the simulator refusing every title for a
# while and stalling its frames, a second program start, the settings folder
# made read-only, a typed install path (a restart of the run), and at the end
# the simulator dropping the connection, refusing titles until the program
# gives up, and quitting (after each end the soak starts the program again,
# as the user would).
#
# Once a second it samples the program's resident memory, threads and open
# handles (/proc natively, tools/proc_sample under Wine) and the program's own
# counters (tick durations, live and static aircraft; VLNT_COUNTERS_FILE),
# writes soak.csv and soak.svg beside the stand-in simulator's map, and ends
# with one verdict line per rule (scripts/soak_report.py).
#
#   scripts/soak.sh              the native program
#   scripts/soak.sh --windows    the Windows build under Wine (on Xvfb)
#   scripts/soak.sh --asan       the AddressSanitizer build (build/asan)
#   scripts/soak.sh --tsan       the ThreadSanitizer build (build/tsan)
#   scripts/soak.sh --check      exit code 1 unless every verdict holds
#
#   VLNT_SOAK_SECONDS   length of the run (default 1800)
#   VLNT_SOAK_AIRCRAFT  aircraft in range at once (default 500)
#   VLNT_SOAK_DIR       where the run goes (default build/soak, build/soak-windows, ...)
#   VLNT_SOAK_SCHEDULE  a file of faults in place of the schedule below
#   VLNT_JOBS           parallel build jobs (default: number of cores)
#
# It runs in a network and mount namespace of its own when it can (the
# program's fixed ports are then its own, and the settings folder can be made
# read-only even for root), else under the demo's lock (VLNT_SOAK_LOCKED=1:
# the caller holds it).
set -uo pipefail
# The whole body is one block, read before it runs: a long run is not
# disturbed when the file changes meanwhile.
{
cd "$(dirname "$0")/.."
root=$(pwd)
self=$root/scripts/soak.sh

mode=native
check=0
for arg in "$@"; do
  case $arg in
    --windows) mode=windows ;;
    --asan) mode=asan ;;
    --tsan) mode=tsan ;;
    --check) check=1 ;;
    *) echo "usage: scripts/soak.sh [--windows|--asan|--tsan] [--check]" >&2; exit 2 ;;
  esac
done
seconds=${VLNT_SOAK_SECONDS:-1800}
aircraft=${VLNT_SOAK_AIRCRAFT:-500}
jobs=${VLNT_JOBS:-$(nproc)}
if [[ $mode == native ]]; then dir=${VLNT_SOAK_DIR:-$root/build/soak}; else dir=${VLNT_SOAK_DIR:-$root/build/soak-$mode}; fi
case $dir in /*) ;; *) dir=$root/$dir ;; esac
say() { echo "soak: $*"; }

# --- build (once, before the namespace) ------------------------------------
if [[ -z ${VLNT_SOAK_INSIDE:-} ]]; then
  bash scripts/install-deps.sh || { say "installing the build dependencies failed"; exit 1; }
  export CCACHE_DIR=${CCACHE_DIR:-${VLNT_CACHE:-$HOME/.cache}/vlnt-ccache} CCACHE_BASEDIR=$root CCACHE_NOHASHDIR=1
  launchers=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  say "building the stand-ins and the program natively"
  cmake -S . -B build/native -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launchers[@]}" >/dev/null &&
    cmake --build build/native -j"$jobs" --target velantra_p3d simulator realtraffic download_site vlnt_data ||
    { say "the native build failed"; exit 1; }
  case $mode in
    windows)
      say "building the Windows program"
      prefix=$(bash scripts/build-windows-deps.sh | tail -n1) && [[ -d $prefix ]] &&
        cmake -S . -B build/windows -G Ninja -DCMAKE_BUILD_TYPE=Release -DVLNT_BUILD_BENCH=OFF \
          -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DVLNT_WIN_DEPS="$prefix" "${launchers[@]}" \
          >/dev/null &&
        cmake --build build/windows -j"$jobs" --target velantra_p3d vlnt_data proc_sample window_type ||
        { say "the Windows build failed"; exit 1; } ;;
    asan | tsan)
      say "building the program with the ${mode^^} sanitizer"
      sanitizer=address
      [[ $mode == tsan ]] && sanitizer=thread
      cmake -S . -B "build/$mode" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
        -DCMAKE_C_FLAGS_DEBUG=-g1 -DVLNT_BUILD_BENCH=OFF -DVLNT_SANITIZE=$sanitizer "${launchers[@]}" >/dev/null &&
        cmake --build "build/$mode" -j"$jobs" --target velantra_p3d ||
        { say "the $mode build failed"; exit 1; } ;;
  esac
  if unshare -mn true 2>/dev/null; then
    exec unshare -mn env VLNT_SOAK_INSIDE=namespace bash "$self" "$@"
  fi
  [[ -n ${VLNT_SOAK_LOCKED:-} ]] && exec env VLNT_SOAK_INSIDE=lock bash "$self" "$@"
  say "no namespace of its own: waiting for the demo's lock (the program's fixed ports)"
  exec flock -o /tmp/vlnt-demo.lock env VLNT_SOAK_INSIDE=lock bash "$self" "$@"
fi
if [[ $VLNT_SOAK_INSIDE == namespace ]]; then
  ip link set lo up || { say "the loopback of the namespace did not come up"; exit 1; }
fi
# The Windows program needs a display.
if [[ $mode == windows ]] && [[ -z ${DISPLAY:-} ]] && [[ -z ${VLNT_SOAK_ON_XVFB:-} ]]; then
  VLNT_SOAK_ON_XVFB=1 exec xvfb-run -a bash "$self" "$@"
fi

native=$root/build/native
case $mode in
  windows) program_build=$root/build/windows ;;
  asan | tsan) program_build=$root/build/$mode ;;
  *) program_build=$native ;;
esac

# --- the run folder (as the demo prepares it) -----------------------------
rm -rf "$dir"
run=$dir/run
mkdir -p "$run/docs" "$run/input" "$run/output" "$dir/P3D v5/Scenery" "$dir/simulator" "$dir/realtraffic" \
  "$dir/logs" "$dir/site/downloads/P3D/archive/stock"
cp "$native"/input/*.enc "$run/input/"
liveries=$root/data/LiveriesScanned.xml
cp "$liveries" "$run/output/"
program_version=$(sed -nE 's/.*kProgramVersionText = "([0-9]+\.[0-9]+\.[0-9]+)".*/\1/p' settings/program_version.h)
major=${program_version%%.*}
data_version=$major.0.0
mkdir -p "$dir/site/downloads/$major"
cp "$run"/input/*.enc "$dir/site/downloads/$major/"
cp data/stands/*.xml "$dir/site/downloads/P3D/archive/stock/"
json_version() { IFS=. read -r ma mi pa <<<"$1"; printf '{"major": %s, "minor": %s, "patch": %s}' "$ma" "$mi" "$pa"; }
{
  printf '{\n  "p3d": %s' "$(json_version "$program_version")"
  for item in airports aig liveries addons dbase; do printf ',\n  "%s": %s' "$item" "$(json_version "$data_version")"; done
  printf '\n}\n'
} >"$dir/site/downloads/versions.json"

if [[ $mode == windows ]]; then
  export WINEPREFIX=$dir/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  say "preparing a Wine prefix"
  wineboot -i >/dev/null 2>&1
  roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
  install_path=$(winepath -w "$dir/P3D v5" 2>/dev/null)
  program=(wine "$program_build/velantra_p3d.exe")
  counters_file=$(winepath -w "$dir/counters.csv" 2>/dev/null)
else
  roaming=$dir/appdata
  install_path="$dir/P3D v5"
  program=("$program_build/velantra_p3d")
  counters_file=$dir/counters.csv
  export APPDATA=$roaming
fi
settings=$roaming/Velantra_P3D
mkdir -p "$settings" "$roaming/InsideSystems"
touch "$roaming/InsideSystems/RealTraffic.jar"
{
  printf '<?xml version="1.0" encoding="UTF-8"?>\n<root>\n  <parameters>\n'
  printf '    <parameter name="%s" value="%s" />\n' SIM_INSTALL_PATH "${install_path//&/&amp;}" \
    SCAN_LIVERIES false SCAN_AIRPORTS false AUTO_RANGE false RANGE 40 MAX_LIVE_SEL 500 MAX_PARK_SEL 500 \
    CUSTOM_PARKING_PERCENTAGE 100
  for key in AIRPORTS_VERSION AIG_VERSION LIV_SCAN_VERSION ADDONS_SCAN_VERSION DBASE_VERSION; do
    printf '    <parameter name="%s" value="%s" />\n' "$key" "$data_version"
  done
  printf '  </parameters>\n</root>\n'
} >"$settings/parameters.xml"

# --- the busy scenario ------------------------------------------------------
say "writing the busy scenario ($aircraft aircraft in range, $seconds s)"
"$native/tools/realtraffic" busy --stands data/stands/EHAM.xml --out "$dir/realtraffic/busy.txt" \
  --aircraft "$aircraft" --seconds "$seconds" --seed 1 | sed 's/^/  /' || { say "no busy scenario"; exit 1; }

# --- the stand-ins ------------------------------------------------------------
pids=()
stop_all() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; }
trap stop_all EXIT
started=$(date +%s)
now() { echo $(($(date +%s) - started)); }
event() { echo "$(date +%s),$*" >>"$dir/events.csv"; }
echo "unix,kind,what,detail" >"$dir/events.csv"

setsid "$native/tools/download_site" --root "$dir/site/downloads" --ports-file "$dir/site/ports.json" \
  >"$dir/site/download_site.out" 2>&1 &
site_pid=$!
pids+=("$site_pid")
setsid "$native/tools/simulator" --scenario tools/simulator/scenarios/eham_demo.txt --out "$dir/simulator" \
  --tcp6 off --pipe off --record-frames off --record-bulk off --quiet --ports-file "$dir/simulator/ports.json" \
  --installed-titles "$liveries" --control "$dir/simulator/control.txt" ${WINEPREFIX:+--wine-prefix "$WINEPREFIX"} \
  >"$dir/simulator/simulator.out" 2>&1 &
simulator_pid=$!
pids+=("$simulator_pid")
# (A long wait: it only ends a run whose stand-in is broken.)
for _ in $(seq 600); do [[ -s $dir/simulator/ports.json && -s $dir/site/ports.json ]] && break; sleep 0.1; done
port4=$(sed -nE 's/.*"port4": *([0-9]+).*/\1/p' "$dir/simulator/ports.json" 2>/dev/null)
site_port=$(sed -nE 's/.*"port": *([0-9]+).*/\1/p' "$dir/site/ports.json" 2>/dev/null)
[[ -n $port4 && -n $site_port ]] || { say "a stand-in did not start"; cat "$dir"/simulator/simulator.out "$dir"/site/*.out; exit 1; }
printf '[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%s\n' "$port4" >"$run/SimConnect.cfg"
export VLNT_DOWNLOAD_SITE="http://127.0.0.1:$site_port/downloads/"
export no_proxy="127.0.0.1${no_proxy:+,$no_proxy}" NO_PROXY="127.0.0.1${NO_PROXY:+,$NO_PROXY}"
setsid "$native/tools/realtraffic" command --sessions 0 --control "$dir/realtraffic/control.txt" \
  --connect-attempts 1000000 --retry-ms 250 --transcript "$dir/realtraffic/transcript.txt" \
  --replay "$dir/realtraffic/busy.txt" --primer --quiet >"$dir/realtraffic/realtraffic.out" 2>&1 &
realtraffic_pid=$!
pids+=("$realtraffic_pid")

# --- the program --------------------------------------------------------------
export VLNT_COUNTERS_FILE=$counters_file
case $mode in
  asan) export ASAN_OPTIONS="detect_leaks=1:log_path=$dir/sanitizer" UBSAN_OPTIONS="print_stacktrace=1:log_path=$dir/sanitizer" ;;
  tsan) export TSAN_OPTIONS="second_deadlock_stack=1:log_path=$dir/sanitizer" ;;
esac
# The headless host takes the window's commands on standard input.
commands=$dir/commands.fifo
mkfifo "$commands"
exec 7<>"$commands"
run_count=0
program_pid=0
start_program() {
  run_count=$((run_count + 1))
  (cd "$run" && exec setsid "${program[@]}") <"$commands" >"$dir/logs/program-$run_count.out" 2>&1 &
  program_pid=$!
  event "run,start,$run_count"
}
# A run that ended: its exit code, its log kept (the next start shifts it away).
end_of_run() {
  wait "$program_pid" 2>/dev/null
  local code=$?
  cp "$run/Log.txt" "$dir/logs/Log-$run_count.txt" 2>/dev/null
  event "run,end,$run_count $code"
  program_pid=0
  files_check
}
# What the user types into an edit field and confirms with Enter.
type_into_window() {  # control id, text
  if [[ $mode == windows ]]; then
    wine "$program_build/tools/window_type.exe" "$1" "$2" >>"$dir/logs/window_type.out" 2>&1
  else
    echo "type $1 $2" >&7
  fi
}

# --- faults -------------------------------------------------------------------
control() {  # stand-in, line
  printf '%s\n' "$2" >"$dir/$1/control.tmp" && mv "$dir/$1/control.tmp" "$dir/$1/control.txt"
}
settings_read_only() {  # on|off
  if [[ $VLNT_SOAK_INSIDE == namespace ]]; then
    if [[ $1 == on ]]; then mount --bind "$settings" "$settings" && mount -o remount,ro,bind "$settings"; else umount "$settings"; fi
  elif [[ $1 == on ]]; then
    chattr +i "$settings" "$settings/parameters.xml" 2>/dev/null
  else
    chattr -i "$settings" "$settings/parameters.xml" 2>/dev/null
  fi
  # Whether the program's saves fail now (a file system without immutable
  # files leaves the folder writable): the judge expects the failures logged
  # only then.
  local effective=0
  if [[ $1 == on ]] && ! touch "$settings/soak-probe" 2>/dev/null; then effective=1; fi
  rm -f "$settings/soak-probe"
  event "check,settings-ro,$effective"
}
second_start() {
  local code first_line
  first_line=$(head -n1 "$run/Log.txt" 2>/dev/null)
  (cd "$run" && timeout 60 "${program[@]}") </dev/null >"$dir/logs/second-start.out" 2>&1
  code=$?
  local same=0
  [[ $(head -n1 "$run/Log.txt" 2>/dev/null) == "$first_line" ]] && same=1
  local alive=0
  ((program_pid)) && kill -0 "$program_pid" 2>/dev/null && alive=1
  event "check,second-start,$code $alive $same"
}
lines() { if [[ -f $1 ]]; then wc -l <"$1"; else echo 0; fi; }
# Nothing lost: the settings, the park airport's file and the learned files
# load, as the program will load them next time.
files_check() {
  local bad
  bad=$(python3 scripts/soak_report.py --check-files "$settings/parameters.xml" "$run/airports" 2>&1)
  event "check,files,${bad:-ok}"
}
# Each fault is noted with where the program's log and the simulator's record
# stood, so the report reads what came after it.
# The user closes the window of a program that stopped with an error and
# waits (a SYSTEM ERROR is never restarted by the program itself).
close_program() {
  if [[ $mode == windows ]]; then wine taskkill /im velantra_p3d.exe >/dev/null 2>&1; else kill -TERM "$program_pid"; fi
}
close_after_error() {
  local waiting=0
  # The log is written in batches; the marked error line comes at once.
  if ((program_pid)) && grep -qE "^(Exiting: SYSTEM ERROR|===> Error [0-9]+)" "$run/Log.txt" 2>/dev/null; then
    waiting=1
    close_program
  fi
  event "check,user-close,$waiting"
}
fault() {
  files_check
  event "fault,$1,$(lines "$run/Log.txt") $(lines "$dir/simulator/simulator-record.jsonl") ${*:2}"
  case $1 in
    burst) control realtraffic "burst $2 $3" ;;
    link) control realtraffic "drop-link $2" ;;
    refuse) control simulator "refuse-titles $2" ;;
    frames) control simulator "frames $2" ;;
    second-start) second_start ;;
    install-path) type_into_window 32788 "$install_path" ;;
    settings-ro) settings_read_only "$2" ;;
    user-close) close_after_error ;;
    drop) control simulator drop ;;
    quit) control simulator quit ;;
  esac
}
# The schedule: faults the program rides out while its first run goes on
# (memory is judged over that run), a typed install path (a restart of the
# run) while the settings folder is read-only, then the simulator drops the
# connection; in a run of 10 minutes or more it then refuses every title long enough that
# the program stops with its error for too many liveries that could not be
# created (it waits for the user, whom the soak plays: it closes the window)
# and at last it quits. The soak starts the program again after each end.
if ((seconds >= 1200)); then
  warm=300 gap=45 quit_at=$((seconds - 150)) refuse_at=$((seconds - 300)) drop_at=$((seconds - 430))
elif ((seconds >= 600)); then
  # The long refusal once the command link is back after the drop.
  warm=150 gap=45 quit_at=$((seconds - 100)) refuse_at=$((seconds - 220)) drop_at=$((seconds - 330))
else
  warm=35 gap=0 drop_at=115 quit_at=0 refuse_at=0  # the new run's traffic well before the end
fi
schedule=("$warm burst 40 4" "$((warm + 7)) link 10" "$((warm + 21)) refuse on" "$((warm + 26)) refuse off"
  "$((warm + 33)) frames off" "$((warm + 38)) frames on" "$((warm + 41)) second-start"
  "$((warm + 43)) settings-ro on" "$((warm + 45)) install-path" "$((warm + 49)) settings-ro off")
t=$((warm + 49 + 3 * gap))
if ((gap && t + 5 * gap < drop_at - 30)); then  # the same again, longer, once the restart has settled
  schedule+=("$t burst 200 20" "$((t + gap)) link 60" "$((t + 3 * gap)) frames off" "$((t + 3 * gap + 20)) frames on"
    "$((t + 4 * gap)) second-start")
fi
schedule+=("$((drop_at - 10)) settings-ro on" "$drop_at drop" "$((drop_at + 30)) settings-ro off")
if ((quit_at)); then
  schedule+=("$((drop_at + 70)) burst 40 4" "$((drop_at + 90)) link 20" "$quit_at quit")
fi
if ((refuse_at)); then
  schedule+=("$refuse_at refuse on" "$((refuse_at + 40)) refuse off" "$((refuse_at + 50)) user-close")
fi
# A schedule of one's own (lines "<second> <fault> [<args>]"), to look into one fault.
[[ -n ${VLNT_SOAK_SCHEDULE:-} ]] && mapfile -t schedule <"$VLNT_SOAK_SCHEDULE"
mapfile -t schedule < <(printf '%s\n' "${schedule[@]}" | sort -n)
printf '%s\n' "${schedule[@]}" >"$dir/schedule.txt"

# --- the run ------------------------------------------------------------------
say "running for $seconds s in $dir (Ctrl-C ends it earlier)"
echo "unix,pid,rss_kb,threads,handles" >"$dir/proc.csv"
if [[ $mode == windows ]]; then
  wine "$program_build/tools/proc_sample.exe" velantra_p3d.exe 1000 $((seconds + 300)) \
    "$(winepath -w "$dir/proc_sample.stop" 2>/dev/null)" 2>/dev/null | tr -d '\r' |
    awk -F, 'NR > 1 { print $1 "," $2 "," $3 "," $5 "," $6; fflush() }' >>"$dir/proc.csv" &
  sampler_pid=$!
fi
sample() {
  [[ $mode == windows ]] && return
  local pid=$program_pid rss="" threads="" handles=""
  if ((pid)) && [[ -r /proc/$pid/status ]]; then
    read -r rss threads < <(awk '/^VmRSS:/ { r = $2 } /^Threads:/ { t = $2 } END { print r, t }' "/proc/$pid/status")
    handles=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
  fi
  echo "$(date +%s),$pid,$rss,$threads,$handles" >>"$dir/proc.csv"
}
start_program
interrupted=0
trap 'interrupted=1' INT
next=0
restart_at=0
while ((!interrupted)); do
  t=$(now)
  ((t >= seconds)) && break
  while ((next < ${#schedule[@]})); do
    read -r at what rest <<<"${schedule[next]}"
    ((at > t)) && break
    fault "$what" $rest
    next=$((next + 1))
  done
  if ((program_pid)) && ! kill -0 "$program_pid" 2>/dev/null; then
    end_of_run
    restart_at=$((t + 5))  # the user starts the program again
  fi
  if ((!program_pid && restart_at && t >= restart_at)); then
    restart_at=0
    start_program
  fi
  sample
  sleep 1
done
trap - INT
settings_read_only off 2>/dev/null

# --- the end --------------------------------------------------------------------
source scripts/wait-for.sh
if ((program_pid)); then
  say "closing the program"
  event "run,close,$run_count"
  close_program
  for ((w = 0; w < 600 && program_pid; ++w)); do
    kill -0 "$program_pid" 2>/dev/null || end_of_run
    ((program_pid)) && sleep 0.1
  done
  if ((program_pid)); then
    kill -KILL "$program_pid" 2>/dev/null
    end_of_run
  fi
fi
control realtraffic stop
wait_for "$realtraffic_pid" 60
realtraffic_rc=$?
kill -INT "$simulator_pid" 2>/dev/null
wait_for "$simulator_pid" 60
simulator_rc=$?
kill -TERM "$site_pid" 2>/dev/null
wait_for "$site_pid" 60
if [[ $mode == windows ]]; then
  touch "$dir/proc_sample.stop"
  wait "$sampler_pid" 2>/dev/null
fi
trap - EXIT
exec 7>&-
event "stand-ins,realtraffic,$realtraffic_rc"
event "stand-ins,simulator,$simulator_rc"

python3 scripts/soak_report.py --dir "$dir" --mode "$mode" --seconds "$seconds" --aircraft "$aircraft" \
  --warm-up "$warm"
verdict=$?
echo
say "where things are"
echo "  verdicts and figures      $dir/verdicts.txt"
echo "  samples (CSV), plot (SVG) $dir/soak.csv, $dir/simulator/soak.svg (beside simulator-map.svg)"
echo "  the program's logs        $dir/logs/ (Log-N.txt and program-N.out per run)"
echo "  faults and runs           $dir/events.csv, $dir/schedule.txt"
echo "  stand-ins                 $dir/simulator/, $dir/realtraffic/"
if ((check && verdict != 0)); then exit 1; fi
exit 0
}
