#!/usr/bin/env bash
# Runs the process-ending benchmark under Wine, in a prefix of its own that it removes again, and
# prints the markdown table headed by the date and the machine (for docs/BENCHMARKS.md). The
# victims are windowless, so no display is needed.
#   tools/bench/run-process-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=${1:-$root/build/win32}
runs=${2:-9}
for program in process_bench.exe bench_floor.exe bench_victim.exe; do
  [ -f "$build/bin/$program" ] || { echo "missing $build/bin/$program: build the cross build first" >&2; exit 1; }
done

prefix=$(mktemp -d /tmp/norvanex-bench.XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
}
trap cleanup EXIT

wineboot -i >/dev/null 2>&1
work=$prefix/drive_c/bench
mkdir -p "$work"
cp "$build/bin/process_bench.exe" "$build/bin/bench_floor.exe" "$build/bin/bench_victim.exe" "$work/"
# Output through a file: a pipe would stay open as long as any process that Wine started runs.
wine 'C:\bench\process_bench.exe' 'C:\bench\table.md' "$runs" >/dev/null 2>"$work/errors.txt" </dev/null ||
  { cat "$work/errors.txt" >&2; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) CPUs ($cpu), $(wine --version), median of $runs runs;"
echo "EndProcessesByName and the floor timed inside their process, taskkill as a whole process."
echo
tr -d '\r' <"$work/table.md"
