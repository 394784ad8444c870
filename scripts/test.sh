#!/bin/sh
# Builds both architectures and runs every test this machine can run under Wine, in a fresh
# prefix, under Xvfb when there is no display. Where the machine runs no 32-bit code, the x86
# tests and the 32-bit setup program's test are built but not run. Stops what it started.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
export KEST_ROOT

scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/machine.sh

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
if can_run_i386; then
    echo "=== tests: x86 ==="
    ctest --preset x86 || status=1
    echo "=== tests: x64 ==="
    ctest --preset x64 || status=1
else
    echo "x86 tests and the 32-bit setup program's test not run: $I386_SKIP_REASON (both were built)"
    echo "=== tests: x64 ==="
    ctest --preset x64 --label-exclude i386 || status=1
fi
exit $status
