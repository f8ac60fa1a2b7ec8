#!/usr/bin/env bash
# Builds both builds from this tree and runs every test: native, a production
# run of the program, the main job's demo with the stand-ins and its add-on
# airport scenario (one test each), the fuzz targets for 15 s each, the soak
# of 3 minutes (one test), Windows under Wine with its own production run and
# demo, and the native tests again under ASan+UBSan and under TSan.
# Ends with one line "N passed, N failed, N skipped" (the tests that did not
# run: skipped by the test itself, or disabled), followed by
# "; stages skipped: ..." when stages were left out, and a non-zero exit on
# any failure.
#   VLNT_JOBS       parallel jobs (default: number of cores)
#   VLNT_SKIP       space-separated stages to skip: native production demo
#                   demo-leab fuzz soak windows production-windows demo-windows
#                   asan tsan (windows takes its two stages with it); a name
#                   that is no stage ends the run at once
# The demos use the program's fixed ports: each runs under the lock
# /tmp/vlnt-demo.lock, as `make demo` is run by hand.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
source scripts/test-counts.sh

stages=(native production demo demo-leab fuzz soak windows production-windows demo-windows asan tsan)
for name in ${VLNT_SKIP:-}; do
  if [[ " ${stages[*]} " != *" $name "* ]]; then
    echo "VLNT_SKIP: \"$name\" is no stage; the stages are: ${stages[*]}"
    exit 2
  fi
done

bash scripts/install-deps.sh || { echo "installing the build dependencies failed"; exit 1; }

jobs=${VLNT_JOBS:-$(nproc)}
cache_root=${VLNT_CACHE:-$HOME/.cache}
export CCACHE_DIR=${CCACHE_DIR:-$cache_root/vlnt-ccache}
export CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
export CCACHE_BASEDIR=$root
export CCACHE_NOHASHDIR=1
skip=" ${VLNT_SKIP:-} "
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

# Line tables (-g1) are enough for the stack traces of failing tests and of
# the sanitizers, and build much faster than full debug information.
native_flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG"
  "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG")
sanitizer_flags=(-DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 -DVLNT_BUILD_BENCH=OFF)

passed=0
failed=0
skipped=0
failures=()
skipped_tests=()
skipped_stages=()

# Whether the stage (the first name) runs; one left out with VLNT_SKIP is
# noted for the last line, with the stages that run only within it (the
# further names).
stage_runs() {
  if [[ $skip == *" $1 "* ]]; then
    skipped_stages+=("$@")
    return 1
  fi
  return 0
}

# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() {
  local stage=$1 dir=$2
  shift 2
  local log="$dir/ctest-output.txt"
  (cd "$dir" && "$@" ctest --output-on-failure -j"$jobs") 2>&1 | tee "$log"
  local counts stage_passed stage_failed stage_skipped name
  if ! counts=$(ctest_counts "$log"); then
    echo "[$stage] ctest gave no summary"
    failed=$((failed + 1))
    failures+=("$stage: no test summary")
    return
  fi
  read -r stage_passed stage_failed stage_skipped <<<"$(head -n1 <<<"$counts")"
  passed=$((passed + stage_passed))
  failed=$((failed + stage_failed))
  skipped=$((skipped + stage_skipped))
  ((stage_failed == 0)) || failures+=("$stage: $stage_failed failed")
  while IFS= read -r name; do
    skipped_tests+=("$stage: $name")
  done < <(tail -n +2 <<<"$counts")
}

# Runs one command as one test of the stage.
run_stage() {
  local stage=$1 what=$2
  shift 2
  echo "=== [$stage] $what"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$stage: $what failed (see build/$stage)")
  fi
}

# Configures and builds one build; a failure counts as one failed test.
build() {
  local stage=$1 dir=$2
  shift 2
  echo "=== [$stage] configure and build in $dir"
  if cmake -S . -B "$dir" -G Ninja -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache "$@" &&
    cmake --build "$dir" -j"$jobs"; then
    return 0
  fi
  echo "[$stage] build failed"
  failed=$((failed + 1))
  failures+=("$stage: build failed")
  return 1
}

