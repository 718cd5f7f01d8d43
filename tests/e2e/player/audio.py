"""Reading the sound the player wrote through SDL's disk driver: level and dominant tone."""

import array
import math
import os
import sys

RATE = 44100      # the rate the player opens its output at
FRAME_BYTES = 4   # signed 16-bit, stereo, native order


class Capture:
    """The raw PCM file SDL's disk driver keeps appending to while the player runs."""

    def __init__(self, path):
        self.path = path

    def size(self):
        try:
            return os.path.getsize(self.path)
        except OSError:
            return 0

    def tail(self, seconds, since=0):
        """The last `seconds` of mono samples written after byte offset `since`."""
        end = self.size() - self.size() % FRAME_BYTES
        start = max(since - since % FRAME_BYTES, end - int(seconds * RATE) * FRAME_BYTES)
        if end - start < FRAME_BYTES:
            return []
        with open(self.path, "rb") as f:
            f.seek(start)
            raw = f.read(end - start)
        samples = array.array("h")
        samples.frombytes(raw[:len(raw) - len(raw) % FRAME_BYTES])
        if sys.byteorder == "big":
            samples.byteswap()
        return [(samples[i] + samples[i + 1]) / 2 for i in range(0, len(samples), 2)]


def rms(samples):
    if not samples:
        return 0.0
    return math.sqrt(sum(s * s for s in samples) / len(samples))


def goertzel_power(samples, freq, rate=RATE):
    """Power of `samples` at `freq`, by the Goertzel recurrence (one DFT bin)."""
    coeff = 2 * math.cos(2 * math.pi * freq / rate)
    s1 = s2 = 0.0
    for x in samples:
        s1, s2 = x + coeff * s1 - s2, s1
    return s1 * s1 + s2 * s2 - coeff * s1 * s2


def dominant_frequency(samples, low=100, high=2000, step=5, rate=RATE):
    """The strongest frequency between `low` and `high` Hz, to about `step` Hz."""
    block = samples[-4096:]
    if len(block) < 1024:
        return None
    window = [x * (0.5 - 0.5 * math.cos(2 * math.pi * i / (len(block) - 1)))
              for i, x in enumerate(block)]
    coarse = max(range(low, high + 1, step), key=lambda f: goertzel_power(window, f, rate))
    return max(range(coarse - step, coarse + step + 1),
               key=lambda f: goertzel_power(window, f, rate))


def describe(samples):
    """A short account of a stretch of sound for failure messages."""
    return f"rms={rms(samples):.0f} dominant={dominant_frequency(samples)} Hz n={len(samples)}"
