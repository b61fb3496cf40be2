#!/usr/bin/env python3
"""Draws the vx_installer application icon and writes it as a Windows .ico.

    make_app_icon.py OUT.ico [--png OUT.png]

The artwork is a dark rounded square with a light download arrow pointing
into a blue bar. Every size is rendered from the same vector shapes with
supersampling, so edges are anti-aliased at 16 px as well as at 256 px.

The .ico holds 16, 32 and 48 px images as 32-bit DIBs (BGRA colour rows plus
the 1-bit AND mask, height doubled in the header, as Windows expects) and the
256 px image as an embedded PNG. --png also writes the 256 px PNG on its own.

Only the standard library is used (zlib and struct).
"""

import argparse
import struct
import sys
import zlib

BACKGROUND = (0x11, 0x11, 0x11)
ACCENT = (0x00, 0x94, 0xD8)
FOREGROUND = (0xF5, 0xF5, 0xF5)

DIB_SIZES = (16, 32, 48)
PNG_SIZE = 256


def _in_rounded_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def _in_triangle(x, y, a, b, c):
    def side(p, q):
        return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    has_neg = d1 < 0 or d2 < 0 or d3 < 0
    has_pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (has_neg and has_pos)


def _shade(x, y):
    """Colour at a point of the unit square (y grows downwards), or None."""
    if not _in_rounded_rect(x, y, 0.03, 0.03, 0.97, 0.97, 0.2):
        return None
    # Arrow: shaft plus head, pointing down into the bar.
    if 0.415 <= x <= 0.585 and 0.15 <= y <= 0.47:
        return FOREGROUND
    if _in_triangle(x, y, (0.22, 0.42), (0.78, 0.42), (0.5, 0.67)):
        return FOREGROUND
    if _in_rounded_rect(x, y, 0.19, 0.74, 0.81, 0.85, 0.055):
        return ACCENT
    return BACKGROUND


def render(size):
    """Returns size*size RGBA tuples, rows top to bottom."""
    samples = 8 if size <= 48 else 4
    n = samples * samples
    offsets = [(i + 0.5) / samples for i in range(samples)]
    pixels = []
    for py in range(size):
        for px in range(size):
            r = g = b = a = 0
            for oy in offsets:
                y = (py + oy) / size
                for ox in offsets:
                    colour = _shade((px + ox) / size, y)
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        a += 1
            if a == 0:
                pixels.append((0, 0, 0, 0))
            else:
                # Average of the covered samples' colours (un-premultiplied).
                pixels.append((round(r / a), round(g / a), round(b / a), round(255 * a / n)))
    return pixels


def encode_png(size, pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = bytearray()
    for row in range(size):
        raw.append(0)  # filter: none
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            raw += bytes((r, g, b, a))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def encode_dib(size, pixels):
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(range(size)):  # DIB rows run bottom-up
        line = pixels[row * size:(row + 1) * size]
        bits = bytearray(mask_stride)
        for x, (r, g, b, a) in enumerate(line):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + bytes(colour) + bytes(mask)


def build_ico():
    images = [(size, encode_dib(size, render(size))) for size in DIB_SIZES]
    png = encode_png(PNG_SIZE, render(PNG_SIZE))
    images.append((PNG_SIZE, png))

    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size  # 0 means 256 in the directory
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out), png


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("ico", help="output .ico file")
    parser.add_argument("--png", help="also write the 256 px image as a .png file")
    args = parser.parse_args(argv)

    ico, png = build_ico()
    with open(args.ico, "wb") as f:
        f.write(ico)
    if args.png:
        with open(args.png, "wb") as f:
            f.write(png)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
