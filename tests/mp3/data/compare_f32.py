#!/usr/bin/env python3
"""One manifest line: NAME extra_frames=N channels=C frame_samples=S ffmpeg_rms=... ffmpeg_max=...
extra_frames: leading frames our decoder outputs that the reference leaves
out (a Xing, Info or VBRI frame). Usage: compare_f32.py NAME MP3 REF FFMPEG"""

import array
import math
import sys
from pathlib import Path


def first_frame(data):
    for pos in range(len(data) - 4):
        h = int.from_bytes(data[pos:pos + 4], "big")
        if h >> 21 == 0x7FF and (h >> 17) & 3 == 1:
            return pos, h
    raise SystemExit("no frame")


def main():
    name, mp3, ref, ff = sys.argv[1:5]
    data = Path(mp3).read_bytes()
    pos, h = first_frame(data)
    mpeg1 = (h >> 19) & 1
    channels = 1 if (h >> 6) & 3 == 3 else 2
    # mpg123 leaves out a Xing or Info frame but plays a VBRI frame (silence).
    extra = 1 if any(tag in data[pos:pos + 200] for tag in (b"Xing", b"Info")) else 0
    a = array.array("f", Path(ref).read_bytes())
    b = array.array("f", Path(ff).read_bytes())
    n = min(len(a), len(b))
    diff = [a[i] - b[i] for i in range(n)]
    rms = math.sqrt(sum(d * d for d in diff) / max(n, 1))
    peak = max((abs(d) for d in diff), default=0.0)
    agree = "agree" if rms < 2 ** -15 / math.sqrt(12) and peak < 2 ** -14 else "DISAGREE"
    print(f"{name} extra_frames={extra} channels={channels} frame_samples={1152 if mpeg1 else 576} "
          f"ffmpeg_rms={rms:.3g} ffmpeg_max={peak:.3g} ffmpeg={agree}")


if __name__ == "__main__":
    main()
