#!/usr/bin/env bash
# Runs the user's-wait benchmark (Norvanex.exe against the floor program and taskkill) under Wine,
# inside a bench of its own (prefix and Xvfb: Norvanex shows its result window), and prints the
# markdown table headed by the date, the machine and its load (for docs/BENCHMARKS.md).
#   tools/bench/run-killrun-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${2:-9}
for program in killrun_bench.exe bench_floor.exe bench_victim.exe Norvanex.exe; do
  [ -f "$build/bin/$program" ] || { echo "missing $build/bin/$program: build the cross build first" >&2; exit 1; }
done

bench=$(mktemp -d /tmp/norvanex-killrun-bench.XXXXXX)
trap 'rm -rf "$bench"' EXIT
work=$bench/bin
mkdir -p "$work"
cp "$build/bin/killrun_bench.exe" "$build/bin/bench_floor.exe" "$build/bin/bench_victim.exe" \
   "$build/bin/Norvanex.exe" "$work/"
# Output through a file: a pipe would stay open as long as any process that Wine started runs.
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
bash "$root/tests/wine/bench/bench.sh" exec "$bench/bench" \
  bash -c 'wine "$1/killrun_bench.exe" "$(winepath -w "$1/table.md")" "$2" </dev/null >/dev/null 2>"$1/errors.txt"' \
  run "$work" "$runs" || { cat "$work/errors.txt" >&2; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) CPUs ($cpu), $(wine --version), median of $runs runs;"
echo "load average (1, 5, 15 min) $load_before before and $(cut -d' ' -f1-3 /proc/loadavg) after;"
echo "all three whole processes, from their start until the last victim has left the process list."
echo
tr -d '\r' <"$work/table.md"
