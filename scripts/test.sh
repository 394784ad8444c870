#!/bin/sh
# Builds both architectures and runs every test under Wine, in a fresh prefix, under
# Xvfb when there is no display. Stops what it started.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
export KEST_ROOT

scripts/install-deps.sh
. scripts/wine-env.sh

started_xvfb=""
started_wineserver=""
cleanup() {
    if [ -n "$started_wineserver" ]; then wineserver -k >/dev/null 2>&1 || true; fi
    if [ -n "$started_xvfb" ]; then kill "$started_xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM

for preset in x86 x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

scripts/make-prefix.sh

if [ -z "${DISPLAY:-}" ]; then
    display=99
    while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
    Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    started_xvfb=$!
    export DISPLAY=":$display"
    sleep 1
fi

# A persistent wineserver makes each test process start in a fraction of a second.
wineserver -p
started_wineserver=yes
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 || true

status=0
for preset in x86 x64; do
    echo "=== tests: $preset ==="
    ctest --preset "$preset" || status=1
done
exit $status