start=$SECONDS
# CI runs .ci/run directly: it must stay executable in the repository.
if [[ $(git ls-files -s .ci/run 2>/dev/null | cut -c1-6) == 100755 ]] || [[ -x .ci/run && ! -d .git ]]; then
  passed=$((passed + 1))
else
  echo "[tree] .ci/run is not executable"
  failed=$((failed + 1))
  failures+=("tree: .ci/run is not executable")
fi

# The layers: each folder includes only what lies below it.
if bash scripts/check-layers.sh; then
  passed=$((passed + 1))
else
  failed=$((failed + 1))
  failures+=("tree: the layer check failed (see its lines above)")
fi

if stage_runs native; then
  build native build/native "${native_flags[@]}" && run_ctest native build/native
fi

# The real program started with its switch, as a scheduled task would.
if stage_runs production; then
  run_stage production "a production run of the program" \
    env VLNT_JOBS="$jobs" bash scripts/demo.sh --production --check
fi

# The program's main job for 60 s with both stand-ins, as `make demo` runs it.
if stage_runs demo; then
  run_stage demo "the main job for 60 s" \
    flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --check
fi

# The second scenario: the scan of an add-on airport's scenery at start.
if stage_runs demo-leab; then
  run_stage demo-leab "the add-on airport scenario (LEAB) for 60 s" \
    flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --leab --check
fi

# Every libFuzzer target built with clang and run for 15 s, so none can rot.
if stage_runs fuzz; then
  run_stage fuzz "the fuzz targets for 15 s each" env VLNT_JOBS="$jobs" bash scripts/fuzz.sh 15
fi

# The soak for 3 minutes: the program against both stand-ins with the busy
# scenario and the link faults (make soak runs it for 30).
if stage_runs soak; then
  run_stage soak "the program under load and link faults for 180 s" \
    flock -o /tmp/vlnt-demo.lock env VLNT_SOAK_LOCKED=1 VLNT_SOAK_SECONDS=180 VLNT_JOBS="$jobs" bash scripts/soak.sh --check
fi

if stage_runs windows production-windows demo-windows; then
  echo "=== [windows] dependencies"
  if prefix=$(bash scripts/build-windows-deps.sh | tail -n1) && [[ -d $prefix ]]; then
    if build windows build/windows -DCMAKE_BUILD_TYPE=Release -DVLNT_BUILD_BENCH=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DVLNT_WIN_DEPS="$prefix"; then
      run_ctest windows build/windows xvfb-run -a
      # The real Windows program: started with its switch, and the main job
      # with its window, start-up, simulator link and RealTraffic for 60 s.
      if stage_runs production-windows; then
        run_stage production-windows "a production run of the Windows program" \
          env VLNT_JOBS="$jobs" bash scripts/demo.sh --windows --production --check
      fi
      if stage_runs demo-windows; then
        run_stage demo-windows "the Windows program's main job for 60 s" \
          flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --windows --check
      fi
    fi
  else
    failed=$((failed + 1))
    failures+=("windows: dependencies failed")
  fi
fi

if stage_runs asan; then
  build asan build/asan "${sanitizer_flags[@]}" -DVLNT_SANITIZE=address &&
    run_ctest asan build/asan
fi

if stage_runs tsan; then
  build tsan build/tsan "${sanitizer_flags[@]}" -DVLNT_SANITIZE=thread &&
    run_ctest tsan build/tsan
fi

echo "=== done in $((SECONDS - start)) s"
for s in "${skipped_tests[@]}"; do echo "SKIPPED $s"; done
for f in "${failures[@]}"; do echo "FAILED $f"; done
summary_line "$passed" "$failed" "$skipped" "${skipped_stages[@]}"
((failed == 0))
