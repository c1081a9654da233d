#!/usr/bin/env bash
# A continuous 1 kHz tone split into three parts at odd sample counts, each
# part encoded on its own (lame CBR and VBR, and our own encoder), played as
# one queue through the file device: what is heard must be the tone, every
# sample once, with no step at the joins beyond the tone's own.
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
steps = [int(np.abs(np.diff(heard[c - 3:c + 3])).max()) for c in cuts if c + 3 <= len(heard)]
handovers = open(f'{kind}.log').read().count('Followed')
ok = len(heard) == len(tone) and all(s <= own for s in steps)
print(f'{kind}: {len(heard)} samples of {len(tone)}, hand-overs {handovers}/2, '
      f'largest error {err.max()} (rms {np.sqrt((err ** 2).mean()):.1f}), '
      f'steps at the joins {steps} (tone\'s own {own}): {"met" if ok else "MISSED"}')
PY
done
