#!/bin/sh
# Installs what the build and the tests need on Debian 12, when something is missing:
# MinGW-w64 (posix threads), Wine (64-bit, and 32-bit where the machine runs 32-bit code),
# Xvfb, CMake, Ninja, GoogleTest sources, NSIS (the installers), chmcmd (the help file) and
# extract_chmLib with Python (the help test). Extra package names given as arguments are
# installed too when their command (the part before an optional ':') is missing.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
. scripts/machine.sh

need=""
have() { command -v "$1" >/dev/null 2>&1; }
have i686-w64-mingw32-g++-posix || need="$need g++-mingw-w64-i686-posix"
have x86_64-w64-mingw32-g++-posix || need="$need g++-mingw-w64-x86-64-posix"
have i686-w64-mingw32-windres || need="$need binutils-mingw-w64-i686"
have x86_64-w64-mingw32-windres || need="$need binutils-mingw-w64-x86-64"
have cmake || need="$need cmake"
have ninja || need="$need ninja-build"
have Xvfb || need="$need xvfb"
have xauth || need="$need xauth"
have wine || need="$need wine"
[ -x /usr/lib/wine/wine64 ] || need="$need wine64"
# Debian's wine wrapper starts the 32-bit loader whenever it is installed: where that loader
# cannot run, installing it would break every wine call, so it is installed only where it runs.
with_i386=""
if can_run_i386; then
    with_i386=yes
    [ -x /usr/lib/wine/wine ] || need="$need wine32:i386"
fi
[ -f /usr/src/googletest/CMakeLists.txt ] || need="$need googletest"
have makensis || need="$need nsis"
have chmcmd || need="$need fp-utils"
have extract_chmLib || need="$need libchm-bin"
have python3 || need="$need python3"
for extra in "$@"; do
    have "${extra%%:*}" || need="$need ${extra#*:}"
done

[ -z "$need" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "installing:$need"
if [ -n "$with_i386" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi

# A mirror in the middle of a sync serves an index of the wrong size, and apt-get update
# fails; the indexes it did fetch are still usable.
updated=""
for attempt in 1 2 3; do
    if $sudo apt-get update -qq; then updated=yes; break; fi
    echo "apt-get update failed (attempt $attempt of 3)"
    [ "$attempt" -lt 3 ] && sleep 10
done

install() {
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" $need >/dev/null
}
if install; then exit 0; fi
# Without a security index, apt cannot pair i386 packages with their newer amd64 versions;
# every package at the release's own version still fits together.
echo "installing at the newest versions failed; trying the versions of the release itself (-t bookworm)"
if install -t bookworm; then exit 0; fi
echo "could not install:$need" >&2
echo "tried: apt-get update (3 attempts, ${updated:-none succeeded}), apt-get install, apt-get install -t bookworm" >&2
exit 1
