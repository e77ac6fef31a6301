#!/usr/bin/env python3
"""Draws the programs' 32 x 32, 16-colour icon: a few lit, stretched spheres
streaking across black, as the show looks. Writes vessmark.ico beside this file.

Run it again only to change the picture; the .ico is committed.
"""
import math
import pathlib
import struct

SIZE = 32
# The classic 16-colour palette (B, G, R order as the icon format stores it).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128),
    (128, 0, 0), (128, 0, 128), (128, 128, 0), (192, 192, 192),
    (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255),
    (255, 0, 0), (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
# palette index of the dark and the bright shade of each body colour
SHADES = {
    "red": (1, 9), "green": (2, 10), "yellow": (3, 11),
    "blue": (4, 12), "magenta": (5, 13), "cyan": (6, 14),
}
WHITE = 15

# centre x, centre y, half length, half width, angle (degrees), colour
BODIES = [
    (22.0, 9.0, 8.5, 3.6, -30, "red"),
    (10.0, 12.0, 6.0, 2.8, -20, "yellow"),
    (16.0, 20.0, 9.5, 3.8, -35, "cyan"),
    (7.0, 25.0, 4.5, 2.4, -25, "magenta"),
    (26.0, 24.0, 5.0, 2.6, -40, "green"),
    (25.0, 16.0, 2.2, 2.2, 0, "blue"),
]


def draw():
    pixels = [[0] * SIZE for _ in range(SIZE)]
    for cx, cy, a, b, angle, colour in BODIES:
        dark, bright = SHADES[colour]
        c, s = math.cos(math.radians(angle)), math.sin(math.radians(angle))
        for y in range(SIZE):
            for x in range(SIZE):
                dx, dy = x + 0.5 - cx, y + 0.5 - cy
                u, v = dx * c + dy * s, -dx * s + dy * c
                r = (u / a) ** 2 + (v / b) ** 2
                if r > 1.0:
                    continue
                # light from the upper right: brighter on that side
                lit = (-v / b) * 0.6 + (u / a) * 0.3 + (1 - r) * 0.7
                pixels[y][x] = WHITE if lit > 0.95 else bright if lit > 0.25 else dark
    return pixels


def ico(pixels):
    row_bytes = SIZE // 2  # 4 bits a pixel, rows already 4-byte aligned
    xor = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up
        for x in range(0, SIZE, 2):
            xor.append((pixels[y][x] << 4) | pixels[y][x + 1])
    and_mask = bytes(SIZE * 4)  # fully opaque
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(and_mask), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)
    image = header + palette + bytes(xor) + and_mask
    assert len(xor) == row_bytes * SIZE
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


if __name__ == "__main__":
    out = pathlib.Path(__file__).with_name("vessmark.ico")
    out.write_bytes(ico(draw()))
    print(out)
