#!/usr/bin/env python3
"""Draws the program's icon MAINICON (32 x 32, 16 colours): a letter under a red ban sign.

Run it to regenerate quellmark.ico next to this script; the .ico is committed, so builds need no Python.
"""

from pathlib import Path
import struct

# The 16 standard Windows colours, as (blue, green, red).
PALETTE = [
    (0, 0, 0), (0, 0, 128), (0, 128, 0), (0, 128, 128), (128, 0, 0), (128, 0, 128), (128, 128, 0),
    (192, 192, 192), (128, 128, 128), (0, 0, 255), (0, 255, 0), (0, 255, 255), (255, 0, 0),
    (255, 0, 255), (255, 255, 0), (255, 255, 255),
]
BLACK, GREY, RED, WHITE = 0, 8, 9, 15
SIZE = 32


def draw():
    """The picture as rows (top first) of palette indexes, None where the icon is transparent."""
    pixels = [[None] * SIZE for _ in range(SIZE)]
    # The letter: a white envelope with a black edge and the two lines of its flap.
    left, top, right, bottom = 2, 6, 27, 23
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            pixels[y][x] = BLACK if edge else WHITE
    for x in range(left + 1, right):
        # The flap: from both top corners down to the middle.
        middle = (left + right) / 2
        rise = (x - left) / (middle - left) if x <= middle else (right - x) / (right - middle)
        y = top + round(rise * 8)
        if top < y < bottom:
            pixels[y][x] = GREY
    # The ban: a red ring with a bar from top left to bottom right, over the lower right corner.
    cx, cy, outer, inner = 22.5, 21.5, 9.5, 6.5
    for y in range(SIZE):
        for x in range(SIZE):
            dx, dy = x - cx, y - cy
            distance = (dx * dx + dy * dy) ** 0.5
            ring = inner <= distance <= outer
            bar = distance < inner and abs(dx - dy) <= 2.2  # along dx == dy, a little over two pixels wide
            if ring or bar:
                pixels[y][x] = RED
    return pixels


def ico_bytes(pixels):
    xor_rows, and_rows = [], []
    for row in reversed(pixels):  # bottom-up, as DIBs are stored
        indexes = [0 if p is None else p for p in row]
        xor_rows.append(bytes((indexes[i] << 4) | indexes[i + 1] for i in range(0, SIZE, 2)))
        mask = 0
        for x, p in enumerate(row):
            if p is None:
                mask |= 1 << (SIZE - 1 - x)
        and_rows.append(struct.pack(">I", mask))
    xor_data, and_data = b"".join(xor_rows), b"".join(and_rows)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (b, g, r) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor_data) + len(and_data), 0, 0, 16, 0)
    image = header + palette + xor_data + and_data
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + image


if __name__ == "__main__":
    target = Path(__file__).resolve().parent / "quellmark.ico"
    target.write_bytes(ico_bytes(draw()))
    print(f"{target}: {target.stat().st_size} bytes")
