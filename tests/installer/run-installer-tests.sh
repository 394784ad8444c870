#!/bin/sh
# Runs the installer tests under Wine in a fresh 64-bit prefix of their own, so that the setup
# program meets a system on which Kestrune was never registered. Stops that prefix's
# wineserver at the end; the prefix stays for a look afterwards and is replaced by the next run.
# Usage: run-installer-tests.sh SOURCE_DIR PREFIX TESTS_EXE SETUP_EXE x64|x86 [gtest options]
# (SETUP_EXE: the setup program to test, built for the architecture given after it.)
set -eu
KEST_ROOT=$1
prefix=$2
tests=$3
export KEST_SETUP_PROGRAM="$4"
export KEST_SETUP_ARCH="$5"
shift 5
. "$KEST_ROOT/scripts/wine-env.sh"
export WINEPREFIX="$prefix"
# A Start Menu shortcut would make Wine add a menu entry to the Unix desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

cleanup() { wineserver -k >/dev/null 2>&1 || true; }
trap cleanup EXIT INT TERM

cleanup
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
wineboot --init </dev/null >/dev/null 2>&1
wineserver -w
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
# One server for the whole run: each test starts several programs.
wineserver -p
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true
timeout 280 wine "$tests" --gtest_color=no "$@" </dev/null
