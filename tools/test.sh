#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the native unit tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers for a short while, the Win32
# tests under Wine in a prefix and an Xvfb display of their own, and a second build of the release
# in another folder that must give the same bytes (tools/reproduce.sh).
#   tools/test.sh             all of it
#   FUZZ_SECONDS=600 tools/test.sh   a longer fuzzing run
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc)

bash tools/install-deps.sh || { echo "installing the build dependencies failed"; exit 1; }

summary=()
failed=0
run_suite() {  # name, build dir, cmake arguments...
    local name=$1 dir=$2
    shift 2
    echo "== $name"
    if ! cmake -S "$root" -B "$dir" "$@" >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"; summary+=("$name: configure failed"); failed=1; return
    fi
    if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log"; summary+=("$name: build failed"); failed=1; return
    fi
    ctest --test-dir "$dir" --output-on-failure -j 1 | tee "$dir.ctest.log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || failed=1
    summary+=("$name: $(grep -E 'tests passed' "$dir.ctest.log" | tail -n 1)")
}

mkdir -p build
run_suite "native unit tests (ASan, UBSan)" build/native -DNORVANEX_SANITIZE=ON
CC=clang CXX=clang++ run_suite "fuzzers" build/fuzz -DNORVANEX_FUZZ=ON \
    -DNORVANEX_FUZZ_SECONDS="${FUZZ_SECONDS:-30}"
run_suite "Win32 tests under Wine" build/win32 \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake"
echo "== reproducible release"
reproducible=0
if [ -f build/win32/bin/Norvanex.exe ] && bash tools/reproduce.sh build/win32 | tee build/reproduce.log; then
    summary+=("reproducible release: the same bytes from a second build in another folder")
    reproducible=1
else
    summary+=("reproducible release: FAILED (build/reproduce.log)"); failed=1
fi

echo
printf '%s\n' "${summary[@]}"
passed=0; fails=0
for log in build/native.ctest.log build/fuzz.ctest.log build/win32.ctest.log; do
    [ -f "$log" ] || continue
    line=$(grep -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
    [ -n "$line" ] || continue
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
    fails=$((fails + f)); passed=$((passed + t - f))
done
# The reproducibility check counts as one test.
if [ "$reproducible" -eq 1 ]; then passed=$((passed + 1)); else fails=$((fails + 1)); fi
echo "$passed passed, $fails failed"
exit $failed
