#!/usr/bin/env bash
# The first and the second use of what the editor builds or binds at its first use (the about box,
# the task chooser, the open and the save dialog), optionally beside an earlier build of the editor.
#   tools/bench/run-firstuse-bench.sh [BUILD-DIR [RUNS [EARLIER-Norvanex.exe]]]
# Each command comes a second after the editor appeared; with FIRSTUSE_IMMEDIATE=1 at once.
set -euo pipefail
here=$(dirname "${BASH_SOURCE[0]}")
build=$(cd "${1:-$here/../../build/win32}" && pwd)
runs=${2:-9}
programs=(firstuse_bench.exe bench_victim.exe Norvanex.exe)
editors=()
[ "${FIRSTUSE_IMMEDIATE:-0}" = 1 ] && editors+=(IMMEDIATE)
if [ -n "${3:-}" ]; then
  # The earlier build joins the programs beside the bench under a name of its own.
  cp "$3" "$build/bin/Norvanex_earlier.exe"
  trap 'rm -f "$build/bin/Norvanex_earlier.exe"' EXIT
  programs+=(Norvanex_earlier.exe)
  editors+=(Norvanex_earlier.exe)
fi
editors+=(Norvanex.exe)
BENCH_ARGS="${editors[*]}" bash "$here/run-windowed-bench.sh" "$build" "$runs" \
  "from the command until the window it opens is visible and answers; each action in a fresh editor." \
  "${programs[@]}"
