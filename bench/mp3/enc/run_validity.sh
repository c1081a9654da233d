#!/usr/bin/env bash
# Every offered format of the common inputs, and VBR qualities 20..100,
# encoded and decoded by mpg123 and ffmpeg: any message counts as a failure.
#   bench/mp3/enc/run_validity.sh BUILD_DIR [WORK_DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?build directory}
work=${2:-$(mktemp -d)}
tool=$build/bench/mp3/enc/mp3enc_tool
mkdir -p "$work"
[ -f "$work/piano.wav" ] || /usr/bin/python3 "$here/make_items.py" "$work"
bad=0 total=0

check() {  # mp3 file, description
    local m f
    m=$(mpg123 -q -t "$1" 2>&1)
    f=$(ffmpeg -v error -i "$1" -f null - 2>&1)
    total=$((total + 1))
    if [ -n "$m$f" ]; then
        bad=$((bad + 1))
        echo "FAIL $2: ${m}${f}" | head -3
    fi
}

for rate in 8000 11025 12000 16000 22050 24000 32000 44100 48000; do
    for ch in 1 2; do
        in=$work/in_${rate}_$ch.wav
        sox "$work/transients.wav" -r "$rate" -c "$ch" "$in" trim 0 3 2>/dev/null
        for q in 0 2; do
            for br in 8000 16000 18000 20000 24000 32000 40000 48000 56000 64000 80000 96000 \
                      112000 128000 160000 192000 224000 256000 320000; do
                for orate in 8000 11025 12000 16000 22050 24000 32000 44100 48000; do
                    for och in 1 2; do
                        [ "$och" -le "$ch" ] && [ "$orate" -le "$rate" ] || continue
                        out=$work/out.mp3
                        "$tool" "$in" "$out" --quality $q --bitrate $br --rate $orate \
                            --channels $och > /dev/null 2>&1 || continue
                        check "$out" "$rate/$ch q$q -> $orate/$och $br"
                    done
                done
            done
        done
        if [ "$rate" -ge 16000 ]; then
            for v in 20 40 60 80 100; do
                "$tool" "$in" "$work/out.mp3" --vbr $v > /dev/null && check "$work/out.mp3" "$rate/$ch vbr $v"
            done
        fi
    done
done
echo "$total streams, $bad with decoder messages"
