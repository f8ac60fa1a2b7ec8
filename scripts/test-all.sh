#!/usr/bin/env bash
# Builds both builds from this tree and runs every test: native, a production
# run of the program, the main job's demo with the stand-ins and its add-on
# airport scenario (one test each), the fuzz targets for 15 s each, the soak
# of 3 minutes (one test), Windows under Wine with its own production run and
# demo, and the native tests again under ASan+UBSan and under TSan.
# Ends with one line "N passed, N failed" and a non-zero exit on any failure.
#   VLNT_JOBS       parallel jobs (default: number of cores)
#   VLNT_SKIP       space-separated stages to skip: native production demo
#                   demo-leab fuzz soak windows production-windows demo-windows
#                   asan tsan
# The demos use the program's fixed ports: each runs under the lock
# /tmp/vlnt-demo.lock, as `make demo` is run by hand.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

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
failures=()

# Runs ctest in a build folder and adds its counts to the totals.
run_ctest() {
  local stage=$1 dir=$2
  shift 2
  local log="$dir/ctest-output.txt"
  (cd "$dir" && "$@" ctest --output-on-failure -j"$jobs") 2>&1 | tee "$log"
  local summary
  summary=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [[ -z $summary ]]; then
    echo "[$stage] ctest gave no summary"
    failed=$((failed + 1))
    failures+=("$stage: no test summary")
    return
  fi
  local total fail
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
  fail=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
  passed=$((passed + total - fail))
  failed=$((failed + fail))
  ((fail == 0)) || failures+=("$stage: $fail failed")
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
  failures+=("tree: an include breaks the layer rules")
fi

if [[ $skip != *" native "* ]]; then
  build native build/native "${native_flags[@]}" && run_ctest native build/native
fi

# The real program started with its switch, as a scheduled task would.
if [[ $skip != *" production "* ]]; then
  run_stage production "a production run of the program" \
    env VLNT_JOBS="$jobs" bash scripts/demo.sh --production --check
fi

# The program's main job for 60 s with both stand-ins, as `make demo` runs it.
if [[ $skip != *" demo "* ]]; then
  run_stage demo "the main job for 60 s" \
    flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --check
fi

# The second scenario: the scan of an add-on airport's scenery at start.
if [[ $skip != *" demo-leab "* ]]; then
  run_stage demo-leab "the add-on airport scenario (LEAB) for 60 s" \
    flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --leab --check
fi

# Every libFuzzer target built with clang and run for 15 s, so none can rot.
if [[ $skip != *" fuzz "* ]]; then
  run_stage fuzz "the fuzz targets for 15 s each" env VLNT_JOBS="$jobs" bash scripts/fuzz.sh 15
fi

# The soak for 3 minutes: the program against both stand-ins with the busy
# scenario and the link faults (make soak runs it for 30).
if [[ $skip != *" soak "* ]]; then
  run_stage soak "the program under load and link faults for 180 s" \
    flock -o /tmp/vlnt-demo.lock env VLNT_SOAK_LOCKED=1 VLNT_SOAK_SECONDS=180 VLNT_JOBS="$jobs" bash scripts/soak.sh --check
fi

if [[ $skip != *" windows "* ]]; then
  echo "=== [windows] dependencies"
  if prefix=$(bash scripts/build-windows-deps.sh | tail -n1) && [[ -d $prefix ]]; then
    if build windows build/windows -DCMAKE_BUILD_TYPE=Release -DVLNT_BUILD_BENCH=OFF \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" -DVLNT_WIN_DEPS="$prefix"; then
      run_ctest windows build/windows xvfb-run -a
      # The real Windows program: started with its switch, and the main job
      # with its window, start-up, simulator link and RealTraffic for 60 s.
      if [[ $skip != *" production-windows "* ]]; then
        run_stage production-windows "a production run of the Windows program" \
          env VLNT_JOBS="$jobs" bash scripts/demo.sh --windows --production --check
      fi
      if [[ $skip != *" demo-windows "* ]]; then
        run_stage demo-windows "the Windows program's main job for 60 s" \
          flock /tmp/vlnt-demo.lock env VLNT_DEMO_SECONDS=60 VLNT_JOBS="$jobs" bash scripts/demo.sh --windows --check
      fi
    fi
  else
    failed=$((failed + 1))
    failures+=("windows: dependencies failed")
  fi
fi

if [[ $skip != *" asan "* ]]; then
  build asan build/asan "${sanitizer_flags[@]}" -DVLNT_SANITIZE=address &&
    run_ctest asan build/asan
fi

if [[ $skip != *" tsan "* ]]; then
  build tsan build/tsan "${sanitizer_flags[@]}" -DVLNT_SANITIZE=thread &&
    run_ctest tsan build/tsan
fi

echo "=== done in $((SECONDS - start)) s"
for f in "${failures[@]}"; do echo "FAILED $f"; done
echo "$passed passed, $failed failed"
((failed == 0))
