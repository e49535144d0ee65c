#!/usr/bin/env bash
# The editor's start: Norvanex.exe without parameters against a minimal window program.
#   tools/bench/run-editor-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
here=$(dirname "${BASH_SOURCE[0]}")
exec bash "$here/run-windowed-bench.sh" "${1:-$here/../../build/win32}" "${2:-11}" \
  "both whole processes, from their start until the window is shown and the program waits for input." \
  editor_bench.exe bench_window.exe Norvanex.exe
