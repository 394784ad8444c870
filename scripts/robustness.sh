#!/bin/sh
# The deeper robustness run: the suite of tests/robustness with more inputs per surface
# (KEST_ROBUSTNESS_SCALE, 10 unless set) on both architectures (x64 only where 32-bit code
# cannot run), in the prefix and under the display that scripts/test.sh sets up. Prints the figures and keeps them in
# build/<preset>/tests/robustness-figures.txt. KEST_ROBUSTNESS_SEED picks another seed.
set -eu
cd "$(dirname "$0")/.."
KEST_ROOT=$(pwd)
export KEST_ROOT
export KEST_ROBUSTNESS_SCALE="${KEST_ROBUSTNESS_SCALE:-10}"

scripts/install-deps.sh
. scripts/wine-env.sh
. scripts/machine.sh
for preset in x86 x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done
[ -d "$WINEPREFIX" ] || scripts/make-prefix.sh

started_xvfb=""
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "$started_xvfb" ]; then kill "$started_xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT INT TERM
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

presets="x86 x64"
if ! can_run_i386; then
    echo "x86 robustness not run: $I386_SKIP_REASON"
    presets=x64
fi
status=0
for preset in $presets; do
    echo "=== robustness: $preset, scale $KEST_ROBUSTNESS_SCALE ==="
    rm -f "build/$preset/tests/robustness-figures.txt"
    ctest --preset "$preset" -R '^robustness' || status=1
    cat "build/$preset/tests/robustness-figures.txt" 2>/dev/null || true
done
exit $status
