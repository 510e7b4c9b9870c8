#!/bin/sh
# Builds and runs every test: the native tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the settings fuzzer (its corpus replayed, then 30 s of fuzzing), the
# 32-bit Windows program's file checks, and the Windows tests under Wine on a virtual display.
set -eu
cd "$(dirname "$0")/.."

tools/setup.sh
for workflow in native sanitize fuzz windows-i686; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
echo "== windows"
cmake --preset windows
cmake --build --preset windows
WITH_WINE_DISPLAY="" sh tools/with-wine.sh build/windows ctest --preset windows
