#!/bin/sh
# Installs what the build and the tests need on Debian 12, when something is missing:
# MinGW-w64 (posix threads), Wine with 32-bit support, Xvfb, CMake, Ninja, GoogleTest sources,
# NSIS (the installer), chmcmd (the help file) and extract_chmLib with Python (the help test).
set -eu

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
[ -x /usr/lib/wine/wine ] || need="$need wine32:i386"
[ -f /usr/src/googletest/CMakeLists.txt ] || need="$need googletest"
have makensis || need="$need nsis"
have chmcmd || need="$need fp-utils"
have extract_chmLib || need="$need libchm-bin"
have python3 || need="$need python3"

[ -z "$need" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "installing:$need"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $need >/dev/null
