#!/usr/bin/env python3
"""Draws the Morvane icon and writes it as pellorin.ico and as PNG files.

The picture: a page with a folded corner, ruled in rows, with one column
highlighted -- one field pulled out of every line. It is made of simple
shapes, drawn at any size with 4 x 4 samples per pixel.

Outputs (beside this script):
  pellorin.ico          six images for the Windows program: 32 x 32 and
                        16 x 16 pixels at 4, 8 and 32 bits per pixel
  pellorin-<N>.png      N = 16, 32, 48, 64, 128, 256, for the Linux program

Python 3 standard library only: run `python3 resources/icon/make_icon.py`.
"""

import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours (red, green, blue).
BORDER = (55, 71, 79)
PAGE = (255, 255, 255)
FOLD = (176, 190, 197)
ROW = (120, 144, 156)
COLUMN = (255, 152, 0)
COLUMN_ROW = (191, 54, 12)

# Geometry in units of the picture's side (0..1).
PAGE_LEFT, PAGE_RIGHT, PAGE_TOP, PAGE_BOTTOM = 0.14, 0.86, 0.04, 0.96
FOLD_SIZE = 0.22
EDGE = 0.065  # border width
COLUMN_LEFT, COLUMN_RIGHT, COLUMN_TOP, COLUMN_BOTTOM = 0.41, 0.62, 0.30, 0.87
ROWS = (0.36, 0.48, 0.60, 0.72, 0.82)
ROW_LEFT, ROW_RIGHT, ROW_HALF = 0.25, 0.75, 0.03


def colour_at(x, y):
    """The colour of the picture at (x, y), or None where it is transparent."""
    fold_x = PAGE_RIGHT - FOLD_SIZE
    fold_y = PAGE_TOP + FOLD_SIZE
    inside = PAGE_LEFT <= x <= PAGE_RIGHT and PAGE_TOP <= y <= PAGE_BOTTOM
    # The folded corner is cut off along the diagonal.
    beyond_fold = (x - fold_x) > (y - PAGE_TOP)
    if not inside or beyond_fold:
        return None
    # Distance to the diagonal, measured across it.
    to_diagonal = ((y - PAGE_TOP) - (x - fold_x)) / 1.4142
    if (x - PAGE_LEFT < EDGE or PAGE_RIGHT - x < EDGE or y - PAGE_TOP < EDGE
            or PAGE_BOTTOM - y < EDGE or to_diagonal < EDGE * 0.75):
        return BORDER
    # The flap of the fold: the triangle under the cut.
    if x >= fold_x and y <= fold_y and (x - fold_x) <= (y - PAGE_TOP):
        in_flap = (fold_y - y) >= 0 and (x - fold_x) >= 0
        if in_flap:
            if (fold_y - y) < EDGE * 0.7 or (x - fold_x) < EDGE * 0.7:
                return BORDER
            return FOLD
    in_column = COLUMN_LEFT <= x <= COLUMN_RIGHT and COLUMN_TOP <= y <= COLUMN_BOTTOM
    for row in ROWS:
        if ROW_LEFT <= x <= ROW_RIGHT and abs(y - row) <= ROW_HALF:
            return COLUMN_ROW if in_column else ROW
    if in_column:
        return COLUMN
    return PAGE


def render(size):
    """RGBA rows, top to bottom, as lists of (r, g, b, a) tuples."""
    samples = 4
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = covered = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size,
                                  (py + (sy + 0.5) / samples) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        covered += 1
            if covered:
                row.append((round(r / covered), round(g / covered), round(b / covered),
                            round(255 * covered / (samples * samples))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# --- PNG ------------------------------------------------------------------

def png_bytes(rows):
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


# --- ICO ------------------------------------------------------------------

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    colours = list(VGA16)
    levels = (0, 51, 102, 153, 204, 255)
    for r in levels:
        for g in levels:
            for b in levels:
                colours.append((r, g, b))
    for i in range(24):
        grey = 8 + i * 10
        colours.append((grey, grey, grey))
    return colours[:256]


def nearest(palette, colour):
    best, best_distance = 0, None
    for index, p in enumerate(palette):
        d = ((p[0] - colour[0]) ** 2 * 3 + (p[1] - colour[1]) ** 2 * 4
             + (p[2] - colour[2]) ** 2 * 2)
        if best_distance is None or d < best_distance:
            best, best_distance = index, d
    return best


def pad4(data):
    return data + b"\x00" * (-len(data) % 4)


def and_mask(rows):
    """1 bit per pixel, 1 = transparent; rows bottom-up, padded to 4 bytes."""
    out = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += pad4(bytes(bits))
    return out


def ico_image(rows, bits):
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    if bits == 32:
        xor = b"".join(bytes(v for p in row for v in (p[2], p[1], p[0], p[3]))
                       for row in reversed(rows))
        return header + xor + and_mask(rows)
    palette = VGA16 if bits == 4 else palette256()
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = b""
    for row in reversed(rows):
        indices = [nearest(palette, p[:3]) if p[3] >= 128 else 0 for p in row]
        if bits == 4:
            packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, len(indices), 2))
        else:
            packed = bytes(indices)
        xor += pad4(packed)
    return header + table + xor + and_mask(rows)


def ico_bytes(images):
    """images: (size, bits, data) in directory order."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, bits, data in images:
        colours = 16 if bits == 4 else 0
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits,
                                 len(data), offset)
        offset += len(data)
        body += data
    return directory + body


def main():
    pictures = {size: render(size) for size in (16, 32, 48, 64, 128, 256)}
    for size, rows in pictures.items():
        with open(os.path.join(HERE, "pellorin-%d.png" % size), "wb") as f:
            f.write(png_bytes(rows))
    images = []
    for bits in (4, 8, 32):
        for size in (32, 16):
            images.append((size, bits, ico_image(pictures[size], bits)))
    with open(os.path.join(HERE, "pellorin.ico"), "wb") as f:
        f.write(ico_bytes(images))


if __name__ == "__main__":
    main()
