#!/bin/sh
# Peak memory of `melodux-cli convert` both ways for MP3 and WMA on a long
# input (default two hours), and the start cost of the program. Memory must
# not grow with the input's length: compare with a short run (MINUTES=1).
#   bench/cli/convert_memory.sh build/ci/src/cli/melodux-cli [MINUTES]
# Needs sox, GNU time (/usr/bin/time) and hyperfine.
set -eu
cli=$(realpath "$1")
seconds=$(( ${2:-120} * 60 ))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MELODUX_CONFIG_HOME="$work/cfg" MELODUX_SYSTEM_CONFIG="$work/sys" \
       XDG_DATA_HOME="$work/data" MELODUX_AUDIO=null
cd "$work"
sox -n -r 44100 -c 2 -b 16 in.wav synth "$seconds" sine 440 vol 0.5
run() {
    /usr/bin/time -f "%M %e" -o stats "$cli" convert "$1" "$2" >/dev/null 2>&1
    read -r rss wall < stats
    printf '%-14s %8s KiB max RSS %8s s\n' "$1 -> $2" "$rss" "$wall"
}
echo "input: $seconds s"
run in.wav out.mp3
run out.mp3 back.wav
run in.wav out.wma
run out.wma back2.wav
hyperfine -N -w 3 -r 40 "$cli play --device null ::SLNC0" 2>&1 | grep -E 'Time|Range'
