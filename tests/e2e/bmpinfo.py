#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# Prints "<width>x<height> #RRGGBB uniform" for a Windows bitmap file (BMP, as Wine offers a
# copied bitmap to X programs), or "... mixed" when its pixels are not all one colour.
import struct
import sys

data = open(sys.argv[1], "rb").read()
if data[:2] != b"BM":
    sys.exit("not a BMP file")
offset = struct.unpack_from("<I", data, 10)[0]
header_size, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
if bits not in (24, 32) or compression not in (0, 3):
    sys.exit(f"unsupported bitmap: {bits} bits, compression {compression}")
rows = abs(height)
stride = (width * bits // 8 + 3) // 4 * 4
step = bits // 8
colours = set()
for y in range(rows):
    row = data[offset + y * stride: offset + y * stride + width * step]
    for x in range(width):
        b, g, r = row[x * step: x * step + 3]
        colours.add((r, g, b))
first = next(iter(colours))
print(f"{width}x{rows} #{first[0]:02X}{first[1]:02X}{first[2]:02X} "
      + ("uniform" if len(colours) == 1 else "mixed"))
