#!/usr/bin/env python3
"""A frame-counter signal for the rig's input and its check in a recorded WAVE file.

  frame_counter.py make SECONDS OUT.raw   44100 Hz s16le stereo: each frame carries its own number
  frame_counter.py check FILE.wav         prints the frames held, the first and last numbers, and
                                          every gap or repeat with its place in the file and in
                                          the deck's 100 ms capture buffer

The number is split into two 11-bit fields (left: low bits, right: high bits), each scaled by 16,
so the one-step rounding of a float round trip in the sound path does not change it. It wraps
every 2^22 frames (95 s at 44.1 kHz); a jump is taken as the shortest way forward or back.
It only survives a path without resampling: record at the feeder's 44.1 kHz.
"""
import array
import sys
import wave

BITS = 11
STEP = 16
MASK = (1 << BITS) - 1
WRAP = 1 << (2 * BITS)
RATE = 44100


def make(seconds, out):
    frames = int(seconds * RATE)
    blocks = (frames >> BITS) + 1
    low = array.array("h", [n * STEP for n in range(MASK + 1)]) * blocks
    high = array.array("h")
    for b in range(blocks):
        high.extend(array.array("h", [(b & MASK) * STEP]) * (MASK + 1))
    pcm = array.array("h", bytes(4 * frames))
    pcm[0::2] = low[:frames]
    pcm[1::2] = high[:frames]
    if sys.byteorder != "little":
        pcm.byteswap()
    with open(out, "wb") as f:
        f.write(pcm.tobytes())


def check(path):
    with wave.open(path, "rb") as w:
        if w.getnchannels() != 2 or w.getsampwidth() != 2:
            sys.exit("need 16-bit stereo")
        rate = w.getframerate()
        pcm = array.array("h", w.readframes(w.getnframes()))
    if sys.byteorder != "little":
        pcm.byteswap()
    frames = len(pcm) // 2
    buffer = rate // 10  # the deck's capture buffer; what it loses, it loses whole
    gaps = []
    first = prev = None
    missing = repeated = 0
    for i in range(frames):
        lo = (pcm[2 * i] + STEP // 2) // STEP & MASK
        hi = (pcm[2 * i + 1] + STEP // 2) // STEP & MASK
        n = hi << BITS | lo
        if prev is None:
            first = n
        else:
            d = (n - prev) % WRAP
            if d > WRAP // 2:
                d -= WRAP
            if d != 1:
                gaps.append((i, d - 1))
                if d > 1:
                    missing += d - 1
                else:
                    repeated += 1 - d
        prev = n
    span = frames + missing - repeated
    print(f"frames {frames} ({frames / rate:.3f} s); counter {first}..{prev}, span {span} ({span / RATE:.3f} s)")
    print(f"{sum(1 for _, d in gaps if d > 0)} gaps missing {missing} frames; "
          f"{sum(1 for _, d in gaps if d < 0)} repeats of {repeated} frames")
    for i, d in gaps[:20]:
        print(f"  at frame {i} ({i / rate:.3f} s, {i % buffer} into a 100 ms buffer): "
              f"{'skips' if d > 0 else 'repeats'} {abs(d)}")


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "make":
        make(float(sys.argv[2]), sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "check":
        check(sys.argv[2])
    else:
        sys.exit(__doc__)
