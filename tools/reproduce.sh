#!/usr/bin/env bash
# Shows that the release is reproducible: builds the shipped files a second time, from scratch, in
# another folder, compares them byte for byte with a first build, prints the SHA-256 of each file,
# and checks that no build folder and no source folder appears in any file of the zip.
#   tools/reproduce.sh              two fresh builds, both in folders of their own
#   tools/reproduce.sh build/win32  the cross build that is there already, against one fresh build
# Exit status 0 when every file is the same in both builds and the zip holds no build folder.
# KEEP=1 keeps the fresh build folders (their paths are printed).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)
files=(bin/Norvanex.exe bin/Norvanex.hlp bin/Norvanex.html bin/Norvanex_de.html)

work=$(mktemp -d "${TMPDIR:-/tmp}/norvanex-reproduce.XXXXXX")
[ "${KEEP:-}" = 1 ] || trap 'rm -rf "$work"' EXIT

build() {  # folder: configures and builds the package target there
    local dir=$1
    echo "== building the release in $dir"
    if ! cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
            >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"; return 1
    fi
    if ! cmake --build "$dir" -j "$jobs" --target package >"$dir.build.log" 2>&1; then
        tail -n 40 "$dir.build.log"; return 1
    fi
}

if [ $# -ge 1 ]; then
    first=$(cd "$1" && pwd)
    echo "== the first build: $first"
    cmake --build "$first" -j "$jobs" --target package >/dev/null || { echo "building $first failed"; exit 1; }
else
    first=$work/first
    build "$first" || exit 1
fi
# Another name and another depth than the first, so that a path written into a file shows.
second=$work/a-second-folder/elsewhere
mkdir -p "$(dirname "$second")"
build "$second" || exit 1

zip=$(cd "$second" && ls Norvanex-*-win32.zip)
status=0
printf '%-64s  %s\n' "SHA-256" "file"
for f in "${files[@]}" release/README.txt release/LICENSE.txt "$zip" SHA256SUMS; do
    a=$(sha256sum "$first/$f" 2>/dev/null | cut -d' ' -f1)
    b=$(sha256sum "$second/$f" 2>/dev/null | cut -d' ' -f1)
    if [ -n "$a" ] && [ "$a" = "$b" ]; then
        printf '%s  %s\n' "$a" "$f"
    else
        printf '%s  %s  DIFFERS from the first build (%s)\n' "${b:-missing}" "$f" "${a:-missing}"
        status=1
    fi
done
/usr/bin/python3 "$root/tools/release.py" scan "$second/$zip" "$first" "$second" "$root" || status=1
[ "${KEEP:-}" = 1 ] && echo "kept: $first $second"
if [ $status -eq 0 ]; then
    echo "reproducible: both builds give the same files"
else
    echo "NOT reproducible"
fi
exit $status
