#!/bin/sh
# Creates a fresh Wine prefix for the run: no crash dialog, services started detached.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
. scripts/wine-env.sh

wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
wineboot --init </dev/null >/dev/null 2>&1
wineserver -w
# A crashing test must fail, not wait in Wine's crash dialog.
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
# Without a window manager Wine waits two seconds for every managed window to be
# withdrawn; unmanaged windows are withdrawn at once.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
wineserver -w
echo "wine prefix ready: $WINEPREFIX"
