#!/usr/bin/env python3
"""Writes the game's logo, resources/logo/logo.png: a small board of rounded cells in four
colours, where neighbours of one colour are joined into one shape, as groups show on the
board. Run once after changing the picture; the output is committed. Each cell of PATTERN
is a colour letter; the picture is drawn with 4 x 4 samples per pixel."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "resources", "logo", "logo.png")

CELL = 16          # pixels per cell
INSET = 1.5        # gap to a side without a same-colour neighbour
RADIUS = 4.0       # outer corner rounding
SUB = 4            # samples per pixel along each axis
BACKGROUND = (255, 255, 255)
COLOURS = {
    "r": (214, 64, 56),
    "g": (64, 160, 80),
    "b": (52, 98, 196),
    "y": (236, 186, 40),
}
PATTERN = [
    "rrbg",
    "ybbg",
    "yyrg",
    "byrr",
]


def same(x, y, c):
    return 0 <= y < len(PATTERN) and 0 <= x < len(PATTERN[y]) and PATTERN[y][x] == c


def inside(px, py):
    """The colour letter covering the board point (px, py), or None."""
    cx, cy = int(px // CELL), int(py // CELL)
    if cy >= len(PATTERN) or cx >= len(PATTERN[cy]):
        return None
    c = PATTERN[cy][cx]
    lx, ly = px - cx * CELL, py - cy * CELL
    left, right = same(cx - 1, cy, c), same(cx + 1, cy, c)
    up, down = same(cx, cy - 1, c), same(cx, cy + 1, c)
    x0 = 0 if left else INSET
    x1 = CELL if right else CELL - INSET
    y0 = 0 if up else INSET
    y1 = CELL if down else CELL - INSET
    if not (x0 <= lx < x1 and y0 <= ly < y1):
        return None
    # Round the corners where neither side joins.
    for (jx, jy, ax, ay) in ((left, up, x0, y0), (right, up, x1, y0), (left, down, x0, y1), (right, down, x1, y1)):
        if jx or jy:
            continue
        ccx = ax + (RADIUS if ax == x0 else -RADIUS)
        ccy = ay + (RADIUS if ay == y0 else -RADIUS)
        if (lx - ccx) * (ax - ccx) > 0 and (ly - ccy) * (ay - ccy) > 0:
            if (lx - ccx) ** 2 + (ly - ccy) ** 2 > RADIUS ** 2:
                return None
    return c


def render():
    w = len(PATTERN[0]) * CELL
    h = len(PATTERN) * CELL
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            acc = [0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    c = inside(x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB)
                    rgb = COLOURS[c] if c else BACKGROUND
                    for i in range(3):
                        acc[i] += rgb[i]
            row += bytes(round(v / (SUB * SUB)) for v in acc)
        rows.append(bytes(row))
    return w, h, rows


def write_png(path, w, h, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + r for r in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    write_png(OUT, *render())
