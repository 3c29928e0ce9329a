#!/usr/bin/env python3
"""Turns the test's 24-bit screenshots into PNGs for the docs:
bmp_to_png.py FOLDER converts every FOLDER/*.bmp and removes the BMP."""
import pathlib
import struct
import sys
import zlib


def bmp_rows(data):
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    assert bits == 24, "only 24-bit screenshots"
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows.append(bytes(rgb))
    if height > 0:  # stored bottom-up
        rows.reverse()
    return width, abs(height), rows


def png(width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows), 9)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", pixels) +
            chunk(b"IEND", b""))


for bmp in sorted(pathlib.Path(sys.argv[1]).glob("*.bmp")):
    bmp.with_suffix(".png").write_bytes(png(*bmp_rows(bmp.read_bytes())))
    bmp.unlink()
    print(bmp.with_suffix(".png"))
