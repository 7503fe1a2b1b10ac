#!/usr/bin/env python3
"""Writes the two beeps of the interval grabber as 8-bit 11025 Hz mono WAVE
files: beep0 (the grab itself, higher) and beep1 (the countdown)."""
import math
import struct
import sys

RATE = 11025


def beep(frequency, length):
    samples = bytearray()
    fade = 40
    for n in range(length):
        envelope = min(1.0, n / fade, (length - 1 - n) / fade)
        value = 128 + 100 * envelope * math.sin(2 * math.pi * frequency * n / RATE)
        samples.append(max(0, min(255, int(round(value)))))
    return bytes(samples)


def wave(samples):
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(samples)) + samples
    if len(samples) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


folder = sys.argv[1] if len(sys.argv) > 1 else "resources/sounds"
with open(f"{folder}/beep0.wav", "wb") as f:
    f.write(wave(beep(1760, 649)))
with open(f"{folder}/beep1.wav", "wb") as f:
    f.write(wave(beep(880, 635)))
