#!/usr/bin/python3
"""Writes the synthetic test items (44.1 kHz stereo, 10 s each) into a folder:
sawtooth chords, noise-burst transients over a pad, a sweep over pink noise,
and piano-like notes with hammer attacks."""
import sys
import wave

import numpy as np

SR = 44100
T = 10


def save(path, x):
    x = np.clip(x, -1, 1)
    w = wave.open(path, 'wb')
    w.setnchannels(2)
    w.setsampwidth(2)
    w.setframerate(SR)
    w.writeframes((x * 32767).astype(np.int16).tobytes())
    w.close()


def chords(t, rng):
    x = np.zeros((len(t), 2))
    notes = [[220, 277, 330], [196, 247, 294], [175, 220, 262], [247, 311, 370]]
    for i in range(8):
        seg = slice(int(i * 1.25 * SR), int((i + 1) * 1.25 * SR))
        tt = t[seg] - i * 1.25
        env = np.minimum(1, tt * 20) * np.exp(-tt * 0.8)
        for j, f in enumerate(notes[i % 4]):
            ph = np.cumsum(f * (1 + 0.003 * np.sin(2 * np.pi * 5 * tt))) / SR
            saw = 2 * (ph % 1) - 1
            pan = [0.3, 0.5, 0.7][j]
            x[seg, 0] += 0.18 * env * saw * (1 - pan)
            x[seg, 1] += 0.18 * env * saw * pan
    return x


def transients(t, rng):
    x = np.zeros((len(t), 2))
    pad = 0.05 * np.sin(2 * np.pi * 110 * t) + 0.04 * np.sin(2 * np.pi * 165 * t)
    x += pad[:, None]
    for _ in range(40):
        at = int(rng.uniform(0, T - 0.2) * SR)
        n = int(0.08 * SR)
        b = rng.standard_normal(n) * np.exp(-np.arange(n) / SR * 60) * 0.5
        b = np.diff(np.concatenate([[0], b]))
        x[at:at + n, 0] += b * rng.uniform(0.5, 1)
        x[at:at + n, 1] += b * rng.uniform(0.5, 1)
    return x


def sweep(t, rng):
    f = np.exp(np.linspace(np.log(100), np.log(12000), len(t)))
    s = 0.3 * np.sin(2 * np.pi * np.cumsum(f) / SR)
    spectrum = np.fft.rfft(rng.standard_normal((len(t), 2)), axis=0)
    freqs = np.fft.rfftfreq(len(t), 1 / SR)
    spectrum[1:] /= np.sqrt(freqs[1:, None])
    spectrum[0] = 0
    pink = np.fft.irfft(spectrum, n=len(t), axis=0)
    pink *= 0.05 / np.std(pink)
    return np.stack([s, s * 0.8], 1) + pink


def piano(t, rng):
    x = np.zeros((len(t), 2))
    for k in range(30):
        at = int(k * T / 30 * SR)
        f0 = 110 * 2 ** (rng.integers(0, 36) / 12)
        n = int(1.5 * SR)
        tt = np.arange(n) / SR
        note = sum((0.5 / h) * np.sin(2 * np.pi * f0 * h * tt * (1 + 0.0004 * h * h)) *
                   np.exp(-tt * (1.5 + h * 0.7)) for h in range(1, 12))
        note[:200] += rng.standard_normal(200) * np.linspace(0.3, 0, 200)
        end = min(len(t), at + n)
        pan = rng.uniform(0.2, 0.8)
        x[at:end, 0] += 0.5 * note[:end - at] * (1 - pan)
        x[at:end, 1] += 0.5 * note[:end - at] * pan
    return x


def main():
    folder = sys.argv[1]
    t = np.arange(T * SR) / SR
    for name, make in [('chords', chords), ('transients', transients), ('sweep', sweep),
                       ('piano', piano)]:
        save(f'{folder}/{name}.wav', make(t, np.random.default_rng(1)))


main()
