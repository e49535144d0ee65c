#!/usr/bin/env bash
# Opens a shell inside the Wine test bench of a cross build: WINEPREFIX, DISPLAY (the bench's own
# Xvfb) and WINEDEBUG set, so `wine bin/Norvanex.exe` runs on the desktop the tests use. The bench
# is set up when it is not up and torn down again on leaving.
#   tools/bench-shell.sh [BUILD_DIR]              an interactive shell (BUILD_DIR: build/win32)
#   tools/bench-shell.sh BUILD_DIR COMMAND...     one command instead, e.g.
#       tools/bench-shell.sh build/win32 wine build/win32/bin/Norvanex.exe
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
[ -d "$build" ] || { echo "no build folder $build (configure the cross build first)" >&2; exit 1; }
build=$(cd "$build" && pwd)
if [ $# -ge 2 ]; then
  shift
  exec bash "$root/tests/wine/bench/bench.sh" exec "$build/bench" "$@"
fi
exec bash "$root/tests/wine/bench/bench.sh" shell "$build/bench"
