#!/usr/bin/env python3
"""Draws the program's two sounds as 16-bit mono WAV files: a short rising
two-note chime for a pass and a lower, buzzing falling pair for a failure.

    scripts/make_sounds.py OUT_DIR    writes OUT_DIR/pass.wav and OUT_DIR/fail.wav

The build runs it and keeps the sounds among the program's resources.
"""
import math
import os
import struct
import sys
import wave

RATE = 44100


def note(freq, ms, harmonics=(1.0,), level=0.5, fade_ms=6):
    n = int(RATE * ms / 1000)
    fade = int(RATE * fade_ms / 1000)
    total = sum(harmonics)
    out = []
    for i in range(n):
        t = i / RATE
        v = sum(a * math.sin(2 * math.pi * freq * (2 * k + 1) * t)
                for k, a in enumerate(harmonics)) / total
        # A soft start and end, so that no click is heard.
        env = min(1.0, i / fade, (n - 1 - i) / fade) if fade else 1.0
        out.append(v * env * level)
    return out


def silence(ms):
    return [0.0] * int(RATE * ms / 1000)


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(max(-1, min(1, s)) * 32767))
                               for s in samples))


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_sounds.py OUT_DIR")
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    # Pass: C6 then G6, clear and short.
    passed = note(1046.5, 70) + silence(10) + note(1568.0, 100)
    # Failure: A4 then E4 with odd harmonics, a square-ish buzz.
    buzz = (1.0, 0.45, 0.25)
    failed = note(440.0, 130, buzz, 0.45) + silence(15) + note(329.6, 170, buzz, 0.45)
    write(os.path.join(folder, "pass.wav"), passed)
    write(os.path.join(folder, "fail.wav"), failed)


if __name__ == "__main__":
    main()
