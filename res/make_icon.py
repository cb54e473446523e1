#!/usr/bin/env python3
"""Writes Kestrane.ico: a pressure-gauge dial in 16 colours, 32 x 32 and 16 x 16.

Each image is a 4-bit, one-plane DIB with the standard 16-colour palette and an
AND mask that makes everything outside the dial transparent. Run it again after
changing the drawing: python3 res/make_icon.py res/Kestrane.ico
"""
import math
import struct
import sys

# The standard 16-colour palette, as (blue, green, red) bytes.
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, GREY, RED, WHITE, BLUE = 0, 4, 8, 9, 15, 12  # indices into PALETTE (BGR order)


def draw(size):
    """Returns (pixels, opaque): rows top to bottom of palette indices and of booleans."""
    c = (size - 1) / 2.0
    r = size / 2.0 - 0.5
    rim = max(1.5, size / 12.0)
    pixels = [[BLACK] * size for _ in range(size)]
    opaque = [[False] * size for _ in range(size)]
    # The needle points to about two o'clock, from the centre towards the rim.
    angle = math.radians(40)
    nx, ny = math.sin(angle), -math.cos(angle)
    needle_len = r - rim - size / 16.0
    for y in range(size):
        for x in range(size):
            dx, dy = x - c, y - c
            d = math.hypot(dx, dy)
            if d > r:
                continue
            opaque[y][x] = True
            if d > r - rim:
                pixels[y][x] = NAVY
                continue
            pixels[y][x] = WHITE
            # Ticks at the quarter hours, just inside the rim.
            theta = math.degrees(math.atan2(dx, -dy)) % 90
            if d > r - rim - size / 8.0 and (theta < 6 or theta > 84):
                pixels[y][x] = GREY
            # The needle: points near the segment from the centre along (nx, ny).
            t = dx * nx + dy * ny
            off = abs(dx * ny - dy * nx)
            if 0 <= t <= needle_len and off <= max(0.6, size / 28.0):
                pixels[y][x] = RED
            if d <= max(1.0, size / 12.0):
                pixels[y][x] = BLUE
    return pixels, opaque


def dib(size):
    """The image as an icon stores it: header, palette, colour bits, mask bits (bottom-up rows)."""
    pixels, opaque = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for (b, g, r) in PALETTE)
    xor_row = (size * 4 + 31) // 32 * 4
    and_row = (size + 31) // 32 * 4
    xor_bits = bytearray()
    and_bits = bytearray()
    for y in reversed(range(size)):
        row = bytearray(xor_row)
        mask = bytearray(and_row)
        for x in range(size):
            index = pixels[y][x] if opaque[y][x] else 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if not opaque[y][x]:
                mask[x // 8] |= 0x80 >> (x % 8)
        xor_bits += row
        and_bits += mask
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "Kestrane.ico"
    images = [dib(32), dib(16)]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        data += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    data += b"".join(images)
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
