#!/bin/sh
# Builds both architectures, registers the x86 band in a demo Wine prefix, runs it in
# kesthost under Xvfb (or the display there is), types a query, saves a screenshot and
# closes cleanly. Prints what the host reported and where the screenshot is.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
export KEST_ROOT

scripts/install-deps.sh
need=""
command -v import >/dev/null 2>&1 || need="$need imagemagick"
command -v xdotool >/dev/null 2>&1 || need="$need xdotool"
if [ -n "$need" ]; then
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    echo "installing:$need"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $need >/dev/null
fi

for preset in x86 x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j2 >/dev/null
done

. scripts/wine-env.sh
export WINEPREFIX="$KEST_ROOT/build/demoprefix"

started_xvfb=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$started_xvfb" ]; then kill "$started_xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot --init </dev/null >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f </dev/null >/dev/null 2>&1
    wineserver -w
fi

if [ -z "${DISPLAY:-}" ]; then
    display=99
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb=$!
    export DISPLAY=":$display"
    sleep 1
fi
wineserver -p
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true

bin="$KEST_ROOT/build/x86/bin"
wine 'C:\windows\syswow64\regsvr32.exe' /s "$(winepath -w "$bin/kestbar.dll")" </dev/null
echo "registered: $bin/kestbar.dll"
wine cmd /c mkdir "%APPDATA%\\Brindlewood\\Kestrune" </dev/null >/dev/null 2>&1 || true

log="$KEST_ROOT/build/demo-host.log"
screenshot="$KEST_ROOT/build/demo.png"
wine "$bin/kesthost.exe" --seconds 10 </dev/null >"$log" 2>&1 &
host=$!
sleep 5
# Without a window manager nothing gives the strip the X input focus: a click into the
# search box (the strip runs along the bottom of the screen) does, then a query is typed.
height=$(xdotool getdisplaygeometry | cut -d' ' -f2)
xdotool mousemove 300 $((height - 16)) click 1 2>/dev/null || true
sleep 1
xdotool type --delay 150 "note" 2>/dev/null || true
sleep 2
import -window root "$screenshot"
status=0
wait "$host" || status=$?
cat "$log"
echo "screenshot: $screenshot"
echo "kesthost exit code: $status"
exit $status
