#!/usr/bin/env python3
"""Draws the program's icon 101 (a black stone on a wooden board, 32 x 32, 16 colours)
and writes it twice: zandrel.png (indexed, for the desktop) and icon_pixels.h (the same pixels
for the window icon, so the program needs no PNG decoder). Run it after changing the drawing:
    python3 resources/icon/draw_icon.py
"""
import math
import os
import struct
import sys
import zlib

SIZE = 32
# (red, green, blue, alpha); index 0 is the transparent outside of the rounded corners.
PALETTE = [
    (0x00, 0x00, 0x00, 0x00),  # 0 outside
    (0x9a, 0x68, 0x2c, 0xff),  # 1 board edge
    (0xdc, 0xb0, 0x5c, 0xff),  # 2 board
    (0xe6, 0xc2, 0x74, 0xff),  # 3 board, lighter grain
    (0xcc, 0x9e, 0x4c, 0xff),  # 4 board, darker grain
    (0x4a, 0x30, 0x12, 0xff),  # 5 grid line
    (0xa8, 0x80, 0x40, 0xff),  # 6 shadow of the stone on the board
    (0x06, 0x06, 0x08, 0xff),  # 7 stone, darkest
    (0x1c, 0x1c, 0x20, 0xff),  # 8 stone
    (0x34, 0x34, 0x3a, 0xff),  # 9 stone, lit
    (0x58, 0x58, 0x60, 0xff),  # 10 stone, highlight rim
    (0x8c, 0x8c, 0x94, 0xff),  # 11 stone, highlight
    (0x6e, 0x4c, 0x20, 0xff),  # 12 stone edge over the board
    (0xc0, 0x94, 0x48, 0xff),  # 13 half-shadow
    (0x2a, 0x1c, 0x0a, 0xff),  # 14 spare
    (0xf0, 0xd6, 0x90, 0xff),  # 15 spare
]

LINES = (2, 9, 16, 23, 30)  # grid columns and rows, running on past the edges of the tile
CENTRE = 16.5  # the stone sits on the middle intersection
RADIUS = 7.4
LIGHT = (14.0, 13.5)


def inside_board(x, y):
    """The board tile, its corners rounded with a radius of 3 pixels."""
    r = 3.0
    cx = min(max(x, r), SIZE - r)
    cy = min(max(y, r), SIZE - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def board_colour(px, py):
    if px in (0, SIZE - 1) or py in (0, SIZE - 1):
        return 1
    if px in LINES or py in LINES:
        return 5
    # A few grain streaks across the wood.
    streak = (py * 7 + (px // 6) * 3) % 11
    return 3 if streak == 0 else 4 if streak == 5 else 2


def stone_colour(x, y):
    """Shade of the stone at (x, y), lit from the upper left."""
    d = math.hypot(x - LIGHT[0], y - LIGHT[1])
    if d < 1.4:
        return 11
    if d < 2.8:
        return 10
    if d < 4.8:
        return 9
    if d < 8.2:
        return 8
    return 7


def pixel(px, py):
    samples = {}
    for sy in range(4):
        for sx in range(4):
            x = px + (sx + 0.5) / 4
            y = py + (sy + 0.5) / 4
            if not inside_board(x, y):
                c = 0
            elif math.hypot(x - CENTRE, y - CENTRE) <= RADIUS:
                c = stone_colour(x, y)
            elif math.hypot(x - CENTRE - 1.2, y - CENTRE - 1.2) <= RADIUS:
                c = 6
            else:
                c = board_colour(px, py)
            samples[c] = samples.get(c, 0) + 1
    if samples.get(0, 0) >= 8:
        return 0
    stone = sum(n for c, n in samples.items() if 7 <= c <= 11)
    if 0 < stone < 16:
        # The stone's rim over the board: darker the more of the pixel the stone covers.
        if stone >= 10:
            return 7
        return 12 if stone >= 5 else 13
    return max((n, c) for c, n in samples.items() if c != 0)[1]


def draw():
    rows = [[pixel(x, y) for x in range(SIZE)] for y in range(SIZE)]
    return rows


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b""
    for row in rows:
        raw += b"\0" + bytes((row[i] << 4) | row[i + 1] for i in range(0, SIZE, 2))
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 4, 3, 0, 0, 0)
    plte = b"".join(bytes(c[:3]) for c in PALETTE)
    trns = bytes(c[3] for c in PALETTE)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"PLTE", plte) +
            chunk(b"tRNS", trns) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def header(rows):
    out = [
        "// The program's icon 101, 32 x 32 in 16 colours; written by draw_icon.py with zandrel.png,",
        "// which holds the same pixels.",
        "#pragma once",
        "",
        "#include <cstdint>",
        "",
        "namespace resources::icon {",
        "",
        "constexpr int size = 32;",
        "// One colour a line, one row of the picture a line.",
        "// clang-format off",
        "// 0xAARRGGBB for each colour index.",
        "constexpr std::uint32_t palette[16] = {",
    ]
    for r, g, b, a in PALETTE:
        out.append("    0x%02x%02x%02x%02x," % (a, r, g, b))
    out.append("};")
    out.append("// One string a row, top first; each character a colour index in hex.")
    out.append("constexpr const char* rows[size] = {")
    for row in rows:
        out.append('    "%s",' % "".join("%x" % c for c in row))
    out.append("};")
    out.append("// clang-format on")
    out.append("")
    out.append("}  // namespace resources::icon")
    return "\n".join(out) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    rows = draw()
    with open(os.path.join(here, "zandrel.png"), "wb") as f:
        f.write(png(rows))
    with open(os.path.join(here, "icon_pixels.h"), "w") as f:
        f.write(header(rows))
    if "--show" in sys.argv:
        for row in rows:
            print("".join("%x" % c for c in row))


if __name__ == "__main__":
    main()
