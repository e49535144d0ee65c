#!/usr/bin/env bash
# Installs what building and testing Norvanex needs on Debian: the mingw-w64 i686 cross compiler,
# Wine with its 32-bit layer, Xvfb and Wine's fonts, clang for the fuzzers, imagemagick for
# screenshots, lnkinfo to read written shortcuts back. Quiet when everything is already there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
for p in cmake make g++ g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 \
         xvfb xauth fonts-wine imagemagick clang libclang-rt-14-dev libgtest-dev python3 python3-pil \
         liblnk-utils; do
  have "$p" || need+=("$p")
done
[ ${#need[@]} -eq 0 ] && exit 0

sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
