#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset: clang, ASan + UBSan) and
# runs one for SECONDS on a copy of its seed corpus, or every one in turn.
#   scripts/fuzz.sh TARGET SECONDS    e.g. scripts/fuzz.sh riff_wave 60
#   scripts/fuzz.sh all SECONDS
# Targets are the folders of tests/fuzz/corpus. The corpus grown by a run
# stays in a temporary folder; inputs that fail are kept in
# build/fuzz/findings/ (crash-*, leak-*, timeout-*, oom-*).
# FUZZ_JOBS sets the build's parallel jobs (default: all cores).
set -euo pipefail
cd "$(dirname "$0")/.."

corpus_root=tests/fuzz/corpus
usage() {
    echo "usage: $0 TARGET|all SECONDS" >&2
    echo "targets: $(ls "$corpus_root" | tr '\n' ' ')" >&2
    exit 2
}
[ $# -eq 2 ] || usage
[[ $2 =~ ^[0-9]+$ ]] && [ "$2" -gt 0 ] || usage
seconds=$2
if [ "$1" = all ]; then
    targets=$(ls "$corpus_root")
else
    [ -d "$corpus_root/$1" ] || usage
    targets=$1
fi

cmake --preset fuzz >/dev/null
build_targets=()
for t in $targets; do build_targets+=(--target "fuzz_$t"); done
cmake --build build/fuzz -j "${FUZZ_JOBS:-$(nproc)}" "${build_targets[@]}"

findings=$PWD/build/fuzz/findings
mkdir -p "$findings"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The targets never see the real user's settings, library or audio device.
export HOME=$work/home MELODUX_CONFIG_HOME=$work/config MELODUX_SYSTEM_CONFIG=$work/system
export XDG_DATA_HOME=$work/data TMPDIR=$work/tmp MELODUX_AUDIO=null
mkdir -p "$HOME" "$TMPDIR"

failed=()
for t in $targets; do
    echo "== fuzz_$t: $seconds s =="
    cp -r "$corpus_root/$t" "$work/corpus-$t"
    if ! build/fuzz/tests/fuzz/"fuzz_$t" "$work/corpus-$t" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$findings/$t-" 2>"$work/log-$t"; then
        tail -n 60 "$work/log-$t"
        failed+=("$t")
    else
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log-$t" || true
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $findings)" >&2
    exit 1
fi
