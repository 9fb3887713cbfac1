#!/usr/bin/env python3
"""Writes the program's generated sounds into resources/sounds.

BEEP.wav: the cue before each training utterance, a 150 ms 880 Hz tone in
8-bit unsigned mono at 11025 Hz, the format the program captures and plays.
Short fades keep the tone from clicking. Standard library only, and the
output is the same byte for byte on every run.
"""

import math
import pathlib
import wave

RATE = 11025
SOUNDS = pathlib.Path(__file__).resolve().parent.parent / "resources" / "sounds"


def tone(frequency, seconds, fade_seconds, amplitude):
    count = round(RATE * seconds)
    fade = round(RATE * fade_seconds)
    samples = bytearray()
    for i in range(count):
        envelope = min(1.0, i / fade, (count - 1 - i) / fade)
        value = 128 + amplitude * envelope * math.sin(2 * math.pi * frequency * i / RATE)
        samples.append(max(0, min(255, round(value))))
    return bytes(samples)


def write_wave(path, samples):
    with wave.open(str(path), "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(1)
        out.setframerate(RATE)
        out.writeframes(samples)


def main():
    SOUNDS.mkdir(parents=True, exist_ok=True)
    write_wave(SOUNDS / "BEEP.wav", tone(880.0, 0.150, 0.010, 90))


if __name__ == "__main__":
    main()
