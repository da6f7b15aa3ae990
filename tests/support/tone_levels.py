#!/usr/bin/env python3
# tone_levels.py CAPTURE RATE FROM_BYTE HZ...: for each tone, "HZ LEVEL", its highest
# amplitude over 20 ms Hann-windowed blocks of either channel of a capture of 32-bit float
# stereo frames, from FROM_BYTE on (a sine of peak A on its own reads A).
import math, struct, sys

path, rate, start = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
with open(path, "rb") as f:
    f.seek(start - start % 8)
    data = f.read()
values = struct.unpack("<%df" % (len(data) // 4), data[: len(data) // 4 * 4])
block = rate // 50
window = [0.5 - 0.5 * math.cos(2 * math.pi * i / block) for i in range(block)]
for hz in map(float, sys.argv[4:]):
    turn = [(math.cos(2 * math.pi * hz * i / rate), math.sin(2 * math.pi * hz * i / rate)) for i in range(block)]
    best = 0.0
    for channel in (values[0::2], values[1::2]):
        for at in range(0, len(channel) - block, block // 2):
            re = sum(w * channel[at + i] * c for i, (w, (c, _)) in enumerate(zip(window, turn)))
            im = sum(w * channel[at + i] * s for i, (w, (_, s)) in enumerate(zip(window, turn)))
            best = max(best, 2 * math.hypot(re, im) / sum(window))
    print("%g %.4f" % (hz, best))
