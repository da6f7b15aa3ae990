#!/usr/bin/env python3
"""The loudest level of each tone in a capture of 32-bit float stereo frames.

    tone_levels.py CAPTURE RATE FROM_BYTE HZ...

Prints one line per tone, "HZ LEVEL", LEVEL the highest amplitude over 20 ms Hann-windowed
blocks of either channel from FROM_BYTE on: a sine of amplitude A on its own reads A.
"""
import math
import struct
import sys


def level(samples, start, count, hz, rate):
    re = im = weights = 0.0
    for i in range(count):
        w = 0.5 - 0.5 * math.cos(2 * math.pi * i / count)
        phase = 2 * math.pi * hz * i / rate
        re += w * samples[start + i] * math.cos(phase)
        im += w * samples[start + i] * math.sin(phase)
        weights += w
    return 2 * math.hypot(re, im) / weights


def main():
    path, rate, start = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    tones = [float(hz) for hz in sys.argv[4:]]
    with open(path, "rb") as f:
        f.seek(start - start % 8)
        data = f.read()
    values = struct.unpack("<%df" % (len(data) // 4), data[: len(data) // 4 * 4])
    channels = (values[0::2], values[1::2])
    block = rate // 50
    for hz in tones:
        best = 0.0
        for channel in channels:
            for at in range(0, len(channel) - block, block // 2):
                best = max(best, level(channel, at, block, hz, rate))
        print("%g %.4f" % (hz, best))


main()
