#!/usr/bin/env bash
# Ripping a ten-track CUE/BIN image (17.5 minutes of music-like audio) to
# MP3 quality 2, 128 kbit/s with the recording panel's job runner, named
# and tagged from a local CD database entry and filed in the library:
#   one core    taskset -c 0: one entry at a time; goal >= 40x real time
#   two cores   taskset -c 0,1: two entries at once, filed in list order
# Each run also reports the longest wait between progress moves (goal
# <= 250 ms) and how long the UI thread is held, and checks names, tags,
# library records and that every MP3 decodes within 1 LSB of the WAVE rip
# encoded by `melodux-cli convert` (same settings) and decoded by
# `melodux-cli decode`. The machine should be otherwise idle: wall times
# follow whatever else runs; CPU times do not.
# Usage: bench/ui/rip_goals.sh [BUILD_DIR]
set -uo pipefail
build=${1:-build/default}
bench=$build/bench/ui/rip/rip_goals_bench
[ -x "$bench" ] || { echo "build rip_goals_bench (and melodux-cli) in $build first"; exit 2; }
command -v taskset >/dev/null || { echo "missing: taskset (util-linux)"; exit 2; }
export MELODUX_AUDIO=null
status=0
for cores in 0 0,1; do
    echo "== taskset -c $cores"
    taskset -c "$cores" "$bench" || status=1
done
exit $status
