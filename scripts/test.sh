#!/usr/bin/env bash
# Builds and runs every test: the warnings-as-errors build, the same suite under
# AddressSanitizer + UndefinedBehaviorSanitizer, the threaded parts under
# ThreadSanitizer, and a short run of every fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh

jobs=$(nproc)
# Tests never touch the real user's files.
export MELODUX_AUDIO=null

# run_preset PRESET [TARGET... -- CTEST-ARGS...]
run_preset() {
    local preset=$1; shift
    local targets=() tests=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do targets+=(--target "$1"); shift; done
    [ $# -gt 0 ] && shift && tests=("$@")
    local start=$SECONDS
    echo "== $preset =="
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs" "${targets[@]}"
    echo "-- $preset built in $((SECONDS - start)) s"
    ctest --preset "$preset" -j "$jobs" --timeout 600 --no-tests=error "${tests[@]}"
    echo "-- $preset done in $((SECONDS - start)) s"
}

run_preset ci
run_preset asan
# Only the threaded test programs are built and run under TSan.
tsan_targets=$(awk '$1 == "tsan:" { print $2 }' tests/tsan-targets.txt)
tsan_labels=$(awk '$1 == "tsan:" { print $3 }' tests/tsan-targets.txt | paste -sd '|')
run_preset tsan $tsan_targets -- -L "^($tsan_labels)\$"
# A few seconds of each fuzz target keeps them building and their seeds sound.
echo "== fuzz =="
start=$SECONDS
FUZZ_JOBS=$jobs scripts/fuzz.sh all 3
echo "-- fuzz done in $((SECONDS - start)) s"
