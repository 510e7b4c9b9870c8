#!/bin/sh
# Builds and runs every test: the native tests, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the settings fuzzer (its corpus replayed, then 30 s of fuzzing).
set -eu
cd "$(dirname "$0")/.."

tools/setup.sh
for workflow in native sanitize fuzz; do
    echo "== $workflow"
    cmake --workflow --preset "$workflow"
done
