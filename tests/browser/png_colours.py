"""Reads a PNG with the standard library alone (zlib) and tells how many
different colours it holds and how many pixels differ from its most common
one: enough to tell a drawn screenshot from a blank one."""

import struct
import zlib
from collections import Counter

CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_pixels(path):
    """(width, height, bytes per pixel, rows of unfiltered bytes)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("%s: not a PNG" % path)
    pos, idat, header = 8, [], None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or interlace:
        raise ValueError("%s: only 8-bit, non-interlaced PNGs are read" % path)
    bpp = CHANNELS[colour]
    raw = zlib.decompress(b"".join(idat))
    stride = width * bpp
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - bpp] if x >= bpp else 0
            b = prev[x]
            c = prev[x - bpp] if x >= bpp else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + ((a + b) >> 1)) & 255
            elif kind == 4:
                line[x] = (line[x] + _paeth(a, b, c)) & 255
        rows.append(bytes(line))
        prev = line
    return width, height, bpp, rows


def colour_counts(path):
    width, height, bpp, rows = read_pixels(path)
    counts = Counter()
    for row in rows:
        for x in range(0, width * bpp, bpp):
            counts[row[x:x + bpp]] += 1
    return counts, width * height
