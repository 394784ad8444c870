#!/bin/sh
# Builds both architectures and lists the deliverables with what each imports.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in x86 x64; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" >/dev/null
    echo "== $preset: $(pwd)/build/$preset/bin"
    for file in build/$preset/bin/*; do
        imports=$(objdump -p "$file" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
        echo "  $(basename "$file"): imports $imports"
    done
done
