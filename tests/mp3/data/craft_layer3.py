#!/usr/bin/env python3
"""Writes Layer III streams whose features common encoders never produce:
intensity stereo (MPEG-1 and MPEG-2), mixed blocks, main_data_begin at its
limits, every Huffman table. The spectra are pseudo-random (fixed seeds), so
the streams are valid bitstreams but not music; reference decoders decode
them like any other stream.

Usage: craft_layer3.py NAME OUT.mp3   (NAME from STREAMS below)
"""

import random
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
CODES_HEADER = ROOT / "src/mp3/L3HuffmanCodes.h"

LONG_BOUNDS = {
    (1, 0): [0, 4, 8, 12, 16, 20, 24, 30, 36, 44, 52, 62, 74, 90, 110, 134, 162, 196, 238, 288, 342, 418, 576],
    (2, 0): [0, 6, 12, 18, 24, 30, 36, 44, 54, 66, 80, 96, 116, 140, 168, 200, 238, 284, 336, 396, 464, 522, 576],
}
SHORT_BOUNDS = {
    (1, 0): [0, 4, 8, 12, 16, 22, 30, 40, 52, 66, 84, 106, 136, 192],
    (2, 0): [0, 4, 8, 12, 18, 24, 32, 42, 56, 74, 100, 132, 174, 192],
}
SAMPLE_RATES = {(1, 0): 44100, (2, 0): 22050}
BITRATES = {1: [0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320],
            2: [0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160]}
SLEN_V1 = [(0, 0), (0, 1), (0, 2), (0, 3), (3, 0), (1, 1), (1, 2), (1, 3),
           (2, 1), (2, 2), (2, 3), (3, 1), (3, 2), (3, 3), (4, 2), (4, 3)]
LSF_GROUPS = [[[6, 5, 5, 5], [9, 9, 9, 9], [6, 9, 9, 9]], [[6, 5, 7, 3], [9, 9, 12, 6], [6, 9, 12, 6]],
              [[11, 10, 0, 0], [18, 18, 0, 0], [15, 18, 0, 0]], [[7, 7, 7, 0], [12, 12, 12, 0], [6, 15, 12, 0]],
              [[6, 6, 6, 3], [12, 9, 9, 6], [6, 12, 9, 6]], [[8, 8, 5, 0], [15, 12, 9, 0], [6, 18, 9, 0]]]
LINBITS = {16: 1, 17: 2, 18: 3, 19: 4, 20: 6, 21: 8, 22: 10, 23: 13,
           24: 4, 25: 5, 26: 6, 27: 7, 28: 8, 29: 9, 30: 11, 31: 13}


def load_codes():
    text = CODES_HEADER.read_text()
    arrays = {}
    for name, body in re.findall(r"k(\w+)\[\] = \{([^}]*)\}", text):
        arrays[name] = [int(v) for v in body.replace("\n", " ").split(",") if v.strip()]
    pair = {}
    for t in range(1, 32):
        base = t if t < 16 else (16 if t < 24 else 24)
        if base in (4, 14):
            continue
        codes, lens = arrays[f"HuffCodes{base}"], arrays[f"HuffLengths{base}"]
        width = int(len(codes) ** 0.5)
        pair[t] = (codes, lens, width, LINBITS.get(t, 0))
    return pair, (arrays["QuadCodesA"], arrays["QuadLengthsA"])


PAIR, QUAD_A = load_codes()


