# Sourced: the Wine environment of a run, with its prefix inside the build folder.
KEST_ROOT=${KEST_ROOT:-$(cd "$(dirname "$0")/.." && pwd)}
export WINEPREFIX="$KEST_ROOT/build/wineprefix"
export WINEARCH=win64
# No Mono or Gecko installers; keep missing-DLL errors visible.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="-all,err+module"
