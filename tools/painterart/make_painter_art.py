#!/usr/bin/env python3
"""Writes the painters' small bitmaps (indicator glyphs and the two pin glyphs) as PNG
files into resources/painters/. Run once after changing the pictures; the output is
committed. Each picture is a grid of characters: '#' black, '.' background,
'o' dark grey."""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "resources", "painters")

WHITE = (255, 255, 255)
MAGENTA = (255, 0, 255)
COLOURS = {"#": (0, 0, 0), "o": (96, 96, 96), "f": (158, 174, 191), "s": (46, 70, 95), "w": (250, 250, 246)}

INDICATORS = {
    "arrow": [
        "...........",
        "...#.......",
        "...##......",
        "...###.....",
        "...####....",
        "...#####...",
        "...####....",
        "...###.....",
        "...##......",
        "...#.......",
        "...........",
    ],
    "edit": [
        "...........",
        "...##.##...",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        "...##.##...",
        "...........",
    ],
    "insert": [
        "...........",
        "...........",
        ".....#.....",
        "..#..#..#..",
        "...#.#.#...",
        "....###....",
        "...#.#.#...",
        "..#..#..#..",
        ".....#.....",
        "...........",
        "...........",
    ],
    "multidot": [
        "...........",
        "...........",
        "...........",
        "....###....",
        "...#####...",
        "...#####...",
        "...#####...",
        "....###....",
        "...........",
        "...........",
        "...........",
    ],
    "multiarrow": [
        "...........",
        "..#........",
        "..##.......",
        "..###......",
        "..####.....",
        "..#####.oo.",
        "..####.oooo",
        "..###..oooo",
        "..##....oo.",
        "..#........",
        "...........",
    ],
}

# The pin seen from the side (not pinned: the panel hides itself) and from above (pinned).
PINS = {
    "autohideon": [
        "................",
        "................",
        "................",
        "................",
        ".......#....#...",
        ".......#######..",
        ".......#....##..",
        "#########...##..",
        ".......#....##..",
        ".......#######..",
        ".......########.",
        ".......#....#...",
        "................",
        "................",
        "................",
        "................",
    ],
    "autohideoff": [
        "................",
        "................",
        "....#######.....",
        "....#...##......",
        "....#...##......",
        "....#...##......",
        "....#...##......",
        "....#...##......",
        "...#########....",
        ".......#........",
        ".......#........",
        ".......#........",
        ".......#........",
        ".......#........",
        "................",
        "................",
    ],
}

# The Office11 expand buttons: a framed box with the sign; the corners are blended at draw
# time.
EXPAND_BUTTONS = {
    "expandplus": [
        "fffffffffff",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwwwswwwwf",
        "fwwwwswwwwf",
        "fwwssssswwf",
        "fwwwwswwwwf",
        "fwwwwswwwwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fffffffffff",
    ],
    "expandminus": [
        "fffffffffff",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwssssswwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fwwwwwwwwwf",
        "fffffffffff",
    ],
}


def png(rows, background):
    width, height = len(rows[0]), len(rows)
    raw = b""
    for row in rows:
        assert len(row) == width
        raw += b"\x00" + b"".join(bytes(COLOURS.get(ch, background)) for ch in row)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, rows in INDICATORS.items():
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write(png(rows, WHITE))
    for name, rows in EXPAND_BUTTONS.items():
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write(png(rows, WHITE))
    for name, rows in PINS.items():
        with open(os.path.join(OUT, name + ".png"), "wb") as f:
            f.write(png(rows, MAGENTA))


if __name__ == "__main__":
    main()
