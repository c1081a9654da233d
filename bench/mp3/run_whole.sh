#!/bin/sh
# Whole-process decoding against mpg123: a 600 s, 128 kbit/s, 44.1 kHz stereo
# file to 16-bit raw samples thrown away, by melodux-cli decode and by
# mpg123 -q -s, alternating, one core. Prints the fastest of five runs of
# each in user CPU time, which other load on the machine inflates least.
#   taskset -c 0 bench/mp3/run_whole.sh BUILD_DIR
set -eu
build=${1:-build/default}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
sox -R -n -r 44100 -c 2 -b 16 "$tmp/a.wav" synth 600 pinknoise sine 100-8000 vol 0.3
sox -R -n -r 44100 -c 2 -b 16 "$tmp/b.wav" synth 600 square 220 sine 3000 vol 0.1
sox -R -m "$tmp/a.wav" "$tmp/b.wav" "$tmp/src.wav"
rm "$tmp/a.wav" "$tmp/b.wav"
lame --quiet -b 128 "$tmp/src.wav" "$tmp/bench.mp3"
rm "$tmp/src.wav"

python3 - "$build/src/cli/melodux-cli" "$tmp/bench.mp3" <<'PY'
import resource, subprocess, sys
cli, mp3 = sys.argv[1:]
commands = {"melodux-cli decode": [cli, "decode", mp3, "-"], "mpg123 -q -s": ["mpg123", "-q", "-s", mp3]}
best = {}
for _ in range(5):
    for name, command in commands.items():
        before = resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True)
        took = resource.getrusage(resource.RUSAGE_CHILDREN).ru_utime - before
        best[name] = min(best.get(name, took), took)
for name, took in best.items():
    print(f"{name:20s} {took * 1000:7.0f} ms = {600 / took:5.0f}x real time")
print(f"melodux-cli over mpg123: {best['mpg123 -q -s'] / best['melodux-cli decode']:.2f}x")
PY
