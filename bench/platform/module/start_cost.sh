#!/usr/bin/env bash
# What a start of melodux-cli costs (playing no audio at all), and what
# linking each heavy library would add to an empty program: the libraries
# above a few milliseconds belong in a module loaded on first use.
# Needs hyperfine and a C compiler.
# Usage: bench/platform/module/start_cost.sh [BUILD_DIR] [RUNS]
set -euo pipefail
build=${1:-build/default}
runs=${2:-100}
cli="$build/src/cli/melodux-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MELODUX_CONFIG_HOME=$work/user MELODUX_SYSTEM_CONFIG=$work/machine MELODUX_AUDIO=null

echo 'int main(void) { return 0; }' >"$work/empty.c"
declare -A libraries=(
    [none]=""
    [ffmpeg]="-lavformat -lavcodec -lswresample -lavutil"
    [curl]="-lcurl"
    [cdio]="-lcdio -lcdio_cdda -lcdio_paranoia"
    [alsa]="-lasound"
)
programs=()
for name in none ffmpeg curl cdio alsa; do
    # shellcheck disable=SC2086  # the flags are words
    cc "$work/empty.c" -o "$work/$name" -Wl,--no-as-needed ${libraries[$name]}
    programs+=("$work/$name")
done
hyperfine -N --warmup 10 --runs "$runs" "$cli play --device null ::SLNC0" "${programs[@]}"
