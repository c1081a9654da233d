#!/usr/bin/env bash
# A continuous 1 kHz tone split into three parts at odd sample counts, each
# part encoded on its own (lame CBR and VBR, and our own encoder), played as
# one queue through the file device: what is heard must be the tone, every
# sample once, with no step at the joins beyond the tone's own or, where the
# codec rings at a cut, beyond what the reference decoder (mpg123) gives.
# Usage: bench/stream/gapless_join.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build/default}
cli=$(realpath "$build/src/cli/melodux-cli")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export MELODUX_CONFIG_HOME=$work/user MELODUX_SYSTEM_CONFIG=$work/machine
cd "$work"

/usr/bin/python3 - <<'PY'
import numpy as np, wave
rate, total, cuts = 44100, 155000, (51111, 103333)
t = np.arange(total) / rate
tone = np.round(0.5 * 32767 * np.sin(2 * np.pi * 1000 * t)).astype('<i2')
stereo = np.repeat(tone, 2)
np.save('tone.npy', tone)
for name, (a, b) in zip('abc', zip((0,) + cuts, cuts + (total,))):
    with wave.open(f'{name}.wav', 'wb') as w:
        w.setnchannels(2); w.setsampwidth(2); w.setframerate(rate)
        w.writeframes(stereo[2 * a:2 * b].tobytes())
PY

encode() {  # kind part
    case $1 in
        lame-cbr) lame --silent -b 192 "$2.wav" "$1-$2.mp3" ;;
        lame-vbr) lame --silent -V 2 "$2.wav" "$1-$2.mp3" ;;
        ours-cbr) "$cli" convert "$2.wav" "$1-$2.mp3" --bitrate 192 >/dev/null 2>&1 ;;
    esac
}

for kind in lame-cbr lame-vbr ours-cbr; do
    for part in a b c; do encode "$kind" "$part"; done
    "$cli" play --device "file:$work/$kind.wav" "$kind-a.mp3" "$kind-b.mp3" "$kind-c.mp3" \
        >"$kind.log"
    # The reference decoder's gapless output of each part, joined: what the
    # codec itself leaves at the cuts.
    for part in a b c; do mpg123 -q --gapless -s "$kind-$part.mp3" >"$kind-$part.raw"; done
    cat "$kind-a.raw" "$kind-b.raw" "$kind-c.raw" >"$kind-reference.raw"
    KIND=$kind /usr/bin/python3 - <<'PY'
import numpy as np, os, wave
kind = os.environ['KIND']
tone = np.load('tone.npy').astype(np.int64)
with wave.open(f'{kind}.wav') as w:
    heard = np.frombuffer(w.readframes(w.getnframes()), '<i2').reshape(-1, 2)[:, 0].astype(np.int64)
cuts = (51111, 103333)
own = int(np.abs(np.diff(tone)).max())
n = min(len(heard), len(tone))
err = np.abs(heard[:n] - tone[:n])
reference = np.fromfile(f'{kind}-reference.raw', '<i2').reshape(-1, 2)[:, 0].astype(np.int64)
def steps(x):
    return [int(np.abs(np.diff(x[c - 3:c + 3])).max()) for c in cuts if c + 3 <= len(x)]
handovers = open(f'{kind}.log').read().count('Followed')
m = min(len(heard), len(reference))
apart = int(np.abs(heard[:m] - reference[:m]).max())
# A step beyond the tone's own that the reference decoder shows as well is
# the codec's error at the cut, not a fault of the join.
ok = len(heard) == len(tone) and len(reference) == len(tone) and all(
    s <= max(own, r) + 2 for s, r in zip(steps(heard), steps(reference)))
print(f'{kind}: {len(heard)} samples of {len(tone)} (reference {len(reference)}), '
      f'hand-overs {handovers}/2, error to the tone {err.max()} (rms {np.sqrt((err ** 2).mean()):.1f}), '
      f'to the reference {apart}; steps at the joins {steps(heard)}, reference '
      f'{steps(reference)}, tone\'s own {own}: {"met" if ok else "MISSED"}')
PY
done
