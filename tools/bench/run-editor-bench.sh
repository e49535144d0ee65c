#!/usr/bin/env bash
# The start of the editor and of a kill run's result window against the editor's floor (its window
# and controls, nothing else) and two minimal window programs (without and with the program's
# manifest), all in one run, taking turns.
#   tools/bench/run-editor-bench.sh [BUILD-DIR [RUNS [EARLIER-Norvanex.exe]]]
# BUILD-DIR defaults to build/win32; EARLIER-Norvanex.exe, an earlier build, joins the turns.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
build=$(cd "${1:-$here/../../build/win32}" && pwd)
programs=(editor_bench.exe bench_window.exe bench_window_styled.exe editor_floor.exe bench_victim.exe Norvanex.exe)
if [ -n "${3:-}" ]; then
  cp "$3" "$build/bin/Norvanex_earlier.exe"
  trap 'rm -f "$build/bin/Norvanex_earlier.exe"' EXIT
  programs+=(Norvanex_earlier.exe)
  export BENCH_ARGS=Norvanex_earlier.exe
fi
bash "$here/run-windowed-bench.sh" "$build" "${2:-11}" \
  "every program a whole process, from before its start until its window is shown and it waits for input." \
  "${programs[@]}"
