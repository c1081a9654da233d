#!/usr/bin/env python3
"""Puts a "VBRI" header frame in front of the audio frames of IN (whose first
frame, a Xing header, is dropped): version 1, a table of contents with one
entry per 4 frames, entry size 2, scale 1. Usage: make_vbri.py IN OUT"""

import sys
from pathlib import Path

BITRATES = [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320]


def frames_of(data):
    pos, out = 0, []
    while pos + 4 <= len(data):
        h = int.from_bytes(data[pos:pos + 4], "big")
        if h >> 21 != 0x7FF:
            break
        size = 144000 * BITRATES[(h >> 12) & 15] // 44100 + ((h >> 9) & 1)
        out.append(data[pos:pos + size])
        pos += size
    return out


def main():
    frames = frames_of(Path(sys.argv[1]).read_bytes())[1:]
    per_entry = 4
    entries = [sum(len(f) for f in frames[i:i + per_entry]) for i in range(0, len(frames), per_entry)]
    header = bytes.fromhex("FFFB9064")  # MPEG-1 Layer III 128 kbit/s 44.1 kHz joint stereo
    size = 144000 * 128 // 44100
    body = bytearray(size - 4)
    vbri = b"VBRI" + (1).to_bytes(2, "big") + (576).to_bytes(2, "big") + (75).to_bytes(2, "big")
    total = size + sum(len(f) for f in frames)
    vbri += total.to_bytes(4, "big") + (len(frames) + 1).to_bytes(4, "big")
    vbri += len(entries).to_bytes(2, "big") + (1).to_bytes(2, "big") + (2).to_bytes(2, "big")
    vbri += per_entry.to_bytes(2, "big") + b"".join(e.to_bytes(2, "big") for e in entries)
    body[32:32 + len(vbri)] = vbri  # at byte 36 of the frame
    Path(sys.argv[2]).write_bytes(header + bytes(body) + b"".join(frames))


if __name__ == "__main__":
    main()
