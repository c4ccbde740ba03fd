#!/usr/bin/env python3
"""Writes the LumoraHost icons: a rounded square with a white "L", in four colourings.

Standard library only. The .ico files are checked in, so a build never runs this; run it again
after changing the design:

    python3 res/tools/make_icons.py            # rewrites res/*.ico
    python3 res/tools/make_icons.py --png DIR  # also writes DIR/<name>-<size>.png previews

Each .ico holds 16, 32 and 48 pixel images as 32-bit BGRA DIBs (not PNG-compressed), the form
every resource compiler and every Windows version accepts.
"""

import argparse
import os
import struct
import zlib

SIZES = (16, 32, 48)
SUPERSAMPLE = 8  # samples per pixel side for the anti-aliased corners

# File name -> (top colour, bottom colour) of the vertical gradient.
VARIANTS = {
    "lumorahost.ico": ((0x2A, 0x5C, 0xC0), (0x14, 0x34, 0x80)),  # deep blue, resource 109
    "lumorahost_teal.ico": ((0x16, 0x9C, 0xA0), (0x0A, 0x5E, 0x66)),  # resource 129
    "lumorahost_indigo.ico": ((0x4E, 0x4A, 0xB8), (0x2C, 0x27, 0x78)),  # resource 131
    "lumorahost_green.ico": ((0x1E, 0x9A, 0x6E), (0x0E, 0x5C, 0x44)),  # resource 132
}

WHITE = (0xFF, 0xFF, 0xFF)


def rounded_square_coverage(size, x, y):
    """Fraction of pixel (x, y) inside the rounded square, by supersampling."""
    margin = size / 16.0
    radius = size * 0.19
    lo, hi = margin, size - margin
    inside = 0
    for sy in range(SUPERSAMPLE):
        py = y + (sy + 0.5) / SUPERSAMPLE
        for sx in range(SUPERSAMPLE):
            px = x + (sx + 0.5) / SUPERSAMPLE
            if not (lo <= px <= hi and lo <= py <= hi):
                continue
            # Distance from the nearest corner centre decides only inside the corner boxes.
            cx = min(max(px, lo + radius), hi - radius)
            cy = min(max(py, lo + radius), hi - radius)
            if (px - cx) ** 2 + (py - cy) ** 2 <= radius * radius:
                inside += 1
    return inside / float(SUPERSAMPLE * SUPERSAMPLE)


def letter_l_rects(size):
    """The "L" as two pixel-aligned rectangles (x0, y0, x1, y1), so small sizes stay sharp."""
    stroke = round(size * 0.1875)
    left = round(size * 0.34)
    top = round(size * 0.22)
    bottom = size - top
    right = round(size * 0.70)
    stem = (left, top, left + stroke, bottom)
    foot = (left, bottom - stroke, right, bottom)
    return stem, foot


def in_rects(rects, x, y):
    return any(x0 <= x < x1 and y0 <= y < y1 for x0, y0, x1, y1 in rects)


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def render(size, top, bottom):
    """Returns rows top to bottom of (r, g, b, a) pixels, colour not premultiplied."""
    rects = letter_l_rects(size)
    rows = []
    for y in range(size):
        base = lerp(top, bottom, y / float(size - 1))
        row = []
        for x in range(size):
            alpha = rounded_square_coverage(size, x, y)
            if alpha <= 0.0:
                row.append((0, 0, 0, 0))
                continue
            colour = WHITE if in_rects(rects, x, y) else base
            row.append(colour + (round(alpha * 255),))
        rows.append(row)
    return rows


def dib_image(rows):
    """One icon image: BITMAPINFOHEADER, bottom-up BGRA pixels, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    # The mask marks fully transparent pixels for renderers that ignore alpha; rows pad to 32 bits.
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + bytes(pixels) + bytes(mask)


def ico_file(images):
    """An ICONDIR with one entry per (size, image bytes), images laid out after the directory."""
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def png_file(rows):
    """An RGBA PNG of the same pixels, for looking at the design."""
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter type None
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--out", default=os.path.dirname(here), help="folder for the .ico files")
    parser.add_argument("--png", metavar="DIR", help="also write PNG previews into DIR")
    args = parser.parse_args()

    for name, (top, bottom) in VARIANTS.items():
        renders = [(size, render(size, top, bottom)) for size in SIZES]
        with open(os.path.join(args.out, name), "wb") as f:
            f.write(ico_file([(size, dib_image(rows)) for size, rows in renders]))
        if args.png:
            os.makedirs(args.png, exist_ok=True)
            stem = os.path.splitext(name)[0]
            for size, rows in renders:
                with open(os.path.join(args.png, "%s-%d.png" % (stem, size)), "wb") as f:
                    f.write(png_file(rows))


if __name__ == "__main__":
    main()
