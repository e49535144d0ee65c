#!/usr/bin/env bash
# Installs what is missing, builds Norvanex.exe and starts it under Wine: without arguments the
# shortcut editor, with arguments a kill run with that call line.
#   tools/run.sh                    the editor
#   tools/run.sh winword.exe r:...  a kill run
# With a display (DISPLAY set) the program runs there, in the prefix build/run-prefix. Without one it
# runs inside an Xvfb and a prefix of its own, a screenshot is taken after a few seconds, its path is
# printed, and everything is stopped again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash tools/install-deps.sh
cmake -S "$root" -B build/win32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build build/win32 -j "$(nproc)" --target Norvanex >/dev/null
exe=$root/build/win32/bin/Norvanex.exe
echo "built $exe"

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX=$root/build/run-prefix WINEDEBUG=-all
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        wineboot -i >/dev/null 2>&1
        cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
        wineserver -k || true
    fi
    exec wine "$exe" "$@"
fi

shot=$root/build/screenshots/run.png
mkdir -p "$(dirname "$shot")"
bash tests/wine/bench/bench.sh exec "$root/build/run-bench" bash -c '
    exe=$1 shot=$2
    shift 2
    wine "$exe" "$@" </dev/null >/dev/null 2>&1 &
    sleep 6
    import -window root "$shot"
    wineserver -k 2>/dev/null || true
' run "$exe" "$shot" "$@"
echo "screenshot: $shot"
