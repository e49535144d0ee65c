#!/usr/bin/env bash
# The task chooser's benchmark: ShowModal until the filled list is painted, with 200 extra
# processes, against a floor program that lists the same texts without icons.
#   tools/bench/run-chooser-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
here=$(dirname "${BASH_SOURCE[0]}")
exec bash "$here/run-windowed-bench.sh" "${1:-$here/../../build/win32}" "${2:-9}" \
  "both timed inside their process, from the call until the filled list is painted." \
  chooser_bench.exe chooser_floor.exe bench_victim.exe
