#!/usr/bin/env bash
# Runs the task chooser's benchmark (ShowModal until the filled list is painted, with 200 extra
# processes, against a floor program) under Wine, inside a bench of its own (prefix and Xvfb: the
# chooser is a window), and prints the markdown table headed by the date and the machine (for
# docs/BENCHMARKS.md).
#   tools/bench/run-chooser-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${2:-9}
for program in chooser_bench.exe chooser_floor.exe bench_victim.exe; do
  [ -f "$build/bin/$program" ] || { echo "missing $build/bin/$program: build the cross build first" >&2; exit 1; }
done

bench=$(mktemp -d /tmp/norvanex-chooser-bench.XXXXXX)
trap 'rm -rf "$bench"' EXIT
work=$bench/bin
mkdir -p "$work"
cp "$build/bin/chooser_bench.exe" "$build/bin/chooser_floor.exe" "$build/bin/bench_victim.exe" "$work/"
# Output through a file: a pipe would stay open as long as any process that Wine started runs.
bash "$root/tests/wine/bench/bench.sh" exec "$bench/bench" \
  bash -c 'wine "$1/chooser_bench.exe" "$(winepath -w "$1/table.md")" "$2" </dev/null >/dev/null 2>"$1/errors.txt"' \
  run "$work" "$runs" || { cat "$work/errors.txt" >&2; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) CPUs ($cpu), $(wine --version), median of $runs runs;"
echo "both timed inside their process, from the call until the filled list is painted."
echo
tr -d '\r' <"$work/table.md"
