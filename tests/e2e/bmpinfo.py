#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Prints "<width>x<height> #RRGGBB uniform" for a 24- or 32-bit Windows bitmap file (BMP, as
# Wine offers a copied bitmap to X programs), or "... mixed" when its pixels are not all one
# colour; with a second file name it also writes the picture there as an 8-bit RGB PNG.
# Only the standard library.
import struct
import sys
import zlib

data = open(sys.argv[1], "rb").read()
if data[:2] != b"BM":
    sys.exit("not a BMP file")
offset = struct.unpack_from("<I", data, 10)[0]
_, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
if bits not in (24, 32) or compression not in (0, 3):
    sys.exit(f"unsupported bitmap: {bits} bits, compression {compression}")
rows, step = abs(height), bits // 8
stride = (width * step + 3) // 4 * 4
colours = set()
raw = bytearray()
for y in range(rows):
    source = y if height < 0 else rows - 1 - y  # positive heights are stored bottom row first
    row = data[offset + source * stride: offset + source * stride + width * step]
    raw.append(0)  # no filter
    for x in range(width):
        b, g, r = row[x * step: x * step + 3]
        colours.add((r, g, b))
        raw += bytes((r, g, b))
first = next(iter(colours))
print(f"{width}x{rows} #{first[0]:02X}{first[1]:02X}{first[2]:02X} "
      + ("uniform" if len(colours) == 1 else "mixed"))


def chunk(kind, body):
    return (struct.pack(">I", len(body)) + kind + body
            + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))


if len(sys.argv) > 2:
    with open(sys.argv[2], "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, rows, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        out.write(chunk(b"IEND", b""))
