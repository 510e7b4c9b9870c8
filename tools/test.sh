#!/bin/sh
# Builds and runs every test: the native tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the settings fuzzer (its corpus replayed, then 30 s of fuzzing), the
# shipped 32-bit program's file, reproducibility and package checks, and the Windows tests under
# Wine on a virtual display: on the 32-bit program where this machine runs it, else on the 64-bit
# build.
set -eu
cd "$(dirname "$0")/.."

tools/setup.sh
for workflow in native sanitize fuzz windows-i686; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
# The shipped program's own checks need no Wine; the Windows tests beside them do.
ctest --test-dir build/windows-i686/tests/program --output-on-failure --no-tests=error

. tools/windows-build.sh
pick_windows_build
echo "== $windows_preset under Wine"
if [ "$windows_arch" = i686 ]; then
    # Its file checks ran above.
    only_wine="--label-regex wine"
else
    cmake --preset windows
    cmake --build --preset windows
    only_wine=""
fi
# shellcheck disable=SC2086
WITH_WINE_DISPLAY="" sh tools/with-wine.sh "$windows_build" \
    ctest --preset "$windows_preset" --parallel 2 $only_wine
