#!/usr/bin/env bash
# The program's idle cost: it runs natively with the stand-in simulator and
# the stand-in RealTraffic's command link, without any traffic, for
# VLNT_IDLE_SECONDS (default 60); the demo reports the CPU time the kernel
# accounted to the program's process (all its threads) against the time it ran.
set -euo pipefail
cd "$(dirname "$0")/.."
VLNT_DEMO_SECONDS=${VLNT_IDLE_SECONDS:-60} VLNT_DEMO_DIR=${VLNT_DEMO_DIR:-build/idle-cost} \
  exec bash scripts/demo.sh --no-traffic --check
