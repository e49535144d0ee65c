#!/usr/bin/env bash
# The user's-wait benchmark: Norvanex.exe against the floor program and taskkill, plain and with
# ~close~ (windowed victims, against the closing floor program and taskkill without /F).
#   tools/bench/run-killrun-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
here=$(dirname "${BASH_SOURCE[0]}")
exec bash "$here/run-windowed-bench.sh" "${1:-$here/../../build/win32}" "${2:-9}" \
  "all three whole processes, from their start until the last victim has left the process list." \
  killrun_bench.exe bench_floor.exe close_floor.exe bench_victim.exe Norvanex.exe
