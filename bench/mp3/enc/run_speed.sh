#!/usr/bin/env bash
# Encoding speed (processor time, one thread) of 60 s of 44.1 kHz stereo at
# 128 kbit/s: our qualities and VBR 80 against the LAME settings they are
# held to, in the same run.
#   bench/mp3/enc/run_speed.sh BUILD_DIR [WORK_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
work=${2:-$(mktemp -d)}
tool=$build/bench/mp3/enc/mp3enc_tool
mkdir -p "$work"
[ -f "$work/piano.wav" ] || /usr/bin/python3 "$here/make_items.py" "$work"
src=$work/long60.wav
[ -f "$src" ] || sox "$work"/{piano,chords,sweep,transients,piano,chords}.wav "$src"

lame_speed() {  # options...
    local t
    t=$( { /usr/bin/time -f '%U' lame --quiet "$@" "$src" "$work/lame.mp3"; } 2>&1 | tail -1)
    echo "60 / $t" | bc -l | xargs printf '%.1f'
}
ours_speed() {
    "$tool" "$src" "$work/ours.mp3" "$@" | sed -E 's/.*: ([0-9.]+)x real time, ([0-9.]+) MB.*/\1 \2/'
}

printf '%-22s %10s %10s %8s %10s\n' setting ours-x lame-x ratio ours-MB
for pair in "--quality 0|-q 7 -b 128" "--quality 1|-q 5 -b 128" "--quality 2|-q 2 -b 128" \
            "--vbr 80|-V 2"; do
    ours_args=${pair%%|*} lame_args=${pair##*|}
    read -r ours mem <<< "$(ours_speed $ours_args)"
    lame=$(lame_speed $lame_args)
    printf '%-22s %10s %10s %8.2f %10s\n' "$ours_args / $lame_args" "$ours" "$lame" \
        "$(echo "$ours / $lame" | bc -l)" "$mem"
done
