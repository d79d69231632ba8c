#!/usr/bin/env python3
"""Synthesise Kestrin's three sound effects into assets/.

    bank.wav  a bright, short coin "ding" played when points are banked
    win.wav   a rising, cheerful arpeggio for a won game or a new high score
    lose.wav  a falling "wah-wah" for a lost game

Only the Python standard library is used, and the output is deterministic, so running the
script again reproduces the committed files byte for byte.

Usage: python3 tools/make_sounds.py [output folder]   (default: the repository's assets/)
"""

import math
import os
import struct
import sys
import wave

RATE = 22050          # samples per second, mono
PEAK = 0.55           # loudest sample as a fraction of full scale: moderate volume


def note_hz(semitones_from_a4):
    return 440.0 * 2.0 ** (semitones_from_a4 / 12.0)


def envelope(t, length, attack, release):
    """Linear-in-dB-ish envelope: a short raised-cosine attack and release so no clicks."""
    if t < 0.0 or t >= length:
        return 0.0
    gain = 1.0
    if t < attack:
        gain *= 0.5 - 0.5 * math.cos(math.pi * t / attack)
    if t > length - release:
        gain *= 0.5 - 0.5 * math.cos(math.pi * (length - t) / release)
    return gain


def mix_into(buffer, start, samples):
    """Add samples into buffer from sample index start, growing the buffer as needed."""
    end = start + len(samples)
    if end > len(buffer):
        buffer.extend([0.0] * (end - len(buffer)))
    for i, value in enumerate(samples):
        buffer[start + i] += value


def bell(freq, length, decay, partials):
    """A struck tone: sine partials (ratio, weight, extra decay) under an exponential decay."""
    count = int(length * RATE)
    out = []
    for i in range(count):
        t = i / RATE
        value = 0.0
        for ratio, weight, extra in partials:
            value += weight * math.exp(-t * decay * extra) * math.sin(2.0 * math.pi * freq * ratio * t)
        out.append(value * envelope(t, length, 0.003, 0.03))
    return out


def brass(freq, length, wah_rate, vibrato_depth, start_phase=0.0):
    """A muted-trumpet voice: harmonics whose brightness opens and closes like a wah mute."""
    count = int(length * RATE)
    out = []
    phase = start_phase
    for i in range(count):
        t = i / RATE
        # Vibrato grows towards the end of the note, as a sad trombone's does.
        vib = 1.0 + vibrato_depth * min(1.0, t / max(length * 0.6, 1e-6)) * math.sin(2.0 * math.pi * 5.5 * t)
        phase += 2.0 * math.pi * freq * vib / RATE
        # The "wah": brightness goes 0 -> 1 -> 0 wah_rate times over the note.
        bright = 0.5 - 0.5 * math.cos(2.0 * math.pi * wah_rate * t / length)
        value = 0.0
        for h in range(1, 8):
            weight = (1.0 / h) * (bright ** ((h - 1) * 0.6) if h > 1 else 1.0)
            value += weight * math.sin(h * phase)
        out.append(value * envelope(t, length, 0.02, 0.08))
    return out, phase


def normalise(samples, peak=PEAK):
    top = max(abs(s) for s in samples) or 1.0
    return [s * peak / top for s in samples]


def make_bank():
    # Two quick struck notes a fourth apart, B5 then E6, like a coin dropping into a till.
    partials = [(1.0, 1.0, 1.0), (2.0, 0.35, 1.8), (3.0, 0.18, 2.6), (4.2, 0.08, 3.5)]
    out = []
    mix_into(out, 0, bell(note_hz(14), 0.09, 18.0, partials))
    mix_into(out, int(0.06 * RATE), bell(note_hz(19), 0.20, 14.0, partials))
    return normalise(out)


def make_win():
    # C5 E5 G5 C6 rising, each note ringing under the next, the top note held.
    partials = [(1.0, 1.0, 1.0), (2.0, 0.3, 1.5), (3.0, 0.12, 2.2)]
    out = []
    steps = [3, 7, 10, 15]
    for n, step in enumerate(steps):
        last = n == len(steps) - 1
        length = 0.55 if last else 0.32
        mix_into(out, int(n * 0.13 * RATE), bell(note_hz(step), length, 4.0 if last else 7.0, partials))
    # A soft fifth above the final note gives the ending some sparkle.
    mix_into(out, int(3 * 0.13 * RATE), [0.4 * s for s in bell(note_hz(22), 0.5, 5.0, partials)])
    return normalise(out)


def make_lose():
    # G3, F#3, F3 short, then a long E3 with vibrato: the "wah-wah-wah-waaah".
    out = []
    notes = [(-14, 0.22), (-15, 0.22), (-16, 0.22), (-17, 0.48)]
    start = 0.0
    for n, (step, length) in enumerate(notes):
        last = n == len(notes) - 1
        tone, _ = brass(note_hz(step), length, 2.0 if last else 1.0, 0.018 if last else 0.0)
        mix_into(out, int(start * RATE), tone)
        start += length
    return normalise(out, PEAK * 0.9)


def write_wav(path, samples):
    with wave.open(path, "wb") as wav:
        wav.setnchannels(1)
        wav.setsampwidth(2)
        wav.setframerate(RATE)
        frames = bytearray()
        for s in samples:
            frames += struct.pack("<h", max(-32767, min(32767, int(round(s * 32767)))))
        wav.writeframes(bytes(frames))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "assets")
    os.makedirs(folder, exist_ok=True)
    for name, maker in (("bank", make_bank), ("win", make_win), ("lose", make_lose)):
        samples = maker()
        path = os.path.join(folder, name + ".wav")
        write_wav(path, samples)
        print("wrote %s (%.2f s)" % (os.path.normpath(path), len(samples) / RATE))


if __name__ == "__main__":
    main()
