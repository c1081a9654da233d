#!/bin/sh
# Times our decoder against mpg123 and ffmpeg on the same 60 s, 128 kbit/s,
# 44.1 kHz stereo file, single thread, 16-bit output thrown away. Prints the
# fastest of five runs of each in CPU time (user + system), which other load
# on the machine does not inflate. Usage: run_peers.sh BUILD_DIR
set -eu
build=${1:-build/default}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sox -R -n -r 44100 -c 2 -b 16 "$tmp/a.wav" synth 60 pinknoise sine 100-8000 vol 0.3
sox -R -n -r 44100 -c 2 -b 16 "$tmp/b.wav" synth 60 square 220 sine 3000 vol 0.1
sox -R -m "$tmp/a.wav" "$tmp/b.wav" "$tmp/src.wav"
lame --quiet -b 128 "$tmp/src.wav" "$tmp/bench.mp3"

best() { # COMMAND...: fastest of five runs in ms of CPU time
    python3 - "$@" <<'PY'
import resource, subprocess, sys
best = None
for _ in range(5):
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    t = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    best = t if best is None else min(best, t)
print(int(best * 1000))
PY
}
m=$(best mpg123 -q -s "$tmp/bench.mp3")
f=$(best ffmpeg -v quiet -threads 1 -i "$tmp/bench.mp3" -f s16le -y /dev/null)
echo "mpg123 (16-bit to /dev/null): $m ms = $(( 60000 / m ))x real time"
echo "ffmpeg (16-bit to /dev/null): $f ms = $(( 60000 / f ))x real time"
"$build/bench/mp3/mp3_decode_bench" "$tmp/bench.mp3" 5
