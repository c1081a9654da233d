#!/usr/bin/env bash
# Builds and runs every test: the warnings-as-errors build, the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, and the threaded parts under
# ThreadSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
# Tests never touch the real user's files.
export MELODUX_AUDIO=null

run_preset() {
    local preset=$1; shift
    echo "== $preset =="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" "$@"
    ctest --preset "$preset" -j "$jobs" --timeout 600
}

run_preset ci
run_preset asan
# Only the labelled (threaded) test programs are built for TSan.
tsan_targets=$(sed -n 's/^tsan_target: *//p' tests/tsan-targets.txt)
run_preset tsan --target $tsan_targets
