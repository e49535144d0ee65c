#!/usr/bin/env bash
# Shared by the benchmarks whose programs show windows: runs BENCH.exe under Wine inside a bench of
# its own (prefix and Xvfb, removed again) with the programs it measures beside it, and prints its
# markdown table headed by the date, the machine and its load (for docs/BENCHMARKS.md).
#   run-windowed-bench.sh BUILD-DIR RUNS WHAT-IS-TIMED BENCH.exe PROGRAM.exe...
# BENCH_ARGS, when set, is passed to BENCH.exe after its two arguments (words split at blanks).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "$1" && pwd)
runs=$2 timed=$3 bench_exe=$4
shift 3
for program in "$@"; do
  [ -f "$build/bin/$program" ] || { echo "missing $build/bin/$program: build the cross build first" >&2; exit 1; }
done

bench=$(mktemp -d "/tmp/norvanex-${bench_exe%.exe}.XXXXXX")
trap 'rm -rf "$bench"' EXIT
work=$bench/bin
mkdir -p "$work"
for program in "$@"; do cp "$build/bin/$program" "$work/"; done
# Output through a file: a pipe would stay open as long as any process that Wine started runs.
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bash "$root/tests/wine/bench/bench.sh" exec "$bench/bench" \
  bash -c 'wine "$1/$3" "$(winepath -w "$1/table.md")" "$2" ${4:-} </dev/null >/dev/null 2>"$1/errors.txt"' \
  run "$work" "$runs" "$bench_exe" "${BENCH_ARGS:-}" || { cat "$work/errors.txt" >&2; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) CPUs ($cpu), $(wine --version), median of $runs runs;"
echo "load average (1, 5, 15 min) $load_before before and $(cut -d' ' -f1-3 /proc/loadavg) after;"
echo "$timed"
echo
tr -d '\r' <"$work/table.md"
