#!/usr/bin/env bash
# Quality of our encoder against LAME, by the PEAQ tool (ODG, mean over the
# synthetic items of make_items.py).
#   bench/mp3/enc/run_quality.sh BUILD_DIR [WORK_DIR]
# Table 1: 128 kbit/s CBR 44.1 kHz stereo, our qualities 0/1/2 against LAME
# -q 7 and its default. Table 2: VBR, ODG against mean bitrate, our
# qualities 20..100 against LAME -V 9..0. Table 3: the stereo bitrates whose
# rows allow intensity stereo, ours with and without it (--no-intensity), and
# LAME at the same bitrate and rate.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
work=${2:-$(mktemp -d)}
tool=$build/bench/mp3/enc/mp3enc_tool
# The measuring tools sit beside the repository, in ../shared/tools.
peaq=${PEAQ_TOOLS:-$here/../../../../shared/tools}/mp3quality.sh
items=(chords transients sweep piano)
mkdir -p "$work"
[ -f "$work/piano.wav" ] || /usr/bin/python3 "$here/make_items.py" "$work"

odg() { "$peaq" -q "$1" "$2" 2>/dev/null | awk '/ODG/ {print $2}'; }
kbps() { ffprobe -v error -show_entries format=bit_rate -of default=nw=1:nk=1 "$1" | awk '{print $1/1000}'; }

row() {  # name, then a command that makes $out from $in
    local name=$1; shift
    local sum=0 rate=0 line=""
    for i in "${items[@]}"; do
        in=$work/$i.wav out=$work/$i.$name.mp3
        eval "$@" > /dev/null
        o=$(odg "$in" "$out"); r=$(kbps "$out")
        line+=$(printf ' %7.3f' "$o")
        sum=$(echo "$sum + $o" | bc -l); rate=$(echo "$rate + $r" | bc -l)
    done
    printf '%-14s%s %8.3f %7.1f\n' "$name" "$line" "$(echo "$sum / ${#items[@]}" | bc -l)" \
        "$(echo "$rate / ${#items[@]}" | bc -l)"
}

printf '%-14s %7s %7s %7s %7s %8s %7s\n' encoder "${items[@]}" mean kbit/s
row ours-q0 '"$tool" "$in" "$out" --quality 0'
row ours-q1 '"$tool" "$in" "$out" --quality 1'
row ours-q2 '"$tool" "$in" "$out" --quality 2'
row lame-q7 'lame --quiet -q 7 -b 128 "$in" "$out"'
row lame-default 'lame --quiet -b 128 "$in" "$out"'
echo
for q in 20 40 60 80 100; do row "ours-vbr$q" '"$tool" "$in" "$out" --vbr '$q; done
for v in 9 7 5 3 2 0; do row "lame-V$v" 'lame --quiet -V '$v' "$in" "$out"'; done
echo
for pair in "96000 44100 1 44.1" "96000 32000 2 32" "80000 22050 2 22.05" "64000 24000 2 24" \
            "48000 24000 2 24" "32000 16000 2 16"; do
    read -r br rate q khz <<< "$pair"
    args="--quality $q --bitrate $br --rate $rate"
    name="${br%000}k-$khz"
    row "is-$name" '"$tool" "$in" "$out" '"$args"
    row "lr-$name" '"$tool" "$in" "$out" '"$args"' --no-intensity'
    row "lame-$name" 'lame --quiet -b '"${br%000}"' --resample '"$khz"' "$in" "$out"'
done