def capacity(t):
    codes, lens, width, linbits = PAIR[t]
    return 15 + (1 << linbits) - 1 if linbits else width - 1


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, count):
        for i in reversed(range(count)):
            self.bits.append((value >> i) & 1)

    def extend(self, other):
        self.bits.extend(other.bits)

    def to_bytes(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def put_pair(w, t, x, y):
    codes, lens, width, linbits = PAIR[t]
    cx, cy = (min(abs(x), 15), min(abs(y), 15)) if linbits else (abs(x), abs(y))
    w.put(codes[cx * width + cy], lens[cx * width + cy])
    for value, coded in ((x, cx), (y, cy)):
        if linbits and coded == 15:
            w.put(abs(value) - 15, linbits)
        if value:
            w.put(1 if value < 0 else 0, 1)


def put_quad(w, table_b, values):
    index = sum(abs(v) << (3 - k) for k, v in enumerate(values))
    if table_b:
        w.put(15 - index, 4)
    else:
        w.put(QUAD_A[0][index], QUAD_A[1][index])
    for v in values:
        if v:
            w.put(1 if v < 0 else 0, 1)


class Granule:
    """Side information and spectrum of one granule and channel."""

    def __init__(self):
        self.block_type = 0
        self.mixed = False
        self.q = [0] * 576
        self.big_end = 0
        self.count1_end = 0
        self.global_gain = 160
        self.sfc = 0
        self.subblock_gain = [0, 0, 0]
        self.scalefac_scale = 0
        self.preflag = 0
        self.count1_b = 0
        self.tables = [0, 0, 0]
        self.region0 = 0
        self.region1 = 0
        self.long_sf = [0] * 22
        self.short_sf = [[0, 0, 0] for _ in range(13)]
        self.scfsi = [0, 0, 0, 0]
        self.bits = None


class Stream:
    def __init__(self, name, version, channels, mode, mode_ext, crc, frames, seed):
        self.name, self.version, self.channels = name, version, channels
        self.mode, self.mode_ext, self.crc, self.frames = mode, mode_ext, crc, frames
        self.rng = random.Random(seed)
        self.key = (version, 0)
        self.granules = 2 if version == 1 else 1
        self.lsf = version != 1
        self.mixed_blocks = False
        self.split_blocks = False

    # -- spectra ---------------------------------------------------------------
    def random_value(self, line, top):
        r = self.rng.random()
        scale = max(1.0, 40.0 * (1.0 - line / max(top, 1)) ** 2)
        if r < 0.25:
            return 0
        v = int(self.rng.expovariate(1.0 / scale))
        if self.rng.random() < 0.01:
            v += self.rng.randrange(16, 3000)  # escapes
        return v if self.rng.random() < 0.5 else -v

    def fill(self, g, big_end, count1_end, zero_from=None):
        g.big_end, g.count1_end = big_end, count1_end
        for i in range(big_end):
            g.q[i] = self.random_value(i, big_end)
        for i in range(big_end, count1_end):
            g.q[i] = self.rng.choice([-1, 0, 0, 1])
        if zero_from is not None:
            for i in zero_from:
                g.q[i] = 0

    def region1_start(self, g):
        """Region 0 of a switched block: 36 lines, or a mixed block's long part."""
        lb, sb = LONG_BOUNDS[self.key], SHORT_BOUNDS[self.key]
        if g.block_type == 2:
            return lb[6 if self.lsf else 8] if g.mixed else 3 * sb[3]
        return lb[8]

    def choose_tables(self, g):
        lb, sb = LONG_BOUNDS[self.key], SHORT_BOUNDS[self.key]
        if g.block_type:
            r1 = self.region1_start(g)
            r2 = 576
        else:
            while True:
                g.region0, g.region1 = self.rng.randrange(16), self.rng.randrange(8)
                if g.region0 + g.region1 + 2 <= 22:
                    break
            r1, r2 = lb[g.region0 + 1], lb[g.region0 + g.region1 + 2]
        r1 = min(r1, g.big_end)
        r2 = min(max(r2, r1), g.big_end)
        for k, (a, b) in enumerate(((0, r1), (r1, r2), (r2, g.big_end))):
            if k == 2 and g.block_type:
                break
            peak = max((abs(v) for v in g.q[a:b]), default=0)
            choices = [t for t in PAIR if capacity(t) >= peak]
            g.tables[k] = 0 if peak == 0 and self.rng.random() < 0.5 else self.rng.choice(choices)

    def write_spectrum(self, w, g):
        lb, sb = LONG_BOUNDS[self.key], SHORT_BOUNDS[self.key]
        if g.block_type:
            ends = [min(self.region1_start(g), g.big_end), g.big_end, g.big_end]
        else:
            ends = [min(lb[g.region0 + 1], g.big_end),
                    min(max(lb[g.region0 + g.region1 + 2], lb[g.region0 + 1]), g.big_end), g.big_end]
            ends[1] = max(ends[1], ends[0])
        i = 0
        for k in range(3):
            while i < ends[k]:
                if g.tables[k]:
                    put_pair(w, g.tables[k], g.q[i], g.q[i + 1])
                i += 2
        while i < g.count1_end:
            put_quad(w, g.count1_b, g.q[i:i + 4])
            i += 4

    # -- scalefactors ----------------------------------------------------------
    def write_scalefactors_v1(self, w, g, gr):
        slen1, slen2 = SLEN_V1[g.sfc]
        if g.block_type == 2:
            first = 0
            if g.mixed:
                for b in range(8):
                    w.put(g.long_sf[b], slen1)
                first = 3
            for b in range(first, 12):
                for win in range(3):
                    w.put(g.short_sf[b][win], slen1 if b < 6 else slen2)
            return
        for group, (a, b) in enumerate(((0, 6), (6, 11), (11, 16), (16, 21))):
            if gr == 1 and g.scfsi[group]:
                continue
            for band in range(a, b):
                w.put(g.long_sf[band], slen1 if group < 2 else slen2)

    def lsf_layout(self, g, intensity_right):
        sfc = g.sfc
        if intensity_right:
            sfc >>= 1
            if sfc < 180:
                return [sfc // 36, sfc % 36 // 6, sfc % 36 % 6, 0], 3
            if sfc < 244:
                sfc -= 180
                return [(sfc % 64) >> 4, (sfc % 16) >> 2, sfc % 4, 0], 4
            sfc -= 244
            return [sfc // 3, sfc % 3, 0, 0], 5
        if sfc < 400:
            return [(sfc >> 4) // 5, (sfc >> 4) % 5, (sfc & 15) >> 2, sfc & 3], 0
        if sfc < 500:
            sfc -= 400
            return [(sfc >> 2) // 5, (sfc >> 2) % 5, sfc & 3, 0], 1
        sfc -= 500
        return [sfc // 3, sfc % 3, 0, 0], 2

    def lsf_slots(self, g):
        """(kind, band, window) of every coded scalefactor, in order."""
        if g.block_type != 2:
            return [("l", b, 0) for b in range(21)]
        slots = [("l", b, 0) for b in range(6)] if g.mixed else []
        for b in range(3 if g.mixed else 0, 12):
            slots += [("s", b, win) for win in range(3)]
        return slots

    def write_scalefactors_lsf(self, w, g, intensity_right):
        slen, table = self.lsf_layout(g, intensity_right)
        kind = 0 if g.block_type != 2 else (2 if g.mixed else 1)
        slots = iter(self.lsf_slots(g))
        for group in range(4):
            for _ in range(LSF_GROUPS[table][kind][group]):
                k, b, win = next(slots)
                value = g.long_sf[b] if k == "l" else g.short_sf[b][win]
                w.put(min(value, (1 << slen[group]) - 1), slen[group])

    # -- one frame's granules --------------------------------------------------
    def block_pattern(self, index):
        return [0, 1, 2, 2, 3, 0, 0, 1, 2, 3][index % 10]

    def make_granule(self, gr_index, ch, block_type, mixed, gr0=None):
        g = Granule()
        g.block_type, g.mixed = block_type, mixed
        g.global_gain = self.rng.randrange(120, 150)
        g.scalefac_scale = self.rng.randrange(2)
        g.count1_b = self.rng.randrange(2)
        g.subblock_gain = [self.rng.randrange(8) for _ in range(3)] if block_type == 2 else [0, 0, 0]
        if self.lsf:
            g.sfc = self.rng.choice([self.rng.randrange(400), self.rng.randrange(400, 500),
                                     self.rng.randrange(500, 512)])
            g.preflag = 1 if g.sfc >= 500 else 0
        else:
            g.sfc = self.rng.randrange(16)
            g.preflag = self.rng.randrange(2)
        limit = 200 if self.lsf else 420
        big_end = 2 * self.rng.randrange(20, limit // 2)
        count1_end = min(576, big_end + 4 * self.rng.randrange(0, 30))
        self.fill(g, big_end, count1_end)
        for b in range(22):
            g.long_sf[b] = self.rng.randrange(16)
        for b in range(13):
            g.short_sf[b] = [self.rng.randrange(16) for _ in range(3)]
        if not self.lsf:
            slen1, slen2 = SLEN_V1[g.sfc]
            for b in range(21):
                g.long_sf[b] &= (1 << (slen1 if b < 11 else slen2)) - 1
            for b in range(12):
                g.short_sf[b] = [v & ((1 << (slen1 if b < 6 else slen2)) - 1) for v in g.short_sf[b]]
            if gr0 is not None and block_type != 2 and gr0.block_type != 2:
                g.sfc = gr0.sfc
                g.scfsi = [self.rng.randrange(2) for _ in range(4)]
                slen1, slen2 = SLEN_V1[g.sfc]
                for group, (a, b) in enumerate(((0, 6), (6, 11), (11, 16), (16, 21))):
                    for band in range(a, b):
                        g.long_sf[band] = gr0.long_sf[band] if g.scfsi[group] else \
                            self.rng.randrange(1 << (slen1 if group < 2 else slen2))
        return g

    def apply_intensity(self, right):
        """Zeroes the right channel above a bound and stores positions."""
        lb, sb = LONG_BOUNDS[self.key], SHORT_BOUNDS[self.key]
        if self.lsf:
            right.sfc = (self.rng.randrange(180) << 1) | self.rng.randrange(2)
            slen, _ = self.lsf_layout(right, True)
            right.preflag = 0
        if right.block_type == 2 and not right.mixed:
            bounds = [self.rng.randrange(3, 13) for _ in range(3)]
            zero = [3 * sb[b] + win * (sb[b + 1] - sb[b]) + f
                    for b in range(13) for win in range(3) if b >= bounds[win]
                    for f in range(sb[b + 1] - sb[b])]
            top = max(3 * sb[min(bounds)], 4)
        else:
            bound = self.rng.randrange(4 if not right.mixed else 9, 21)
            zero = range(lb[bound], 576)
            top = lb[bound]
        right.big_end = min(right.big_end, top - top % 2)
        right.count1_end = min(right.count1_end, right.big_end + 4 * ((top - right.big_end) // 4))
        for i in range(right.big_end, 576):
            if i >= right.count1_end:
                right.q[i] = 0
        for i in zero:
            right.q[i] = 0
        if self.lsf:
            slots = self.lsf_slots(right)
            slen, table = self.lsf_layout(right, True)
            kind = 0 if right.block_type != 2 else (2 if right.mixed else 1)
            group_of = []
            for group in range(4):
                group_of += [group] * LSF_GROUPS[table][kind][group]
            for (k, b, win), group in zip(slots, group_of):
                top_value = (1 << slen[group]) - 1
                value = self.rng.randrange(top_value + 1)
                if k == "l":
                    right.long_sf[b] = value
                else:
                    right.short_sf[b][win] = value
        else:
            right.sfc = self.rng.choice([13, 15])  # slen1 >= 3, slen2 = 3
            for b in range(21):
                right.long_sf[b] = self.rng.randrange(8)
            for b in range(12):
                right.short_sf[b] = [self.rng.randrange(8) for _ in range(3)]
            right.scfsi = [0, 0, 0, 0]

    def frame_granules(self, index):
        grs = []
        for gr in range(self.granules):
            block_type = self.block_pattern(index * self.granules + gr)
            mixed = block_type == 2 and self.mixed_blocks and self.rng.random() < 0.7
            chans = []
            for ch in range(self.channels):
                prev = grs[0][ch] if gr == 1 else None
                if ch == 1 and self.split_blocks:  # the right channel switches on its own
                    block_type, mixed = self.block_pattern(index * self.granules + gr + 3), False
                chans.append(self.make_granule(gr, ch, block_type, mixed, prev))
            if self.channels == 2 and self.mode == 1 and self.mode_ext & 1:
                self.apply_intensity(chans[1])
            grs.append(chans)
        for gr, chans in enumerate(grs):
            for ch, g in enumerate(chans):
                intensity_right = ch == 1 and self.mode == 1 and self.mode_ext & 1
                while True:
                    self.choose_tables(g)
                    w = Bits()
                    if self.lsf:
                        self.write_scalefactors_lsf(w, g, intensity_right)
                    else:
                        self.write_scalefactors_v1(w, g, gr)
                    self.write_spectrum(w, g)
                    if len(w.bits) < 4096:  # part2_3_length has 12 bits
                        break
                    self.shrink(g)
                g.bits = w
        return grs

    def shrink(self, g):
        g.big_end = (g.big_end // 4) * 2
        g.count1_end = g.big_end
        for i in range(g.big_end, 576):
            g.q[i] = 0

    # -- side information and frames -------------------------------------------
    def side_info(self, grs, main_data_begin):
        w = Bits()
        w.put(main_data_begin, 8 if self.lsf else 9)
        w.put(0, (1 if self.channels == 1 else 2) if self.lsf else (5 if self.channels == 1 else 3))
        if not self.lsf:
            for ch in range(self.channels):
                for bit in (grs[1][ch].scfsi if self.granules == 2 else [0] * 4):
                    w.put(bit, 1)
        for chans in grs:
            for g in chans:
                w.put(len(g.bits.bits), 12)
                w.put(g.big_end // 2, 9)
                w.put(g.global_gain, 8)
                w.put(g.sfc, 9 if self.lsf else 4)
                w.put(1 if g.block_type else 0, 1)
                if g.block_type:
                    w.put(g.block_type, 2)
                    w.put(1 if g.mixed else 0, 1)
                    w.put(g.tables[0], 5)
                    w.put(g.tables[1], 5)
                    for v in g.subblock_gain:
                        w.put(v, 3)
                else:
                    for t in g.tables:
                        w.put(t, 5)
                    w.put(g.region0, 4)
                    w.put(g.region1, 3)
                if not self.lsf:
                    w.put(g.preflag, 1)
                w.put(g.scalefac_scale, 1)
                w.put(g.count1_b, 1)
        return w.to_bytes()

    def header(self, bitrate_index):
        h = 0x7FF << 21
        h |= (1 if self.version == 1 else 1) << 20  # not MPEG-2.5
        h |= (1 if self.version == 1 else 0) << 19
        h |= 1 << 17  # Layer III
        h |= (0 if self.crc else 1) << 16
        h |= bitrate_index << 12
        h |= self.mode << 6 | self.mode_ext << 4
        return h.to_bytes(4, "big")

    def frame_bytes(self, bitrate_index):
        rate = SAMPLE_RATES[self.key]
        per = 144 if not self.lsf else 72
        return per * BITRATES[self.version][bitrate_index] * 1000 // rate

    def build(self):
        side_bytes = (17 if self.channels == 1 else 32) if not self.lsf else (9 if self.channels == 1 else 17)
        overhead = 4 + (2 if self.crc else 0) + side_bytes
        max_begin = 255 if self.lsf else 511
        stream = bytearray()  # main data as laid out over the frames' slots
        slot_end = data_end = 0
        frames, begins = [], []
        for index in range(self.frames):
            grs = self.frame_granules(index)
            bits = Bits()
            for chans in grs:
                for g in chans:
                    bits.extend(g.bits)
            data = bits.to_bytes()
            start = max(data_end, slot_end - max_begin)
            need = max(start + len(data) - slot_end, 0)
            fits = [i for i in range(1, 15) if self.frame_bytes(i) - overhead >= need]
            if not fits:
                raise SystemExit(f"{self.name}: frame {index} too large")
            bitrate_index = fits[0] if self.rng.random() < 0.6 else self.rng.choice(fits)
            slot = self.frame_bytes(bitrate_index) - overhead
            stream += bytes(start - len(stream)) if start > len(stream) else b""
            stream[start:start + len(data)] = data
            data_end = start + len(data)
            begin = slot_end - start
            begins.append(begin)
            stream += bytes(slot_end + slot - len(stream))
            side = self.side_info(grs, begin)
            head = self.header(bitrate_index)
            crc = b""
            if self.crc:
                crc = crc16(head[2:4] + side).to_bytes(2, "big")
            frames.append((head + crc + side, slot_end, slot))
            slot_end += slot
        # Later frames' data reaches back into earlier slots: assemble last.
        return b"".join(h + bytes(stream[a:a + n]) for h, a, n in frames), begins


def crc16(data):
    crc = 0xFFFF
    for byte in data:
        for bit in range(7, -1, -1):
            carry = ((crc >> 15) ^ (byte >> bit)) & 1
            crc = (crc << 1) & 0xFFFF
            if carry:
                crc ^= 0x8005
    return crc


STREAMS = {
    # name: (version, channels, mode, mode_ext, crc, mixed blocks, frames, seed)
    "crafted_v1_split_blocks": (1, 2, 0, 0, False, False, 8, 51),
    "crafted_v1_intensity": (1, 2, 1, 1, False, False, 10, 11),
    "crafted_v1_ms_intensity": (1, 2, 1, 3, True, False, 10, 12),
    "crafted_v2_intensity": (2, 2, 1, 1, False, False, 16, 21),
    "crafted_v2_ms_intensity": (2, 2, 1, 3, False, False, 16, 22),
    "crafted_v1_mixed": (1, 2, 0, 0, False, True, 10, 31),
    "crafted_v1_mono_reservoir": (1, 1, 3, 0, True, True, 16, 41),
    "crafted_v2_mono_mixed": (2, 1, 3, 0, False, True, 16, 42),
}


def main():
    name, out = sys.argv[1], sys.argv[2]
    version, channels, mode, ext, crc, mixed, frames, seed = STREAMS[name]
    s = Stream(name, version, channels, mode, ext, crc, frames, seed)
    s.mixed_blocks = mixed
    s.split_blocks = name.endswith("split_blocks")
    data, begins = s.build()
    Path(out).write_bytes(data)
    print(f"{name}: {len(data)} bytes, main_data_begin max {max(begins)} of {255 if version != 1 else 511}")


if __name__ == "__main__":
    main()
