#!/usr/bin/env bash
# Runs the editor-start benchmark (Norvanex.exe without parameters against a minimal window program)
# under Wine, inside a bench of its own (prefix and Xvfb), and prints the markdown table headed by the
# date and the machine (for docs/BENCHMARKS.md).
#   tools/bench/run-editor-bench.sh [BUILD-DIR [RUNS]]     BUILD-DIR defaults to build/win32
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
runs=${2:-11}
for program in editor_bench.exe bench_window.exe Norvanex.exe; do
  [ -f "$build/bin/$program" ] || { echo "missing $build/bin/$program: build the cross build first" >&2; exit 1; }
done

bench=$(mktemp -d /tmp/norvanex-editor-bench.XXXXXX)
trap 'rm -rf "$bench"' EXIT
work=$bench/bin
mkdir -p "$work"
cp "$build/bin/editor_bench.exe" "$build/bin/bench_window.exe" "$build/bin/Norvanex.exe" "$work/"
# Output through a file: a pipe would stay open as long as any process that Wine started runs.
bash "$root/tests/wine/bench/bench.sh" exec "$bench/bench" \
  bash -c 'wine "$1/editor_bench.exe" "$(winepath -w "$1/table.md")" "$2" </dev/null >/dev/null 2>"$1/errors.txt"' \
  run "$work" "$runs" || { cat "$work/errors.txt" >&2; exit 1; }

cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//')
echo "Measured $(date -u +%Y-%m-%d) on $(nproc) CPUs ($cpu), $(wine --version), median of $runs runs;"
echo "both whole processes, from their start until the window is shown and the program waits for input."
echo
tr -d '\r' <"$work/table.md"
