#!/usr/bin/env bash
# CPU used while playing silence to the null device in real time.
# Usage: bench/stream/null_playback_cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
build=${1:-build/default}
seconds=${2:-10}
cli="$build/src/cli/melodux-cli"
settings=$(mktemp -d)
trap 'rm -rf "$settings"' EXIT
export MELODUX_CONFIG_HOME=$settings/user MELODUX_SYSTEM_CONFIG=$settings/machine

TIMEFORMAT='%R %U %S'
{ time "$cli" play --device null "::SLNC$((seconds * 1000))" >/dev/null; } 2>"$settings/time"
read -r wall user sys <"$settings/time"
awk -v w="$wall" -v u="$user" -v s="$sys" 'BEGIN {
    printf "wall %.2f s, cpu %.3f s (user %.3f + sys %.3f), %.2f %% of one core\n",
           w, u + s, u, s, 100 * (u + s) / w }'
