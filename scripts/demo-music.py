#!/usr/bin/env python3
"""Renders the demo station's music: a soft four-chord loop with an arpeggio and a bass line.

Usage: demo-music.py OUT.wav [BARS]   (one chord a bar of 2 s; default 8 bars, loops cleanly)
"""

import array
import math
import sys
import wave

RATE = 44100
BAR = 2.0
# I - vi - IV - V in C: root frequency and whether the chord is minor.
CHORDS = [(261.63, False), (220.00, True), (174.61, False), (196.00, False)]
ARPEGGIO = [0, 1, 2, 3, 2, 1, 0, 2]  # chord tone indices, eighth notes


def chord_tones(root, minor):
    third = 2 ** ((3 if minor else 4) / 12)
    return [root, root * third, root * 1.5, root * 2]


def pad(t, tones, s):
    fade = min(1.0, s * 4, (BAR - s) * 4)
    return 0.07 * fade * sum(math.sin(2 * math.pi * f * t) * (0.9 if i else 1.0)
                             for i, f in enumerate(tones[:3]))


def pluck(t, tones, s):
    step = BAR / len(ARPEGGIO)
    a = s % step
    f = 2 * tones[ARPEGGIO[int(s / step)]]
    env = min(1.0, a * 400) * math.exp(-6 * a)
    return 0.16 * env * (math.sin(2 * math.pi * f * t) + 0.25 * math.sin(4 * math.pi * f * t))


def bass(t, root, s):
    a = s % (BAR / 2)
    env = min(1.0, a * 200) * math.exp(-2.5 * a)
    return 0.18 * env * math.sin(math.pi * root * t)


def render(path, bars):
    left, right = array.array("h"), array.array("h")
    for n in range(int(bars * BAR * RATE)):
        t = n / RATE
        bar = int(t / BAR)
        s = t - bar * BAR
        root, minor = CHORDS[bar % len(CHORDS)]
        tones = chord_tones(root, minor)
        p, k, b = pad(t, tones, s), pluck(t, tones, s), bass(t, root, s)
        left.append(int(32767 * max(-1.0, min(1.0, p + 0.8 * k + b))))
        right.append(int(32767 * max(-1.0, min(1.0, p + 1.0 * k + b))))
    frames = array.array("h", (v for pair in zip(left, right) for v in pair))
    with wave.open(path, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(frames.tobytes())


if __name__ == "__main__":
    render(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 8)
